#include "DiskTree.h"
#include "archive/ZipArchive.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Packing and unpacking as the program does it, and archives made by other tools.
class ZipRoundTripTest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void roundTrip_mixedTree_restoredByteForByte();
    void compress_result_passesUnzipTestWithUtf8Names();
    void compress_compressedAndPlainFiles_storedAndDeflated();
    void compress_emptyFolder_validEmptyArchiveThatExtracts();
    void compress_existingArchive_replacedByNewContent();
    void compress_missingSource_failsAndWritesNothing();
    void compress_cancelled_oldArchiveIntactAndNoTemporaryLeft();
    void compress_progress_endsAtTotal();

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
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
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
    QCOMPARE(ZipArchive::compress(path(u"source"_s), path(u"p.zip"_s)), ZipArchive::kOk);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out/target"_s)), ZipArchive::kOk);

    const auto restored = DiskTree::snapshot(path(u"out/target"_s));
    QCOMPARE(restored, DiskTree::snapshot(path(u"source"_s)));
    QVERIFY(restored.value(u"big.bin"_s).size() > 4 << 20);
    QVERIFY(restored.contains(u"空目录/"_s));
    QVERIFY(restored.contains(u"build/out/empty/"_s));
    // ZIP keeps times to two seconds.
    const QDateTime written = QFileInfo(path(u"source/src/main.cpp"_s)).lastModified();
    QVERIFY(qAbs(QFileInfo(path(u"out/target/src/main.cpp"_s)).lastModified().secsTo(written)) <= 2);
}

void ZipRoundTripTest::compress_result_passesUnzipTestWithUtf8Names()
{
    if (!hasTool(u"unzip"_s)) {
        QSKIP("unzip is not installed (CI installs it)");
    }
    makeMixedTree(path(u"source"_s));
    QCOMPARE(ZipArchive::compress(path(u"source"_s), path(u"p.zip"_s)), ZipArchive::kOk);
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
        QSKIP("python3 is not installed; it reads the methods back");
    }
    QVERIFY(DiskTree::writeFile(path(u"s/a.png"_s), DiskTree::noise(100000, 7)));
    QVERIFY(DiskTree::writeFile(path(u"s/b.dat"_s), DiskTree::noise(400000, 8)));
    QVERIFY(DiskTree::writeFile(path(u"s/c.txt"_s), DiskTree::text(400000, 9)));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::kOk);

    QByteArray listing;
    const QString script = u"import zipfile,sys\n"
                           "for i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.filename, i.compress_type)"_s;
    QCOMPARE(runTool(u"python3"_s, {u"-c"_s, script, path(u"p.zip"_s)}, m_dir.path(), &listing), 0);
    QCOMPARE(QString::fromUtf8(listing), u"a.png 0\nb.dat 0\nc.txt 8\n"_s);
}

void ZipRoundTripTest::compress_emptyFolder_validEmptyArchiveThatExtracts()
{
    QVERIFY(QDir().mkpath(path(u"empty"_s)));
    QCOMPARE(ZipArchive::compress(path(u"empty"_s), path(u"e.zip"_s)), ZipArchive::kOk);
    const QByteArray archive = DiskTree::readFile(path(u"e.zip"_s));
    QCOMPARE(archive.size(), 22);
    QVERIFY(archive.startsWith("PK\x05\x06"));

    QCOMPARE(ZipArchive::extract(path(u"e.zip"_s), path(u"out"_s)), ZipArchive::kOk);
    QVERIFY(DiskTree::snapshot(path(u"out"_s)).isEmpty());
}

void ZipRoundTripTest::compress_existingArchive_replacedByNewContent()
{
    QVERIFY(DiskTree::writeFile(path(u"p.zip"_s), "old archive"));
    QVERIFY(DiskTree::writeFile(path(u"s/new.txt"_s), "new"));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::kOk);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::kOk);
    QCOMPARE(DiskTree::snapshot(path(u"out"_s)), (QMap<QString, QByteArray>{{u"new.txt"_s, "new"}}));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"p.zip"_s});
}

void ZipRoundTripTest::compress_missingSource_failsAndWritesNothing()
{
    QVERIFY(ZipArchive::compress(path(u"nowhere"_s), path(u"p.zip"_s)) != ZipArchive::kOk);
    QVERIFY(DiskTree::writeFile(path(u"s/a.txt"_s), "a"));
    QVERIFY(ZipArchive::compress(path(u"s"_s), path(u"missing-folder/p.zip"_s)) != ZipArchive::kOk);
    QCOMPARE(DiskTree::snapshot(m_dir.path()), (QMap<QString, QByteArray>{{u"s/"_s, {}}, {u"s/a.txt"_s, "a"}}));
}

