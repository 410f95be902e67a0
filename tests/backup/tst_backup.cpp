#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "FolderSnapshot.h"
#include "HostileArchives.h"
#include "PowerCut.h"
#include "ReadOnlyMount.h"
#include "SmallDisk.h"
#include "WindowsSkips.h"
#include "ZipBuilder.h"
#include "app/AppSettings.h"
#include "app/StartRecovery.h"
#include "backup/DataBackup.h"
#include "backup/RestoreTransaction.h"
#include "backup/ui/BackupWindow.h"
#include "projects/PackageHistory.h"
#include "store/CatalogueNotice.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "tools/ToolTable.h"

#include <QAccessible>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Passes everything to the fixture's recording prompt and keeps the file dialogs the program asked for.
class DialogSpy : public Prompt::Backend
{
public:
    explicit DialogSpy(RecordingPrompt& inner)
        : m_inner(inner)
        , m_previous(Prompt::setBackend(this))
    {
    }
    ~DialogSpy() override { Prompt::setBackend(m_previous); }

    QList<Prompt::FileDialog> dialogs;

    Prompt::Answer message(QWidget* p, Prompt::Form f, const QString& t, const QString& title) override
    {
        return m_inner.message(p, f, t, title);
    }
    QString openFile(QWidget* p, const Prompt::FileDialog& d) override
    {
        dialogs.append(d);
        return m_inner.openFile(p, d);
    }
    QString saveFile(QWidget* p, const Prompt::FileDialog& d) override
    {
        dialogs.append(d);
        return m_inner.saveFile(p, d);
    }
    QString browseFolder(QWidget* p, const QString& t, const QString& s) override
    {
        return m_inner.browseFolder(p, t, s);
    }
    void openWithShell(const QString& path) override { m_inner.openWithShell(path); }
    void play(Prompt::Sound sound) override { m_inner.play(sound); }

private:
    RecordingPrompt& m_inner;
    Prompt::Backend* m_previous;
};

QMap<QString, QByteArray> filesBelow(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        file.open(QIODevice::ReadOnly);
        files.insert(QDir(folder).relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}

// A backup as the program writes one: a project table holding these projects, and the given other files.
ZipBuilder backupOf(const QStringList& projects, const QList<std::pair<QByteArray, QByteArray>>& files = {})
{
    QTemporaryDir folder;
    const QString table = folder.filePath(u"DB.EDB"_s);
    {
        RecordTable::create(table, TableSchemas::projectFields());
        ProjectTable records;
        records.RecordTable::open(table);
        for (const QString& number : projects) {
            ProjectRecord project;
            project.number = number;
            project.name = number;
            records.appendProject(project);
        }
    }
    QFile file(table);
    file.open(QIODevice::ReadOnly);
    ZipBuilder zip;
    zip.addFile("DB.EDB", file.readAll());
    for (const auto& [name, bytes] : files)
        zip.addFile(name, bytes);
    return zip;
}

// Thrown where a restore is cut off, as a kill would end it.
struct Killed
{
};

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void window_controlsHeardByTheirCaptions();
    void backUpThenRestore_tablesAndPackagesComeBackByteForByte();
    void backUp_cancelledOrIntoTheDataFolder_noArchive_data();
    void backUp_cancelledOrIntoTheDataFolder_noArchive();
    void restore_cancelledOrBadArchive_dataFolderAsItWas_data();
    void restore_cancelledOrBadArchive_dataFolderAsItWas();
    void restore_movingInFailsHalfWay_everyMovedFileGoesBack();
    void restore_keepsWhatItReplacesInItsOwnFolder_lastThreeStay_data();
    void restore_keepsWhatItReplacesInItsOwnFolder_lastThreeStay();
    void restore_cutOffAtAnyMove_nextStartFinishesOrUndoesIt_data();
    void restore_cutOffAtAnyMove_nextStartFinishesOrUndoesIt();
    void restore_overATableCutOffMidCommit_neitherTableLosesRecords_data();
    void restore_overATableCutOffMidCommit_neitherTableLosesRecords();
    void restore_dataOnAnotherDisk_undoOnThatDiskOrRefused_data();
    void restore_dataOnAnotherDisk_undoOnThatDiskOrRefused();
    void start_hiddenFoldersOfAKilledOlderRestore_keptAsUndoSetOrCleared();
    void restore_prunesNoEarlierPackage_undoSetHoldsOnlyWhatChanged_data();
    void restore_prunesNoEarlierPackage_undoSetHoldsOnlyWhatChanged();

private:
    QString data(const QString& relative = {}) const
    {
        return m_fixture->app.filePath(relative.isEmpty() ? u"data"_s : u"data/"_s + relative);
    }
    // Presses one of the window's buttons; answers whether the window closed itself.
    bool press(const QString& button, int* restored = nullptr);
    QStringList leftovers() const;

    std::unique_ptr<AppFixture> m_fixture;
    RecordingPrompt* m_prompt = nullptr;
};

