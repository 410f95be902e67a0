#include "ExecutionFixture.h"
#include "ZipBuilder.h"
#include "archive/ZipArchive.h"
#include "execution/StrandedWork.h"
#include "execution/ui/ExecutedProjectsWindow.h"
#include "store/TableSchemas.h"
#include "ui/main/MainWindow.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Work left below the execution directory when the program ended comes back into the panel at the next start.
class StrandedWorkTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUp_workOfCatalogueProjectsListedAgain()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, ZipBuilder().addFile("main.e", "old").bytes());
        fx.addProject(u"P02"_s, u"e"_s, "module");
        fx.addProject(u"P03"_s, u"zip"_s, ZipBuilder().addFile("main.e", "old").bytes()); // lost its marker
        fx.addProject(u"P04"_s, u"dll"_s, "library");                                     // folder without its file
        fx.app.writeFile(u"work/P01/P_zip.TMP"_s, QByteArray());
        fx.app.writeFile(u"work/P01/main.e"_s, "new");
        fx.app.writeFile(u"work/P02/P02.e"_s, "worked module");
        fx.app.writeFile(u"work/P03/main.e"_s, "stray");
        fx.app.writeFile(u"work/P04/other.dll"_s, "stray");
        fx.app.writeFile(u"work/X99/P_zip.TMP"_s, QByteArray()); // unpacked work of a project gone for good
        fx.app.writeFile(u"work/P02.e"_s, "a file, not a folder");
        // Packed by update backs that did not get to store them (one of a project that is gone by now).
        fx.app.writeFile(u"P05.zip.update"_s, ZipBuilder().addFile("main.e", "packed").bytes());
        fx.app.writeFile(u"P05.zip(2).update"_s, ZipBuilder().addFile("main.e", "packed later").bytes());
        fx.app.writeFile(u"X98.e.update"_s, "packed module");
        // Half made by update backs that were killed: nobody's work.
        fx.app.writeFile(u".tallyra-zip-Ab12Cd.tmp"_s, "half a package");
        fx.app.writeFile(u".tallyra-update-Ab12Cd.tmp"_s, "half a module");
        fx.app.writeFile(u"work/.tallyra-removing-P06/main.e"_s, "half deleted");

        fx.mainWindow(); // start-up

        ExecutedProjectsWindow* panel = ExecutionFixture::panel();
        QVERIFY(panel);
        QVERIFY(panel->isVisible());
        const QStringList expected{fx.workDir(u"P01"_s) + u"(zip)"_s,
                                   fx.workDir(u"P02"_s) + u"/P02.e"_s,
                                   fx.workDir(u"P03"_s) + u"(zip)"_s,
                                   fx.workDir(u"X99"_s) + u"(zip)"_s,
                                   fx.app.filePath(u"P05.zip(2).update(未存入)"_s),
                                   fx.app.filePath(u"P05.zip.update(未存入)"_s),
                                   fx.app.filePath(u"X98.e.update(未存入)"_s)};
        QCOMPARE(panel->lines(), expected);
        QCOMPARE(QDir(fx.app.path()).entryList({u".tallyra*"_s}, QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(!QFileInfo::exists(fx.workRoot() + u"/.tallyra-removing-P06"_s));

        // A second scan lists nothing twice.
        fx.mainWindow()->listWork(StrandedWork::findLines());
        QCOMPARE(panel->lines(), expected);
    }

    void startUp_noStrandedWork_noPanel()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, ZipBuilder().addFile("main.e", "old").bytes());
        QDir().mkpath(fx.workDir(u"P01"_s));
        fx.mainWindow();
        QVERIFY(!ExecutionFixture::panel());
    }

    void startUp_blankOrMissingExecutionDir_noPanelNoMessage()
    {
        ExecutionFixture fx;
        fx.setExecutionDir(fx.app.filePath(u"nowhere"_s));
        fx.mainWindow();
        fx.setExecutionDir(u"  "_s);
        fx.mainWindow()->listWork(StrandedWork::findLines());
        QVERIFY(!ExecutionFixture::panel());
        QVERIFY(fx.prompt.messages().isEmpty());
    }

    // A package listed again is stored (its project re-made when it is gone) or thrown away like any work.
    void strandedPackage_updatedBackOrAbandoned_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<bool>("projectGone");
        QTest::newRow("updated back") << true << false;
        QTest::newRow("updated back, project gone") << true << true;
        QTest::newRow("abandoned") << false << false;
    }

    void strandedPackage_updatedBackOrAbandoned()
    {
        QFETCH(bool, update);
        QFETCH(bool, projectGone);
        ExecutionFixture fx;
        if (!projectGone)
            fx.addProject(u"P01"_s, u"e"_s, "old module");
        fx.app.writeFile(u"P01.e.update"_s, "packed module");
        fx.mainWindow();
        const QString line = fx.app.filePath(u"P01.e.update(未存入)"_s);
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        if (update)
            fx.clickUpdate(line);
        else
            fx.clickAbandon(line);

        QStringList texts{update ? u"您确定保存好了项目文件要进行更新吗？此操作将覆盖原有记录。"_s
                                 : u"您确定要放弃正在执行的项目操作吗？"_s};
        if (projectGone)
            texts.append(u"项目已不存在，系统将重建，请注意修改项目属性。"_s);
        if (update)
            texts.append(u"更新项目成功！"_s);
        QCOMPARE(fx.prompt.texts(), texts);
        QCOMPARE(fx.storedBytes(u"P01"_s), update ? QByteArray("packed module") : QByteArray("old module"));
        if (projectGone)
            QCOMPARE(fx.field(u"P01"_s, ProjectField::PackageType).toString(), u"e"_s);
        QVERIFY(!QFileInfo::exists(fx.app.filePath(u"P01.e.update"_s)));
        QVERIFY(!ExecutionFixture::panel());
        QVERIFY(QDir(fx.app.path()).exists());
    }

    void restoredZipWork_updatesBackLikeFreshWork()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s, ZipBuilder().addFile("main.e", "old").bytes());
        fx.app.writeFile(u"work/P01/P_zip.TMP"_s, QByteArray());
        fx.app.writeFile(u"work/P01/main.e"_s, "finished after a restart");
        fx.mainWindow();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(fx.workDir(u"P01"_s) + u"(zip)"_s);

        QCOMPARE(fx.prompt.lastText(), u"更新项目成功！"_s);
        QVERIFY(!QDir(fx.workDir(u"P01"_s)).exists());
        QTemporaryDir unpacked;
        QCOMPARE(ZipArchive::extract(fx.storedPackage(u"P01"_s), unpacked.path()), ZipArchive::Outcome::Ok);
        QFile main(unpacked.filePath(u"main.e"_s));
        QVERIFY(main.open(QIODevice::ReadOnly));
        QCOMPARE(main.readAll(), QByteArray("finished after a restart"));
    }
};

QTEST_MAIN(StrandedWorkTest)
#include "tst_stranded_work.moc"
