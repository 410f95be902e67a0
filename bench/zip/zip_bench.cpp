// Times compress and extract against Info-ZIP's zip and unzip (and bsdtar and 7-Zip's 7z, where installed, unpacking)
// on generated trees, in one run, so that the ratios hold on a busy machine where absolute times do not. The program
// runs twice: with the coders it was built with and with zlib alone, as a build without ISA-L and libdeflate would. Two
// trees: "mixed" (source text, pictures, archives and a few large binaries, about 2,700 files) and "small" (about
// 11,000 small source files in nested folders, where the cost per entry counts more than the bytes). Run: zip_bench
// [mixed|small|both, default both] [size in MB, default 200 for mixed and 230 for small].

#include "archive/ZipArchive.h"
#include "archive/ZipCoders.h"

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
#include <vector>

#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr int kRuns = 5;

class TreeMaker
{
public:
    explicit TreeMaker(QString root)
        : m_root(std::move(root))
    {
    }

    qint64 bytes() const { return m_bytes; }
    int files() const { return m_files; }

    // Source-like text: a small vocabulary in random order deflates about as well as real code.
    void text(const QString& name, qint64 size)
    {
        static const std::vector<QByteArray> words{
            "int ",       "return ", "count",       " = ",    "0;\n",   "if (",        ") {\n",   "}\n",
            "项目",       "名称",    "for (auto& ", "value",  "->next", "(void)",      "// ",     "说明\n",
            "QString ",   " + ",     "nullptr",     "\n    ", "const ", "m_table",     "records", "static ",
            "#include <", ">\n",     "void ",       "bool ",  "::",     "std::vector<"};
        write(name, size, [&](QByteArray& chunk, qint64 wanted) {
            chunk.clear();
            while (chunk.size() < wanted) {
                chunk += words[m_random.bounded(quint32(words.size()))];
            }
        });
    }

    // Already compressed content (pictures, archives): incompressible bytes under a telling name.
    void noise(const QString& name, qint64 size)
    {
        write(name, size, [&](QByteArray& chunk, qint64 wanted) { fillRandom(chunk, (wanted + 3) / 4 * 4); });
    }

    // Program binaries and databases: random pages mixed with repeated and sparse ones.
    void binary(const QString& name, qint64 size)
    {
        write(name, size, [&](QByteArray& chunk, qint64) {
            fillRandom(chunk, kMiB);
            constexpr qsizetype kPage = 4096;
            for (qsizetype page = 0; page + kPage <= chunk.size(); page += kPage) {
                const quint32 kind = m_random.bounded(4u);
                if (kind == 0) {
                    std::fill(chunk.begin() + page, chunk.begin() + page + kPage, char(0));
                } else if (kind == 1 && page >= 8 * kPage) {
                    std::copy_n(chunk.constBegin() + page - 8 * kPage, kPage, chunk.begin() + page);
                } else if (kind == 2) {
                    for (qsizetype i = page; i < page + kPage; ++i) {
                        chunk[i] = char(chunk.at(i) & 0x0F); // low entropy, like tables of small numbers
                    }
                }
            }
        });
    }

    void folder(const QString& name) { QDir().mkpath(m_root + u'/' + name); }

private:
    void fillRandom(QByteArray& chunk, qsizetype size)
    {
        chunk.resize(size);
        m_random.fillRange(reinterpret_cast<quint32*>(chunk.data()), size / 4);
    }

    // nextChunk fills at least the bytes still wanted or a MiB, whichever is less.
    void write(const QString& name, qint64 size, const std::function<void(QByteArray&, qint64)>& nextChunk)
    {
        const QString path = m_root + u'/' + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            qFatal("cannot write %s", qPrintable(path));
        }
        QByteArray chunk;
        for (qint64 left = size; left > 0;) {
            nextChunk(chunk, std::min(left, kMiB));
            const qint64 n = std::min<qint64>(left, chunk.size());
            file.write(chunk.constData(), n);
            left -= n;
        }
        m_bytes += size;
        ++m_files;
    }

    QString m_root;
    QRandomGenerator m_random{20250101};
    qint64 m_bytes = 0;
    int m_files = 0;
};

void makeTree(TreeMaker& tree, qint64 totalMiB)
{
    const double scale = double(totalMiB) / 200.0;
    const int sourceFiles = int(2400 * scale);
    for (int i = 0; i < sourceFiles; ++i) {
        tree.text(u"src/module%1/part%2/file%3.cpp"_s.arg(i % 12).arg(i % 7).arg(i), 4096 + (i * 7919) % 40000);
    }
    for (int i = 0; i < int(300 * scale); ++i) {
        tree.noise(u"res/images/图片%1.jpg"_s.arg(i), 100000 + (i * 104729) % 300000);
    }
    for (int i = 0; i < int(8 * scale); ++i) {
        tree.noise(u"third_party/lib%1.zip"_s.arg(i), 3 * kMiB + i * 100000);
    }
    for (int i = 0; i < int(5 * scale); ++i) {
        tree.binary(u"bin/tool%1.dll"_s.arg(i), 12 * kMiB + i * kMiB);
    }
    tree.folder(u"empty/folder"_s);
}

