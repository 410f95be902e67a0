#include "DiskTree.h"
#include "WindowsSkips.h"
#include "ZipBuilder.h"
#include "archive/CompressionChoice.h"
#include "archive/LibzipPath.h"
#include "archive/NativeFs.h"
#include "archive/ZipArchive.h"
#include "archive/ZipCoders.h"
#include "archive/ZipWriter.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// On Linux Info-ZIP or Python may be missing; a Windows build never finds them.
#ifdef Q_OS_WIN
#define TOOL_MISSING(linuxReason) WindowsSkips::kLinuxTools
#else
#define TOOL_MISSING(linuxReason) linuxReason
#endif

using namespace Qt::StringLiterals;

// Packing and unpacking as the program does it, and archives made by other tools.
class ZipRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void roundTrip_mixedTree_restoredByteForByte();
    void roundTrip_eachDeflaterAndInflater_restoredByteForByte_data();
    void roundTrip_eachDeflaterAndInflater_restoredByteForByte();
    void compress_result_readWholeByEveryTool_data();
    void compress_result_readWholeByEveryTool();
    void roundTrip_projectTree_keepsModesLinksAndTimes_data();
    void roundTrip_projectTree_keepsModesLinksAndTimes();
    void extract_unixModes_followArchiveUnderUmask_data();
    void extract_unixModes_followArchiveUnderUmask();
    void compress_archiveMode_usualForNewKeptWhenReplaced();
    void compress_readOnlyWritableAndFolder_recordedWithTheirModes();
    void compress_moreEntriesThanTheClassicEndRecordHolds_readByOtherTools();
    void compress_result_passesUnzipTestWithUtf8Names();
    void compress_compressedAndPlainFiles_storedAndDeflated();
    void compress_emptyFolder_validEmptyArchiveThatExtracts();
    void compress_existingArchive_replacedByNewContent();
    void compress_missingSource_failsAndWritesNothing();
    void compress_cancelled_oldArchiveIntactAndNoTemporaryLeft();
    void compress_progress_endsAtTotal();
    void compress_treeChangedWhilePacked_packedAgainOrRefused_data();
    void compress_treeChangedWhilePacked_packedAgainOrRefused();
    void pack_unpackableEntries_refusedAndNamed();
    void roundTrip_namesNotUtf8_comeBackByteForByte_data();
    void roundTrip_namesNotUtf8_comeBackByteForByte();

    void extract_infoZipArchive_extracts();
    void extract_pythonZipfileArchive_extracts();
    void extract_existingFiles_overwrittenOthersKept();
    void extract_emptyArchive_succeedsWithEmptyTarget();
    void extract_cancelled_targetAsBeforeOrAbsent();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    static bool hasTool(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }
    static int runTool(const QString& program, const QStringList& arguments, const QString& workDir,
                       QByteArray* output = nullptr);
    void makeMixedTree(const QString& root);
    void makeLargeFiles(const QString& root);
    void makeProjectTree(const QString& root, bool withOutsideLinks);

    QTemporaryDir m_dir;
};

