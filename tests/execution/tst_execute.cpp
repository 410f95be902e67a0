#include "ExecutionFixture.h"
#include "FolderSnapshot.h"
#include "HostileArchives.h"
#include "ProgramChoice.h"
#include "ReadOnlyMount.h"
#include "ZipBuilder.h"
#include "archive/NativeFs.h"
#include "execution/ui/ExecutedProjectsWindow.h"
#include "platform/TextCodec.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kCreateFailed = u"创建程序目录失败，可能有以下原因：\r\n\r\n  1.您所指定的程序执行目录无效\r\n"
                              u"  2.当前已存在该文件目录，请执行程序更新\r\n  3.磁盘具有只读属性"_s;

QStringList panelLines()
{
    ExecutedProjectsWindow* panel = ExecutionFixture::panel();
    return panel ? panel->lines() : QStringList();
}

} // namespace

class ExecuteTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void zipPackage_unpackedChosenFileOpenedAndZipLineListed_data()
    {
        QTest::addColumn<QString>("type");
        QTest::newRow("zip") << u"zip"_s;
        QTest::newRow("any letter case") << u"ZIP"_s;
    }

    void zipPackage_unpackedChosenFileOpenedAndZipLineListed()
    {
        QFETCH(QString, type);
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, type, ExecutionFixture::sourcePackage());
        ProgramChoice choice(u"main.e"_s);

        fx.execute(u"P01"_s);

        QVERIFY(choice.seen);
        QCOMPARE(choice.title, u"选择执行程序"_s);
        QCOMPARE(choice.objectName, u"ChooseProgramWindow"_s);
        QCOMPARE(choice.size, QSize(237, 278));
        QVERIFY(choice.toolWindow);
        QCOMPARE(choice.listSize, choice.size);
        // The folder first, then the files of the folder itself only: no sub-folder content, never the marker.
        QCOMPARE(choice.offered, QStringList({u"打开文件夹"_s, u"main.e"_s, u"readme.txt"_s}));

        const QString workDir = fx.workDir(u"P01"_s);
        QCOMPARE(fx.prompt.messages().size(), 0);
        QCOMPARE(fx.prompt.shellOpened, QStringList{workDir + u"/main.e"_s});
        QCOMPARE(panelLines(), QStringList{workDir + u"(zip)"_s});
        QCOMPARE(QFileInfo(workDir + u"/P_zip.TMP"_s).size(), 0);
        QVERIFY(QFileInfo(workDir + u"/P_zip.TMP"_s).isFile());
        QVERIFY(QFileInfo(workDir + u"/lib/util.e"_s).isFile());
        QCOMPARE(fx.storedBytes(u"P01"_s), ExecutionFixture::sourcePackage());
    }

    void singleFilePackage_copiedUnderNumberAndOpened_data()
    {
        QTest::addColumn<bool>("trailingSeparator");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("dir without separator") << false << u"e"_s << u"P01.e"_s;
        QTest::newRow("dir with separator") << true << u"e"_s << u"P01.e"_s;
        QTest::newRow("no type") << false << QString() << u"P01"_s;
    }

    void singleFilePackage_copiedUnderNumberAndOpened()
    {
        QFETCH(bool, trailingSeparator);
        QFETCH(QString, type);
        QFETCH(QString, fileName);
        ExecutionFixture fx;
        if (trailingSeparator)
            fx.setExecutionDir(fx.workRoot() + u'/');
        fx.addProject(u"P01"_s, type, "module bytes");

        fx.execute(u"P01"_s);

        const QString workFile = fx.workDir(u"P01"_s) + u'/' + fileName;
        QCOMPARE(fx.prompt.messages().size(), 0);
        QCOMPARE(fx.app.readFile(u"work/P01/"_s + fileName), QByteArray("module bytes"));
        QCOMPARE(fx.prompt.shellOpened, QStringList{workFile});
        QCOMPARE(panelLines(), QStringList{workFile});
        QCOMPARE(QDir(fx.workDir(u"P01"_s)).entryList(QDir::Files), QStringList{fileName});
    }

    void severalProjects_listedInOnePanelInOrder()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"e"_s, "one");
        fx.addProject(u"P02"_s, u"dll"_s, "two");
        fx.execute(u"P01"_s);
        ExecutedProjectsWindow* first = ExecutionFixture::panel();
        fx.execute(u"P02"_s);
        QCOMPARE(ExecutionFixture::panel(), first);
        QCOMPARE(panelLines(), QStringList({fx.workDir(u"P01"_s) + u"/P01.e"_s, fx.workDir(u"P02"_s) + u"/P02.dll"_s}));
    }

    void chooserClosedWithoutChoice_folderRemovedNothingListed()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, ExecutionFixture::sourcePackage());
        ProgramChoice choice{QString()};

        fx.execute(u"P01"_s);

        QVERIFY(choice.seen);
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QVERIFY(fx.prompt.shellOpened.isEmpty());
        QVERIFY(fx.prompt.messages().isEmpty());
        QVERIFY(!ExecutionFixture::panel());
    }

    void chineseEntryNamesWithoutUtf8Flag_offeredAndOpenedInChinese()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s,
                      ZipBuilder()
                          .addFile(TextCodec::encode(u"主程序.e"_s), "main")
                          .addFile(TextCodec::encode(u"说明.txt"_s), "doc")
                          .bytes());
        ProgramChoice choice(u"主程序.e"_s);

        fx.execute(u"P01"_s);

        QCOMPARE(choice.offered, QStringList({u"打开文件夹"_s, u"主程序.e"_s, u"说明.txt"_s}));
        const QString opened = fx.workDir(u"P01"_s) + u"/主程序.e"_s;
        QCOMPARE(fx.prompt.shellOpened, QStringList{opened});
        QCOMPARE(fx.app.readFile(u"work/P01/主程序.e"_s), QByteArray("main"));
    }

    // 选择执行程序 offers the folder itself first, then the files to open: those of the folder, or when it holds
    // none (the package keeps its content in a top folder), those below it by their relative paths.
    void chooser_offersTheFolderFirstThenTheFilesToOpen_data()
    {
        QTest::addColumn<QByteArray>("package");
        QTest::addColumn<QString>("choose");
        QTest::addColumn<QStringList>("offered"); // after "打开文件夹"; empty: not compared, see count
        QTest::addColumn<int>("count");
        QTest::addColumn<QByteArray>("opened"); // below the working folder, as the disk holds it; empty: the folder
        const QByteArray topFolder = ZipBuilder()
                                         .addFile("proj/src/main.c", "int main;")
                                         .addFile("proj/src/file10.c", "10")
                                         .addFile("proj/src/file2.c", "2")
                                         .addFile("proj/README.md", "# proj")
                                         .addFile("proj/.git/config", "[core]")
                                         .addFile("proj/Makefile", "all:")
                                         .addFile("proj/include/a.h", "#pragma once")
                                         .bytes();
        const QStringList inTopFolder{u"proj/Makefile"_s,    u"proj/README.md"_s,    u"proj/include/a.h"_s,
                                      u"proj/src/file2.c"_s, u"proj/src/file10.c"_s, u"proj/src/main.c"_s};
        QTest::newRow("files at the top") << ExecutionFixture::sourcePackage() << u"main.e"_s
                                          << QStringList({u"main.e"_s, u"readme.txt"_s}) << 3 << QByteArray("main.e");
        QTest::newRow("all in one top folder, a file chosen")
            << topFolder << u"proj/README.md"_s << inTopFolder << 7 << QByteArray("proj/README.md");
        QTest::newRow("the folder chosen") << topFolder << u"打开文件夹"_s << inTopFolder << 7 << QByteArray();
        // What unzip on Linux made of a Windows archive, packed back by a Unix tool: GBK bytes, no flag. "誠" ends
        // in 0x5C, the byte of a backslash, which must not split it into a folder.
        ZipBuilder gbk;
        for (const QString& name : {u"子目录/誠.ini"_s, u"子目录/说明.txt"_s})
            gbk.add(
                {TextCodec::encode(name), "[ini]", ZipBuilder::kStored, 0, ZipBuilder::kMadeOnUnix, 0100644u << 16});
        QTest::newRow("names in the Chinese code page")
            << gbk.bytes() << u"子目录/誠.ini"_s << QStringList({u"子目录/誠.ini"_s, u"子目录/说明.txt"_s}) << 3
#ifdef Q_OS_WIN
            << u"子目录/誠.ini"_s.toUtf8(); // Windows keeps names as text: the decoded name is the one on disk
#else
            << TextCodec::encode(u"子目录/誠.ini"_s);
#endif
        ZipBuilder many;
        for (int i = 1; i <= 600; ++i)
            many.addFile("proj/file" + QByteArray::number(i) + ".c", "x", ZipBuilder::kStored);
        QTest::newRow("more files than the list holds")
            << many.bytes() << u"proj/file2.c"_s << QStringList() << 501 << QByteArray("proj/file2.c");
        // A bulky folder gets no more than its share: the sources beside it are offered too.
        many.addFile("proj/src/main.c", "int main;");
        QTest::newRow("a bulky folder beside the sources")
            << many.bytes() << u"proj/src/main.c"_s << QStringList() << 501 << QByteArray("proj/src/main.c");
    }

    void chooser_offersTheFolderFirstThenTheFilesToOpen()
    {
        QFETCH(QByteArray, package);
        QFETCH(QString, choose);
        QFETCH(QStringList, offered);
        QFETCH(int, count);
        QFETCH(QByteArray, opened);
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, package);
        ProgramChoice choice(choose);

        fx.execute(u"P01"_s);

        QVERIFY(choice.seen);
        QCOMPARE(choice.offered.size(), count);
        QCOMPARE(choice.offered.first(), u"打开文件夹"_s);
        if (!offered.isEmpty())
            QCOMPARE(choice.offered.mid(1), offered);
        const QString workDir = fx.workDir(u"P01"_s);
        const QString path = opened.isEmpty() ? workDir : workDir + u'/' + NativeFs::decodeName(opened);
        QCOMPARE(fx.prompt.shellOpened, QStringList{path});
        QCOMPARE(NativeFs::statusOf(path).kind, opened.isEmpty() ? NativeFs::Kind::Folder : NativeFs::Kind::File);
        QCOMPARE(panelLines(), QStringList{workDir + u"(zip)"_s});
        QVERIFY(fx.prompt.messages().isEmpty());
        // Names Qt cannot spell are beyond the fixture's own clean-up.
        QVERIFY(NativeFs::removeTree(workDir));
    }

    void foreignButSoundPackage_unpackedWithItsNames_data()
    {
        QTest::addColumn<QByteArray>("package");
        QTest::addColumn<QStringList>("files");
        for (const HostileArchives::SoundCase& sound : HostileArchives::foreignButSound())
            QTest::newRow(sound.name) << sound.bytes << sound.files;
    }

    void foreignButSoundPackage_unpackedWithItsNames()
    {
        QFETCH(QByteArray, package);
        QFETCH(QStringList, files);
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, package);
        ProgramChoice choice(u"main.e"_s);

        fx.execute(u"P01"_s);

        QVERIFY(fx.prompt.messages().isEmpty());
        QCOMPARE(fx.prompt.shellOpened, QStringList{fx.workDir(u"P01"_s) + u"/main.e"_s});
        files << u"P_zip.TMP"_s; // the marker of a ZIP project being worked on
        files.sort();
        QCOMPARE(FolderSnapshot::of(fx.workDir(u"P01"_s)).fileNames(), files);
    }

    void sameProjectTwice_secondRefusedWithCreateFolderWarning()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"e"_s, "module bytes");
        fx.execute(u"P01"_s);
        fx.app.writeFile(u"work/P01/P01.e"_s, "edited");

        fx.execute(u"P01"_s);

        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Warning);
        QCOMPARE(fx.prompt.lastText(), kCreateFailed);
        QCOMPARE(fx.app.readFile(u"work/P01/P01.e"_s), QByteArray("edited"));
        QCOMPARE(panelLines().size(), 1);
    }

    void numberUnfitForAFolderName_createFolderWarningAndNothingOutside()
    {
        // A project made while no package was required may carry any number; its work must still stay
        // inside the execution directory.
        ExecutionFixture fx;
        fx.addProject(u"../outside"_s, u"e"_s, QByteArray());
        const QStringList before = QDir(fx.app.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        fx.execute(u"../outside"_s);
        QCOMPARE(fx.prompt.texts(), QStringList{kCreateFailed});
        QCOMPARE(QDir(fx.app.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QVERIFY(QDir(fx.workRoot()).isEmpty());
        QVERIFY(!ExecutionFixture::panel());
    }

    void nothingSelected_warnedAndNothingMade()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"e"_s, "module bytes");
        fx.execute(u"none"_s);
        QCOMPARE(fx.prompt.texts(), QStringList{u"请选择您要操作的项目！"_s});
        QVERIFY(QDir(fx.workRoot()).isEmpty());
    }

    void blankExecutionDir_warnedAndNothingMade_data()
    {
        QTest::addColumn<QString>("dir");
        QTest::newRow("empty") << QString();
        QTest::newRow("spaces") << u"   "_s;
    }

    void blankExecutionDir_warnedAndNothingMade()
    {
        QFETCH(QString, dir);
        ExecutionFixture fx;
        fx.setExecutionDir(dir);
        fx.addProject(u"P01"_s, u"e"_s, "module bytes");
        fx.execute(u"P01"_s);
        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Warning);
        QCOMPARE(fx.prompt.texts(), QStringList{u"您所指定的执行目录无效，请在系统设置中重新指定！"_s});
        QVERIFY(!ExecutionFixture::panel());
    }

    // A new installation executes in the folder 系统设置 shows, "run" beside the executable, made at its first
    // execute; no other missing folder is ever made.
    void defaultExecutionDir_madeAtTheFirstExecute_data()
    {
        QTest::addColumn<bool>("keyWritten");
        QTest::newRow("no setting") << false;
        QTest::newRow("the default written by 系统设置") << true;
    }

    void defaultExecutionDir_madeAtTheFirstExecute()
    {
        QFETCH(bool, keyWritten);
        ExecutionFixture fx;
        QVERIFY(QFile::remove(fx.app.filePath(u"Install.ini"_s)));
        if (keyWritten)
            fx.setExecutionDir(fx.app.filePath(u"run"_s));
        fx.addProject(u"P01"_s, u"e"_s, "module bytes");

        fx.execute(u"P01"_s);

        QVERIFY(fx.prompt.messages().isEmpty());
        const QString workFile = fx.app.filePath(u"run/P01/P01.e"_s);
        QCOMPARE(fx.app.readFile(u"run/P01/P01.e"_s), QByteArray("module bytes"));
        QCOMPARE(fx.prompt.shellOpened, QStringList{workFile});
        QCOMPARE(panelLines(), QStringList{workFile});
    }

    void missingExecutionDir_createFolderWarning()
    {
        ExecutionFixture fx;
        fx.setExecutionDir(fx.app.filePath(u"nowhere/deeper"_s));
        fx.addProject(u"P01"_s, u"e"_s, "module bytes");
        fx.execute(u"P01"_s);
        QCOMPARE(fx.prompt.texts(), QStringList{kCreateFailed});
        QVERIFY(!QFileInfo::exists(fx.app.filePath(u"nowhere"_s)));
        QVERIFY(!ExecutionFixture::panel());
    }

    void readOnlyExecutionDir_createFolderWarning()
    {
        if (!ReadOnlyMount::available())
            QSKIP(ReadOnlyMount::unavailableReason());
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, ExecutionFixture::sourcePackage());
        ReadOnlyMount readOnly(fx.workRoot());
        QVERIFY(readOnly.isActive());

        fx.execute(u"P01"_s);

        QCOMPARE(fx.prompt.texts(), QStringList{kCreateFailed});
        QVERIFY(!ExecutionFixture::panel());
        QCOMPARE(fx.storedBytes(u"P01"_s), ExecutionFixture::sourcePackage());
    }

    void unusableZipPackage_unpackErrorAndStoredPackageKept_data()
    {
        QTest::addColumn<QByteArray>("package");
        for (const HostileArchives::Case& hostile : HostileArchives::all())
            QTest::newRow(hostile.name) << hostile.bytes;
        QTest::newRow("not a zip, Chinese text") << QByteArray("这不是压缩包，只是文本。").append('\n');
        QTest::newRow("missing from data") << QByteArray();
    }

    void unusableZipPackage_unpackErrorAndStoredPackageKept()
    {
        QFETCH(QByteArray, package);
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, package);
        ProgramChoice choice(u"main.e"_s);

        fx.execute(u"P01"_s);

        QVERIFY(!choice.seen);
        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Error);
        QCOMPARE(fx.prompt.texts(), QStringList{u"解压程序文件包失败！"_s});
        QCOMPARE(fx.storedBytes(u"P01"_s), package);
        QCOMPARE(QFileInfo::exists(fx.storedPackage(u"P01"_s)), !package.isNull());
        QVERIFY(fx.prompt.shellOpened.isEmpty());
        QVERIFY(!ExecutionFixture::panel());
        QVERIFY(!QFileInfo::exists(fx.workRoot() + u"/outside.e"_s));
        QVERIFY(!QFileInfo::exists(u"/tmp/tallyra-outside.e"_s));
        // The folder made for the work goes again, so the project can be executed once it has a good package.
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
    }

    void emptyZipPackage_offersNothingAndLeavesNoFolder()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, ZipBuilder().bytes());
        ProgramChoice choice{QString()};

        fx.execute(u"P01"_s);

        if (!choice.seen) {
            // An archive without entries may also be refused as unusable; either way nothing is listed.
            QCOMPARE(fx.prompt.texts(), QStringList{u"解压程序文件包失败！"_s});
        } else {
            QCOMPARE(choice.offered, QStringList{u"打开文件夹"_s});
            QVERIFY(fx.prompt.messages().isEmpty());
            QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        }
        QVERIFY(!ExecutionFixture::panel());
        QCOMPARE(fx.storedBytes(u"P01"_s), ZipBuilder().bytes());
    }

    void missingSingleFilePackage_copyErrorAndNoFolderLeft()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"e"_s, QByteArray());
        fx.execute(u"P01"_s);
        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Error);
        QCOMPARE(fx.prompt.texts(), QStringList{u"复制文件出错！"_s});
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QVERIFY(!ExecutionFixture::panel());
    }
};

TALLYRA_TEST_MAIN_WITH_MOUNTS(ExecuteTest)
#include "tst_execute.moc"