// A source tree as checked out: many folders a few levels deep, files of a few KiB to a few tens of KiB, a few
// small pictures; about 20 KiB a file on average.
void makeSmallFilesTree(TreeMaker& tree, qint64 totalMiB)
{
    const int files = int(11000.0 * double(totalMiB) / 230.0);
    for (int i = 0; i < files; ++i) {
        const QString folder = u"app/module%1/src/pkg%2/sub%3"_s.arg(i % 25).arg((i / 25) % 8).arg((i / 200) % 5);
        if (i % 20 == 19) {
            tree.noise(u"%1/icon%2.png"_s.arg(folder).arg(i), 500 + (i * 7919) % 4000);
        } else {
            tree.text(u"%1/File%2.java"_s.arg(folder).arg(i), 1000 + (i * 104729) % 41000);
        }
    }
    tree.folder(u"app/build/empty"_s);
}

// CPU seconds used so far by this process (every thread) and by the tools it waited for. On a machine shared with
// other work, wall time depends on who else runs; CPU time shows the work each side does.
double cpuSeconds()
{
#ifdef Q_OS_WIN
    return 0;
#else
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        ::getrusage(who, &usage);
        total += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return total;
#endif
}

struct Time
{
    double wall = 0;
    double cpu = 0;
};

Time seconds(const std::function<bool()>& work)
{
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    if (!work()) {
        qFatal("a benchmark step failed");
    }
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds() - cpuBefore};
}

double median(std::vector<Time> values, double Time::*field)
{
    std::sort(values.begin(), values.end(), [&](const Time& a, const Time& b) { return a.*field < b.*field; });
    return values[values.size() / 2].*field;
}

void flushWrites()
{
#ifndef Q_OS_WIN
    ::sync();
#endif
}

