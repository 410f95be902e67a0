#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "FolderSnapshot.h"
#include "HostileArchives.h"
#include "ReadOnlyMount.h"
#include "ZipBuilder.h"
#include "backup/BackupWindow.h"
#include "backup/DataBackup.h"
#include "store/ProjectTable.h"
#include "tools/ToolTable.h"

#include <QAccessible>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
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
    void restore_foreignButSoundArchive_restoredWithItsNames_data();
    void restore_foreignButSoundArchive_restoredWithItsNames();
    void restore_movingInFailsHalfWay_everyMovedFileGoesBack();

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
        connect(&window, &BackupWindow::catalogueChanged, this, [restored] { ++*restored; });
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
        // What the restore replaced is kept beside the data folder; only the last restore's.
        const QMap<QString, QByteArray> kept = filesBelow(DataBackup::keptFolderPath());
        QCOMPARE(kept.keys(), backedUp.keys());
        QCOMPARE(kept.value(u"DB.EDB"_s), round == 0 ? newerTable : backedUp.value(u"DB.EDB"_s));
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
}

void BackupTest::backUp_cancelledOrIntoTheDataFolder_noArchive()
{
    QFETCH(QString, target);
    QFETCH(QStringList, messages);
    QDir().mkpath(data(u"sub"_s));
    QVERIFY(QFile::link(data(), m_fixture->app.filePath(u"link"_s)));
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
    QTest::addColumn<bool>("refused");
    const QByteArray good = ZipBuilder().addFile("DB.EDB", "x").addFile("new.fd1", QByteArray(5000, 'n')).bytes();
    ZipBuilder::Entry badCrc{"P9.fd1", QByteArray(70000, 'c'), ZipBuilder::kDeflated};
    badCrc.wrongCrc = true;
    QTest::newRow("question cancelled") << int(Prompt::Answer::Cancel) << QByteArray() << false;
    QTest::newRow("dialog cancelled") << int(Prompt::Answer::Ok) << QByteArray() << false;
    QTest::newRow("damaged entry last") << int(Prompt::Answer::Ok)
                                        << ZipBuilder().addFile("DB.EDB", "x").add(badCrc).bytes() << true;
    QTest::newRow("truncated") << int(Prompt::Answer::Ok) << good.left(good.size() - 30) << true;
    QTest::newRow("climbs out") << int(Prompt::Answer::Ok)
                                << ZipBuilder().addFile("DB.EDB", "x").addFile("../Install.ini", "x").bytes() << true;
    QTest::newRow("not an archive") << int(Prompt::Answer::Ok) << QByteArray(4096, 'z') << true;
    for (const HostileArchives::Case& hostile : HostileArchives::all())
        QTest::newRow(hostile.name) << int(Prompt::Answer::Ok) << hostile.bytes << true;
}

void BackupTest::restore_cancelledOrBadArchive_dataFolderAsItWas()
{
    QFETCH(int, answer);
    QFETCH(QByteArray, archive);
    QFETCH(bool, refused);
    const FolderSnapshot before = FolderSnapshot::of(data());
    const QByteArray settings = m_fixture->app.readFile(u"Install.ini"_s);
    const QString path = m_fixture->app.writeFile(u"bad.fd2"_s, archive);

    m_prompt->queueAnswer(Prompt::Answer(answer));
    if (answer == int(Prompt::Answer::Ok))
        m_prompt->queueOpenFile(archive.isEmpty() ? QString() : path);
    QVERIFY(!press(u"导入按钮"_s));

    QStringList messages{u"您确定要要导入数据吗？这会将当前数据覆盖！"_s};
    if (refused)
        messages << u"导入数据库失败！"_s;
    QCOMPARE(m_prompt->texts(), messages);
    QVERIFY2(FolderSnapshot::of(data()) == before, qPrintable(FolderSnapshot::of(data()).differencesFrom(before)));
    QCOMPARE(m_fixture->app.readFile(u"Install.ini"_s), settings);
    QCOMPARE(leftovers(), QStringList{u"data"_s});
}

void BackupTest::restore_foreignButSoundArchive_restoredWithItsNames_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QStringList>("files");
    for (const HostileArchives::SoundCase& sound : HostileArchives::foreignButSound())
        QTest::newRow(sound.name) << sound.bytes << sound.files;
}

void BackupTest::restore_foreignButSoundArchive_restoredWithItsNames()
{
    QFETCH(QByteArray, archive);
    QFETCH(QStringList, files);
    m_prompt->queueAnswer(Prompt::Answer::Ok);
    m_prompt->queueOpenFile(m_fixture->app.writeFile(u"a.fd2"_s, archive));

    QVERIFY(press(u"导入按钮"_s));

    QCOMPARE(m_prompt->lastText(), u"导入成功"_s);
    m_prompt->clear();
    const QStringList restored = FolderSnapshot::of(data()).fileNames();
    for (const QString& file : files)
        QVERIFY2(restored.contains(file), qPrintable(file));
}

void BackupTest::restore_movingInFailsHalfWay_everyMovedFileGoesBack()
{
    if (!ReadOnlyMount::available())
        QSKIP(ReadOnlyMount::unavailableReason());
    m_fixture->app.writeFile(u"data/zz/old.fd1"_s, "old");
    const QString archive = m_fixture->app.writeFile(
        u"b.fd2"_s,
        ZipBuilder().addFile("DB.EDB", "restored").addFile("np.edb", "pw").addFile("zz/old.fd1", "n").bytes());
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

TALLYRA_TEST_MAIN_WITH_MOUNTS(BackupTest)
#include "tst_backup.moc"