void ZipRoundTripTest::compress_cancelled_oldArchiveIntactAndNoTemporaryLeft()
{
    QVERIFY(DiskTree::writeFile(path(u"p.zip"_s), "the old package"));
    makeMixedTree(path(u"s"_s));
    const auto before = DiskTree::snapshot(m_dir.path());

    int calls = 0;
    const auto cancelSoon = [&](qint64, qint64) { return ++calls < 3; };
    QVERIFY(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s), cancelSoon) != ZipArchive::kOk);
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
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s), record), ZipArchive::kOk);
    QVERIFY(reports.size() >= 2);
    const qint64 total = reports.constLast().second;
    QCOMPARE(reports.constLast().first, total);
    QVERIFY(total > 6 << 20);
    for (qsizetype i = 1; i < reports.size(); ++i) {
        QVERIFY(reports.at(i).first >= reports.at(i - 1).first);
    }

    reports.clear();
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s), record), ZipArchive::kOk);
    QVERIFY(reports.size() >= 2);
    QCOMPARE(reports.constLast(), qMakePair(total, total));
}

void ZipRoundTripTest::extract_infoZipArchive_extracts()
{
    if (!hasTool(u"zip"_s)) {
        QSKIP("zip is not installed (CI installs it)");
    }
    makeMixedTree(path(u"s"_s));
    QCOMPARE(runTool(u"zip"_s, {u"-q"_s, u"-r"_s, path(u"p.zip"_s), u"."_s}, path(u"s"_s)), 0);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::kOk);
    QCOMPARE(DiskTree::snapshot(path(u"out"_s)), DiskTree::snapshot(path(u"s"_s)));
}

void ZipRoundTripTest::extract_pythonZipfileArchive_extracts()
{
    if (!hasTool(u"python3"_s)) {
        QSKIP("python3 is not installed");
    }
    const QString script = uR"(import zipfile, sys
with zipfile.ZipFile(sys.argv[1], 'w') as z:
    z.writestr('readme.txt', 'hello ' * 1000, zipfile.ZIP_DEFLATED)
    z.writestr('源码/主程序.e', b'\x00\x01\x02' * 500, zipfile.ZIP_STORED)
    z.writestr('空/', '')
)"_s;
    QCOMPARE(runTool(u"python3"_s, {u"-c"_s, script, path(u"p.zip"_s)}, m_dir.path()), 0);
    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"out"_s)), ZipArchive::kOk);
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
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::kOk);
    QVERIFY(DiskTree::writeFile(path(u"t/a.txt"_s), "old a, longer than the new one"));
    QVERIFY(DiskTree::writeFile(path(u"t/keep.txt"_s), "kept"));

    QCOMPARE(ZipArchive::extract(path(u"p.zip"_s), path(u"t"_s)), ZipArchive::kOk);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)),
             (QMap<QString, QByteArray>{
                 {u"a.txt"_s, "new a"}, {u"keep.txt"_s, "kept"}, {u"sub/"_s, {}}, {u"sub/b.txt"_s, "new b"}}));
}

void ZipRoundTripTest::extract_emptyArchive_succeedsWithEmptyTarget()
{
    QVERIFY(DiskTree::writeFile(path(u"e.zip"_s), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')));
    QCOMPARE(ZipArchive::extract(path(u"e.zip"_s), path(u"out"_s)), ZipArchive::kOk);
    QVERIFY(QFileInfo(path(u"out"_s)).isDir());
    QVERIFY(DiskTree::snapshot(path(u"out"_s)).isEmpty());
}

void ZipRoundTripTest::extract_cancelled_targetAsBeforeOrAbsent()
{
    makeMixedTree(path(u"s"_s));
    QCOMPARE(ZipArchive::compress(path(u"s"_s), path(u"p.zip"_s)), ZipArchive::kOk);
    QVERIFY(DiskTree::writeFile(path(u"t/big.bin"_s), "old"));
    QVERIFY(DiskTree::writeFile(path(u"t/mine.txt"_s), "mine"));
    const auto before = DiskTree::snapshot(path(u"t"_s));

    const auto cancelAtOnce = [](qint64, qint64) { return false; };
    QVERIFY(ZipArchive::extract(path(u"p.zip"_s), path(u"t"_s), cancelAtOnce) != ZipArchive::kOk);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)), before);

    // Cancelling once most bytes are written must undo them as well.
    const auto cancelLate = [](qint64 done, qint64 total) { return done < total / 2; };
    QVERIFY(ZipArchive::extract(path(u"p.zip"_s), path(u"t"_s), cancelLate) != ZipArchive::kOk);
    QCOMPARE(DiskTree::snapshot(path(u"t"_s)), before);
    QVERIFY(ZipArchive::extract(path(u"p.zip"_s), path(u"new/t"_s), cancelLate) != ZipArchive::kOk);
    QVERIFY(!QFileInfo::exists(path(u"new/t"_s)));
}

QTEST_GUILESS_MAIN(ZipRoundTripTest)
#include "tst_zip_round_trip.moc"
