#include "DiskTree.h"
#include "ExecutionFixture.h"
#include "Modal.h"
#include "ProgramChoice.h"
#include "ReadOnlyMount.h"
#include "WindowsSkips.h"
#include "ZipBuilder.h"
#include "archive/NativeFs.h"
#include "archive/ZipArchive.h"
#include "execution/AbandonWork.h"
#include "execution/StrandedWork.h"
#include "execution/UpdateBack.h"
#include "execution/WorkLine.h"
#include "execution/ui/ExecutedProjectsWindow.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectTrash.h"
#include "store/TableSchemas.h"
#include "ui/common/WorkProgress.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kConfirmUpdate = u"您确定保存好了项目文件要进行更新吗？此操作将覆盖原有记录。"_s;
const QString kConfirmAbandon = u"您确定要放弃正在执行的项目操作吗？"_s;
const QString kUpdated = u"更新项目成功！"_s;
const QString kUnchangedFolderDeleted = u"工作目录没有变化，项目文件包保持原样，工作目录已删除。"_s;

// Every file of a stored ZIP package, by its path inside the archive.
QMap<QString, QByteArray> contentOf(const QString& package)
{
    QTemporaryDir target;
    QMap<QString, QByteArray> files;
    if (ZipArchive::extract(package, target.path()) != ZipArchive::Outcome::Ok)
        return files;
    const QDir root(target.path());
    QStringList pending{target.path()};
    while (!pending.isEmpty()) {
        const QDir dir(pending.takeFirst());
        const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        for (const QFileInfo& entry : entries) {
            if (entry.isDir()) {
                pending.append(entry.filePath());
                continue;
            }
            QFile file(entry.filePath());
            file.open(QIODevice::ReadOnly);
            files.insert(root.relativeFilePath(entry.filePath()), file.readAll());
        }
    }
    return files;
}

struct Killed
{
};

// Runs `work` with the process ending before its step `cutAt`, through the routine's own hook; answers the steps
// it took.
int endedBefore(int cutAt, const std::function<void()>& work, void (*setHook)(std::function<void()>))
{
    int steps = 0;
    setHook([&] {
        if (steps++ == cutAt)
            throw Killed{};
    });
    try {
        work();
    } catch (const Killed&) {
    }
    setHook({});
    return steps;
}

} // namespace

class UpdateBackTest : public QObject
{
    Q_OBJECT

private:
    // Executes P01 with a ZIP package and answers the choice with main.e; answers the list line.
    static QString executeZip(ExecutionFixture& fx, const QString& number = u"P01"_s)
    {
        fx.addProject(number, u"zip"_s, ExecutionFixture::sourcePackage());
        ProgramChoice choice(u"main.e"_s);
        fx.execute(number);
        return fx.workDir(number) + u"(zip)"_s;
    }

    static QString executeFile(ExecutionFixture& fx, const QString& number = u"P01"_s)
    {
        fx.addProject(number, u"e"_s, "module bytes");
        fx.execute(number);
        return fx.workDir(number) + u'/' + number + u".e"_s;
    }

    // The source package as the program itself packs it (update back, a folder added as a project).
    static QByteArray ownPackage()
    {
        QTemporaryDir tree;
        DiskTree::writeFile(tree.filePath(u"main.e"_s), "program text");
        DiskTree::writeFile(tree.filePath(u"readme.txt"_s), "notes");
        DiskTree::writeFile(tree.filePath(u"lib/util.e"_s), "helper");
        QTemporaryDir packed;
        if (ZipArchive::compress(tree.path(), packed.filePath(u"p.zip"_s)) != ZipArchive::Outcome::Ok)
            return {};
        return DiskTree::readFile(packed.filePath(u"p.zip"_s));
    }

    static QByteArray bytesOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
    }

    static void verifyPanelGone(QPointer<ExecutedProjectsWindow> panel)
    {
        QVERIFY(!ExecutionFixture::panel());
        QTRY_VERIFY(panel.isNull());
    }