void BackupTest::init()
{
    m_fixture = std::make_unique<AppFixture>();
    m_prompt = &m_fixture->prompt;
    m_fixture->app.writeFile(u"Install.ini"_s, "[System]\r\nTitle=\xce\xd2\xb5\xc4\r\nColor1=255\r\n");
}

void BackupTest::cleanup()
{
    m_fixture.reset();
}

bool BackupTest::press(const QString& button, int* restored)
{
    BackupWindow window;
    window.show();
    if (restored)
        connect(&CatalogueNotice::instance(), &CatalogueNotice::projectsChanged, &window, [restored] { ++*restored; });
    QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
    return !window.isVisible();
}

QStringList BackupTest::leftovers() const
{
    return QDir(m_fixture->app.path()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

void BackupTest::window_controlsHeardByTheirCaptions()
{
    const BackupWindow window;
    QCOMPARE(window.objectName(), u"BackupWindow"_s);
    QCOMPARE(QAccessible::queryAccessibleInterface(const_cast<BackupWindow*>(&window))->text(QAccessible::Name),
             u"数据库"_s);
    const QList<std::pair<QString, QString>> spoken = {
        {u"分组框2"_s, u"项目数据操作"_s}, {u"导出按钮"_s, u"导出项目数据"_s}, {u"导入按钮"_s, u"导入项目数据"_s}};
    for (const auto& [name, words] : spoken) {
        auto* control = window.findChild<QWidget*>(name);
        QVERIFY2(control, qPrintable(name));
        QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), words);
        QCOMPARE(control->accessibleDescription(), name);
    }
}

void BackupTest::backUpThenRestore_tablesAndPackagesComeBackByteForByte()
{
    QVERIFY(CatalogBuilder::addProject({u"P1"_s, u"甲"_s}));
    m_fixture->app.writeFile(u"data/P1.fd1"_s, ZipBuilder().addFile("main.c", "int main(){}").bytes());
    {
        ToolTable tools;
        tools.open();
        tools.appendTool({u"编辑器"_s, u"/usr/bin/ed"_s, {}});
    }
    const QMap<QString, QByteArray> backedUp = filesBelow(data());
    const QByteArray settings = m_fixture->app.readFile(u"Install.ini"_s);
    QDir().mkpath(m_fixture->app.filePath(u"backups"_s));
    const QString archive = m_fixture->app.filePath(u"backups/a.fd2"_s);

    DialogSpy dialogs(*m_prompt);
    m_prompt->queueSaveFile(archive);
    QVERIFY(press(u"导出按钮"_s));
    QCOMPARE(m_prompt->texts(), QStringList{u"导出成功"_s});
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Information);
    QCOMPARE(dialogs.dialogs.size(), 1);
    QCOMPARE(dialogs.dialogs.at(0).title, u"请选择您要导出到的目录"_s);
    QCOMPARE(dialogs.dialogs.at(0).initialPath, u"FBak_2026年12月7日9时30分5秒"_s);
    QCOMPARE(dialogs.dialogs.at(0).defaultSuffix, u"fd2"_s);
    QCOMPARE(dialogs.dialogs.at(0).filter, u"备份文件（*.fd2）|*.fd2"_s);
    m_prompt->clear();

    // After the backup a project is added and the tools change.
    QVERIFY(CatalogBuilder::addProject({u"P2"_s, u"乙"_s}));
    m_fixture->app.writeFile(u"data/P2.fd1"_s, "later");
    {
        ToolTable tools;
        tools.open();
        tools.goTo(1);
        tools.modifyTool({u"改过"_s, u"/x"_s, {}});
    }
    const QByteArray newerTable = m_fixture->app.readFile(u"data/DB.EDB"_s);

    for (int round = 0; round < 2; ++round) {
        m_prompt->queueAnswer(Prompt::Answer::Ok);
        m_prompt->queueOpenFile(archive);
        int restored = 0;
        QVERIFY(press(u"导入按钮"_s, &restored));
        QCOMPARE(restored, 1);
        QCOMPARE(m_prompt->texts(), QStringList({u"您确定要要导入数据吗？这会将当前数据覆盖！"_s, u"导入成功"_s}));
        m_prompt->clear();
        const QMap<QString, QByteArray> now = filesBelow(data());
        for (auto it = backedUp.cbegin(); it != backedUp.cend(); ++it)
            QVERIFY2(now.value(it.key()) == it.value(), qPrintable(it.key()));
        // The package of the later project stays, but the restored catalogue no longer lists it.
        QCOMPARE(now.value(u"P2.fd1"_s), QByteArray("later"));
        QCOMPARE(CatalogBuilder::projectCount(), 1);
        QCOMPARE(ToolTable::toolAt(1).name, u"编辑器"_s);
        // What the restore replaced by other bytes is kept beside the data folder, and only that: the second restore
        // of the same backup replaces nothing and keeps nothing.
        const QMap<QString, QByteArray> kept = filesBelow(DataBackup::keptFolderPath() + u"/20261207-093005"_s);
        QCOMPARE(kept.keys(), QStringList({u"DB.EDB"_s, u"tool.edb"_s}));
        QCOMPARE(kept.value(u"DB.EDB"_s), newerTable);
        QVERIFY(!QFileInfo::exists(DataBackup::keptFolderPath() + u"/20261207-093005-2"_s));
        QCOMPARE(m_fixture->app.readFile(u"Install.ini"_s), settings);
        QCOMPARE(leftovers(), QStringList({u"backups"_s, u"data"_s, u"data-before-restore"_s}));
    }
    QCOMPARE(dialogs.dialogs.last().title, u"请选择要导入的数据"_s);
    QCOMPARE(QDir::currentPath(), m_fixture->app.path());
}