int ZipRoundTripTest::runTool(const QString& program, const QStringList& arguments, const QString& workDir,
                              QByteArray* output)
{
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        return -1;
    }
    if (output) {
        *output = process.readAllStandardOutput();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void ZipRoundTripTest::init()
{
    ::umask(022); // the modes below are what a user with the usual umask gets
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void ZipRoundTripTest::cleanup()
{
    ZipCoders::setZlibOnly(false);
}

void ZipRoundTripTest::makeMixedTree(const QString& root)
{
    // Files made a while ago, so that a restored time cannot pass just because everything is new.
    const QDateTime past = QDateTime::currentDateTime().addDays(-3);
    QVERIFY(DiskTree::writeFile(root + u"/src/main.cpp"_s, DiskTree::text(20000, 1)));
    QFile old(root + u"/src/main.cpp"_s);
    QVERIFY(old.open(QIODevice::ReadWrite) && old.setFileTime(past, QFileDevice::FileModificationTime));
    QVERIFY(DiskTree::writeFile(root + u"/src/deep/er/still/x.h"_s, DiskTree::text(300, 2)));
    QVERIFY(DiskTree::writeFile(root + u"/文档/需求说明.txt"_s, DiskTree::text(5000, 3)));
    QVERIFY(DiskTree::writeFile(root + u"/empty.txt"_s, {}));
    QVERIFY(DiskTree::writeFile(root + u"/.hidden"_s, "secret"));
    QVERIFY(DiskTree::writeFile(root + u"/pictures/photo.jpg"_s, DiskTree::noise(300000, 4)));
    QVERIFY(DiskTree::writeFile(root + u"/big.bin"_s, DiskTree::noise(3 << 20, 5) + DiskTree::text(3 << 20, 6)));
    QVERIFY(QDir().mkpath(root + u"/空目录"_s));
    QVERIFY(QDir().mkpath(root + u"/build/out/empty"_s));
}

void ZipRoundTripTest::roundTrip_mixedTree_restoredByteForByte()
{
    makeMixedTree(path(u"source"_s));
    QCOMPARE(ZipArchive::compress(path(u"source"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out/target"_s)), ZipArchive::Outcome::Ok);

    const auto restored = DiskTree::snapshot(path(u"out/target"_s));
    QCOMPARE(restored, DiskTree::snapshot(path(u"source"_s)));
    QVERIFY(restored.value(u"big.bin"_s).size() > 4 << 20);
    QVERIFY(restored.contains(u"空目录/"_s));
    QVERIFY(restored.contains(u"build/out/empty/"_s));
    // ZIP keeps times to two seconds.
    const QDateTime written = QFileInfo(path(u"source/src/main.cpp"_s)).lastModified();
    QVERIFY(qAbs(QFileInfo(path(u"out/target/src/main.cpp"_s)).lastModified().secsTo(written)) <= 2);
}

// Files deflated in several pieces joined into one stream: sizes at the edges of a piece, pieces that shrink next to
// pieces that do not (stored blocks in the middle of the stream), and a long run of one byte.
void ZipRoundTripTest::makeLargeFiles(const QString& root)
{
    constexpr qsizetype kPiece = CompressionChoice::kPieceSize;
    QVERIFY(DiskTree::writeFile(root + u"/edges/one piece less a byte.txt"_s, DiskTree::text(kPiece - 1, 31)));
    QVERIFY(DiskTree::writeFile(root + u"/edges/one piece.txt"_s, DiskTree::text(kPiece, 32)));
    QVERIFY(DiskTree::writeFile(root + u"/edges/one piece and a byte.txt"_s, DiskTree::text(kPiece + 1, 33)));
    QVERIFY(DiskTree::writeFile(root + u"/edges/two pieces.txt"_s, DiskTree::text(2 * kPiece, 34)));
    QVERIFY(DiskTree::writeFile(root + u"/edges/many pieces.log"_s, DiskTree::text(5 * kPiece + 12345, 35)));
    QVERIFY(DiskTree::writeFile(root + u"/edges/zeros.img"_s, QByteArray(3 * kPiece + 7, '\0')));
    QVERIFY(DiskTree::writeFile(root + u"/edges/alternating.db"_s,
                                DiskTree::text(kPiece, 36) + DiskTree::noise(kPiece, 37) + DiskTree::text(kPiece, 38) +
                                    DiskTree::noise(kPiece / 3, 39) + DiskTree::text(1000, 40)));
}

void ZipRoundTripTest::roundTrip_eachDeflaterAndInflater_restoredByteForByte_data()
{
    QTest::addColumn<QString>("tree");
    QTest::newRow("mixed tree") << u"mixed"_s;
    QTest::newRow("files of several pieces") << u"large"_s;
}

// Packed with the program's own deflater and with zlib alone (what a build without libdeflate runs), each archive
// unpacked with the program's own inflater and with zlib's: the same tree every time, and libdeflate's archive is
// no larger than zlib's.
void ZipRoundTripTest::roundTrip_eachDeflaterAndInflater_restoredByteForByte()
{
    QFETCH(QString, tree);
    const QString source = path(u"source"_s);
    if (tree == u"mixed"_s) {
        makeMixedTree(source);
    } else {
        makeLargeFiles(source);
    }
    const auto expected = DiskTree::snapshot(source);
    for (const bool zlibPacks : {false, true}) {
        ZipCoders::setZlibOnly(zlibPacks);
        const QString archive = path(zlibPacks ? u"zlib.zip"_s : u"built.zip"_s);
        QCOMPARE(ZipArchive::compress(source, archive), ZipArchive::Outcome::Ok);
        for (const bool zlibUnpacks : {false, true}) {
            ZipCoders::setZlibOnly(zlibUnpacks);
            const QString target = path(u"out-%1-%2"_s.arg(int(zlibPacks)).arg(int(zlibUnpacks)));
            QCOMPARE(ZipArchive::extract(archive, target), ZipArchive::Outcome::Ok);
            QVERIFY2(DiskTree::snapshot(target) == expected, qPrintable(target));
        }
    }
    QVERIFY(QFileInfo(path(u"built.zip"_s)).size() <= QFileInfo(path(u"zlib.zip"_s)).size());
}

void ZipRoundTripTest::compress_result_readWholeByEveryTool_data()
{
    QTest::addColumn<QString>("tool");
    QTest::newRow("Info-ZIP unzip") << u"unzip"_s;
    QTest::newRow("bsdtar") << u"bsdtar"_s;
    QTest::newRow("7-Zip") << u"7z"_s;
    QTest::newRow("Python zipfile") << u"python3"_s;
}

// Other tools unpack what the program packed, every byte checked against the tree: files of one piece and of many,
// stored and deflated, empty folders, Chinese names.
void ZipRoundTripTest::compress_result_readWholeByEveryTool()
{
    QFETCH(QString, tool);
    if (!hasTool(tool)) {
        QSKIP(TOOL_MISSING(qPrintable(tool + u" is not installed (CI installs it)"_s)));
    }
    makeMixedTree(path(u"source"_s));
    makeLargeFiles(path(u"source"_s));
    QCOMPARE(ZipArchive::compress(path(u"source"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);

    const QString out = path(u"out"_s);
    QVERIFY(QDir().mkpath(out));
    QStringList arguments;
    if (tool == u"unzip"_s) {
        arguments = {u"-q"_s, path(u"p.zip"_s), u"-d"_s, out};
    } else if (tool == u"bsdtar"_s) {
        arguments = {u"-xf"_s, path(u"p.zip"_s), u"-C"_s, out};
    } else if (tool == u"7z"_s) {
        arguments = {u"x"_s, u"-y"_s, u"-bd"_s, u"-o"_s + out, path(u"p.zip"_s)};
    } else {
        arguments = {u"-c"_s, u"import zipfile, sys\nzipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])"_s,
                     path(u"p.zip"_s), out};
    }
    QCOMPARE(runTool(tool, arguments, m_dir.path()), 0);
    QCOMPARE(DiskTree::snapshot(out), DiskTree::snapshot(path(u"source"_s)));
}

// What project trees hold and "zip -r -y" keeps: executables, a read-only file, a private folder, an empty folder,
// links between files and to folders, all with times from long ago.
void ZipRoundTripTest::makeProjectTree(const QString& root, bool withOutsideLinks)
{
#ifdef Q_OS_WIN
    Q_UNUSED(root);
    Q_UNUSED(withOutsideLinks);
#else
    const qint64 longAgo = QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)).toSecsSinceEpoch();
    const auto file = [&](const QString& name, const QByteArray& content, int mode) {
        QVERIFY(DiskTree::writeFile(root + u'/' + name, content));
        QVERIFY(::chmod(QFile::encodeName(root + u'/' + name).constData(), mode_t(mode)) == 0);
    };
    const auto link = [&](const QString& name, const QString& target) {
        QVERIFY(QDir().mkpath(QFileInfo(root + u'/' + name).absolutePath()));
        QVERIFY(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(root + u'/' + name).constData()) ==
                0);
    };
    file(u"gradlew"_s, "#!/bin/sh\nexec java -jar gradle/wrapper.jar \"$@\"\n", 0755);
    file(u"LICENSE"_s, DiskTree::text(900, 21), 0444);
    file(u"src/主程序.java"_s, DiskTree::text(30000, 22), 0644);
    file(u"lib/libfoo.so.1"_s, DiskTree::noise(5000, 23), 0755);
    file(u"node_modules/tool/bin/tool.js"_s, "#!/usr/bin/env node\n", 0755);
    file(u"docs/guide/index.md"_s, DiskTree::text(2000, 24), 0644);
    file(u"secrets/key.txt"_s, "k", 0600);
    QVERIFY(::chmod(QFile::encodeName(root + u"/secrets"_s).constData(), 0700) == 0);
    QVERIFY(QDir().mkpath(root + u"/build/empty"_s));
    link(u"lib/libfoo.so"_s, u"libfoo.so.1"_s);
    link(u"node_modules/.bin/tool"_s, u"../tool/bin/tool.js"_s);
    link(u"manual"_s, u"docs/guide"_s);
    link(u"docs/self"_s, u"."_s); // followed, it would loop
    link(u"dangling"_s, u"build/not-yet-built"_s);
    if (withOutsideLinks) {
        link(u"abs"_s, u"/etc"_s);
        link(u"hosts"_s, u"/etc/hosts"_s);
        link(u"src/escape"_s, u"../../.."_s);
        link(u"loop"_s, u"loop"_s);
    }
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QVERIFY(NativeFs::setModified(it.next(), longAgo));
    }
    QVERIFY(NativeFs::setModified(root + u"/build/empty"_s, longAgo - 3600));
#endif
}

void ZipRoundTripTest::roundTrip_projectTree_keepsModesLinksAndTimes_data()
{
    QTest::addColumn<QString>("packer");
    QTest::addColumn<QString>("unpacker");
    QTest::newRow("ours, then ours") << u"ours"_s << u"ours"_s;
    QTest::newRow("zip -r -y, then ours") << u"zip"_s << u"ours"_s;
    QTest::newRow("ours, then unzip") << u"ours"_s << u"unzip"_s;
}

void ZipRoundTripTest::roundTrip_projectTree_keepsModesLinksAndTimes()
{
    QFETCH(QString, packer);
    QFETCH(QString, unpacker);
#ifdef Q_OS_WIN
    QSKIP(WindowsSkips::kLinks);
#endif
    if ((packer == u"zip"_s && !hasTool(u"zip"_s)) || (unpacker == u"unzip"_s && !hasTool(u"unzip"_s))) {
        QSKIP(TOOL_MISSING("zip or unzip is not installed (CI installs them)"));
    }
    // Info-ZIP keeps a link that leads out as it is, and such an archive is refused whole; ours leaves it out.
    const bool ours = packer == u"ours"_s;
    makeProjectTree(path(u"s"_s), ours);
    if (ours) {
        QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    } else {
        QCOMPARE(runTool(u"zip"_s, {u"-q"_s, u"-r"_s, u"-y"_s, path(u"p.zip"_s), u"."_s}, path(u"s"_s)), 0);
    }
    if (unpacker == u"ours"_s) {
        QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out/t"_s)), ZipArchive::Outcome::Ok);
    } else {
        QVERIFY(QDir().mkpath(path(u"out/t"_s))); // unzip makes one folder level only
        QCOMPARE(runTool(u"unzip"_s, {u"-q"_s, path(u"p.zip"_s), u"-d"_s, path(u"out/t"_s)}, m_dir.path()), 0);
    }

    QMap<QString, QString> expected = DiskTree::details(path(u"s"_s), {u"build/empty"_s});
    for (const QString& outside : {u"abs"_s, u"hosts"_s, u"src/escape"_s, u"loop"_s}) {
        QVERIFY(expected.remove(outside) == (ours ? 1 : 0));
    }
    const QMap<QString, QString> restored = DiskTree::details(path(u"out/t"_s), {u"build/empty"_s});
    QCOMPARE(restored.keys(), expected.keys());
    // unzip gives the links it makes the time of their making.
    const auto compared = [&](const QString& value) {
        return unpacker == u"unzip"_s && value.startsWith(u"link time "_s) ? u"link -> "_s + value.section(u" -> "_s, 1)
                                                                           : value;
    };
    for (auto entry = expected.cbegin(); entry != expected.cend(); ++entry) {
        QCOMPARE(entry.key() + u": "_s + compared(restored.value(entry.key())),
                 entry.key() + u": "_s + compared(entry.value()));
    }
    QVERIFY(expected.value(u"gradlew"_s).startsWith(u"file mode 755"_s));
    QCOMPARE(expected.value(u"manual"_s).section(u" -> "_s, 1), u"docs/guide"_s);

    // Packing what was unpacked gives the same archive content again.
    if (unpacker == u"ours"_s) {
        QCOMPARE(ZipArchive::compress(path(u"out/t"_s), path(u"again.zip"_s)), ZipArchive::Outcome::Ok);
        QCOMPARE(ZipArchive::extract(path(u"again.zip"_s), path(u"again"_s)), ZipArchive::Outcome::Ok);
        QCOMPARE(DiskTree::details(path(u"again"_s), {u"build/empty"_s}), restored);
    }
}

void ZipRoundTripTest::extract_unixModes_followArchiveUnderUmask_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<quint32>("archiveMode"); // 0: made on Windows, no Unix attributes
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("expected");

    QTest::newRow("executable") << QByteArray("run.sh") << 0100755u << 022 << 0755;
    QTest::newRow("executable, stricter umask") << QByteArray("run.sh") << 0100775u << 027 << 0750;
    QTest::newRow("set-id and sticky bits dropped") << QByteArray("run.sh") << 0107755u << 022 << 0755;
    QTest::newRow("read-only") << QByteArray("ro.txt") << 0100444u << 022 << 0444;
    QTest::newRow("owner always can read") << QByteArray("wo.txt") << 0100200u << 022 << 0600;
    QTest::newRow("no Unix attributes") << QByteArray("dos.txt") << 0u << 022 << 0644;
    QTest::newRow("no Unix attributes, stricter umask") << QByteArray("dos.txt") << 0u << 077 << 0600;
    QTest::newRow("private folder") << QByteArray("private/") << 040700u << 022 << 0700;
    QTest::newRow("world-writable sticky folder") << QByteArray("tmp/") << 041777u << 022 << 0755;
    QTest::newRow("folder the owner could not use") << QByteArray("shut/") << 040055u << 022 << 0755;
    QTest::newRow("folder without Unix attributes") << QByteArray("dos/") << 0u << 027 << 0750;
}

void ZipRoundTripTest::extract_unixModes_followArchiveUnderUmask()
{
    QFETCH(QByteArray, name);
    QFETCH(quint32, archiveMode);
    QFETCH(int, umask);
    QFETCH(int, expected);
    const bool folder = name.endsWith('/');
#ifdef Q_OS_WIN
    // Windows keeps no Unix modes: whatever the archive holds, a file comes out an ordinary file.
    expected = folder ? 0755 : 0644;
#endif
    ZipBuilder archive;
    if (archiveMode == 0) {
        archive.addFile(name, folder ? QByteArray() : "data");
    } else {
        archive.addUnix(name, folder ? QByteArray() : "data", archiveMode);
    }
    if (folder) {
        archive.addFile(name + "inside.txt", "x"); // the folder must stay usable while it is filled
    }
    QVERIFY(archive.writeTo(path(u"a.zip"_s)));

    ::umask(mode_t(umask));
    const ZipArchive::Outcome status = ZipArchive::extract(path(u"a.zip"_s), path(u"t"_s));
    ::umask(022);
    QCOMPARE(status, ZipArchive::Outcome::Ok);
    const NativeFs::Status restored =
        NativeFs::statusOf(path(u"t/"_s) + QString::fromUtf8(name.chopped(folder ? 1 : 0)));
    QCOMPARE(QString::number(restored.mode, 8), QString::number(expected, 8));
    if (folder) {
        QCOMPARE(DiskTree::readFile(path(u"t/"_s) + QString::fromUtf8(name) + u"inside.txt"_s), QByteArray("x"));
    }
}

void ZipRoundTripTest::compress_archiveMode_usualForNewKeptWhenReplaced()
{
#ifdef Q_OS_WIN
    QSKIP(WindowsSkips::kUnixModes);
#endif
    QVERIFY(DiskTree::writeFile(path(u"s/a.txt"_s), "a"));
    ::umask(027);
    const ZipArchive::Outcome status = ZipArchive::compress(path(u"s"_s), path(u"new.zip"_s));
    ::umask(022);
    QCOMPARE(status, ZipArchive::Outcome::Ok);
    QCOMPARE(QString::number(NativeFs::statusOf(path(u"new.zip"_s)).mode, 8), u"640"_s);

    QVERIFY(DiskTree::writeFile(path(u"shared.zip"_s), "old"));
    QVERIFY(::chmod(QFile::encodeName(path(u"shared.zip"_s)).constData(), 0664) == 0);
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"shared.zip"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(QString::number(NativeFs::statusOf(path(u"shared.zip"_s)).mode, 8), u"664"_s);
}

// The modes an archive records are the ones other systems give the files back: on Windows, where a file has no
// Unix mode, 0444 for a read-only file, 0644 for any other and 0755 for a folder.
void ZipRoundTripTest::compress_readOnlyWritableAndFolder_recordedWithTheirModes()
{
    QVERIFY(DiskTree::writeFile(path(u"s/notes.txt"_s), "notes"));
    QVERIFY(DiskTree::writeFile(path(u"s/ro.txt"_s), "fixed"));
    QVERIFY(QFile::setPermissions(path(u"s/ro.txt"_s),
                                  QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QVERIFY(QDir().mkpath(path(u"s/empty"_s)));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);

    int error = 0;
    zip_t* archive = zip_open(libzipPath(path(u"p.zip"_s)).constData(), ZIP_RDONLY, &error);
    QVERIFY(archive);
    QMap<QString, QString> modes;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        QCOMPARE(zip_file_get_external_attributes(archive, zip_uint64_t(i), 0, &system, &attributes), 0);
        QCOMPARE(int(system), ZIP_OPSYS_UNIX);
        modes.insert(QString::fromUtf8(zip_get_name(archive, zip_uint64_t(i), 0)),
                     QString::number(attributes >> 16, 8));
    }
    zip_close(archive);
    QCOMPARE(modes, (QMap<QString, QString>{
                        {u"empty/"_s, u"40755"_s}, {u"notes.txt"_s, u"100644"_s}, {u"ro.txt"_s, u"100444"_s}}));
    QVERIFY(QFile::setPermissions(path(u"s/ro.txt"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
}

void ZipRoundTripTest::compress_moreEntriesThanTheClassicEndRecordHolds_readByOtherTools()
{
    if (!hasTool(u"unzip"_s)) {
        QSKIP(TOOL_MISSING("unzip is not installed (CI installs it)"));
    }
    // 70,000 files would take long to make on disk; the writer is what decides the end records.
    constexpr int kEntries = 70000;
    ZipWriter writer(path(u"many.zip"_s));
    QVERIFY(writer.open());
    for (int i = 0; i < kEntries; ++i) {
        const ZipWriter::Entry entry{QByteArray("d/") + QByteArray::number(i), ZipWriter::kStored, 0100644u << 16,
                                     1700000000, 1};
        QVERIFY(writer.writeEntry(entry, ZipBuilder::crc32("x"), "x"));
    }
    QVERIFY(writer.finish());
    QCOMPARE(runTool(u"unzip"_s, {u"-tqq"_s, path(u"many.zip"_s)}, m_dir.path()), 0);
    QByteArray listing;
    QCOMPARE(runTool(u"unzip"_s, {u"-Z1"_s, path(u"many.zip"_s)}, m_dir.path(), &listing), 0);
    QCOMPARE(listing.count('\n'), kEntries);
}

void ZipRoundTripTest::compress_result_passesUnzipTestWithUtf8Names()
{
    if (!hasTool(u"unzip"_s)) {
        QSKIP(TOOL_MISSING("unzip is not installed (CI installs it)"));
    }
    makeMixedTree(path(u"source"_s));
    QCOMPARE(ZipArchive::compress(path(u"source"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(runTool(u"unzip"_s, {u"-tq"_s, path(u"p.zip"_s)}, m_dir.path()), 0);

    QByteArray listing;
    QCOMPARE(runTool(u"unzip"_s, {u"-Z1"_s, path(u"p.zip"_s)}, m_dir.path(), &listing), 0);
    const QStringList names = QString::fromUtf8(listing).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(names.contains(u"文档/需求说明.txt"_s));
    QVERIFY(names.contains(u"空目录/"_s));
    QVERIFY(names.contains(u"src/deep/er/still/x.h"_s));
    QVERIFY(!names.contains(u"src/"_s)); // folders with content need no entry of their own
}

void ZipRoundTripTest::compress_compressedAndPlainFiles_storedAndDeflated()
{
    if (!hasTool(u"python3"_s)) {
        QSKIP(TOOL_MISSING("python3 is not installed; it reads the methods back"));
    }
    QVERIFY(DiskTree::writeFile(path(u"s/a.png"_s), DiskTree::noise(100000, 7)));
    QVERIFY(DiskTree::writeFile(path(u"s/b.dat"_s), DiskTree::noise(400000, 8)));
    QVERIFY(DiskTree::writeFile(path(u"s/c.txt"_s), DiskTree::text(400000, 9)));
    // Deflating these would make them larger: four bytes become six, random bytes gain a few.
    QVERIFY(DiskTree::writeFile(path(u"s/d.txt"_s), "abcd"));
    QVERIFY(DiskTree::writeFile(path(u"s/e.bin"_s), DiskTree::noise(2000, 10)));
    QVERIFY(DiskTree::writeFile(path(u"s/f.txt"_s), DiskTree::text(3000, 11)));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);

    QByteArray listing;
    const QString script = u"import zipfile,sys\n"
                           "for i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.filename, i.compress_type)"_s;
    QCOMPARE(runTool(u"python3"_s, {u"-c"_s, script, path(u"p.zip"_s)}, m_dir.path(), &listing), 0);
    QCOMPARE(QString::fromUtf8(listing), u"a.png 0\nb.dat 0\nc.txt 8\nd.txt 0\ne.bin 0\nf.txt 8\n"_s);
}

void ZipRoundTripTest::compress_emptyFolder_validEmptyArchiveThatExtracts()
{
    QVERIFY(QDir().mkpath(path(u"empty"_s)));
    QCOMPARE(ZipArchive::compress(path(u"empty"_s), path(u"e.zip"_s)), ZipArchive::Outcome::Ok);
    const QByteArray archive = DiskTree::readFile(path(u"e.zip"_s));
    QCOMPARE(archive.size(), 22);
    QVERIFY(archive.startsWith("PK\x05\x06"));

    QCOMPARE(ZipArchive::extract(path(u"e.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);
    QVERIFY(DiskTree::snapshot(path(u"out"_s)).isEmpty());
}

void ZipRoundTripTest::compress_existingArchive_replacedByNewContent()
{
    QVERIFY(DiskTree::writeFile(path(u"p.zip"_s), "old archive"));
    QVERIFY(DiskTree::writeFile(path(u"s/new.txt"_s), "new"));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"out"_s)), (QMap<QString, QByteArray>{{u"new.txt"_s, "new"}}));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"p.zip"_s});
}

void ZipRoundTripTest::compress_missingSource_failsAndWritesNothing()
{
    QVERIFY(ZipArchive::compress(path(u"nowhere"_s), path(u"p.zip"_s)) != ZipArchive::Outcome::Ok);
    QVERIFY(DiskTree::writeFile(path(u"s/a.txt"_s), "a"));
    QVERIFY(ZipArchive::compress(path(u"s"_s), path(u"missing-folder/p.zip"_s)) != ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(m_dir.path()), (QMap<QString, QByteArray>{{u"s/"_s, {}}, {u"s/a.txt"_s, "a"}}));
}

void ZipRoundTripTest::compress_cancelled_oldArchiveIntactAndNoTemporaryLeft()
{
    QVERIFY(DiskTree::writeFile(path(u"p.zip"_s), "the old package"));
    makeMixedTree(path(u"s"_s));
    const auto before = DiskTree::snapshot(m_dir.path());

    int calls = 0;
    const auto cancelSoon = [&](qint64, qint64) { return ++calls < 3; };
    QVERIFY(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s), cancelSoon) != ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(m_dir.path()), before);
}

void ZipRoundTripTest::compress_progress_endsAtTotal()
{
    makeMixedTree(path(u"s"_s));
    QList<QPair<qint64, qint64>> reports;
    const auto record = [&](qint64 done, qint64 total) {
        reports.append({done, total});
        return true;
    };
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s), record), ZipArchive::Outcome::Ok);
    QVERIFY(reports.size() >= 2);
    const qint64 total = reports.constLast().second;
    QCOMPARE(reports.constLast().first, total);
    QVERIFY(total > 6 << 20);
    for (qsizetype i = 1; i < reports.size(); ++i) {
        QVERIFY(reports.at(i).first >= reports.at(i - 1).first);
    }

    reports.clear();
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s), record), ZipArchive::Outcome::Ok);
    QVERIFY(reports.size() >= 2);
    QCOMPARE(reports.constLast(), qMakePair(total, total));
}

