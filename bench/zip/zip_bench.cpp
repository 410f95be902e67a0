// Times compress and extract against Info-ZIP's zip and unzip on generated trees, in one run, so that the ratios
// hold on a busy machine where absolute times do not. Two trees: "mixed" (source text, pictures, archives and a few
// large binaries, about 2,700 files) and "small" (about 11,000 small source files in nested folders, where the cost
// per entry counts more than the bytes). Run: zip_bench [mixed|small|both, default both] [size in MB, default 200
// for mixed and 230 for small].

#include "archive/ZipArchive.h"

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
    process.start(program, arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
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

struct Figures
{
    double compressOurs = 0, compressTheirs = 0, extractOurs = 0, extractTheirs = 0;
    double compressOursCpu = 0, compressTheirsCpu = 0, extractOursCpu = 0, extractTheirsCpu = 0;
    double sizeOurs = 0, sizeTheirs = 0;
};

// Nothing is deleted between timed steps: ext4 (without a journal, as here) scans past every inode freed in the
// last minutes before it hands out a new one, so whatever runs just after a deletion of thousands of files pays
// for it. Each step writes into fresh names, the order alternates, and written data is flushed before each step.
Figures measure(const QString& tree, const QString& work)
{
    std::vector<Time> compressOurs, compressTheirs, extractOurs, extractTheirs;
    QString ours;
    QString theirs;
    for (int i = 0; i < kRuns; ++i) {
        ours = work + u"/ours-%1.zip"_s.arg(i);
        theirs = work + u"/theirs-%1.zip"_s.arg(i);
        const QString outOurs = work + u"/out-ours-%1"_s.arg(i);
        const QString outTheirs = work + u"/out-theirs-%1"_s.arg(i);
        QDir().mkpath(outTheirs);
        const std::function<void()> packOurs = [&] {
            compressOurs.push_back(seconds([&] { return ZipArchive::compress(tree, ours) == ZipArchive::kOk; }));
        };
        const std::function<void()> packTheirs = [&] {
            compressTheirs.push_back(seconds([&] { return run(u"zip"_s, {u"-q"_s, u"-r"_s, theirs, u"."_s}, tree); }));
        };
        // Both unpack the same archive, the one zip made.
        const std::function<void()> unpackOurs = [&] {
            extractOurs.push_back(seconds([&] { return ZipArchive::extract(theirs, outOurs) == ZipArchive::kOk; }));
        };
        const std::function<void()> unpackTheirs = [&] {
            extractTheirs.push_back(seconds([&] {
                return run(u"unzip"_s, {u"-q"_s, u"-o"_s, theirs, u"-d"_s, outTheirs}, tree);
            }));
        };
        const bool oursFirst = i % 2 == 0;
        for (const auto& step : {oursFirst ? packOurs : packTheirs, oursFirst ? packTheirs : packOurs}) {
            flushWrites();
            step();
        }
        for (const auto& step : {oursFirst ? unpackOurs : unpackTheirs, oursFirst ? unpackTheirs : unpackOurs}) {
            flushWrites();
            step();
        }
    }
    Figures figures;
    figures.compressOurs = median(compressOurs, &Time::wall);
    figures.compressTheirs = median(compressTheirs, &Time::wall);
    figures.extractOurs = median(extractOurs, &Time::wall);
    figures.extractTheirs = median(extractTheirs, &Time::wall);
    figures.compressOursCpu = median(compressOurs, &Time::cpu);
    figures.compressTheirsCpu = median(compressTheirs, &Time::cpu);
    figures.extractOursCpu = median(extractOurs, &Time::cpu);
    figures.extractTheirsCpu = median(extractTheirs, &Time::cpu);
    figures.sizeOurs = double(QFileInfo(ours).size()) / double(kMiB);
    figures.sizeTheirs = double(QFileInfo(theirs).size()) / double(kMiB);
    return figures;
}

void print(const Figures& f)
{
    std::printf("\n| median of %d         | tallyra   | zip/unzip | ratio |\n", kRuns);
    std::printf("|---------------------|-----------|-----------|-------|\n");
    std::printf("| compress time       | %7.2f s | %7.2f s | %5.2f |\n", f.compressOurs, f.compressTheirs,
                f.compressOurs / f.compressTheirs);
    std::printf("| archive size        | %6.1f MiB| %6.1f MiB| %5.3f |\n", f.sizeOurs, f.sizeTheirs,
                f.sizeOurs / f.sizeTheirs);
    std::printf("| extract time        | %7.2f s | %7.2f s | %5.2f |\n", f.extractOurs, f.extractTheirs,
                f.extractOurs / f.extractTheirs);
    std::printf("| compress CPU time   | %7.2f s | %7.2f s | %5.2f |\n", f.compressOursCpu, f.compressTheirsCpu,
                f.compressOursCpu / f.compressTheirsCpu);
    std::printf("| extract CPU time    | %7.2f s | %7.2f s | %5.2f |\n", f.extractOursCpu, f.extractTheirsCpu,
                f.extractOursCpu / f.extractTheirsCpu);
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
        print(measure(tree, outputs));
        std::printf("\npeak resident memory: %lld KiB after making the tree, %lld KiB after measuring\n", afterTree,
                    peakResidentKiB());
        std::fflush(stdout);
        // Nothing is deleted before the last timed step of both trees (see measure()); the temporary folder goes
        // as the program ends.
    }
    return 0;
}