void BackupTest::backUp_cancelledOrIntoTheDataFolder_noArchive_data()
{
    QTest::addColumn<QString>("target"); // relative to appDir; "" cancels
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("cancelled") << u""_s << QStringList{};
    QTest::newRow("into the data folder") << u"data/b.fd2"_s << QStringList{u"导出数据失败！"_s};
    QTest::newRow("into a folder inside it") << u"data/sub/b.fd2"_s << QStringList{u"导出数据失败！"_s};
    QTest::newRow("through a link to it") << u"link/b.fd2"_s << QStringList{u"导出数据失败！"_s};
    QTest::newRow("folder missing") << u"nowhere/b.fd2"_s << QStringList{u"导出数据失败！"_s};
#ifdef Q_OS_WIN
    // Windows names one folder in any letter case and with either separator.
    QTest::newRow("into the data folder in capitals") << u"DATA/b.fd2"_s << QStringList{u"导出数据失败！"_s};
    QTest::newRow("inside it through backslashes") << u"Data\\sub\\b.fd2"_s << QStringList{u"导出数据失败！"_s};
#endif
}

void BackupTest::backUp_cancelledOrIntoTheDataFolder_noArchive()
{
    QFETCH(QString, target);
    QFETCH(QStringList, messages);
    QDir().mkpath(data(u"sub"_s));
#ifdef Q_OS_WIN
    // QFile::link makes a shortcut there, which no path leads through.
    if (target.startsWith(u"link/"))
        QSKIP(WindowsSkips::kLinks);
#else
    QVERIFY(QFile::link(data(), m_fixture->app.filePath(u"link"_s)));
#endif
    const FolderSnapshot before = FolderSnapshot::of(data());

    m_prompt->queueSaveFile(target.isEmpty() ? target : m_fixture->app.filePath(target));
    QVERIFY(!press(u"导出按钮"_s));

    QCOMPARE(m_prompt->texts(), messages);
    if (!messages.isEmpty())
        QCOMPARE(m_prompt->lastForm(), Prompt::Form::Error);
    QVERIFY2(FolderSnapshot::of(data()) == before, qPrintable(FolderSnapshot::of(data()).differencesFrom(before)));
    QVERIFY(QDir(data(u"sub"_s)).isEmpty());
    QCOMPARE(QDir::currentPath(), m_fixture->app.path());
}

