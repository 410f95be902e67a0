// What the package history costs. An update back of a package of 100 MiB stored with nothing to keep (the
// first store of a project), with the package before linked into the history, and with it copied as on a
// disk without links, in one run, median of 5; and 历史版本 opened on a project with 1,000 versions, median
// of 7. Run: history_bench [MB, default 100].

#include "app/AppDir.h"
#include "execution/ExecutionPaths.h"
#include "execution/UpdateBack.h"
#include "projects/PackageHistory.h"
#include "projects/ui/HistoryWindow.h"
#include "store/DataInstaller.h"
#include "store/ProjectRecord.h"
#include "store/ProjectTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMiB = 1 << 20;
constexpr int kStoreRuns = 5;
constexpr int kWindowRuns = 7;
constexpr int kVersions = 1000;

void writeNoise(const QString& path, qint64 size, quint32 seed)
{
    QRandomGenerator random(seed);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray block(kMiB, Qt::Uninitialized);
    for (qint64 done = 0; done < size; done += block.size()) {
        random.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
        file.write(block.constData(), std::min<qint64>(block.size(), size - done));
    }
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

enum class Keeping { Nothing, Link, LinkAfterCompare, Copy };

// One update back of a fresh package over the stored one; only UpdateBack::store is timed.
double storeOnce(Keeping keeping, qint64 size, quint32 seed)
{
    const QString stored = AppDir::path() + u"/data/P1.fd1"_s;
    QFile::remove(stored);
    QDir(PackageHistory::rootFolder()).removeRecursively();
    if (keeping != Keeping::Nothing)
        writeNoise(stored, size, seed + 1);
    const QString pending = ExecutionPaths::pendingPackage(u"P1"_s, u"zip"_s);
    writeNoise(pending, size, seed);
    if (keeping == Keeping::LinkAfterCompare) {
        // The same size and bytes up to the last one: the check for an unchanged package reads both whole.
        QFile::remove(stored);
        QFile::copy(pending, stored);
        QFile last(stored);
        last.open(QIODevice::ReadWrite);
        last.seek(size - 1);
        last.write("!");
    }
    ::sync();
    PackageHistory::setLinksRefused(keeping == Keeping::Copy);
    QElapsedTimer timer;
    timer.start();
    if (!UpdateBack::store(u"P1"_s, pending, {}))
        std::fprintf(stderr, "a store failed\n");
    const double ms = timer.nsecsElapsed() / 1e6;
    PackageHistory::setLinksRefused(false);
    if (keeping != Keeping::Nothing && PackageHistory::versions(u"P1"_s).size() != 1)
        std::fprintf(stderr, "no version kept\n");
    return ms;
}

double openWindowOnce()
{
    QElapsedTimer timer;
    timer.start();
    HistoryWindow window(1, {});
    window.show();
    QApplication::processEvents();
    window.findChild<QTreeWidget*>(u"版本列表框"_s)->viewport()->repaint();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (window.findChild<QTreeWidget*>(u"版本列表框"_s)->topLevelItemCount() != kVersions)
        std::fprintf(stderr, "the list is short\n");
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const qint64 size = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 100) * kMiB;
    QTemporaryDir work(QDir::currentPath() + u"/history_bench-XXXXXX"_s);
    const QString appDir = work.filePath(u"app"_s);
    QDir().mkpath(appDir);
    AppDir::set(appDir);
    QDir::setCurrent(appDir);
    installMissingData(appDir);
    {
        ProjectRecord project;
        project.number = u"P1"_s;
        project.name = u"账本"_s;
        project.version = u"1.0"_s;
        project.packageType = u"zip"_s;
        ProjectTable table;
        if (!table.open() || !table.appendProject(project))
            return 1;
    }

    QList<double> nothing, linked, compared, copied;
    for (int run = 0; run < kStoreRuns; ++run) {
        // The three kinds take turns, so a load that comes and goes falls on all of them.
        nothing << storeOnce(Keeping::Nothing, size, 10 * run);
        linked << storeOnce(Keeping::Link, size, 10 * run + 3);
        compared << storeOnce(Keeping::LinkAfterCompare, size, 10 * run + 5);
        copied << storeOnce(Keeping::Copy, size, 10 * run + 6);
    }
    const double base = median(nothing);
    std::printf("update back of %lld MiB, median of %d\n", size / kMiB, kStoreRuns);
    std::printf("  %-40s %9.1f ms  1.00\n", "nothing to keep", base);
    std::printf("  %-40s %9.1f ms  %.2f\n", "kept by a link", median(linked), median(linked) / base);
    std::printf("  %-40s %9.1f ms  %.2f\n", "kept by a link, after reading both whole", median(compared),
                median(compared) / base);
    std::printf("  %-40s %9.1f ms  %.2f\n", "kept by a copy", median(copied), median(copied) / base);

    QFile::remove(AppDir::path() + u"/data/P1.fd1"_s);
    QDir(PackageHistory::rootFolder()).removeRecursively();
    const QString folder = PackageHistory::folderOf(u"P1"_s);
    QDir().mkpath(folder);
    const QList<PackageHistory::Cause> causes{PackageHistory::Cause::Update, PackageHistory::Cause::UpdateBack,
                                              PackageHistory::Cause::Restore, PackageHistory::Cause::Revert};
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0));
    for (int i = 0; i < kVersions; ++i) {
        QFile file(folder + u'/' +
                   PackageHistory::versionName(start.addSecs(i * 3600), causes.at(i % causes.size()), u"zip"_s,
                                               u"1.%1 测试版"_s.arg(i)));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(1000 + i * 37, 'v'));
    }
    QList<double> window;
    for (int run = 0; run < kWindowRuns; ++run)
        window << openWindowOnce();
    std::sort(window.begin(), window.end());
    std::printf("历史版本 with %d versions: median %.1f ms, min %.1f ms, max %.1f ms (%d opens)\n", kVersions,
                median(window), window.first(), window.last(), kWindowRuns);
    return 0;
}
