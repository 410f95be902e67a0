// Times a backup of a data folder made mostly of stored ZIP packages against Info-ZIP's `zip -q -r` on the
// same folder in the same run (median of 3), and one restore of the backup. Run: backup_bench [MB, default 1024].

#include "app/AppDir.h"
#include "archive/ZipArchive.h"
#include "backup/DataBackup.h"
#include "store/DataInstaller.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMiB = 1 << 20;
constexpr int kRuns = 3;

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

void writeSource(const QString& path, qint64 size, int seed)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray text;
    for (int line = 0; text.size() < size; ++line)
        text += "    total += ledger[" + QByteArray::number(line * 31 + seed) + "].amount; // 对账 line\n";
    file.write(text.left(size));
}

// A project package as the catalogue stores it: a ZIP of a project tree (built program, pictures, sources).
bool makePackage(const QString& package, int index, const QString& scratch)
{
    QDir tree(scratch + u"/tree"_s);
    tree.removeRecursively();
    tree.mkpath(u"src"_s);
    writeNoise(tree.filePath(u"app.exe"_s), 5 * kMiB + index * 4096, 1000 + index);
    writeNoise(tree.filePath(u"logo.png"_s), kMiB, 5000 + index);
    writeSource(tree.filePath(u"src/main.cpp"_s), 2 * kMiB, index);
    return ZipArchive::compress(tree.path(), package) == ZipArchive::Outcome::Ok;
}

bool run(const QString& program, const QStringList& arguments, const QString& dir)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

double seconds(const std::function<bool()>& work)
{
    QElapsedTimer timer;
    timer.start();
    if (!work())
        std::fprintf(stderr, "a run failed\n");
    return timer.nsecsElapsed() / 1e9;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

qint64 folderSize(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files))
        total += info.size();
    return total;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const qint64 target = (argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024) * kMiB;
    if (QStandardPaths::findExecutable(u"zip"_s).isEmpty()) {
        std::fprintf(stderr, "needs zip: apt-get install -y zip\n");
        return 1;
    }
    QTemporaryDir work(QDir::currentPath() + u"/backup_bench-XXXXXX"_s);
    const QString appDir = work.filePath(u"app"_s);
    QDir().mkpath(appDir);
    AppDir::set(appDir);
    QDir::setCurrent(appDir);
    installMissingData(appDir);
    const QString data = appDir + u"/data"_s;
    for (int i = 0; folderSize(data) < target; ++i) {
        if (!makePackage(data + u"/P%1.fd1"_s.arg(i, 4, 10, QLatin1Char('0')), i, work.path())) {
            std::fprintf(stderr, "could not make package %d\n", i);
            return 1;
        }
    }
    const qint64 dataBytes = folderSize(data);
    const int files = int(QDir(data).entryList(QDir::Files).size());

    const QString ours = work.filePath(u"FBak_bench.fd2"_s);
    const QString theirs = work.filePath(u"theirs.zip"_s);
    QList<double> backUp;
    QList<double> zip;
    for (int r = 0; r < kRuns; ++r) {
        QFile::remove(ours);
        QFile::remove(theirs);
        backUp << seconds([&] { return DataBackup::backUp(ours); });
        zip << seconds([&] { return run(u"zip"_s, {u"-q"_s, u"-r"_s, theirs, u"data"_s}, appDir); });
    }
    const double restore = seconds([&] { return DataBackup::restore(ours); });

    std::printf("data folder: %d files, %.1f MiB\n\n", files, dataBytes / double(kMiB));
    std::printf("| median of %d | tallyra | zip -q -r | ratio |\n|---|---:|---:|---:|\n", kRuns);
    std::printf("| backup time | %.2f s | %.2f s | %.2f |\n", median(backUp), median(zip),
                median(backUp) / median(zip));
    std::printf("| archive size | %.1f MiB | %.1f MiB | %.3f |\n", QFileInfo(ours).size() / double(kMiB),
                QFileInfo(theirs).size() / double(kMiB), QFileInfo(ours).size() / double(QFileInfo(theirs).size()));
    std::printf("\nrestore of the backup (staging, moving in, keeping the replaced files): %.2f s\n", restore);
    return 0;
}
