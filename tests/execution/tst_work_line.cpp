#include "execution/ExecutionPaths.h"
#include "execution/WorkLine.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The executed list keeps nothing but its lines, so every later step depends on reading them back right.
class WorkLineTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void executionDir_withOrWithoutSeparator_giveSameWorkDir()
    {
        const QString bare = ExecutionPaths::executionDirFrom(u"/home/me/work"_s);
        const QString slashed = ExecutionPaths::executionDirFrom(u"/home/me/work/"_s);
        QCOMPARE(bare, u"/home/me/work/"_s);
        QCOMPARE(ExecutionPaths::workDir(bare, u"P01"_s), ExecutionPaths::workDir(slashed, u"P01"_s));
        QCOMPARE(ExecutionPaths::workFile(bare, u"P01"_s, u"e"_s), u"/home/me/work/P01/P01.e"_s);
    }

    void executionDir_blankValue_isNoDirectory()
    {
        QVERIFY(ExecutionPaths::executionDirFrom(QString()).isEmpty());
        QVERIFY(ExecutionPaths::executionDirFrom(u"   "_s).isEmpty());
        // Only the blankness test trims; the path itself is used as it was written.
        QCOMPARE(ExecutionPaths::executionDirFrom(u" /w "_s), u" /w /"_s);
    }

    void parse_zipLine_givesFolderNumberAndZipType()
    {
        const QString caption = WorkLine::zipCaption(u"/home/me/work/P01"_s);
        QCOMPARE(caption, u"/home/me/work/P01(zip)"_s);
        const WorkLine line = WorkLine::parse(caption);
        QVERIFY(line.isZip());
        QCOMPARE(line.workingFolder(), u"/home/me/work/P01"_s);
        QCOMPARE(line.number(), u"P01"_s);
        QCOMPARE(line.type(), u"zip"_s);
    }

    void parse_fileLine_givesFolderNumberAndType_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("withoutExtension");
        QTest::newRow("module") << u"/w/P01/P01.e"_s << u"/w/P01"_s << u"P01"_s << u"e"_s << u"/w/P01/P01"_s;
        QTest::newRow("generated number") << u"/w/261207_093005/261207_093005.dll"_s << u"/w/261207_093005"_s
                                          << u"261207_093005"_s << u"dll"_s << u"/w/261207_093005/261207_093005"_s;
        QTest::newRow("dot in number") << u"/w/v1.2/v1.2.ec"_s << u"/w/v1.2"_s << u"v1.2"_s << u"ec"_s
                                       << u"/w/v1.2/v1.2"_s;
        QTest::newRow("empty type") << u"/w/P01/P01."_s << u"/w/P01"_s << u"P01"_s << QString() << u"/w/P01/P01"_s;
        QTest::newRow("no type") << u"/w/P01/P01"_s << u"/w/P01"_s << u"P01"_s << QString() << u"/w/P01/P01"_s;
        QTest::newRow("no type, dot in number")
            << u"/w/v1.2/v1.2"_s << u"/w/v1.2"_s << u"v1.2"_s << QString() << u"/w/v1.2/v1.2"_s;
        QTest::newRow("dot in a folder") << u"/my.work/P01/P01.e"_s << u"/my.work/P01"_s << u"P01"_s << u"e"_s
                                         << u"/my.work/P01/P01"_s;
        QTest::newRow("chinese") << u"/工作/项目一/项目一.易"_s << u"/工作/项目一"_s << u"项目一"_s << u"易"_s
                                 << u"/工作/项目一/项目一"_s;
    }

    void parse_fileLine_givesFolderNumberAndType()
    {
        QFETCH(QString, caption);
        const WorkLine line = WorkLine::parse(WorkLine::fileCaption(caption));
        QVERIFY(!line.isZip());
        QTEST(line.workingFolder(), "folder");
        QTEST(line.number(), "number");
        QTEST(line.type(), "type");
        QCOMPARE(line.workFile(), caption);
        QTEST(line.workFileWithoutExtension(), "withoutExtension");
    }

    void parse_packageLine_givesNumberAndTypeButNoFolder_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("type");
        QTest::newRow("zip work") << u"/app/P01.zip.update"_s << u"P01"_s << u"zip"_s;
        QTest::newRow("name taken before") << u"/app/P01.e(3).update"_s << u"P01"_s << u"e"_s;
        QTest::newRow("dot in number") << u"/app/v1.2.ec.update"_s << u"v1.2"_s << u"ec"_s;
        QTest::newRow("empty type") << u"/app/P01..update"_s << u"P01"_s << QString();
    }

    void parse_packageLine_givesNumberAndTypeButNoFolder()
    {
        QFETCH(QString, package);
        const WorkLine line = WorkLine::parse(WorkLine::packageCaption(package));
        QVERIFY(line.isPackage() && !line.isZip() && !line.isFile());
        QCOMPARE(line.package(), package);
        QTEST(line.number(), "number");
        QTEST(line.type(), "type");
        // Abandon and clean-up act on the working folder: a package line must name none.
        QVERIFY(line.workingFolder().isEmpty());
        QVERIFY(line.workFile().isEmpty());
    }

#ifdef Q_OS_WIN
    // A Windows user writes the execution directory with a drive letter and backslashes, with or without the
    // last one; the lines built from it read back to the same folder, number and type.
    void executionDir_driveLetterAndBackslashes_readBackAlike_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::newRow("closing backslash") << u"D:\\项目\\run\\"_s;
        QTest::newRow("no closing backslash") << u"D:\\项目\\run"_s;
        QTest::newRow("drive root") << u"D:\\"_s;
    }

    void executionDir_driveLetterAndBackslashes_readBackAlike()
    {
        QFETCH(QString, configured);
        const QString dir = ExecutionPaths::executionDirFrom(configured);
        QVERIFY(dir.startsWith(configured));
        const QString work = ExecutionPaths::workDir(dir, u"P01"_s);
        const WorkLine zip = WorkLine::parse(WorkLine::zipCaption(work));
        QVERIFY(zip.isZip());
        QCOMPARE(zip.workingFolder(), work);
        QCOMPARE(zip.number(), u"P01"_s);
        const WorkLine file = WorkLine::parse(WorkLine::fileCaption(ExecutionPaths::workFile(dir, u"P01"_s, u"e"_s)));
        QCOMPARE(file.workingFolder(), work);
        QCOMPARE(file.number(), u"P01"_s);
        QCOMPARE(file.type(), u"e"_s);
    }
#endif

    void parse_zipTestIsExactAndCaseSensitive()
    {
        QVERIFY(!WorkLine::parse(u"/w/P01(ZIP)"_s).isZip());
        QVERIFY(!WorkLine::parse(u"/w/P01/P01.zip"_s).isZip());
        QVERIFY(ExecutionPaths::isZipType(u"ZiP"_s));
    }
};

QTEST_GUILESS_MAIN(WorkLineTest)
#include "tst_work_line.moc"
