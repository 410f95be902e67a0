#include "AppFixture.h"
#include "ExecutionFixture.h"
#include "FolderSnapshot.h"
#include "ProgramChoice.h"
#include "ReadOnlyMount.h"
#include "SmallDisk.h"
#include "ZipBuilder.h"
#include "backup/DataBackup.h"
#include "backup/ui/BackupWindow.h"
#include "execution/ui/ExecutedProjectsWindow.h"
#include "projects/ui/ExportProject.h"
#include "projects/ui/NewProjectWindow.h"
#include "projects/ui/UpdateProjectWindow.h"
#include "store/ProjectTable.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Every write that stores or hands out a package, on a disk that fills up half-way: the user reads the failure
// and the catalogue, its packages and the target stay as they were.
namespace {

constexpr qint64 kDisk = 8 << 20;
constexpr qint64 kFree = 1 << 20;

// Bytes that do not shrink when packed, so a package is as large as its content.
QByteArray noise(qint64 size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// Project P1 "甲" with a ZIP package, in the catalogue of the current application folder.
void addProject()
{
    ProjectRecord p;
    p.number = u"P1"_s;
    p.name = u"甲"_s;
    p.packageType = u"zip"_s;
    ProjectTable table;
    QVERIFY(table.open());
    QVERIFY(table.appendProject(p));
}

QString snapshotDifference(const FolderSnapshot& before, const QString& folder)
{
    return FolderSnapshot::of(folder).differencesFrom(before);
}

} // namespace

class FullDiskTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        if (!ReadOnlyMount::available())
            QSKIP(SmallDisk::unavailableReason());
    }

    void newAndUpdate_diskFillsWhileStoringThePackage()
    {
        AppFixture fx;
        addProject();
        fx.app.writeFile(u"data/P1.fd1"_s, "old package");
        const QString big = fx.app.writeFile(u"big.zip"_s, noise(3 << 20));
        SmallDisk disk(fx.app.filePath(u"data"_s), kDisk);
        QVERIFY(disk.isActive());
        QVERIFY(disk.leaveFree(kFree));
        const FolderSnapshot data = FolderSnapshot::of(fx.app.filePath(u"data"_s));

        {
            NewProjectWindow w;
            w.findChild<QLineEdit*>(u"名称编辑框"_s)->setText(u"大项目"_s);
            w.findChild<QLineEdit*>(u"文件包编辑框"_s)->setText(big);
            w.findChild<QPushButton*>(u"确定按钮"_s)->click();
        }
        {
            UpdateProjectWindow w(1);
            w.findChild<QLineEdit*>(u"文件包编辑框"_s)->setText(big);
            w.findChild<QPushButton*>(u"确定按钮"_s)->click();
        }
        QCOMPARE(fx.prompt.texts(), QStringList(2, u"项目包文件不存在或读取失败！"_s));
        const QString difference = snapshotDifference(data, fx.app.filePath(u"data"_s));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void export_diskFillsWhileWritingTheFile()
    {
        AppFixture fx;
        addProject();
        fx.app.writeFile(u"data/P1.fd1"_s, noise(3 << 20));
        fx.app.writeFile(u"out/甲 .zip"_s, "an earlier export");
        SmallDisk disk(fx.app.filePath(u"out"_s), kDisk);
        QVERIFY(disk.isActive());
        QVERIFY(disk.leaveFree(kFree));
        const FolderSnapshot out = FolderSnapshot::of(fx.app.filePath(u"out"_s));
        fx.prompt.queueSaveFile(fx.app.filePath(u"out/甲 .zip"_s));

        QVERIFY(!exportProject(1, nullptr));

        QCOMPARE(fx.prompt.texts(), QStringList{u"导出文件失败！"_s});
        const QString difference = snapshotDifference(out, fx.app.filePath(u"out"_s));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void backup_diskFills_targetFolderAsBefore()
    {
        AppFixture fx;
        fx.app.writeFile(u"data/P1.fd1"_s, noise(3 << 20));
        fx.app.writeFile(u"backups/FBak_1.fd2"_s, "an earlier backup");
        SmallDisk disk(fx.app.filePath(u"backups"_s), kDisk);
        QVERIFY(disk.isActive());
        QVERIFY(disk.leaveFree(kFree));
        const FolderSnapshot backups = FolderSnapshot::of(fx.app.filePath(u"backups"_s));
        BackupWindow w;
        fx.prompt.queueSaveFile(fx.app.filePath(u"backups/FBak_1.fd2"_s));
        w.findChild<QPushButton*>(u"导出按钮"_s)->click();
        QCOMPARE(fx.prompt.texts(), QStringList{u"导出数据失败！"_s});
        const QString difference = snapshotDifference(backups, fx.app.filePath(u"backups"_s));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void restore_diskFills_dataFolderAsBefore_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::newRow("the application folder on a small disk") << QString();
        // Moving in across file systems would copy, and a copy can stop half-way: nothing may be moved then.
        QTest::newRow("the data folder alone on a small disk") << u"data"_s;
    }

    void restore_diskFills_dataFolderAsBefore()
    {
        QFETCH(QString, disk);
        AppFixture fx;
        fx.app.writeFile(u"data/P1.fd1"_s, noise(3 << 20));
        QTemporaryDir elsewhere;
        const QString backup = elsewhere.filePath(u"FBak_1.fd2"_s);
        QVERIFY(DataBackup::backUp(backup));
        QFile::remove(fx.app.filePath(u"data/P1.fd1"_s));
        fx.app.writeFile(u"data/P1.fd1"_s, "the package of today");
        SmallDisk small(disk.isEmpty() ? fx.app.path() : fx.app.filePath(disk), kDisk);
        QVERIFY(small.isActive());
        QVERIFY(small.leaveFree(kFree));
        const FolderSnapshot data = FolderSnapshot::of(fx.app.filePath(u"data"_s));
        BackupWindow w;
        fx.prompt.queueAnswer(Prompt::Answer::Ok);
        fx.prompt.queueOpenFile(backup);
        w.findChild<QPushButton*>(u"导入按钮"_s)->click();
        QCOMPARE(fx.prompt.lastText(), u"导入数据库失败！"_s);
        const QString difference = snapshotDifference(data, fx.app.filePath(u"data"_s));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void zipBomb_refusedByExecuteAndRestoreBeforeAnythingIsWritten()
    {
        // 64 MiB of zeros packed into some 64 KiB, against a disk of 8 MiB.
        const QByteArray bomb =
            ZipBuilder().addFile("main.e", "program").addFile("zeros.bin", QByteArray(64 << 20, 0)).bytes();
        QVERIFY(bomb.size() < (1 << 20));
        ExecutionFixture fx;
        fx.addProject(u"P1"_s, u"zip"_s, bomb);
        {
            SmallDisk disk(fx.workRoot(), kDisk);
            QVERIFY(disk.isActive());
            fx.execute(u"P1"_s);
            QCOMPARE(fx.prompt.texts(), QStringList{u"解压程序文件包失败！"_s});
            QVERIFY(QDir(fx.workDir(u"P1"_s)).isEmpty());
        }
        fx.prompt.clear();
        const QString archive = fx.app.writeFile(u"bomb.fd2"_s, bomb);
        SmallDisk disk(fx.app.path(), kDisk);
        QVERIFY(disk.isActive());
        const FolderSnapshot data = FolderSnapshot::of(fx.app.filePath(u"data"_s));
        BackupWindow w;
        fx.prompt.queueAnswer(Prompt::Answer::Ok);
        fx.prompt.queueOpenFile(archive);
        w.findChild<QPushButton*>(u"导入按钮"_s)->click();
        QCOMPARE(fx.prompt.lastText(), u"导入数据库失败！"_s);
        const QString difference = snapshotDifference(data, fx.app.filePath(u"data"_s));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void updateBack_diskFillsWhileStoringThePackage_workAndLineKept()
    {
        ExecutionFixture fx;
        fx.addProject(u"P1"_s, u"zip"_s, ZipBuilder().addFile("main.e", "program").bytes());
        {
            ProgramChoice choice(u"main.e"_s);
            fx.execute(u"P1"_s);
        }
        fx.app.writeFile(u"work/P1/assets.bin"_s, noise(3 << 20));
        SmallDisk disk(fx.app.filePath(u"data"_s), kDisk);
        QVERIFY(disk.isActive());
        QVERIFY(disk.leaveFree(kFree));
        const FolderSnapshot data = FolderSnapshot::of(fx.app.filePath(u"data"_s));
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(fx.workDir(u"P1"_s) + u"(zip)"_s);

        QCOMPARE(fx.prompt.lastText(),
                 u"更新项目出错，项目文件包无法存入数据目录，工作文件仍保留在："_s + fx.workDir(u"P1"_s));
        const QString difference = snapshotDifference(data, fx.app.filePath(u"data"_s));
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        // The work stays where it was, still listed; nothing packed is left behind.
        QCOMPARE(QFileInfo(fx.workDir(u"P1"_s) + u"/assets.bin"_s).size(), qint64(3 << 20));
        QCOMPARE(ExecutionFixture::panel()->lines(), QStringList{fx.workDir(u"P1"_s) + u"(zip)"_s});
        QCOMPARE(QDir(fx.app.path()).entryList({u"*.update"_s, u".tallyra*"_s}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // Root ignores permission bits, so the place is made read-only by a read-only bind mount.
    void readOnlyPlace_messageAndNothingChanged_data()
    {
        QTest::addColumn<int>("write");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("new project, data folder read-only")
            << int(NewProject) << u"data"_s << u"项目包文件不存在或读取失败！"_s;
        QTest::newRow("update back, data folder read-only")
            << int(UpdateBack) << u"data"_s << u"更新项目出错，项目文件包无法存入数据目录，工作文件仍保留在：%1"_s;
        QTest::newRow("backup, target folder read-only") << int(Backup) << u"backups"_s << u"导出数据失败！"_s;
        QTest::newRow("restore, data folder read-only") << int(Restore) << u"data"_s << u"导入数据库失败！"_s;
        QTest::newRow("restore, application folder read-only") << int(Restore) << QString() << u"导入数据库失败！"_s;
    }

    void readOnlyPlace_messageAndNothingChanged()
    {
        QFETCH(int, write);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        ExecutionFixture fx;
        fx.addProject(u"P1"_s, u"zip"_s, ZipBuilder().addFile("main.e", "program").bytes());
        fx.app.writeFile(u"backups/FBak_1.fd2"_s, "an earlier backup");
        const QString package = fx.app.writeFile(u"new.zip"_s, ZipBuilder().addFile("main.e", "new").bytes());
        QTemporaryDir elsewhere;
        const QString backup = elsewhere.filePath(u"FBak_1.fd2"_s);
        if (write == Restore) {
            QVERIFY(DataBackup::backUp(backup));
            fx.app.writeFile(u"data/P2.fd1"_s, "a package of today");
            // So the restore has a file to replace: one the data folder holds unchanged it leaves alone.
            fx.app.writeFile(u"data/P1.fd1"_s, "P1 of today");
        } else if (write == UpdateBack) {
            ProgramChoice choice(u"main.e"_s);
            fx.execute(u"P1"_s);
            fx.app.writeFile(u"work/P1/notes.txt"_s, "today's work");
        }
        ReadOnlyMount readOnly(folder.isEmpty() ? fx.app.path() : fx.app.filePath(folder));
        QVERIFY(readOnly.isActive());
        FolderSnapshot before = FolderSnapshot::of(fx.app.path());

        if (write == NewProject) {
            NewProjectWindow w;
            w.findChild<QLineEdit*>(u"名称编辑框"_s)->setText(u"新项目"_s);
            w.findChild<QLineEdit*>(u"文件包编辑框"_s)->setText(package);
            w.findChild<QPushButton*>(u"确定按钮"_s)->click();
        } else if (write == UpdateBack) {
            fx.prompt.queueAnswer(Prompt::Answer::Yes);
            fx.clickUpdate(fx.workDir(u"P1"_s) + u"(zip)"_s);
        } else {
            BackupWindow w;
            if (write == Backup) {
                fx.prompt.queueSaveFile(fx.app.filePath(u"backups/FBak_1.fd2"_s));
                w.findChild<QPushButton*>(u"导出按钮"_s)->click();
            } else {
                fx.prompt.queueAnswer(Prompt::Answer::Ok);
                fx.prompt.queueOpenFile(backup);
                w.findChild<QPushButton*>(u"导入按钮"_s)->click();
            }
        }

        // Update back keeps the work in its folder and says where.
        QCOMPARE(fx.prompt.lastText(), write == UpdateBack ? message.arg(fx.workDir(u"P1"_s)) : message);
        fx.prompt.clear();
        const QString difference = FolderSnapshot::of(fx.app.path()).differencesFrom(before);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

private:
    enum Write { NewProject, UpdateBack, Backup, Restore };
};

TALLYRA_TEST_MAIN_WITH_MOUNTS(FullDiskTest)
#include "tst_full_disk.moc"