bool run(const QString& program, const QStringList& arguments, const QString& workDir)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool installed(const QString& program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

qint64 peakResidentKiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

QByteArray loadAverage()
{
    QFile file(u"/proc/loadavg"_s);
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').mid(0, 3).join(' ') : QByteArray("?");
}

// One way to pack or unpack, timed on every run.
struct Step
{
    QString name;
    // Packs the tree into the archive, or unpacks the archive into the folder.
    std::function<bool(const QString& from, const QString& to)> work;
    bool ours = false;
    std::vector<Time> times;
    QString lastOutput;
};

// The program's own coders, or zlib alone (what a build without ISA-L and libdeflate runs).
std::function<bool(const QString&, const QString&)> ours(bool zlibOnly, bool packing)
{
    return [zlibOnly, packing](const QString& from, const QString& to) {
        ZipCoders::setZlibOnly(zlibOnly);
        const ZipArchive::Outcome status = packing ? ZipArchive::compress(from, to) : ZipArchive::extract(from, to);
        ZipCoders::setZlibOnly(false);
        return status == ZipArchive::Outcome::Ok;
    };
}

// Nothing is deleted between timed steps: ext4 (without a journal, as here) scans past every inode freed in the
// last minutes before it hands out a new one, so whatever runs just after a deletion of thousands of files pays
// for it. Each step writes into fresh names, the order turns from run to run, and written data is flushed before
// each step. Every unpacker unpacks the same archive, the one zip made.
void measure(const QString& tree, const QString& work)
{
    std::vector<Step> packers;
    packers.push_back({u"compress: tallyra"_s, ours(false, true), true, {}, {}});
    if (ZipCoders::builtWithIsal() || ZipCoders::builtWithLibdeflate()) {
        packers.push_back({u"compress: tallyra, zlib only"_s, ours(true, true), true, {}, {}});
    }
    packers.push_back({u"compress: zip -r"_s,
                       [&](const QString& from, const QString& to) {
                           return run(u"zip"_s, {u"-q"_s, u"-r"_s, to, u"."_s}, from);
                       },
                       false,
                       {},
                       {}});
    std::vector<Step> unpackers;
    unpackers.push_back({u"extract: tallyra"_s, ours(false, false), true, {}, {}});
    if (ZipCoders::builtWithIsal() || ZipCoders::builtWithLibdeflate()) {
        unpackers.push_back({u"extract: tallyra, zlib only"_s, ours(true, false), true, {}, {}});
    }
    unpackers.push_back({u"extract: unzip"_s,
                         [&](const QString& from, const QString& to) {
                             return run(u"unzip"_s, {u"-q"_s, u"-o"_s, from, u"-d"_s, to}, work);
                         },
                         false,
                         {},
                         {}});
    if (installed(u"bsdtar"_s)) {
        unpackers.push_back({u"extract: bsdtar"_s,
                             [&](const QString& from, const QString& to) {
                                 return QDir().mkpath(to) && run(u"bsdtar"_s, {u"-xf"_s, from, u"-C"_s, to}, work);
                             },
                             false,
                             {},
                             {}});
    }
    if (installed(u"7z"_s)) {
        unpackers.push_back({u"extract: 7z"_s,
                             [&](const QString& from, const QString& to) {
                                 return run(u"7z"_s, {u"x"_s, u"-y"_s, u"-bd"_s, u"-o"_s + to, from}, work);
                             },
                             false,
                             {},
                             {}});
    }

    const auto timeAll = [&](std::vector<Step>& steps, int turn, const QString& input, const QString& kind) {
        for (size_t k = 0; k < steps.size(); ++k) {
            Step& step = steps[(k + size_t(turn)) % steps.size()];
            const QString output = work + u"/%1-%2-%3"_s.arg(kind).arg(&step - steps.data()).arg(turn) +
                                   (kind == u"zip" ? u".zip"_s : QString());
            flushWrites();
            step.times.push_back(seconds([&] { return step.work(input.isEmpty() ? step.lastOutput : input, output); }));
            step.lastOutput = output;
        }
    };
    for (int i = 0; i < kRuns; ++i) {
        timeAll(packers, i, tree, u"zip"_s);
        timeAll(unpackers, i, packers.back().lastOutput, u"out"_s); // zip's archive of this run
    }

    const Step& zip = packers.back();
    const Step& unzip = *std::find_if(unpackers.begin(), unpackers.end(),
                                      [](const Step& step) { return step.name == u"extract: unzip"_s; });
    double fastestPeer = 1e300;
    for (const Step& step : unpackers) {
        if (!step.ours) {
            fastestPeer = std::min(fastestPeer, median(step.times, &Time::wall));
        }
    }
    std::printf("\n| median of %d | wall | CPU | archive | wall / zip or unzip | wall / fastest unpacker |\n", kRuns);
    std::printf("|---|---:|---:|---:|---:|---:|\n");
    for (const std::vector<Step>* steps : {&packers, &unpackers}) {
        const bool packing = steps == &packers;
        const Step& peer = packing ? zip : unzip;
        for (const Step& step : *steps) {
            const double wall = median(step.times, &Time::wall);
            const QString size =
                packing ? u"%1 MiB"_s.arg(double(QFileInfo(step.lastOutput).size()) / double(kMiB), 0, 'f', 1)
                        : QString();
            const QString toFastest = packing ? QString() : QString::number(wall / fastestPeer, 'f', 2);
            std::printf("| %s | %.2f s | %.2f s | %s | %.2f | %s |\n", qPrintable(step.name), wall,
                        median(step.times, &Time::cpu), qPrintable(size), wall / median(peer.times, &Time::wall),
                        qPrintable(toFastest));
        }
    }
    const double sizeRatio =
        double(QFileInfo(packers.front().lastOutput).size()) / double(QFileInfo(zip.lastOutput).size());
    std::printf("\narchive size, tallyra / zip: %.3f\n", sizeRatio);
    std::printf("wall-time ratios of every run, tallyra / zip or unzip:\n");
    for (const auto& [ourStep, peer] : {std::pair{&packers.front(), &zip}, std::pair{&unpackers.front(), &unzip}}) {
        std::printf("  %s:", qPrintable(ourStep->name));
        for (int i = 0; i < kRuns; ++i) {
            std::printf(" %.2f", ourStep->times[size_t(i)].wall / peer->times[size_t(i)].wall);
        }
        std::printf("\n");
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QByteArray which = argc > 1 ? QByteArray(argv[1]) : QByteArray("both");
    const qint64 sizeMiB = argc > 2 ? QByteArray(argv[2]).toLongLong() : 0;
    if (which != "mixed" && which != "small" && which != "both") {
        std::fprintf(stderr, "usage: zip_bench [mixed|small|both] [size in MB]\n");
        return 2;
    }
    if (QStandardPaths::findExecutable(u"zip"_s).isEmpty() || QStandardPaths::findExecutable(u"unzip"_s).isEmpty()) {
        std::fprintf(stderr, "needs zip and unzip: apt-get install -y zip unzip\n");
        return 2;
    }
    const QTemporaryDir work;
    for (const QByteArray& kind : {QByteArray("mixed"), QByteArray("small")}) {
        if (which != "both" && which != kind) {
            continue;
        }
        const QString tree = work.filePath(QString::fromLatin1(kind));
        TreeMaker maker(tree);
        if (kind == "mixed") {
            makeTree(maker, sizeMiB > 0 ? sizeMiB : 200);
        } else {
            makeSmallFilesTree(maker, sizeMiB > 0 ? sizeMiB : 230);
        }
        const qint64 afterTree = peakResidentKiB();
        std::printf("\n%s tree: %d files, %.1f MiB\n", kind.constData(), maker.files(),
                    double(maker.bytes()) / double(kMiB));
        const QString outputs = work.filePath(QString::fromLatin1(kind + "-out"));
        QDir().mkpath(outputs);
        std::printf("load average before measuring: %s\n", loadAverage().constData());
        measure(tree, outputs);
        std::printf("load average after measuring: %s\n", loadAverage().constData());
        std::printf("\npeak resident memory: %lld KiB after making the tree, %lld KiB after measuring\n", afterTree,
                    peakResidentKiB());
        std::fflush(stdout);
        // Nothing is deleted before the last timed step of both trees (see measure()); the temporary folder goes
        // as the program ends.
    }
    return 0;
}