private Q_SLOTS:
    void zipWork_updatedBack_storedPackageHoldsWorkAndRecordStamped()
    {
        ExecutionFixture fx;
        const QString line = executeZip(fx);
        fx.app.writeFile(u"work/P01/main.e"_s, "edited program");
        fx.app.writeFile(u"work/P01/新文件.txt"_s, "added");
        QPointer<ExecutedProjectsWindow> panel = ExecutionFixture::panel();
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmUpdate, kUpdated}));
        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Information);
        const QMap<QString, QByteArray> stored = contentOf(fx.storedPackage(u"P01"_s));
        QCOMPARE(stored.keys(), QStringList({u"lib/util.e"_s, u"main.e"_s, u"readme.txt"_s, u"新文件.txt"_s}));
        QCOMPARE(stored.value(u"main.e"_s), QByteArray("edited program"));
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QVERIFY(!QFileInfo::exists(fx.app.filePath(u"P01.fd1"_s)));
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::now());
        QCOMPARE(fx.field(u"P01"_s, ProjectField::StartTime).toDateTime(), ExecutionFixture::startDate());
        verifyPanelGone(panel);
    }

    void roundTrip_throughExecuteAndUpdateBack_keepsModesLinksTimesAndBytes()
    {
        ExecutionFixture fx;
        QTemporaryDir source;
        const QString root = source.path();
        QVERIFY(DiskTree::writeFile(root + u"/gradlew"_s, "#!/bin/sh\necho build\n"));
        QVERIFY(QFile::setPermissions(root + u"/gradlew"_s, QFile::Permissions(0x7755)));
        QVERIFY(QDir(root).mkpath(u"empty"_s));
        QVERIFY(DiskTree::writeFile(root + u"/lib/libfoo.so.1"_s, DiskTree::noise(5000, 1)));
        QVERIFY(QFile::link(u"libfoo.so.1"_s, root + u"/lib/libfoo.so"_s));
        QVERIFY(DiskTree::writeFile(root + u"/main.e"_s, "program text"));
        QVERIFY(DiskTree::writeFile(root + u"/old.txt"_s, "written long ago"));
        QFile old(root + u"/old.txt"_s);
        QVERIFY(old.open(QIODevice::ReadWrite));
        QVERIFY(old.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime));
        old.close();
        const QMap<QString, QString> expected = DiskTree::details(root, {u"empty"_s});
        QTemporaryDir packed;
        const QString package = packed.filePath(u"p.zip"_s);
        QCOMPARE(ZipArchive::compress(root, package), ZipArchive::Outcome::Ok);
        fx.addProject(u"P01"_s, u"zip"_s, DiskTree::readFile(package));
        {
            ProgramChoice choice(u"main.e"_s);
            fx.execute(u"P01"_s);
        }

        QMap<QString, QString> work = DiskTree::details(fx.workDir(u"P01"_s), {u"empty"_s});
        work.remove(u"P_zip.TMP"_s);
        QCOMPARE(work, expected);
        // Work that changed nothing is not packed again; a file taken away makes this a real update.
        QVERIFY(QFile::remove(fx.workDir(u"P01"_s) + u"/main.e"_s));
        QMap<QString, QString> expectedBack = expected;
        expectedBack.remove(u"main.e"_s);
        fx.prompt.queueAnswer(Prompt::Answer::Yes);
        fx.clickUpdate(fx.workDir(u"P01"_s) + u"(zip)"_s);
        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmUpdate, kUpdated}));
        QTemporaryDir back;
        QCOMPARE(ZipArchive::extract(fx.storedPackage(u"P01"_s), back.path()), ZipArchive::Outcome::Ok);
        QCOMPARE(DiskTree::details(back.path(), {u"empty"_s}), expectedBack);
    }

    void zipWork_projectsOwnMarkerFile_keptThroughExecuteAndUpdateBack()
    {
        ExecutionFixture fx;
        fx.addProject(u"P01"_s, u"zip"_s,
                      ZipBuilder().addFile("main.e", "program").addFile("P_zip.TMP", "the user's own file").bytes());
        {
            ProgramChoice choice(u"main.e"_s);
            fx.execute(u"P01"_s);
        }
        QCOMPARE(fx.app.readFile(u"work/P01/P_zip.TMP"_s), QByteArray("the user's own file"));
        fx.app.writeFile(u"work/P01/main.e"_s, "edited program");
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(fx.workDir(u"P01"_s) + u"(zip)"_s);

        QCOMPARE(fx.prompt.lastText(), kUpdated);
        QCOMPARE(contentOf(fx.storedPackage(u"P01"_s)).value(u"P_zip.TMP"_s), QByteArray("the user's own file"));
    }

    void zipWork_fileNamedInChineseCodePage_storedUnderItsBytesAndFolderGone()
    {
        ExecutionFixture fx;
        const QString line = executeZip(fx);
        // What unzip makes of a Windows archive: a name in GBK, which is no UTF-8.
#ifdef Q_OS_WIN
        QSKIP(WindowsSkips::kByteNames);
#endif
        const QByteArray name = QStringEncoder("GB18030").encode(u"需求说明.txt"_s);
        const QByteArray work = QFile::encodeName(fx.workDir(u"P01"_s)) + '/';
        const int fd = ::open(QByteArray(work + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "requirements", 12), ssize_t(12));
        ::close(fd);
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.lastText(), kUpdated);
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QTemporaryDir back;
        QCOMPARE(ZipArchive::extract(fx.storedPackage(u"P01"_s), back.path()), ZipArchive::Outcome::Ok);
#ifndef Q_OS_WIN
        struct stat info
        {
        };
        QVERIFY(::lstat(QByteArray(QFile::encodeName(back.path()) + '/' + name).constData(), &info) == 0);
        QCOMPARE(qint64(info.st_size), qint64(12));