void ZipRoundTripTest::compress_treeChangedWhilePacked_packedAgainOrRefused_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("changes"); // how many progress reports change the tree; -1: every one
    QTest::addColumn<ZipArchive::Outcome>("status");
    QTest::newRow("saved over by a rename") << u"save"_s << 1 << ZipArchive::Outcome::Ok;
    QTest::newRow("log appended to") << u"append"_s << 1 << ZipArchive::Outcome::Ok;
    QTest::newRow("large file rewritten in place, same size") << u"rewrite"_s << 1 << ZipArchive::Outcome::Ok;
    QTest::newRow("file added beside") << u"add"_s << 1 << ZipArchive::Outcome::Ok;
    QTest::newRow("log appended to all the time") << u"append"_s << -1 << ZipArchive::Outcome::Changing;
}

// Another program goes on working in the tree while it is packed: the archive holds the tree exactly as it is
// on disk afterwards, or, while it keeps changing, the old archive stays and nothing is left behind.
void ZipRoundTripTest::compress_treeChangedWhilePacked_packedAgainOrRefused()
{
    QFETCH(QString, change);
    QFETCH(int, changes);
    const QString data = path(u"s/data.db"_s);
    const QString log = path(u"s/log.txt"_s);
    QVERIFY(DiskTree::writeFile(data, DiskTree::text(3 << 20, 7)));
    QVERIFY(DiskTree::writeFile(log, "first line\n"));
    QVERIFY(DiskTree::writeFile(path(u"p.zip"_s), "the old package"));
    int changed = 0;
    const auto work = [&](qint64 done, qint64) {
        if (done == 0 || (changes >= 0 && changed >= changes)) {
            return true;
        }
        ++changed;
        QFile file(change == u"append" ? log : data);
        if (change == u"save") {
            DiskTree::writeFile(data + u".new"_s, DiskTree::text(3 << 20, 8 + changed));
            QFile::remove(data);
            QFile::rename(data + u".new"_s, data);
        } else if (change == u"append") {
            file.open(QIODevice::Append);
            file.write("line " + QByteArray::number(changed) + '\n');
        } else if (change == u"rewrite") {
            file.open(QIODevice::ReadWrite);
            file.write(DiskTree::text(3 << 20, 9));
        } else {
            DiskTree::writeFile(path(u"s/new.txt"_s), "made meanwhile");
        }
        return true;
    };

    QTEST(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s), work), "status");

    QVERIFY(changed > 0);
    if (changes < 0) {
        QCOMPARE(DiskTree::readFile(path(u"p.zip"_s)), QByteArray("the old package"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"p.zip"_s});
        return;
    }
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"out"_s)), DiskTree::snapshot(path(u"s"_s)));
}