void BackupTest::restore_cancelledOrBadArchive_dataFolderAsItWas_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QByteArray>("archive"); // empty: the dialog is cancelled
    QTest::addColumn<QString>("refusal");    // empty: no archive was read
    const QString failed = u"导入数据库失败！"_s;
    const QByteArray good = ZipBuilder().addFile("DB.EDB", "x").addFile("new.fd1", QByteArray(5000, 'n')).bytes();
    ZipBuilder::Entry badCrc{"P9.fd1", QByteArray(70000, 'c'), ZipBuilder::kDeflated};
    badCrc.wrongCrc = true;
    QTest::newRow("question cancelled") << int(Prompt::Answer::Cancel) << QByteArray() << QString();
    QTest::newRow("dialog cancelled") << int(Prompt::Answer::Ok) << QByteArray() << QString();
    QTest::newRow("damaged entry last") << int(Prompt::Answer::Ok)
                                        << ZipBuilder().addFile("DB.EDB", "x").add(badCrc).bytes() << failed;
    QTest::newRow("truncated") << int(Prompt::Answer::Ok) << good.left(good.size() - 30) << failed;
    QTest::newRow("climbs out") << int(Prompt::Answer::Ok)
                                << ZipBuilder().addFile("DB.EDB", "x").addFile("../Install.ini", "x").bytes() << failed;
    QTest::newRow("not an archive") << int(Prompt::Answer::Ok) << QByteArray(4096, 'z') << failed;
    for (const HostileArchives::Case& hostile : HostileArchives::all())
        QTest::newRow(hostile.name) << int(Prompt::Answer::Ok) << hostile.bytes << failed;
    // Sound archives that are no backup of the program.
    for (const HostileArchives::SoundCase& sound : HostileArchives::foreignButSound())
        QTest::newRow(sound.name) << int(Prompt::Answer::Ok) << sound.bytes << failed;
    QTest::newRow("no project table") << int(Prompt::Answer::Ok) << ZipBuilder().addFile("P1.fd1", "x").bytes()
                                      << failed;
    QTest::newRow("project table that is no table") << int(Prompt::Answer::Ok) << good << failed;
    QTest::newRow("a link among the packages")
        << int(Prompt::Answer::Ok) << backupOf({u"P1"_s}).addLink("P1.fd1", "DB.EDB").bytes() << failed;
    {
        QTemporaryDir folder;
        RecordTable::create(folder.filePath(u"t.edb"_s), TableSchemas::toolFields());
        QFile tools(folder.filePath(u"t.edb"_s));
        tools.open(QIODevice::ReadOnly);
        QTest::newRow("project table of another kind")
            << int(Prompt::Answer::Ok) << ZipBuilder().addFile("DB.EDB", tools.readAll()).bytes() << failed;
    }
    QTest::newRow("a journal without its table")
        << int(Prompt::Answer::Ok) << backupOf({u"P1"_s}, {{"tool.edb-journal", QByteArray(4096, 'j')}}).bytes()
        << failed;
    {
        // The project table of a later program, with a field this one does not know.
        QTemporaryDir folder;
        RecordTable::create(folder.filePath(u"DB.EDB"_s),
                            TableSchemas::projectFields() + QList<FieldDef>{{u"reviewer"_s, FieldKind::Text}});
        QFile later(folder.filePath(u"DB.EDB"_s));
        later.open(QIODevice::ReadOnly);
        QTest::newRow("backup of a later program")
            << int(Prompt::Answer::Ok) << ZipBuilder().addFile("DB.EDB", later.readAll()).bytes()
            << u"备份来自更新版本的程序，无法导入！"_s;
    }
    QTest::newRow("type pictures without their table")
        << int(Prompt::Answer::Ok) << backupOf({u"P1"_s}, {{"type.edt", QByteArray(4096, 't')}}).bytes() << failed;
}

void BackupTest::restore_cancelledOrBadArchive_dataFolderAsItWas()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, archive);
    QFETCH(QString, refusal);
    const FolderSnapshot before = FolderSnapshot::of(data());
    const QByteArray settings = m_fixture->app.readFile(u"Install.ini"_s);
    const QString path = m_fixture->app.writeFile(u"bad.fd2"_s, archive);

    m_prompt->queueAnswer(Prompt::Answer(answer));
    if (answer == int(Prompt::Answer::Ok))
        m_prompt->queueOpenFile(archive.isEmpty() ? QString() : path);
    QVERIFY(!press(u"导入按钮"_s));

    QStringList messages{u"您确定要要导入数据吗？这会将当前数据覆盖！"_s};
    if (!refusal.isEmpty())
        messages << refusal;
    QCOMPARE(m_prompt->texts(), messages);
    QVERIFY2(FolderSnapshot::of(data()) == before, qPrintable(FolderSnapshot::of(data()).differencesFrom(before)));
    QCOMPARE(m_fixture->app.readFile(u"Install.ini"_s), settings);
    QCOMPARE(leftovers(), QStringList{u"data"_s});
}