#endif
        QVERIFY(NativeFs::removeTree(back.path()));
    }

    // What cannot be packed as it is on disk stops update back before anything is stored or deleted.
    void updateBack_workNotPackableWhole_folderAndLineKept_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("a log written all the time") << u"writer"_s << u"文件正在被其他程序修改，请关闭后再更新！"_s;
        const QString unpackable = u"以下文件无法打包（链接到项目目录以外、管道或设备），请移走后再更新："_s;
        QTest::newRow("a pipe and a link out") << u"pipe"_s << unpackable + u"\r\nlib/hosts\r\npipe"_s;
        QTest::newRow("seven links out: five named")
            << u"links"_s << unpackable + u"\r\nout1\r\nout2\r\nout3\r\nout4\r\nout5\r\n……"_s;
    }

    void updateBack_workNotPackableWhole_folderAndLineKept()
    {
        QFETCH(QString, content);
        ExecutionFixture fx;
        const QString line = executeZip(fx);
        const QString work = fx.workDir(u"P01"_s);
#ifdef Q_OS_WIN
        if (content == u"pipe")
            QSKIP(WindowsSkips::kPipes);
        if (content == u"links")
            QSKIP(WindowsSkips::kLinks);
#else
        const auto link = [&](const char* target, const QString& name) {
            return ::symlink(target, QFile::encodeName(work + u'/' + name).constData()) == 0;
        };
        if (content == u"pipe") {
            QVERIFY(::mkfifo(QFile::encodeName(work + u"/pipe"_s).constData(), 0600) == 0);
            QVERIFY(link("/etc/hosts", u"lib/hosts"_s));
        } else if (content == u"links") {
            for (int i = 1; i <= 7; ++i)
                QVERIFY(link("../..", u"out"_s + QString::number(i)));
        }
#endif
        // The program that was opened goes on writing its log while the work is packed: events get in at every
        // progress report, as on a slow disk, and each time it writes a line.
        QTimer writer;
        writer.setInterval(0);
        QObject::connect(&writer, &QTimer::timeout, &writer, [&] {
            QFile log(work + u"/app.log"_s);
            log.open(QIODevice::Append);
            log.write("another line\n");
        });
        if (content == u"writer") {
            writer.start();
            WorkProgress::setEventInterval(0);
        }
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);
        writer.stop();
        WorkProgress::setEventInterval(30);

        QCOMPARE(fx.prompt.messages().size(), 2);
        QTEST(fx.prompt.lastText(), "message");
        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Error);
        QCOMPARE(fx.storedBytes(u"P01"_s), ExecutionFixture::sourcePackage());
        QCOMPARE(fx.app.readFile(u"work/P01/main.e"_s), QByteArray("program text"));
        QVERIFY(QFileInfo(work + u"/P_zip.TMP"_s).isFile());
        QCOMPARE(ExecutionFixture::panel()->lines(), QStringList{line});
        QCOMPARE(QDir(fx.app.path()).entryList({u"*.update"_s, u".tallyra*"_s}, QDir::Files | QDir::Hidden),
                 QStringList());
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::startDate());
    }

    // The program ended (killed, power gone) before some step of update back: the next start finds the work
    // stored, or lists it again, and nothing half made is left. The real sequence is cut by its own hook.
    void updateBack_endedBeforeAnyStep_workStoredOrListedAgain_data()
    {
        QTest::addColumn<bool>("zip");
        QTest::addColumn<int>("cutAt"); // the step the process ends before
        const char* steps[] = {"packing",  "keeping the package before", "storing",
                               "stamping", "moving the folder aside",    "deleting the folder"};
        for (const bool zip : {true, false}) {
            for (int cut = 0; cut < 6; ++cut)
                QTest::addRow("%s, before %s", zip ? "zip work" : "file work", steps[cut]) << zip << cut;
        }
    }

    void updateBack_endedBeforeAnyStep_workStoredOrListedAgain()
    {
        QFETCH(bool, zip);
        QFETCH(int, cutAt);
        ExecutionFixture fx;
        const QString caption = zip ? executeZip(fx) : executeFile(fx);
        const QByteArray edited = "a day of work";
        fx.app.writeFile(zip ? u"work/P01/main.e"_s : u"work/P01/P01.e"_s, edited);
        const auto storedWork = [&] {
            return zip ? contentOf(fx.storedPackage(u"P01"_s)).value(u"main.e"_s) : fx.storedBytes(u"P01"_s);
        };
        const QByteArray original = storedWork();
        const QByteArray originalPackage = fx.storedBytes(u"P01"_s);
        // Wherever the update back ended, the package before it is in its place or in the history.
        const auto versionsOfOriginal = [&] {
            qsizetype found = 0;
            for (const PackageHistory::Version& version : PackageHistory::versions(u"P01"_s)) {
                QFile file(version.path);
                found += file.open(QIODevice::ReadOnly) && file.readAll() == originalPackage;
            }
            return found;
        };

        const int steps = endedBefore(
            cutAt,
            [&] {
                // A kill while the package is written leaves a part of it beside data/.
                if (cutAt == 0)
                    fx.app.writeFile(u".tallyra-zip-Ab12Cd.tmp"_s, "half a package");
                UpdateBack::run(WorkLine::parse(caption));
            },
            UpdateBack::setBeforeEachStep);
        QVERIFY(steps > cutAt);

        const QStringList listed = StrandedWork::findLines();

        // Work packed but not stored is listed once, by its folder; the package packed from it is kept in the
        // history rather than listed beside it.
        const bool packedNotStored = cutAt == 1 || cutAt == 2;
        QCOMPARE(listed, cutAt <= 4 ? QStringList{caption} : QStringList());
        const QList<PackageHistory::Version> versions = PackageHistory::versions(u"P01"_s);
        QCOMPARE(std::any_of(versions.cbegin(), versions.cend(),
                             [&](const PackageHistory::Version& v) {
                                 return (zip ? contentOf(v.path).value(u"main.e"_s) : bytesOf(v.path)) == edited;
                             }),
                 packedNotStored);
        QCOMPARE(storedWork(), cutAt >= 3 ? edited : original);
        QVERIFY(fx.storedBytes(u"P01"_s) == originalPackage || versionsOfOriginal() == 1);
        QCOMPARE(QDir(fx.app.path()).entryList(QDir::Files | QDir::Hidden), QStringList({u"Install.ini"_s}));
        QCOMPARE(QDir(fx.workRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 cutAt <= 4 ? QStringList{u"P01"_s} : QStringList());
        // Listed again, the work is updated back from where it lies; work the catalogue holds already is only
        // cleaned up.
        for (const QString& again : listed) {
            fx.mainWindow()->listWork({again});
            fx.prompt.clear();
            fx.prompt.queueAnswer(Prompt::Answer::Yes);
            fx.clickUpdate(again);
            QCOMPARE(fx.prompt.lastText(), cutAt >= 3 ? kUnchangedFolderDeleted : kUpdated);
        }
        QCOMPARE(storedWork(), edited);
        QCOMPARE(versionsOfOriginal(), 1);
    }

    void singleFileWork_otherFilesInFolder_deletedOnlyWhenUserSaysSo_data()
    {
        QTest::addColumn<bool>("deleteThem");
        QTest::newRow("yes: the folder goes") << true;
        QTest::newRow("no: the folder stays with them") << false;
    }

    void singleFileWork_otherFilesInFolder_deletedOnlyWhenUserSaysSo()
    {
        QFETCH(bool, deleteThem);
        ExecutionFixture fx;
        const QString line = executeFile(fx);
        fx.app.writeFile(u"work/P01/P01.e"_s, "edited module");
        fx.app.writeFile(u"work/P01/P01.exe"_s, "compiled program");
        fx.app.writeFile(u"work/P01/笔记/想法.txt"_s, "notes");
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);
        fx.prompt.queueAnswer(deleteThem ? Prompt::Answer::Yes : Prompt::Answer::No);

        fx.clickUpdate(line);

        const QString kept = u"更新项目成功！工作目录中的其他文件仍保留在："_s + fx.workDir(u"P01"_s);
        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmUpdate, u"该项目的工作目录中还有其他文件，要一并删除吗？"_s,
                                                 deleteThem ? kUpdated : kept}));
        QCOMPARE(fx.storedBytes(u"P01"_s), QByteArray("edited module"));
        QCOMPARE(QFileInfo::exists(fx.workDir(u"P01"_s)), !deleteThem);
        if (!deleteThem) {
            QCOMPARE(QDir(fx.workDir(u"P01"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList({u"P01.exe"_s, u"笔记"_s}));
            QCOMPARE(fx.app.readFile(u"work/P01/笔记/想法.txt"_s), QByteArray("notes"));
        }
        QVERIFY(!ExecutionFixture::panel());
    }

    void fileWork_updatedBack_storedPackageIsWorkedFile()
    {
        ExecutionFixture fx;
        const QString line = executeFile(fx);
        fx.app.writeFile(u"work/P01/P01.e"_s, "edited module");
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmUpdate, kUpdated}));
        QCOMPARE(fx.storedBytes(u"P01"_s), QByteArray("edited module"));
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QVERIFY(!QFileInfo::exists(fx.app.filePath(u"P01.fd1"_s)));
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::now());
    }

    void updateBack_answeredNoOrNothingSelected_nothingChanges()
    {
        ExecutionFixture fx;
        const QString line = executeFile(fx);
        fx.app.writeFile(u"work/P01/P01.e"_s, "edited module");
        fx.prompt.clear();

        fx.clickUpdate(QString());
        QVERIFY(fx.prompt.messages().isEmpty());

        fx.prompt.queueAnswer(Prompt::Answer::No);
        fx.clickUpdate(line);
        QCOMPARE(fx.prompt.texts(), QStringList{kConfirmUpdate});
        QCOMPARE(fx.storedBytes(u"P01"_s), QByteArray("module bytes"));
        QCOMPARE(fx.app.readFile(u"work/P01/P01.e"_s), QByteArray("edited module"));
        QCOMPARE(ExecutionFixture::panel()->lines(), QStringList{line});
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::startDate());
    }

    void projectDeletedMeanwhile_comesBackFromTheTrashOrIsRecreated_data()
    {
        QTest::addColumn<bool>("zip");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("trashEmptied"); // false: the project waits in the trash
        QTest::newRow("zip work, project in the trash") << true << u"zip"_s << false;
        QTest::newRow("file work, project in the trash") << false << u"e"_s << false;
        QTest::newRow("zip work, trash emptied") << true << u"zip"_s << true;
        QTest::newRow("file work, trash emptied") << false << u"e"_s << true;
    }

    void projectDeletedMeanwhile_comesBackFromTheTrashOrIsRecreated()
    {
        QFETCH(bool, zip);
        QFETCH(bool, trashEmptied);
        ExecutionFixture fx;
        const QString line = zip ? executeZip(fx) : executeFile(fx);
        fx.app.writeFile(zip ? u"work/P01/main.e"_s : u"work/P01/P01.e"_s, "edited");
        const QByteArray executedFrom = fx.storedBytes(u"P01"_s);
        fx.deleteProject(u"P01"_s);
        QCOMPARE(fx.projectCount(), 0);
        QVERIFY(!QFileInfo::exists(fx.storedPackage(u"P01"_s)));
        if (trashEmptied)
            QVERIFY(ProjectTrash::empty());
        // A start lists the work again: its project is in the trash, or it is unpacked work under its marker.
        QCOMPARE(StrandedWork::findLines(), zip || !trashEmptied ? QStringList{line} : QStringList());
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.texts(),
                 trashEmptied
                     ? QStringList({kConfirmUpdate, u"项目已不存在，系统将重建，请注意修改项目属性。"_s, kUpdated})
                     : QStringList({kConfirmUpdate, kUpdated}));
        QCOMPARE(fx.projectCount(), 1);
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::now());
        QTEST(fx.field(u"P01"_s, ProjectField::PackageType).toString(), "type");
        // The work survived the deletion of its project and package.
        QVERIFY(QFileInfo(fx.storedPackage(u"P01"_s)).size() > 0);
        if (!trashEmptied) {
            // Out of the trash with its own texts, not a stand-in; the package it was executed from is its history.
            QCOMPARE(fx.field(u"P01"_s, ProjectField::Name).toString(), u"项目P01"_s);
            QCOMPARE(fx.field(u"P01"_s, ProjectField::Version).toString(), u"2.3"_s);
            QCOMPARE(fx.field(u"P01"_s, ProjectField::StartTime).toDateTime(), ExecutionFixture::startDate());
            QVERIFY(ProjectTrash::entries().isEmpty());
            const QList<PackageHistory::Version> versions = PackageHistory::versions(u"P01"_s);
            QCOMPARE(versions.size(), 1);
            QCOMPARE(fx.app.readFile(QDir(fx.app.path()).relativeFilePath(versions.first().path)), executedFrom);
            QCOMPARE(child<ProjectListView>(fx.mainWindow())->item(0)->text(), u"项目P01 2.3"_s);
            return;
        }
        QCOMPARE(fx.prompt.messages().at(1).form, Prompt::Form::Warning);
        QCOMPARE(fx.field(u"P01"_s, ProjectField::Name).toString(), u"自动创建项目"_s);
        QCOMPARE(fx.field(u"P01"_s, ProjectField::Type).toInt(), 0);
        QCOMPARE(fx.field(u"P01"_s, ProjectField::Version).toString(), u"1.0"_s);
        QCOMPARE(fx.field(u"P01"_s, ProjectField::StartTime).toDateTime(), ExecutionFixture::now());
        QCOMPARE(fx.field(u"P01"_s, ProjectField::Notes).toString(),
                 u"2026年12月7日在执行过程中项目文件丢失，此记录为系统自动创建，请您修改此项目的属性。"_s);
        QVERIFY(fx.field(u"P01"_s, ProjectField::RelatedProjects).toString().isEmpty());
        QVERIFY(fx.field(u"P01"_s, ProjectField::DesignPlan).toString().isEmpty());
        // The main window's list shows the re-created project at once.
        auto* list = child<ProjectListView>(fx.mainWindow());
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), u"自动创建项目 1.0"_s);
    }

    void updateBack_clicksDuringPacking_changeNothing_data()
    {
        QTest::addColumn<bool>("selectOtherLine");
        QTest::newRow("放弃 on the line being packed") << false;
        QTest::newRow("another line selected, then 放弃") << true;
    }

    void updateBack_clicksDuringPacking_changeNothing()
    {
        QFETCH(bool, selectOtherLine);
        ExecutionFixture fx;
        const QString packed = executeZip(fx, u"P01"_s);
        const QString other = executeZip(fx, u"P02"_s);
        fx.app.writeFile(u"work/P01/big.bin"_s, QByteArray(2 << 20, 'w'));
        ExecutedProjectsWindow* panel = ExecutionFixture::panel();
        auto* list = panel->findChild<QTreeWidget*>(u"已执行列表框"_s);
        auto* abandon = panel->findChild<QPushButton*>(u"放弃按钮"_s);
        // Events get in at every progress report, as on a slow disk; the clicks arrive while the work is packed.
        WorkProgress::setEventInterval(0);
        bool clickedDuringPacking = false;
        QTimer::singleShot(0, panel, [&] {
            clickedDuringPacking = WorkProgress::running();
            if (selectOtherLine) {
                const QRect row = list->visualItemRect(list->findItems(other, Qt::MatchExactly).constFirst());
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            }
            QTest::mouseClick(abandon, Qt::LeftButton);
        });
        fx.prompt.queueAnswer(Prompt::Answer::Yes); // for 更新 only: a question for 放弃 would go unanswered
        fx.clickUpdate(packed);
        WorkProgress::setEventInterval(30);

        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmUpdate, kUpdated}));
        QCOMPARE(contentOf(fx.storedPackage(u"P01"_s)).value(u"big.bin"_s).size(), 2 << 20);
        QCOMPARE(panel->lines(), QStringList{other});
        QVERIFY(QFileInfo(fx.workDir(u"P02"_s) + u"/main.e"_s).isFile());
        QVERIFY(clickedDuringPacking);
    }

    void abandon_answeredNoKeepsWork_YesDeletesFolderAndLine()
    {
        ExecutionFixture fx;
        const QString zipLine = executeZip(fx, u"P01"_s);
        const QString fileLine = executeFile(fx, u"P02"_s);
        QPointer<ExecutedProjectsWindow> panel = ExecutionFixture::panel();
        fx.prompt.clear();

        fx.prompt.queueAnswer(Prompt::Answer::No);
        fx.clickAbandon(zipLine);
        QCOMPARE(fx.prompt.texts(), QStringList{kConfirmAbandon});
        QVERIFY(QFileInfo(fx.workDir(u"P01"_s) + u"/main.e"_s).isFile());
        QCOMPARE(panel->lines(), QStringList({zipLine, fileLine}));

        fx.prompt.queueAnswer(Prompt::Answer::Yes);
        fx.clickAbandon(zipLine);
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QCOMPARE(panel->lines(), QStringList{fileLine});
        // The remaining line is not picked for the user: a second click asks nothing.
        fx.clickAbandon(QString());
        QCOMPARE(fx.prompt.messages().size(), 2);

        fx.prompt.queueAnswer(Prompt::Answer::Yes);
        fx.clickAbandon(fileLine);
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P02"_s)));
        verifyPanelGone(panel);

        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmAbandon, kConfirmAbandon, kConfirmAbandon}));
        QCOMPARE(fx.storedBytes(u"P01"_s), ExecutionFixture::sourcePackage());
        QCOMPARE(fx.storedBytes(u"P02"_s), QByteArray("module bytes"));
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::startDate());
    }

    // 放弃 keeps the work in the project's history first, when it differs from the stored package and from the
    // newest version; the stored package is never touched.
    void abandon_workThatDiffers_keptInTheHistoryFirst_data()
    {
        QTest::addColumn<QString>("work"); // zip, own zip (a package the program packed), file, package
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("abandons"); // times the project is executed and its work abandoned
        QTest::addColumn<int>("kept");
        QTest::newRow("zip work edited") << u"zip"_s << true << 1 << 1;
        QTest::newRow("zip work unchanged, package the program packed") << u"own zip"_s << false << 1 << 0;
        // Another tool's package holds the same files in other bytes: the first 放弃 keeps them once.
        QTest::newRow("zip work unchanged, abandoned twice") << u"zip"_s << false << 2 << 1;
        QTest::newRow("file work edited") << u"file"_s << true << 1 << 1;
        QTest::newRow("file work unchanged") << u"file"_s << false << 1 << 0;
        QTest::newRow("work packed by an update back, not stored") << u"package"_s << true << 1 << 1;
    }

    void abandon_workThatDiffers_keptInTheHistoryFirst()
    {
        QFETCH(QString, work);
        QFETCH(bool, edited);
        QFETCH(int, abandons);
        QFETCH(int, kept);
        ExecutionFixture fx;
        const bool zip = work.contains(u"zip"_s);
        const QByteArray package = work == u"own zip" ? ownPackage()
                                   : zip              ? ExecutionFixture::sourcePackage()
                                                      : QByteArray("module bytes");
        fx.addProject(u"P01"_s, zip ? u"zip"_s : u"e"_s, package);
        const QByteArray typed = "a day of work";
        QString line;
        for (int i = 0; i < abandons; ++i) {
            if (work == u"package") {
                const QString pending = fx.app.writeFile(u"P01.e.update"_s, typed);
                line = WorkLine::packageCaption(pending);
                fx.mainWindow()->listWork({line});
            } else if (zip) {
                ProgramChoice choice(u"main.e"_s);
                fx.execute(u"P01"_s);
                line = fx.workDir(u"P01"_s) + u"(zip)"_s;
            } else {
                fx.execute(u"P01"_s);
                line = fx.workDir(u"P01"_s) + u"/P01.e"_s;
            }
            if (edited && work != u"package")
                fx.app.writeFile(zip ? u"work/P01/main.e"_s : u"work/P01/P01.e"_s, typed);
            fx.prompt.queueAnswer(Prompt::Answer::Yes);
            fx.clickAbandon(line);
        }

        QCOMPARE(fx.prompt.texts(), QStringList(abandons, kConfirmAbandon));
        const QList<PackageHistory::Version> versions = PackageHistory::versions(u"P01"_s);
        QCOMPARE(versions.size(), kept);
        if (kept) {
            QCOMPARE(PackageHistory::label(versions.first().cause), u"放弃"_s);
            QCOMPARE(versions.first().packageType, zip ? u"zip"_s : u"e"_s);
            const QByteArray expected = edited ? typed : QByteArray("program text");
            QCOMPARE(zip ? contentOf(versions.first().path).value(u"main.e"_s) : bytesOf(versions.first().path),
                     expected);
        }
        QCOMPARE(fx.storedBytes(u"P01"_s), package);
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QCOMPARE(QDir(fx.app.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Install.ini"_s});
        QVERIFY(!ExecutionFixture::panel());
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::startDate());
    }

    void abandon_workThatCannotBeKept_goesOnlyWhenTheUserSaysSo_data()
    {
        QTest::addColumn<bool>("throwAway");
        QTest::newRow("no: the work stays") << false;
        QTest::newRow("yes: the work goes unkept") << true;
    }

    void abandon_workThatCannotBeKept_goesOnlyWhenTheUserSaysSo()
    {
#ifdef Q_OS_WIN
        QSKIP(WindowsSkips::kPipes); // a pipe is the work that no package can hold
#else
        QFETCH(bool, throwAway);
        ExecutionFixture fx;
        const QString line = executeZip(fx);
        fx.app.writeFile(u"work/P01/main.e"_s, "a day of work");
        QVERIFY(::mkfifo(QFile::encodeName(fx.workDir(u"P01"_s) + u"/pipe"_s).constData(), 0600) == 0);
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);
        fx.prompt.queueAnswer(throwAway ? Prompt::Answer::Yes : Prompt::Answer::No);

        fx.clickAbandon(line);

        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmAbandon, u"工作无法保存到历史版本中，仍要放弃并删除吗？"_s}));
        QCOMPARE(QFileInfo::exists(fx.workDir(u"P01"_s)), !throwAway);
        if (!throwAway) {
            QCOMPARE(fx.app.readFile(u"work/P01/main.e"_s), QByteArray("a day of work"));
            QCOMPARE(ExecutionFixture::panel()->lines(), QStringList{line});
        }
        QVERIFY(PackageHistory::versions(u"P01"_s).isEmpty());
        QCOMPARE(fx.storedBytes(u"P01"_s), ExecutionFixture::sourcePackage());
        QCOMPARE(QDir(fx.app.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"Install.ini"_s});