// What no archive can carry back is named, and packing for work that must come back whole writes nothing.
void ZipRoundTripTest::pack_unpackableEntries_refusedAndNamed()
{
#ifdef Q_OS_WIN
    QSKIP(WindowsSkips::kPipes);
#else
    QVERIFY(DiskTree::writeFile(path(u"s/main.c"_s), "int main;"));
    QVERIFY(::symlink("/etc/hosts", QFile::encodeName(path(u"s/hosts"_s)).constData()) == 0);
    QVERIFY(QDir().mkpath(path(u"s/sub"_s)));
    QVERIFY(::symlink("../../x", QFile::encodeName(path(u"s/sub/out"_s)).constData()) == 0);
    QVERIFY(::mkfifo(QFile::encodeName(path(u"s/pipe"_s)).constData(), 0600) == 0);
    QVERIFY(DiskTree::writeFile(path(u"p.zip"_s), "the old package"));

    ZipArchive::PackOptions refuse;
    refuse.refuseUnpackable = true;
    const ZipArchive::Packing refused = ZipArchive::pack(path(u"s"_s), path(u"p.zip"_s), refuse);
    QCOMPARE(refused.status, ZipArchive::Outcome::Unpackable);
    QCOMPARE(refused.unpackable, QStringList({u"hosts"_s, u"pipe"_s, u"sub/out"_s}));
    QCOMPARE(DiskTree::readFile(path(u"p.zip"_s)), QByteArray("the old package"));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"p.zip"_s});

    // Without the refusal (the backup) they are left out and the rest is packed.
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"out"_s)).keys(), QStringList({u"main.c"_s, u"sub/"_s}));
#endif
}

