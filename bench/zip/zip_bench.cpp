// Times compress and extract against Info-ZIP's zip and unzip on one generated tree, in one run, so that the
// ratios hold on a busy machine where absolute times do not. Run: zip_bench [size in MB, default 200].

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

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMiB = 1024 * 1024;
constexpr int kRuns = 3;

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
        write(name, size, [&](QByteArray& chunk) {
            chunk.clear();
            while (chunk.size() < kMiB) {
                chunk += words[m_random.bounded(quint32(words.size()))];
            }
        });
    }

    // Already compressed content (pictures, archives): incompressible bytes under a telling name.
    void noise(const QString& name, qint64 size)
    {
        write(name, size, [&](QByteArray& chunk) { fillRandom(chunk, kMiB); });
    }

    // Program binaries and databases: random pages mixed with repeated and sparse ones.
    void binary(const QString& name, qint64 size)
    {
        write(name, size, [&](QByteArray& chunk) {
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

    void write(const QString& name, qint64 size, const std::function<void(QByteArray&)>& nextChunk)
    {
        const QString path = m_root + u'/' + name;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            qFatal("cannot write %s", qPrintable(path));
        }
        QByteArray chunk;
        for (qint64 left = size; left > 0;) {
            nextChunk(chunk);
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

double seconds(const std::function<bool()>& work)
{
    QElapsedTimer clock;
    clock.start();
    if (!work()) {
        qFatal("a benchmark step failed");
    }
    return double(clock.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 totalMiB = argc > 1 ? QByteArray(argv[1]).toLongLong() : 200;
    if (QStandardPaths::findExecutable(u"zip"_s).isEmpty() || QStandardPaths::findExecutable(u"unzip"_s).isEmpty()) {
        std::fprintf(stderr, "needs zip and unzip: apt-get install -y zip unzip\n");
        return 2;
    }
    QTemporaryDir work;
    const QString tree = work.filePath(u"tree"_s);
    TreeMaker maker(tree);
    makeTree(maker, totalMiB);
    const qint64 afterTree = peakResidentKiB();
    std::printf("tree: %d files, %.1f MiB\n", maker.files(), double(maker.bytes()) / double(kMiB));

    const QString ours = work.filePath(u"ours.zip"_s);
    const QString theirs = work.filePath(u"theirs.zip"_s);
    const QString outOurs = work.filePath(u"out-ours"_s);
    const QString outTheirs = work.filePath(u"out-theirs"_s);
    std::vector<double> compressOurs, compressTheirs, extractOurs, extractTheirs;
    for (int i = 0; i < kRuns; ++i) {
        QFile::remove(ours);
        QFile::remove(theirs);
        compressOurs.push_back(seconds([&] { return ZipArchive::compress(tree, ours) == ZipArchive::kOk; }));
        compressTheirs.push_back(seconds([&] { return run(u"zip"_s, {u"-q"_s, u"-r"_s, theirs, u"."_s}, tree); }));

        // Both unpack the same archive, the one zip made, into a fresh folder.
        QDir(outOurs).removeRecursively();
        QDir(outTheirs).removeRecursively();
        QDir().mkpath(outTheirs);
        extractOurs.push_back(seconds([&] { return ZipArchive::extract(theirs, outOurs) == ZipArchive::kOk; }));
        extractTheirs.push_back(seconds([&] {
            return run(u"unzip"_s, {u"-q"_s, u"-o"_s, theirs, u"-d"_s, outTheirs}, tree);
        }));
    }
    const double cOurs = median(compressOurs), cTheirs = median(compressTheirs);
    const double eOurs = median(extractOurs), eTheirs = median(extractTheirs);
    const double sizeOurs = double(QFileInfo(ours).size()) / double(kMiB);
    const double sizeTheirs = double(QFileInfo(theirs).size()) / double(kMiB);

    std::printf("\n| median of %d         | tallyra   | zip/unzip | ratio |\n", kRuns);
    std::printf("|---------------------|-----------|-----------|-------|\n");
    std::printf("| compress time       | %7.2f s | %7.2f s | %5.2f |\n", cOurs, cTheirs, cOurs / cTheirs);
    std::printf("| archive size        | %6.1f MiB| %6.1f MiB| %5.3f |\n", sizeOurs, sizeTheirs, sizeOurs / sizeTheirs);
    std::printf("| extract time        | %7.2f s | %7.2f s | %5.2f |\n", eOurs, eTheirs, eOurs / eTheirs);
    std::printf("\npeak resident memory: %lld KiB after making the tree, %lld KiB at the end\n", afterTree,
                peakResidentKiB());
    return 0;
}