void BackupTest::restore_movingInFailsHalfWay_everyMovedFileGoesBack()
{
    if (!ReadOnlyMount::available())
        QSKIP(ReadOnlyMount::unavailableReason());
    m_fixture->app.writeFile(u"data/zz/old.fd1"_s, "old");
    const QString archive =
        m_fixture->app.writeFile(u"b.fd2"_s, backupOf({u"NEW"_s}, {{"P1.fd1", "p1"}, {"zz/old.fd1", "n"}}).bytes());
    const FolderSnapshot before = FolderSnapshot::of(data());
    const FolderSnapshot beforeInside = FolderSnapshot::of(data(u"zz"_s));
    // The tables move in first; the package folder, on a read-only medium, then refuses its file.
    ReadOnlyMount readOnly(data(u"zz"_s));
    QVERIFY(readOnly.isActive());

    m_prompt->queueAnswer(Prompt::Answer::Ok);
    m_prompt->queueOpenFile(archive);
    QVERIFY(!press(u"导入按钮"_s));

    QCOMPARE(m_prompt->texts(), QStringList({u"您确定要要导入数据吗？这会将当前数据覆盖！"_s, u"导入数据库失败！"_s}));
    QVERIFY2(FolderSnapshot::of(data()) == before, qPrintable(FolderSnapshot::of(data()).differencesFrom(before)));
    QVERIFY(FolderSnapshot::of(data(u"zz"_s)) == beforeInside);
    QCOMPARE(leftovers(), QStringList{u"data"_s});
}

void BackupTest::restore_keepsWhatItReplacesInItsOwnFolder_lastThreeStay_data()
{
    QTest::addColumn<bool>("emptyData"); // the data folder holds nothing the backup would replace
    QTest::addColumn<int>("restores");
    QTest::addColumn<QStringList>("undoSets");
    QTest::newRow("one") << false << 1 << QStringList{u"20261207-093005"_s};
    QTest::newRow("four keep the last three")
        << false << 4 << QStringList{u"20261207-093005-2"_s, u"20261207-093005-3"_s, u"20261207-093005-4"_s};
    QTest::newRow("replacing nothing") << true << 1 << QStringList{};
}

void BackupTest::restore_keepsWhatItReplacesInItsOwnFolder_lastThreeStay()
{
    QFETCH(bool, emptyData);
    QFETCH(int, restores);
    QFETCH(QStringList, undoSets);
    if (emptyData)
        QVERIFY(QDir(data()).removeRecursively() && QDir().mkpath(data()));
    // An undo set an earlier version of the program left stays whatever happens.
    m_fixture->app.writeFile(u"data-before-restore/DB.EDB"_s, "earlier");
    QStringList replaced;
    for (int n = 1; n <= restores; ++n) {
        replaced.append(CatalogBuilder::projectNumbers().join(u','));
        QCOMPARE(DataBackup::restore(m_fixture->app.writeFile(u"b.fd2"_s, backupOf({u"R%1"_s.arg(n)}).bytes())),
                 DataBackup::RestoreOutcome::Restored);
        QCOMPARE(CatalogBuilder::projectNumbers(), QStringList{u"R%1"_s.arg(n)});
    }
    const QString root = DataBackup::keptFolderPath();
    QCOMPARE(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name), undoSets);
    QCOMPARE(m_fixture->app.readFile(u"data-before-restore/DB.EDB"_s), QByteArray("earlier"));
    // The newest set holds the catalogue the last restore replaced, and it opens as one.
    if (!undoSets.isEmpty()) {
        ProjectTable kept;
        QVERIFY(kept.RecordTable::open(root + u'/' + undoSets.last() + u"/DB.EDB"_s));
        QStringList numbers;
        for (const QVariant& number : kept.readColumn(ProjectField::Number))
            numbers.append(number.toString());
        QCOMPARE(numbers.join(u','), replaced.last());
    }
}