void ZipRoundTripTest::roundTrip_namesNotUtf8_comeBackByteForByte_data()
{
    QTest::addColumn<QByteArrayList>("names"); // as the file system holds them; a folder's ends with "/"
    const QByteArray gbk = QStringEncoder("GB18030").encode(u"需求说明"_s);
    QTest::newRow("file with a GBK name") << QByteArrayList{gbk + ".txt"};
    QTest::newRow("GBK folder with a UTF-8 file") << QByteArrayList{gbk + "/", gbk + "/说明.txt"};
    QTest::newRow("stray bytes of no code page") << QByteArrayList{"a\xff\xfe.bin", "\xc3(.txt"};
    // "誠" is D5 5C: its second byte is that of a backslash, which must neither split the name into a folder
    // nor make a file whose name ends in it a folder.
    const auto inFolder = [](const QString& name) {
        return QByteArray(QStringEncoder("GB18030").encode(u"子目录/"_s + name));
    };
    QTest::newRow("GBK names whose second byte is 0x5C")
        << QByteArrayList{inFolder(QString()), inFolder(u"誠.ini"_s), inFolder(u"誠"_s)};
}

// unzip of a Windows archive leaves names in the Chinese code page; such a file is packed under its own bytes
// and comes back under them, not under a name that only looks like it.
void ZipRoundTripTest::roundTrip_namesNotUtf8_comeBackByteForByte()
{
#ifdef Q_OS_WIN
    QSKIP(WindowsSkips::kByteNames);
#else
    QFETCH(QByteArrayList, names);
    QVERIFY(QDir().mkpath(path(u"s"_s)));
    const QByteArray root = QFile::encodeName(path(u"s"_s)) + '/';
    for (const QByteArray& name : names) {
        if (name.endsWith('/')) {
            QVERIFY(::mkdir(QByteArray(root + name).constData(), 0755) == 0);
            continue;
        }
        const int fd = ::open(QByteArray(root + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, name.constData(), size_t(name.size())), ssize_t(name.size()));
        ::close(fd);
    }

    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);

    const QByteArray out = QFile::encodeName(path(u"out"_s)) + '/';
    for (const QByteArray& name : names) {
        struct stat info
        {
        };
        QVERIFY2(::lstat(QByteArray(out + name).constData(), &info) == 0, name.toHex().constData());
        if (name.endsWith('/'))
            continue;
        QCOMPARE(qint64(info.st_size), qint64(name.size()));
    }
    QCOMPARE(runTool(u"unzip"_s, {u"-tq"_s, path(u"p.zip"_s)}, m_dir.path()), 0);
    // Qt cannot name such files to delete them.
    QVERIFY(NativeFs::removeTree(path(u"s"_s)) && NativeFs::removeTree(path(u"out"_s)));
