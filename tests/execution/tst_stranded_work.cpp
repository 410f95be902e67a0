#include "ExecutionFixture.h"
#include "ZipBuilder.h"
#include "archive/ZipArchive.h"
#include "execution/ExecutedProjectsWindow.h"
#include "execution/StrandedWork.h"
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
        fx.addProject(u"P03"_s, u"zip"_s, ZipBuilder().addFile("main.e", "old").bytes()); // folder without marker
        fx.addProject(u"P04"_s, u"dll"_s, "library");                                     // folder without its file
        fx.app.writeFile(u"work/P01/P_zip.TMP"_s, QByteArray());
        fx.app.writeFile(u"work/P01/main.e"_s, "new");
        fx.app.writeFile(u"work/P02/P02.e"_s, "worked module");
        fx.app.writeFile(u"work/P03/main.e"_s, "stray");
        fx.app.writeFile(u"work/P04/other.dll"_s, "stray");
        fx.app.writeFile(u"work/X99/P_zip.TMP"_s, QByteArray()); // no such project
        fx.app.writeFile(u"work/P02.e"_s, "a file, not a folder");

        fx.mainWindow(); // start-up

        ExecutedProjectsWindow* panel = ExecutionFixture::panel();
        QVERIFY(panel);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->lines(), QStringList({fx.workDir(u"P01"_s) + u"(zip)"_s, fx.workDir(u"P02"_s) + u"/P02.e"_s}));

        // A second scan lists nothing twice.
        fx.mainWindow()->listWork(StrandedWork::findLines());
        QCOMPARE(panel->lines().size(), 2);
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
        QCOMPARE(ZipArchive::extract(fx.storedPackage(u"P01"_s), unpacked.path()), ZipArchive::kOk);
        QFile main(unpacked.filePath(u"main.e"_s));
        QVERIFY(main.open(QIODevice::ReadOnly));
        QCOMPARE(main.readAll(), QByteArray("finished after a restart"));
    }
};

QTEST_MAIN(StrandedWorkTest)
#include "tst_stranded_work.moc"
