// What bulk work in the trash costs: 删除项目 of 1,000 projects (each with its package and one earlier package) into
// the trash, 还原 of all 1,000 entries, 回收站 opened on 1,000 entries (first paint included), and 清空回收站 of
// 1,000 entries, beside `rm -rf` of a tree of the same files; median of 5 rounds, each on a fresh catalogue.
// Run: trash_bench [projects, default 1000] [KiB per package, default 64].

#include "app/AppDir.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "projects/ui/TrashWindow.h"
#include "store/DataInstaller.h"
#include "store/ProjectRecord.h"
#include "store/ProjectTable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRounds = 5;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

double msSince(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// A catalogue of `count` projects in a fresh application folder, each with a package and an earlier package.
void makeCatalogue(const QString& appDir, int count, qint64 packageBytes)
{
    QDir().mkpath(appDir);
    AppDir::set(appDir);
    QDir::setCurrent(appDir);
    installMissingData(appDir);
    QList<QVariantList> records;
    for (int i = 0; i < count; ++i) {
        ProjectRecord project;
        project.number = u"P%1"_s.arg(i, 5, 10, QChar(u'0'));
        project.name = u"项目 %1"_s.arg(i);
        project.version = u"1.0"_s;
        project.packageType = u"zip"_s;
        project.notes = u"备注\r\n第二行"_s;
        records.append(project.toValues());
        QFile package(appDir + u"/data/"_s + project.number + u".fd1"_s);
        package.open(QIODevice::WriteOnly);
        package.write(QByteArray(packageBytes, char('a' + i % 26)));
        const QString folder = PackageHistory::folderOf(project.number);
        QDir().mkpath(folder);
        QFile earlier(folder + u'/' +
                      PackageHistory::versionName(QDateTime(QDate(2026, 1, 1), QTime(8, 0)),
                                                  PackageHistory::Cause::Update, u"zip"_s, {}));
        earlier.open(QIODevice::WriteOnly);
        earlier.write(QByteArray(packageBytes / 2, 'e'));
    }
    ProjectTable table;
    if (!table.open() || !table.appendRecords(records))
        std::fprintf(stderr, "the catalogue could not be made\n");
}

// As many files as an emptied trash frees: a package and a folder holding one earlier package per project.
void makeTree(const QString& root, int count, qint64 packageBytes)
{
    for (int i = 0; i < count; ++i) {
        QDir().mkpath(root + u"/%1.history"_s.arg(i));
        QFile package(root + u"/%1.fd1"_s.arg(i));
        package.open(QIODevice::WriteOnly);
        package.write(QByteArray(packageBytes, 'p'));
        QFile earlier(root + u"/%1.history/v.fd1"_s.arg(i));
        earlier.open(QIODevice::WriteOnly);
        earlier.write(QByteArray(packageBytes / 2, 'e'));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const qint64 packageBytes = (argc > 2 ? QByteArray(argv[2]).toLongLong() : 64) * 1024;
    QTemporaryDir work(QDir::currentPath() + u"/trash_bench-XXXXXX"_s);

    QList<double> deleting, restoring, opening, emptying, removing;
    for (int round = 0; round < kRounds; ++round) {
        makeCatalogue(work.filePath(u"app%1"_s.arg(round)), count, packageBytes);
        QList<int> all;
        for (int i = 1; i <= count; ++i)
            all.append(i);
        ::sync();

        QElapsedTimer timer;
        timer.start();
        if (ProjectRules::deleteProjects(all, true) != count)
            std::fprintf(stderr, "a delete failed\n");
        deleting << msSince(timer);

        QList<ProjectTrash::RestoreRequest> requests;
        for (const ProjectTrash::Entry& entry : ProjectTrash::entries())
            requests.append({entry.id, {}});
        ::sync();
        timer.restart();
        const QList<ProjectTrash::RestoreOutcome> outcomes = ProjectTrash::restore(requests);
        restoring << msSince(timer);
        if (std::count(outcomes.cbegin(), outcomes.cend(), ProjectTrash::RestoreOutcome::Restored) != count)
            std::fprintf(stderr, "a restore failed\n");

        if (ProjectRules::deleteProjects(all, true) != count)
            std::fprintf(stderr, "the second delete failed\n");
        ::sync();
        timer.restart();
        {
            TrashWindow window;
            window.show();
            QApplication::processEvents();
            window.findChild<QTreeWidget*>(u"回收站列表框"_s)->viewport()->repaint();
            opening << msSince(timer);
            if (window.findChild<QTreeWidget*>(u"回收站列表框"_s)->topLevelItemCount() != count)
                std::fprintf(stderr, "the list is short\n");
        }

        ::sync();
        timer.restart();
        if (!ProjectTrash::empty())
            std::fprintf(stderr, "emptying failed\n");
        emptying << msSince(timer);

        const QString tree = work.filePath(u"tree%1"_s.arg(round));
        makeTree(tree, count, packageBytes);
        ::sync();
        timer.restart();
        QProcess::execute(u"rm"_s, {u"-rf"_s, tree});
        removing << msSince(timer);
    }
    std::printf("%d projects, packages of %lld KiB, median of %d rounds (min - max) in ms\n", count,
                packageBytes / 1024, kRounds);
    const auto line = [](const char* what, QList<double> values) {
        std::sort(values.begin(), values.end());
        std::printf("  %-36s %9.1f  (%.1f - %.1f)\n", what, median(values), values.first(), values.last());
    };
    line("删除项目 into the trash", deleting);
    line("还原 of every entry", restoring);
    line("回收站 opened, first paint", opening);
    line("清空回收站", emptying);
    line("rm -rf of as many files", removing);
    return 0;
}