#endif
}

void ZipRoundTripTest::extract_infoZipArchive_extracts()
{
    if (!hasTool(u"zip"_s)) {
        QSKIP(TOOL_MISSING("zip is not installed (CI installs it)"));
    }
    makeMixedTree(path(u"s"_s));
    QCOMPARE(runTool(u"zip"_s, {u"-q"_s, u"-r"_s, path(u"p.zip"_s), u"."_s}, path(u"s"_s)), 0);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"out"_s)), DiskTree::snapshot(path(u"s"_s)));
}

void ZipRoundTripTest::extract_pythonZipfileArchive_extracts()
{
    if (!hasTool(u"python3"_s)) {
        QSKIP(TOOL_MISSING("python3 is not installed"));
    }
    const QString script = uR"(import zipfile, sys
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('readme.txt', 'hello ' * 1000, zipfile.ZIP_DEFLATED)
    z.writestr('源码/主程序.e', b'\x00\x01\x02' * 500, zipfile.ZIP_STORED)
    z.writestr('空/', '')
)"_s;
    QCOMPARE(runTool(u"python3"_s, {u"-c"_s, script, path(u"p.zip"_s)}, m_dir.path()), 0);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"out"_s)),
             (QMap<QString, QByteArray>{{u"readme.txt"_s, QByteArray("hello ").repeated(1000)},
                                        {u"源码/"_s, {}},
                                        {u"源码/主程序.e"_s, QByteArray("\x00\x01\x02", 3).repeated(500)},
                                        {u"空/"_s, {}}}));
}

