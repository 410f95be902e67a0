#include "DiskTree.h"
#include "WindowsSkips.h"
#include "ZipBuilder.h"
#include "archive/FreeSpace.h"
#include "archive/ZipArchive.h"
#include "archive/ZipCoders.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Qt::StringLiterals;

namespace {

// Where a field lies in a local header and in a central directory record, and its width.
struct Field
{
    qsizetype local;
    qsizetype central;
    int bytes;
};
constexpr Field kMethod{8, 10, 2};
constexpr Field kCrc{14, 16, 4};
constexpr Field kSize{22, 24, 4}; // uncompressed

// The archive with one field of the named entry changed alike in its local header and its central record, as a
// tool that lies consistently would write it (libzip refuses headers that disagree).
QByteArray withField(QByteArray archive, const QByteArray& name, Field field, quint32 value)
{
    const auto patch = [&](const char* signature, qsizetype nameAt, qsizetype at) {
        for (qsizetype pos = archive.indexOf(signature); pos >= 0; pos = archive.indexOf(signature, pos + 1)) {
            if (archive.mid(pos + nameAt, name.size()) != name) {
                continue;
            }
            char* place = archive.data() + pos + at;
            field.bytes == 2 ? qToLittleEndian(quint16(value), place) : qToLittleEndian(value, place);
        }
    };
    patch("PK\x03\x04", 30, field.local);
    patch("PK\x01\x02", 46, field.central);
    return archive;
}

} // namespace

// Archives made elsewhere: names in other code pages, and archives that must be refused whole.
class ZipUnsafeArchivesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void extract_unsafeArchive_refusedAndNothingWritten_data();
    void extract_unsafeArchive_refusedAndNothingWritten();
    void extract_entryThroughLinkInTarget_refusedAndNothingWrittenOutside();
    void extract_contentLargerThanFreeSpace_refusedUntilItFits();

    void extract_gbkNamesWithoutFlag_getChineseNames();
    void extract_gbkNamesThatLookLikeUtf8_decodedAsOneArchive();
    void extract_loneGbkNameThatIsValidUtf8_getsChineseName();
    void extract_utf8NamesWithoutFlag_decodedAsUtf8();
    void extract_harmlessOddNames_normalisedBelowTarget();
    void extract_zip64EndRecords_extracts();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    static QByteArray gbk(const QString& text) { return TextCodec::encode(text); }

    QTemporaryDir m_dir;
};