void BackupTest::restore_cutOffAtAnyMove_nextStartFinishesOrUndoesIt_data()
{
    QTest::addColumn<int>("cutAt"); // the move before which the restore is killed
    QTest::addColumn<bool>("stagedFileLost");
    int moves = 0;
    {
        AppFixture counting;
        QVERIFY(CatalogBuilder::addProject({u"OLD"_s, u"旧"_s}));
        counting.app.writeFile(u"data/P1.fd1"_s, "old package");
        RestoreTransaction::setBeforeEachMove([&moves] { ++moves; });
        QCOMPARE(DataBackup::restore(counting.app.writeFile(
                     u"b.fd2"_s, backupOf({u"NEW"_s}, {{"P1.fd1", "new package"}, {"sub/P2.fd1", "p2"}}).bytes())),
                 DataBackup::RestoreOutcome::Restored);
        RestoreTransaction::setBeforeEachMove({});
    }
    for (int cut = 0; cut < moves; ++cut) {
        QTest::addRow("cut before move %d of %d", cut + 1, moves) << cut << false;
        QTest::addRow("cut before move %d of %d, a staged file lost", cut + 1, moves) << cut << true;
    }
}

void BackupTest::restore_cutOffAtAnyMove_nextStartFinishesOrUndoesIt()
{
    QFETCH(int, cutAt);
    QFETCH(bool, stagedFileLost);
    QVERIFY(CatalogBuilder::addProject({u"OLD"_s, u"旧"_s}));
    m_fixture->app.writeFile(u"data/P1.fd1"_s, "old package");
    const FolderSnapshot before = FolderSnapshot::of(data());
    const QString archive = m_fixture->app.writeFile(
        u"b.fd2"_s, backupOf({u"NEW"_s}, {{"P1.fd1", "new package"}, {"sub/P2.fd1", "p2"}}).bytes());

    int moves = 0;
    RestoreTransaction::setBeforeEachMove([&] {
        if (moves++ == cutAt)
            throw Killed{};
    });
    bool killed = false;
    try {
        DataBackup::restore(archive);
    } catch (const Killed&) {
        killed = true;
    }
    RestoreTransaction::setBeforeEachMove({});
    QVERIFY(killed);
    // A file still waiting in the stage is gone: the restore cannot be completed.
    if (stagedFileLost) {
        QDirIterator staged(m_fixture->app.filePath(u"data-restore"_s), QDir::Files, QDirIterator::Subdirectories);
        QVERIFY(staged.hasNext());
        QVERIFY(QFile::remove(staged.next()));
    }

    BackupWindow::tellInterruptedRestore(nullptr, StartRecovery::run().restore);

    if (stagedFileLost) {
        QCOMPARE(m_prompt->texts(), QStringList{u"上次导入数据被中断，已恢复为导入前的数据！"_s});
        m_prompt->clear();
        QVERIFY2(FolderSnapshot::of(data()) == before, qPrintable(FolderSnapshot::of(data()).differencesFrom(before)));
        QCOMPARE(leftovers(), QStringList{u"data"_s});
        return;
    }
    QCOMPARE(m_prompt->texts(), QStringList{u"上次导入数据被中断，现已完成导入！"_s});
    m_prompt->clear();
    QCOMPARE(CatalogBuilder::projectNumbers(), QStringList{u"NEW"_s});
    QCOMPARE(m_fixture->app.readFile(u"data/P1.fd1"_s), QByteArray("new package"));
    QCOMPARE(m_fixture->app.readFile(u"data/sub/P2.fd1"_s), QByteArray("p2"));
    const QString undo = u"data-before-restore/20261207-093005/"_s;
    QCOMPARE(m_fixture->app.readFile(undo + u"P1.fd1"_s), QByteArray("old package"));
    // The package replaced came into the history with the rest, whichever move the kill came before.
    const QList<PackageHistory::Version> versions = PackageHistory::versions(u"P1"_s);
    QCOMPARE(versions.size(), 1);
    QCOMPARE(PackageHistory::label(versions.first().cause), u"导入"_s);
    QCOMPARE(m_fixture->app.readFile(u"data/history/P1.fd1/"_s + QFileInfo(versions.first().path).fileName()),
             QByteArray("old package"));
    ProjectTable kept;
    QVERIFY(kept.RecordTable::open(m_fixture->app.filePath(undo + u"DB.EDB"_s)));
    QCOMPARE(kept.readColumn(ProjectField::Number), QVariantList{u"OLD"_s});
    QCOMPARE(leftovers(), QStringList({u"data"_s, u"data-before-restore"_s}));
    QCOMPARE(DataBackup::finishInterruptedRestore(), DataBackup::Interrupted::None);
}

void BackupTest::restore_overATableCutOffMidCommit_neitherTableLosesRecords_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("projects") << TableSchemas::projectTableFileName();
    QTest::newRow("types with their pictures") << TableSchemas::typeTableFileName();
}