void ZipRoundTripTest::extract_existingFiles_overwrittenOthersKept()
{
    QVERIFY(DiskTree::writeFile(path(u"s/a.txt"_s), "new a"));
    QVERIFY(DiskTree::writeFile(path(u"s/sub/b.txt"_s), "new b"));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    QVERIFY(DiskTree::writeFile(path(u"t/a.txt"_s), "old a, longer than the new one"));
    QVERIFY(DiskTree::writeFile(path(u"t/keep.txt"_s), "kept"));

    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"t"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)),
             (QMap<QString, QByteArray>{
                 {u"a.txt"_s, "new a"}, {u"keep.txt"_s, "kept"}, {u"sub/"_s, {}}, {u"sub/b.txt"_s, "new b"}}));
}

void ZipRoundTripTest::extract_emptyArchive_succeedsWithEmptyTarget()
{
    QVERIFY(DiskTree::writeFile(path(u"e.zip"_s), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')));
    QCOMPARE(ZipArchive::extract(path(u"e.zip"_s), path(u"out"_s)), ZipArchive::Outcome::Ok);
    QVERIFY(QFileInfo(path(u"out"_s)).isDir());
    QVERIFY(DiskTree::snapshot(path(u"out"_s)).isEmpty());
}

void ZipRoundTripTest::extract_cancelled_targetAsBeforeOrAbsent()
{
    makeMixedTree(path(u"s"_s));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::Outcome::Ok);
    QVERIFY(DiskTree::writeFile(path(u"t/big.bin"_s), "old"));
    QVERIFY(DiskTree::writeFile(path(u"t/mine.txt"_s), "mine"));
    const auto before = DiskTree::snapshot(path(u"t"_s));

    const auto cancelAtOnce = [](qint64, qint64) { return false; };
    QVERIFY(ZipArchive::extract(path(u"p.zip"_s), path(u"t"_s), cancelAtOnce) != ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)), before);

    // Cancelling once most bytes are written must undo them as well.
    const auto cancelLate = [](qint64 done, qint64 total) { return done < total / 2; };
    QVERIFY(ZipArchive::extract(path(u"p.zip"_s), path(u"t"_s), cancelLate) != ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)), before);
    QVERIFY(ZipArchive::extract(path(u"p.zip"_s), path(u"new/t"_s), cancelLate) != ZipArchive::Outcome::Ok);
    QVERIFY(!QFileInfo::exists(path(u"new/t"_s)));
}

QTEST_GUILESS_MAIN(ZipRoundTripTest)
#include "tst_zip_round_trip.moc"