#endif
    }

    // The program ended before some step of 放弃: the next start lists the work again, or it is in the history;
    // the stored package is as it was and nothing half made is left. The real sequence is cut by its own hook.
    void abandon_endedBeforeAnyStep_workInItsFolderOrInTheHistory_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<int>("cutAt");
        const char* folderSteps[] = {"packing", "keeping", "removing the packed copy", "moving the folder aside",
                                     "deleting the folder"};
        for (const QString& work : {u"zip"_s, u"file"_s}) {
            for (int cut = 0; cut < 5; ++cut)
                QTest::addRow("%s work, before %s", qPrintable(work), folderSteps[cut]) << work << cut;
        }
        const char* packageSteps[] = {"packing (nothing to pack)", "keeping", "removing the package"};
        for (int cut = 0; cut < 3; ++cut)
            QTest::addRow("package not stored, before %s", packageSteps[cut]) << u"package"_s << cut;
    }

    void abandon_endedBeforeAnyStep_workInItsFolderOrInTheHistory()
    {
        QFETCH(QString, work);
        QFETCH(int, cutAt);
        ExecutionFixture fx;
        const QByteArray typed = "a day of work";
        QString caption;
        QByteArray package;
        if (work == u"package") {
            package = "module bytes";
            fx.addProject(u"P01"_s, u"e"_s, package);
            caption = WorkLine::packageCaption(fx.app.writeFile(u"P01.e.update"_s, typed));
            fx.mainWindow()->listWork({caption});
        } else {
            caption = work == u"zip" ? executeZip(fx) : executeFile(fx);
            package = fx.storedBytes(u"P01"_s);
            fx.app.writeFile(work == u"zip" ? u"work/P01/main.e"_s : u"work/P01/P01.e"_s, typed);
        }
        const auto versionsOfWork = [&] {
            qsizetype found = 0;
            for (const PackageHistory::Version& version : PackageHistory::versions(u"P01"_s)) {
                const QByteArray bytes =
                    work == u"zip" ? contentOf(version.path).value(u"main.e"_s) : bytesOf(version.path);
                found += version.cause == PackageHistory::Cause::Abandon && bytes == typed;
            }
            return found;
        };

        const int steps = endedBefore(
            cutAt,
            [&] {
                if (cutAt == 0 && work != u"package")
                    fx.app.writeFile(u".tallyra-zip-Ab12Cd.tmp"_s, "half a package");
                AbandonWork::run(WorkLine::parse(caption), AbandonWork::Keep::Work);
            },
            AbandonWork::setBeforeEachStep);
        QVERIFY(steps > cutAt);

        const QStringList listed = StrandedWork::findLines();

        // The work is where it was, or kept, and always at least one of them.
        const int lastListed = work == u"package" ? 2 : 3;
        QCOMPARE(listed, cutAt <= lastListed ? QStringList{caption} : QStringList());
        QCOMPARE(versionsOfWork(), cutAt >= 2 ? 1 : 0);
        QCOMPARE(fx.storedBytes(u"P01"_s), package);
        QCOMPARE(QDir(fx.app.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({u"Install.ini"_s}) +
                     (work == u"package" && !listed.isEmpty() ? QStringList{u"P01.e.update"_s} : QStringList()));
        QCOMPARE(QDir(fx.workRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 work != u"package" && !listed.isEmpty() ? QStringList{u"P01"_s} : QStringList());
        // Listed again, 放弃 finishes: the work is kept once, whatever the run before it kept.
        for (const QString& again : listed) {
            fx.mainWindow()->listWork({again});
            fx.prompt.clear();
            fx.prompt.queueAnswer(Prompt::Answer::Yes);
            fx.clickAbandon(again);
            QCOMPARE(fx.prompt.texts(), QStringList{kConfirmAbandon});
        }
        QCOMPARE(versionsOfWork(), 1);
        QCOMPARE(PackageHistory::versions(u"P01"_s).size(), 1);
        QVERIFY(!QFileInfo::exists(fx.workDir(u"P01"_s)));
        QCOMPARE(fx.storedBytes(u"P01"_s), package);
    }

    // Before update back and 放弃 ask, the panel compares the work with the stored package and tells the counts
    // under the question and the paths in its unfolded part; answered No, nothing changes.
    void question_tellsWhatTheWorkChanged_data()
    {
        QTest::addColumn<QString>("work"); // zip, file or package (packed, not stored)
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("updating");
        QTest::addColumn<QString>("informative");
        QTest::addColumn<QString>("detailed");
        const QString unchangedFolder = u"工作目录没有变化，更新不会保存新的版本，只删除工作目录。"_s;
        QTest::newRow("zip, nothing changed, update") << u"zip"_s << u"none"_s << true << unchangedFolder << QString();
        QTest::newRow("zip, nothing changed, abandon")
            << u"zip"_s << u"none"_s << false << u"工作目录没有变化"_s << QString();
        QTest::newRow("zip, only touched") << u"zip"_s << u"touched"_s << true << unchangedFolder << QString();
        QTest::newRow("zip, same size, other bytes")
            << u"zip"_s << u"same size"_s << true << u"新增 0 个文件，修改 1 个，删除 0 个"_s
            << u"修改：\n    main.e"_s;
        QTest::newRow("zip, added, changed, removed")
            << u"zip"_s << u"all"_s << false << u"新增 2 个文件，修改 1 个，删除 1 个"_s
            << u"新增：\n    empty/\n    lib/新文件.txt\n修改：\n    main.e\n删除：\n    readme.txt"_s;
        QTest::newRow("zip, a marker holding bytes counts")
            << u"zip"_s << u"marker"_s << true << u"新增 1 个文件，修改 0 个，删除 0 个"_s
            << u"新增：\n    P_zip.TMP"_s;
        QTest::newRow("file, edited") << u"file"_s << u"edited"_s << true << u"新增 0 个文件，修改 1 个，删除 0 个"_s
                                      << u"修改：\n    P01.e"_s;
        QTest::newRow("file, nothing changed") << u"file"_s << u"none"_s << true << unchangedFolder << QString();
        QTest::newRow("package, as stored")
            << u"package"_s << u"none"_s << true
            << u"工作没有变化，更新不会保存新的版本，只删除这个未存入的项目文件包。"_s << QString();
        QTest::newRow("package, other bytes") << u"package"_s << u"edited"_s << false
                                              << u"新增 0 个文件，修改 1 个，删除 0 个"_s << u"修改：\n    P01.e"_s;
    }

    void question_tellsWhatTheWorkChanged()
    {
        QFETCH(QString, work);
        QFETCH(QString, change);
        QFETCH(bool, updating);
        ExecutionFixture fx;
        QString line;
        if (work == u"package") {
            fx.addProject(u"P01"_s, u"e"_s, "module bytes");
            line = WorkLine::packageCaption(
                fx.app.writeFile(u"P01.e.update"_s, change == u"none" ? "module bytes" : "other bytes!"));
            fx.mainWindow()->listWork({line});
        } else {
            line = work == u"zip" ? executeZip(fx) : executeFile(fx);
        }
        const QString folder = fx.workDir(u"P01"_s);
        // Every rewrite moves the time on, so that the content has to be read.
        const auto rewrite = [&](const QString& name, const QByteArray& bytes) {
            const QString path = folder + u'/' + name;
            const QDateTime time = QFileInfo(path).lastModified();
            QVERIFY(DiskTree::writeFile(path, bytes));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(time.addSecs(60), QFileDevice::FileModificationTime));
        };
        if (change == u"touched")
            rewrite(u"main.e"_s, "program text");
        else if (change == u"same size")
            rewrite(u"main.e"_s, "PROGRAM TEXT");
        else if (change == u"edited" && work == u"file")
            rewrite(u"P01.e"_s, "edited module");
        else if (change == u"marker")
            rewrite(u"P_zip.TMP"_s, "the user's own notes");
        else if (change == u"all") {
            rewrite(u"main.e"_s, "edited program");
            QVERIFY(DiskTree::writeFile(folder + u"/lib/新文件.txt"_s, "added"));
            QVERIFY(QDir(folder).mkpath(u"empty"_s));
            QVERIFY(QFile::remove(folder + u"/readme.txt"_s));
        }
        const QByteArray stored = fx.storedBytes(u"P01"_s);
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::No);

        updating ? fx.clickUpdate(line) : fx.clickAbandon(line);

        QCOMPARE(fx.prompt.messages().size(), 1);
        const RecordingPrompt::Message asked = fx.prompt.messages().first();
        QCOMPARE(asked.text, updating ? kConfirmUpdate : kConfirmAbandon);
        QTEST(asked.informative, "informative");
        QTEST(asked.detailed, "detailed");
        QCOMPARE(ExecutionFixture::panel()->lines(), QStringList{line});
        QCOMPARE(fx.storedBytes(u"P01"_s), stored);
        QVERIFY(PackageHistory::versions(u"P01"_s).isEmpty());
    }

    // Work that changed nothing is not stored again: no new package, no version, no new time in the record; the
    // work goes as after an update. Ended before any step, the next start lists it again or finds it gone.
    // A tool that puts a file's time back after changing it leaves its size and time as unpacked: the question may
    // call the work unchanged, but update back reads every file before it lets work go unstored.
    void updateBack_editThatKeptSizeAndTime_stored()
    {
        ExecutionFixture fx;
        const QString caption = executeZip(fx);
        QFile file(fx.workDir(u"P01"_s) + u"/main.e"_s);
        const QDateTime unpacked = QFileInfo(file).lastModified();
        QVERIFY(file.open(QIODevice::ReadWrite));
        QCOMPARE(file.write("PROGRAM TEXT"), qint64(12));
        QVERIFY(file.setFileTime(unpacked, QFileDevice::FileModificationTime));
        file.close();
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(caption);

        QCOMPARE(fx.prompt.texts(), QStringList({kConfirmUpdate, kUpdated}));
        QCOMPARE(contentOf(fx.storedPackage(u"P01"_s)).value(u"main.e"_s), QByteArray("PROGRAM TEXT"));
        QCOMPARE(PackageHistory::versions(u"P01"_s).size(), 1);
    }

    void updateBack_unchangedWork_storesNothingNew_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<int>("cutAt"); // -1: not ended, answered through the panel
        QTest::addColumn<QString>("message");
        const char* folderSteps[] = {"moving the folder aside", "deleting the folder"};
        for (const QString& work : {u"zip"_s, u"file"_s}) {
            QTest::addRow("%s work", qPrintable(work))
                << work << -1 << u"工作目录没有变化，项目文件包保持原样，工作目录已删除。"_s;
            for (int cut = 0; cut < 2; ++cut)
                QTest::addRow("%s work, ended before %s", qPrintable(work), folderSteps[cut])
                    << work << cut << QString();
        }
        QTest::newRow("package") << u"package"_s << -1 << u"这个未存入的项目文件包与已存入的相同，已删除。"_s;
        QTest::newRow("package, ended before deleting it") << u"package"_s << 0 << QString();
    }

    void updateBack_unchangedWork_storesNothingNew()
    {
        QFETCH(QString, work);
        QFETCH(int, cutAt);
        ExecutionFixture fx;
        QString caption;
        if (work == u"package") {
            fx.addProject(u"P01"_s, u"e"_s, "module bytes");
            caption = WorkLine::packageCaption(fx.app.writeFile(u"P01.e.update"_s, "module bytes"));
            fx.mainWindow()->listWork({caption});
        } else {
            caption = work == u"zip" ? executeZip(fx) : executeFile(fx);
        }
        const QByteArray package = fx.storedBytes(u"P01"_s);
        const QDateTime storedTime = QFileInfo(fx.storedPackage(u"P01"_s)).lastModified();
        fx.prompt.clear();

        QStringList listed;
        if (cutAt < 0) {
            fx.prompt.queueAnswer(Prompt::Answer::Yes);
            fx.clickUpdate(caption);
            QCOMPARE(fx.prompt.texts().size(), 2);
            QCOMPARE(fx.prompt.texts().first(), kConfirmUpdate);
            QTEST(fx.prompt.lastText(), "message");
            QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Information);
        } else {
            const int steps = endedBefore(
                cutAt, [&] { UpdateBack::run(WorkLine::parse(caption)); }, UpdateBack::setBeforeEachStep);
            QVERIFY(steps > cutAt);
            listed = StrandedWork::findLines();
        }

        QCOMPARE(listed, cutAt == 0 ? QStringList{caption} : QStringList());
        QCOMPARE(fx.storedBytes(u"P01"_s), package);
        QCOMPARE(QFileInfo(fx.storedPackage(u"P01"_s)).lastModified(), storedTime);
        QVERIFY(PackageHistory::versions(u"P01"_s).isEmpty());
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::startDate());
        QCOMPARE(QDir(fx.app.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({u"Install.ini"_s}) +
                     (work == u"package" && !listed.isEmpty() ? QStringList{u"P01.e.update"_s} : QStringList()));
        QCOMPARE(QDir(fx.workRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 work != u"package" && !listed.isEmpty() ? QStringList{u"P01"_s} : QStringList());
    }

    void workedFileDeleted_errorWithItsPathAndFolderKept()
    {
        ExecutionFixture fx;
        const QString line = executeFile(fx);
        QFile::remove(fx.workDir(u"P01"_s) + u"/P01.e"_s);
        fx.app.writeFile(u"work/P01/笔记.txt"_s, "kept");
        QPointer<ExecutedProjectsWindow> panel = ExecutionFixture::panel();
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Error);
        QCOMPARE(fx.prompt.lastText(), u"更新项目出错，请手动更新该项目并删除此文件夹，项目文件路径为："_s +
                                           fx.workDir(u"P01"_s) + u"/P01"_s);
        QCOMPARE(fx.app.readFile(u"work/P01/笔记.txt"_s), QByteArray("kept"));
        QCOMPARE(fx.storedBytes(u"P01"_s), QByteArray("module bytes"));
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::startDate());
        verifyPanelGone(panel);
    }

    void zipWorkFolderGone_compressErrorAndPackageKept()
    {
        ExecutionFixture fx;
        const QString line = executeZip(fx);
        QDir(fx.workDir(u"P01"_s)).removeRecursively();
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Error);
        QCOMPARE(fx.prompt.lastText(), u"压缩文件失败，请手动压缩后导入。\r\n文件路径："_s + fx.workDir(u"P01"_s));
        QCOMPARE(fx.storedBytes(u"P01"_s), ExecutionFixture::sourcePackage());
        QVERIFY(!ExecutionFixture::panel());
    }

    void storedPackageCannotBeReplaced_workAndLineKept_data()
    {
        QTest::addColumn<bool>("readOnlyData");
        QTest::newRow("read-only data folder") << true;
        QTest::newRow("package name taken by a folder") << false;
    }

    void storedPackageCannotBeReplaced_workAndLineKept()
    {
        QFETCH(bool, readOnlyData);
        if (readOnlyData && !ReadOnlyMount::available())
            QSKIP(ReadOnlyMount::unavailableReason());
        ExecutionFixture fx;
        const QString line = executeFile(fx);
        fx.app.writeFile(u"work/P01/P01.e"_s, "a day of work");
        std::unique_ptr<ReadOnlyMount> readOnly;
        if (readOnlyData) {
            readOnly = std::make_unique<ReadOnlyMount>(fx.app.filePath(u"data"_s));
            QVERIFY(readOnly->isActive());
        } else {
            QFile::remove(fx.storedPackage(u"P01"_s));
            fx.app.writeFile(u"data/P01.fd1/inside"_s, "x");
        }
        const QStringList appDirBefore = QDir(fx.app.path()).entryList(QDir::Files | QDir::Hidden);
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.lastForm(), Prompt::Form::Warning);
        QCOMPARE(
            fx.prompt.texts(),
            QStringList({kConfirmUpdate, u"更新项目出错，项目文件包无法存入数据目录，工作文件仍保留在："_s + line}));
        QCOMPARE(fx.app.readFile(u"work/P01/P01.e"_s), QByteArray("a day of work"));
        QCOMPARE(QDir(fx.app.path()).entryList(QDir::Files | QDir::Hidden), appDirBefore);
        QCOMPARE(fx.field(u"P01"_s, ProjectField::LastUpdate).toDateTime(), ExecutionFixture::startDate());
        QCOMPARE(ExecutionFixture::panel()->lines(), QStringList{line});
    }

    void packageKeptByEarlierFailedUpdate_neverOverwritten()
    {
        ExecutionFixture fx;
        const QString line = executeFile(fx);
        fx.app.writeFile(u"P01.fd1"_s, "work kept by an earlier update");
        fx.app.writeFile(u"work/P01/P01.e"_s, "newer work");
        fx.prompt.clear();
        fx.prompt.queueAnswer(Prompt::Answer::Yes);

        fx.clickUpdate(line);

        QCOMPARE(fx.prompt.lastText(), kUpdated);
        QCOMPARE(fx.storedBytes(u"P01"_s), QByteArray("newer work"));
        QCOMPARE(fx.app.readFile(u"P01.fd1"_s), QByteArray("work kept by an earlier update"));
        QCOMPARE(QDir(fx.app.path()).entryList({u"*.fd1"_s}, QDir::Files), QStringList{u"P01.fd1"_s});
    }

    void panel_hasItsFormAndRefusesToClose()
    {
        ExecutionFixture fx;
        executeFile(fx);
        ExecutedProjectsWindow* panel = ExecutionFixture::panel();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->windowTitle(), u"已执行项目"_s);
        QCOMPARE(panel->objectName(), u"ExecutedProjectsWindow"_s);
        QCOMPARE(QAccessible::queryAccessibleInterface(panel)->text(QAccessible::Name), u"已执行项目"_s);
        QCOMPARE(panel->size(), QSize(215, 275));
        QVERIFY(panel->windowFlags().testFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
        QCOMPARE(panel->findChild<QLabel*>(u"标签1"_s)->text(), u" ■□□"_s);
        QCOMPARE(panel->findChild<QTreeWidget*>(u"已执行列表框"_s)->headerItem()->text(0), u"已执行项目："_s);
        QCOMPARE(panel->findChild<QPushButton*>(u"更新按钮"_s)->text(), u"更 新"_s);
        QCOMPARE(panel->findChild<QPushButton*>(u"放弃按钮"_s)->text(), u"放 弃"_s);
        QVERIFY(panel->findChild<QFrame*>(u"外形框1"_s));
        QVERIFY(panel->findChild<QTimer*>(u"时钟1"_s));
        QVERIFY(panel->findChild<QTimer*>(u"时钟2"_s));

        QVERIFY(!panel->close());
        QVERIFY(panel->isVisible());
        QCOMPARE(ExecutionFixture::panel(), panel);
    }

    void panel_slidesOutAfterAppearing_andBackInUnderTheMouse()
    {
        ExecutionFixture fx;
        executeFile(fx);
        ExecutedProjectsWindow* panel = ExecutionFixture::panel();
        QTRY_COMPARE_WITH_TIMEOUT(panel->x(), -210, 5000);
        QCOMPARE(panel->y(), 30);
        // The slide ends on the tick after the last step; a move before that only counts once it has ended.
        QTRY_VERIFY(!panel->findChild<QTimer*>(u"时钟1"_s)->isActive());

        QTest::mouseMove(panel, QPoint(212, 100));
        QTRY_COMPARE_WITH_TIMEOUT(panel->x(), 5, 5000);
    }
};

TALLYRA_TEST_MAIN_WITH_MOUNTS(UpdateBackTest)
#include "tst_update_back.moc"