void BackupTest::restore_overATableCutOffMidCommit_neitherTableLosesRecords()
{
    QFETCH(QString, table);
    QVERIFY(CatalogBuilder::addProject({u"OLD"_s, u"旧"_s}));
    const auto contents = [](const QString& path) {
        RecordTable opened;
        QList<QVariantList> rows;
        if (!opened.open(path))
            return rows;
        for (opened.goFirst(); !opened.pastLast(); opened.skip()) {
            rows.append(QVariantList());
            for (int field = 1; field <= opened.fieldCount(); ++field)
                rows.last().append(opened.readField(field));
        }
        return rows;
    };
    const QList<QVariantList> committed = contents(data(table));
    {
        // The power goes in the middle of a delete: the journal stays beside the table.
        PowerCut power(3);
        RecordTable cut;
        QVERIFY(cut.open(data(table)));
        cut.deleteRecords({1});
    }
    QVERIFY(QFileInfo::exists(data(table + u"-journal"_s)));
    const QByteArray archive = backupOf({u"NEW"_s}).bytes();

    QCOMPARE(DataBackup::restore(m_fixture->app.writeFile(u"b.fd2"_s, archive)), DataBackup::RestoreOutcome::Restored);

    QCOMPARE(CatalogBuilder::projectNumbers(), QStringList{u"NEW"_s});
    QCOMPARE(contents(data(table)).size(), table == TableSchemas::projectTableFileName() ? 1 : committed.size());
    const QString kept = DataBackup::keptFolderPath() + u"/20261207-093005/"_s + table;
    if (table == TableSchemas::projectTableFileName())
        QCOMPARE(contents(kept), committed);
    else
        QCOMPARE(contents(data(table)), committed);
    QVERIFY(!QFileInfo::exists(data(u"DB.EDB-journal"_s)));
}

void BackupTest::restore_dataOnAnotherDisk_undoOnThatDiskOrRefused_data()
{
    QTest::addColumn<bool>("undoRootElsewhere"); // false: data/ is a link to another disk
    QTest::addColumn<bool>("historyElsewhere");  // data/history is a link to another disk
    QTest::newRow("data on another disk") << false << false;
    QTest::newRow("undo folder on another disk") << true << false;
    QTest::newRow("the history of data/ on another disk") << false << true;
}

