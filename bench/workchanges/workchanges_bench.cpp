// What the comparison before update back and 放弃 costs: a working folder of 11,000 files (110 folders of 100
// files, 1 to 8 KiB each) unpacked from its package, compared with the package as it is, after one file was
// edited, and after every file's time moved on (so every file is read for its checksum). Median and worst of 7.
// Run: workchanges_bench [files, default 11000].

#include "archive/ZipArchive.h"
#include "projects/PackageChanges.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 7;
constexpr int kFilesPerFolder = 100;

QString fileName(int index)
{
    return u"module%1/source%2.e"_s.arg(index / kFilesPerFolder, 3, 10, QChar(u'0')).arg(index % kFilesPerFolder);
}

void writeTree(const QString& root, int files)
{
    QRandomGenerator random(29);
    for (int i = 0; i < files; ++i) {
        const QString path = root + u'/' + fileName(i);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QByteArray bytes(1024 + random.bounded(7 * 1024), Qt::Uninitialized);
        for (char& byte : bytes)
            byte = char('a' + random.bounded(26));
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
}

struct Figures
{
    double median = 0;
    double worst = 0;
    qsizetype changed = 0;
};

Figures time(const QString& folder, const QString& package)
{
    QList<double> runs;
    qsizetype changed = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        const PackageChanges::Comparison comparison = PackageChanges::ofFolder(folder, package, u"P_zip.TMP"_s);
        runs.append(timer.nsecsElapsed() / 1e6);
        if (comparison.outcome != PackageChanges::Outcome::Compared)
            std::fprintf(stderr, "comparison failed\n");
        changed =
            comparison.changes.changed.size() + comparison.changes.added.size() + comparison.changes.removed.size();
    }
    std::sort(runs.begin(), runs.end());
    return {runs.at(runs.size() / 2), runs.last(), changed};
}

void print(const char* what, const Figures& figures)
{
    std::printf("| %s | %.1f | %.1f | %lld |\n", what, figures.median, figures.worst, qlonglong(figures.changed));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 11000;
    QTemporaryDir root(QDir::currentPath() + u"/workchanges-XXXXXX"_s);
    const QString source = root.filePath(u"source"_s);
    const QString package = root.filePath(u"P1.fd1"_s);
    const QString work = root.filePath(u"work"_s);
    writeTree(source, files);
    if (ZipArchive::compress(source, package) != ZipArchive::Outcome::Ok ||
        ZipArchive::extract(package, work) != ZipArchive::Outcome::Ok) {
        std::fprintf(stderr, "could not pack or unpack the tree\n");
        return 1;
    }
    QFile marker(work + u"/P_zip.TMP"_s);
    marker.open(QIODevice::WriteOnly);
    marker.close();

    std::printf("%d files, %lld bytes of package\n\n", files, qlonglong(QFileInfo(package).size()));
    std::printf("| working folder | median ms | worst ms | paths listed |\n|---|---:|---:|---:|\n");
    print("unchanged, as unpacked", time(work, package));
    QFile edited(work + u'/' + fileName(files / 2));
    edited.open(QIODevice::Append);
    edited.write("edited");
    edited.close();
    print("one file edited", time(work, package));
    const QDateTime later = QDateTime::currentDateTime().addSecs(60);
    for (int i = 0; i < files; ++i) {
        QFile file(work + u'/' + fileName(i));
        file.open(QIODevice::ReadWrite);
        file.setFileTime(later, QFileDevice::FileModificationTime);
    }
    print("every file's time moved on (all read)", time(work, package));
    return 0;
}