void ZipUnsafeArchivesTest::init()
{
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

void ZipUnsafeArchivesTest::cleanup()
{
    FreeSpace::setQuery({});
    ZipCoders::setZlibOnly(false);
}

void ZipUnsafeArchivesTest::extract_unsafeArchive_refusedAndNothingWritten_data()
{
    QTest::addColumn<QByteArray>("archive");

    // Each archive starts with a harmless entry, so that writing before checking would show.
    const auto after = [](const ZipBuilder::Entry& bad) {
        return ZipBuilder().addFile("ok.txt", "fine").add(bad).bytes();
    };
    const auto file = [](const QByteArray& name) { return ZipBuilder::Entry{name, "evil", ZipBuilder::kStored}; };
    const auto unixMode = [](const QByteArray& name, quint32 mode) {
        return ZipBuilder::Entry{name, "x", ZipBuilder::kStored, 0, ZipBuilder::kMadeOnUnix, mode << 16};
    };

    QTest::newRow("absolute path") << after(file("/tmp/evil.txt"));
    QTest::newRow("drive letter") << after(file("C:/evil.txt"));
    QTest::newRow("drive letter, relative") << after(file("c:evil.txt"));
    QTest::newRow("dot-dot") << after(file("../evil.txt"));
    QTest::newRow("dot-dot inside") << after(file("a/b/../../../evil.txt"));
    QTest::newRow("dot-dot harmless-looking") << after(file("a/../evil.txt"));
    QTest::newRow("backslash climbing") << after(file("a\\..\\..\\evil.txt"));
    QTest::newRow("backslash absolute") << after(file("\\evil.txt"));
    QTest::newRow("empty name") << after(file(""));
    QTest::newRow("only dots") << after(file("./"));
    QTest::newRow("NUL in name") << after(file(QByteArray("evil.txt\0/../../x", 17)));
    // A link inside the tree is restored; one that can lead anywhere refuses the whole archive.
    const auto links = [](const QList<QPair<QByteArray, QByteArray>>& namesAndTargets) {
        ZipBuilder archive;
        archive.addFile("ok.txt", "fine");
        for (const auto& [name, target] : namesAndTargets) {
            archive.addLink(name, target);
        }
        return archive.bytes();
    };
    QTest::newRow("link, absolute target") << links({{"lib/libc.so", "/usr/lib/libc.so"}});
    QTest::newRow("link climbing out") << links({{"lib/up", "../../secret"}});
    QTest::newRow("link climbing out from the root") << links({{"parent", ".."}});
    QTest::newRow("link with backslashes") << links({{"lib/up", "..\\..\\secret"}});
    QTest::newRow("link with a drive letter") << links({{"c", "C:/Windows"}});
    QTest::newRow("empty link") << links({{"nothing", ""}});
    QTest::newRow("link chain leading out") << links({{"a", "b"}, {"b", "../outside"}});
    // Read as text, "d/up/../x" stays inside; followed, "up" is the root and ".." leaves it.
    QTest::newRow("link climbing through a link") << links({{"d/up", ".."}, {"d/e", "up/../x"}});
    QTest::newRow("link loop") << links({{"a", "b"}, {"b", "a"}});
    ZipBuilder::Entry linkBadCrc{"lib/up", "sub", ZipBuilder::kStored, 0, ZipBuilder::kMadeOnUnix, 0120777u << 16};
    linkBadCrc.wrongCrc = true;
    QTest::newRow("link with a wrong CRC") << after(linkBadCrc);
    QTest::newRow("entry written through a link")
        << ZipBuilder().addFile("ok.txt", "fine").addLink("lib", "sub").addFile("lib/evil.txt", "evil").bytes();
    QTest::newRow("entry written through a link, link last")
        << ZipBuilder().addFile("lib/evil.txt", "evil").addLink("lib", "/tmp").bytes();
    QTest::newRow("pipe") << after(unixMode("pipe", 0010644));
    QTest::newRow("character device") << after(unixMode("tty", 0020644));
    QTest::newRow("block device") << after(unixMode("disk", 0060644));
    QTest::newRow("socket") << after(unixMode("sock", 0140644));

    ZipBuilder::Entry encrypted = file("secret.txt");
    encrypted.flags = ZipBuilder::kEncryptedFlag;
    encrypted.data = QByteArray(12, 'k') + "ciphertext";
    QTest::newRow("encrypted") << after(encrypted);

    ZipBuilder::Entry unknownMethod = file("odd.bin");
    unknownMethod.method = 97; // WavPack: not something libzip inflates
    QTest::newRow("unsupported method") << after(unknownMethod);

    ZipBuilder::Entry badCrc{"big.txt", DiskTree::text(600000, 11), ZipBuilder::kDeflated};
    badCrc.wrongCrc = true;
    QTest::newRow("wrong CRC in last entry") << after(badCrc);

    // Unpacked into the stage before the damage shows: a folder under a name of bytes that are not UTF-8, which
    // only the file system's own calls can remove again.
    QTest::newRow("file-system name before a damaged entry")
        << ZipBuilder().addUnix("\x8a\x8b/x.txt", "x", 0100644).add(badCrc).bytes();

    ZipBuilder::Entry deflated{"data.txt", DiskTree::text(50000, 12), ZipBuilder::kDeflated};
    QByteArray damaged = after(deflated);
    damaged[damaged.indexOf("data.txt") + 400] ^= char(0x5A); // inside the deflate stream
    QTest::newRow("damaged deflate stream") << damaged;

    // Sizes and checksums that lie consistently in both headers: what inflating finds must agree with them.
    const QByteArray content = DiskTree::text(50000, 13);
    const QByteArray sound = ZipBuilder().addFile("ok.txt", "fine").addFile("data.txt", content).bytes();
    QTest::newRow("stated size smaller than the content") << withField(sound, "data.txt", kSize, 1000);
    QTest::newRow("stated size larger than the content") << withField(sound, "data.txt", kSize, 60000);
    const QByteArray storedSound = after({"data.bin", content, ZipBuilder::kStored});
    QTest::newRow("stored entry whose sizes differ") << withField(storedSound, "data.bin", kSize, 50010);
    ZipBuilder::Entry storedBadCrc{"data.bin", content, ZipBuilder::kStored};
    storedBadCrc.wrongCrc = true;
    QTest::newRow("wrong CRC in a stored entry") << after(storedBadCrc);
    // A deflate stream cut in half, stored by the builder and then declared deflated, with the whole content's size
    // and checksum.
    const QByteArray half = ZipBuilder::rawDeflate(content).left(ZipBuilder::rawDeflate(content).size() / 2);
    QByteArray cutStream = after({"data.txt", half, ZipBuilder::kStored});
    cutStream = withField(cutStream, "data.txt", kMethod, ZipBuilder::kDeflated);
    cutStream = withField(cutStream, "data.txt", kSize, quint32(content.size()));
    QTest::newRow("deflate stream that ends early")
        << withField(cutStream, "data.txt", kCrc, ZipBuilder::crc32(content));
    QByteArray notDeflate = after({"data.txt", DiskTree::noise(5000, 14), ZipBuilder::kStored});
    QTest::newRow("noise declared deflated") << withField(notDeflate, "data.txt", kMethod, ZipBuilder::kDeflated);

    const QByteArray whole = after(deflated);
    QTest::newRow("truncated") << whole.left(whole.size() - 30);
    QTest::newRow("cut in the middle") << whole.left(whole.size() / 2);
    QTest::newRow("not a ZIP at all") << QByteArray("这不是压缩文件, just text\n").repeated(20);
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("same file twice") << after(file("ok.txt"));
    QTest::newRow("file where a folder goes") << ZipBuilder().addFile("a", "x").addFile("a/b.txt", "y").bytes();
    QTest::newRow("folder with content") << after(file("folder/"));
}

void ZipUnsafeArchivesTest::extract_unsafeArchive_refusedAndNothingWritten()
{
    QFETCH(QByteArray, archive);
    QVERIFY(DiskTree::writeFile(path(u"bad.zip"_s), archive));
    QVERIFY(DiskTree::writeFile(path(u"existing/ok.txt"_s), "before"));
    QVERIFY(DiskTree::writeFile(path(u"existing/mine.txt"_s), "mine"));
    const auto before = DiskTree::snapshot(m_dir.path());

    // With the program's own inflater and with zlib's, which a build without ISA-L uses.
    for (const bool zlibOnly : {false, true}) {
        ZipCoders::setZlibOnly(zlibOnly);
        QVERIFY(ZipArchive::extract(path(u"bad.zip"_s), path(u"existing"_s)) != ZipArchive::Outcome::Ok);
        QVERIFY(ZipArchive::extract(path(u"bad.zip"_s), path(u"absent/target"_s)) != ZipArchive::Outcome::Ok);
        QCOMPARE(DiskTree::snapshot(m_dir.path()), before);
    }
    QVERIFY(!QFileInfo::exists(u"/tmp/evil.txt"_s) || DiskTree::readFile(u"/tmp/evil.txt"_s) != "evil");
}

void ZipUnsafeArchivesTest::extract_entryThroughLinkInTarget_refusedAndNothingWrittenOutside()
{
#ifdef Q_OS_WIN
    QSKIP(WindowsSkips::kLinks); // QFile::link makes a shortcut there, which no path leads through
#endif
    QVERIFY(QDir().mkpath(path(u"outside"_s)));
    QVERIFY(QDir().mkpath(path(u"target"_s)));
    QVERIFY(QFile::link(path(u"outside"_s), path(u"target/link"_s)));
    QVERIFY(ZipBuilder().addFile("link/evil.txt", "evil").writeTo(path(u"a.zip"_s)));

    QVERIFY(ZipArchive::extract(path(u"a.zip"_s), path(u"target"_s)) != ZipArchive::Outcome::Ok);
    QVERIFY(DiskTree::snapshot(path(u"outside"_s)).isEmpty());
    QCOMPARE(DiskTree::snapshot(path(u"target"_s)).keys(), QStringList{u"link"_s});

    // A link of the archive that leads through the target's link ends outside as well.
    QVERIFY(ZipBuilder().addFile("ok.txt", "fine").addLink("through", "link/x").writeTo(path(u"b.zip"_s)));
    QVERIFY(ZipArchive::extract(path(u"b.zip"_s), path(u"target"_s)) != ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"target"_s)).keys(), QStringList{u"link"_s});
}