void BackupTest::restore_dataOnAnotherDisk_undoOnThatDiskOrRefused()
{
    QFETCH(bool, undoRootElsewhere);
    QFETCH(bool, historyElsewhere);
    if (!ReadOnlyMount::available())
        QSKIP(ReadOnlyMount::unavailableReason());
    const QString other = m_fixture->app.filePath(undoRootElsewhere ? u"data-before-restore"_s : u"other"_s);
    QVERIFY(QDir().mkpath(other));
    SmallDisk disk(other, 16 << 20);
    QVERIFY(disk.isActive());
    if (historyElsewhere) {
        m_fixture->app.writeFile(u"other/history/P.fd1/20261201-093005-000-update-zip.fd1"_s, "earlier");
        QVERIFY(QFile::link(other + u"/history"_s, data(u"history"_s)));
        const FolderSnapshot before = FolderSnapshot::of(m_fixture->app.path());
        QCOMPARE_NE(
            DataBackup::restore(m_fixture->app.writeFile(
                u"b.fd2"_s, backupOf({u"NEW"_s}, {{"history/P.fd1/20261202-093005-000-update-zip.fd1", "x"}}).bytes())),
            DataBackup::RestoreOutcome::Restored);
        QFile::remove(m_fixture->app.filePath(u"b.fd2"_s));
        const QString difference = FolderSnapshot::of(m_fixture->app.path()).differencesFrom(before);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        return;
    }
    if (!undoRootElsewhere) {
        QVERIFY(QDir().mkpath(other + u"/data"_s));
        for (const QString& name : QDir(data()).entryList(QDir::Files))
            QVERIFY(QFile::copy(data(name), other + u"/data/"_s + name));
        QVERIFY(QDir(data()).removeRecursively());
        QVERIFY(QFile::link(other + u"/data"_s, data()));
    }
    const FolderSnapshot before = FolderSnapshot::of(data());

    const bool restored = DataBackup::restore(m_fixture->app.writeFile(u"b.fd2"_s, backupOf({u"NEW"_s}).bytes())) ==
                          DataBackup::RestoreOutcome::Restored;

    if (undoRootElsewhere) {
        QVERIFY(!restored);
        QVERIFY(FolderSnapshot::of(data()) == before);
        QCOMPARE(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        return;
    }
    QVERIFY(restored);
    QCOMPARE(CatalogBuilder::projectNumbers(), QStringList{u"NEW"_s});
    QCOMPARE(QDir(other).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList({u"data"_s, u"data-before-restore"_s}));
    QVERIFY(QFileInfo::exists(other + u"/data-before-restore/20261207-093005/DB.EDB"_s));
    QCOMPARE(leftovers(), QStringList({u"data"_s, u"other"_s}));
}

void BackupTest::start_hiddenFoldersOfAKilledOlderRestore_keptAsUndoSetOrCleared()
{
    // What an older version left when it was killed while restoring: a staging folder and the user's latest files.
    m_fixture->app.writeFile(u".data-restore-a1B2c3/DB.EDB"_s, "staged");
    m_fixture->app.writeFile(u".data-before-restore-d4E5f6/DB.EDB"_s, "latest work");
    QVERIFY(QDir().mkpath(m_fixture->app.filePath(u".data-before-restore-g7H8i9"_s)));

    BackupWindow::tellInterruptedRestore(nullptr, StartRecovery::run().restore);

    QCOMPARE(m_prompt->texts(), QStringList());
    QCOMPARE(leftovers(), QStringList({u"data"_s, u"data-before-restore"_s}));
    QCOMPARE(m_fixture->app.readFile(u"data-before-restore/20261207-093005/DB.EDB"_s), QByteArray("latest work"));
}

void BackupTest::restore_prunesNoEarlierPackage_undoSetHoldsOnlyWhatChanged_data()
{
    QTest::addColumn<bool>("otherInstallation"); // false: this installation's own backup, restored at once
    QTest::newRow("another installation's backup, two versions allowed") << true;
    QTest::newRow("this installation's own backup") << false;
}

void BackupTest::restore_prunesNoEarlierPackage_undoSetHoldsOnlyWhatChanged()
{
    QFETCH(bool, otherInstallation);
    QVERIFY(AppSettings().writeNumber(SettingsKeys::kHistoryVersions, 2));
    QVERIFY(CatalogBuilder::addProject({u"P1"_s, u"甲"_s}));
    const auto keep = [this](const QByteArray& bytes) {
        m_fixture->clockTime = m_fixture->clockTime.addSecs(60);
        // A file of its own each time: the version is a second name of it.
        const QString earlier = m_fixture->app.writeFile(u"earlier "_s + QString::fromLatin1(bytes), bytes);
        QVERIFY(!PackageHistory::keepFileInto(earlier, PackageHistory::folderOf(u"P1"_s), PackageHistory::Cause::Update,
                                              u"zip"_s, {})
                     .isEmpty());
    };
    const auto versions = [] {
        QByteArrayList found;
        for (const PackageHistory::Version& v : PackageHistory::versions(u"P1"_s)) {
            QFile file(v.path);
            found.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        }
        std::sort(found.begin(), found.end());
        return found;
    };
    // The other installation's P1, with its two earlier packages.
    keep("other 1");
    keep("other 2");
    m_fixture->app.writeFile(u"data/P1.fd1"_s, "other P1");
    const QString archive = m_fixture->app.filePath(u"a.fd2"_s);
    QVERIFY(DataBackup::backUp(archive));
    QByteArrayList expected{"other 1", "other 2"};
    if (otherInstallation) {
        // This installation's P1 and earlier packages: none of them is in that backup.
        QVERIFY(QDir(PackageHistory::rootFolder()).removeRecursively());
        keep("here 1");
        keep("here 2");
        m_fixture->app.writeFile(u"data/P1.fd1"_s, "this P1");
        expected = QByteArrayList{"here 1", "here 2", "other 1", "other 2", "this P1"};
    }

    QCOMPARE(DataBackup::restore(archive), DataBackup::RestoreOutcome::Restored);

    QCOMPARE(m_fixture->app.readFile(u"data/P1.fd1"_s), QByteArray("other P1"));
    // Every earlier package of both is kept, beyond the limit: the next package kept meets it.
    QCOMPARE(versions(), expected);
    // The undo set holds what the restore replaced by other bytes, and only that.
    const QMap<QString, QByteArray> kept = filesBelow(DataBackup::keptFolderPath());
    QCOMPARE(kept.keys(), otherInstallation ? QStringList{u"20261207-093405/P1.fd1"_s} : QStringList());
}

TALLYRA_TEST_MAIN_WITH_MOUNTS(BackupTest)
#include "tst_backup.moc"