void ZipUnsafeArchivesTest::extract_contentLargerThanFreeSpace_refusedUntilItFits()
{
    QVERIFY(ZipBuilder()
                .addFile("a.txt", DiskTree::text(40000, 1))
                .addFile("b.txt", DiskTree::text(30000, 2))
                .writeTo(path(u"a.zip"_s)));
    QString askedAbout;
    FreeSpace::setQuery([&](const QString& folder) {
        askedAbout = folder;
        return qint64(69999);
    });
    QVERIFY(ZipArchive::extract(path(u"a.zip"_s), path(u"new/target"_s)) != ZipArchive::Outcome::Ok);
    QCOMPARE(askedAbout, QDir(m_dir.path()).absolutePath()); // the nearest folder that exists
    QVERIFY(!QFileInfo::exists(path(u"new"_s)));

    FreeSpace::setQuery([](const QString&) { return qint64(70000); });
    QCOMPARE(ZipArchive::extract(path(u"a.zip"_s), path(u"new/target"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::readFile(path(u"new/target/b.txt"_s)), DiskTree::text(30000, 2));
}

void ZipUnsafeArchivesTest::extract_gbkNamesWithoutFlag_getChineseNames()
{
    // As packed on Chinese Windows: GBK bytes, no UTF-8 flag, often backslashes, made on DOS.
    QVERIFY(ZipBuilder()
                .addFile(gbk(u"项目资料\\"_s), {})
                .addFile(gbk(u"项目资料\\需求说明.txt"_s), "需求")
                .addFile(gbk(u"图标/主图标.ico"_s), "icon", ZipBuilder::kStored)
                .writeTo(path(u"a.zip"_s)));
    QCOMPARE(ZipArchive::extract(path(u"a.zip"_s), path(u"t"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)), (QMap<QString, QByteArray>{{u"图标/"_s, {}},
                                                                          {u"图标/主图标.ico"_s, "icon"},
                                                                          {u"项目资料/"_s, {}},
                                                                          {u"项目资料/需求说明.txt"_s, "需求"}}));
}

void ZipUnsafeArchivesTest::extract_gbkNamesThatLookLikeUtf8_decodedAsOneArchive()
{
    // The GBK bytes of "浣犲ソ" are exactly the UTF-8 bytes of "你好"; their neighbour shows the archive is GBK.
    // An entry that carries the UTF-8 flag stays UTF-8 all the same.
    QCOMPARE(gbk(u"浣犲ソ"_s), u"你好"_s.toUtf8());
    ZipBuilder::Entry flagged{u"标记.txt"_s.toUtf8(), "3", ZipBuilder::kStored, ZipBuilder::kUtf8Flag};
    QVERIFY(ZipBuilder()
                .addFile(gbk(u"浣犲ソ.txt"_s), "1")
                .addFile(gbk(u"中文.txt"_s), "2")
                .add(flagged)
                .writeTo(path(u"a.zip"_s)));
    QCOMPARE(ZipArchive::extract(path(u"a.zip"_s), path(u"t"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)),
             (QMap<QString, QByteArray>{{u"中文.txt"_s, "2"}, {u"标记.txt"_s, "3"}, {u"浣犲ソ.txt"_s, "1"}}));
}

void ZipUnsafeArchivesTest::extract_loneGbkNameThatIsValidUtf8_getsChineseName()
{
    // GBK "目录" is C4 BF C2 BC, which is also UTF-8 for "Ŀ¼".
    QCOMPARE(QString::fromUtf8(gbk(u"目录"_s)), u"Ŀ¼"_s);
    QVERIFY(ZipBuilder().addFile("readme.txt", "r").addFile(gbk(u"目录\\b.txt"_s), "b").writeTo(path(u"a.zip"_s)));
    QCOMPARE(ZipArchive::extract(path(u"a.zip"_s), path(u"t"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)),
             (QMap<QString, QByteArray>{{u"readme.txt"_s, "r"}, {u"目录/"_s, {}}, {u"目录/b.txt"_s, "b"}}));
}

void ZipUnsafeArchivesTest::extract_utf8NamesWithoutFlag_decodedAsUtf8()
{
    ZipBuilder::Entry flagged{u"标记.txt"_s.toUtf8(), "1", ZipBuilder::kStored, ZipBuilder::kUtf8Flag};
    QVERIFY(ZipBuilder().addFile(u"你好.txt"_s.toUtf8(), "2").add(flagged).writeTo(path(u"a.zip"_s)));
    QCOMPARE(ZipArchive::extract(path(u"a.zip"_s), path(u"t"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)), (QMap<QString, QByteArray>{{u"你好.txt"_s, "2"}, {u"标记.txt"_s, "1"}}));
}

void ZipUnsafeArchivesTest::extract_harmlessOddNames_normalisedBelowTarget()
{
    QVERIFY(ZipBuilder()
                .addFile("./a.txt", "a")
                .addFile("b//c/./d.txt", "d")
                .addFile("e\\f.txt", "f")
                .addUnix("run.sh", "#!/bin/sh\n", 0100755)
                .writeTo(path(u"a.zip"_s)));
    QCOMPARE(ZipArchive::extract(path(u"a.zip"_s), path(u"t"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)), (QMap<QString, QByteArray>{{u"a.txt"_s, "a"},
                                                                          {u"b/"_s, {}},
                                                                          {u"b/c/"_s, {}},
                                                                          {u"b/c/d.txt"_s, "d"},
                                                                          {u"e/"_s, {}},
                                                                          {u"e/f.txt"_s, "f"},
                                                                          {u"run.sh"_s, "#!/bin/sh\n"}}));
}

void ZipUnsafeArchivesTest::extract_zip64EndRecords_extracts()
{
    QVERIFY(
        ZipBuilder().addFile("a.txt", "a").addFile(gbk(u"目录/b.txt"_s), "b").useZip64End().writeTo(path(u"a.zip"_s)));
    QCOMPARE(ZipArchive::extract(path(u"a.zip"_s), path(u"t"_s)), ZipArchive::Outcome::Ok);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)),
             (QMap<QString, QByteArray>{{u"a.txt"_s, "a"}, {u"目录/"_s, {}}, {u"目录/b.txt"_s, "b"}}));
}

QTEST_GUILESS_MAIN(ZipUnsafeArchivesTest)
#include "tst_zip_unsafe_archives.moc"
