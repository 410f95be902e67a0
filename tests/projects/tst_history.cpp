#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "ZipBuilder.h"
#include "app/AppSettings.h"
#include "backup/DataBackup.h"
#include "execution/ExecutionPaths.h"
#include "execution/UpdateBack.h"
#include "execution/WorkLine.h"
#include "platform/DurableFile.h"
#include "platform/TextCodec.h"
#include "platform/ValueText.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "projects/ui/HistoryWindow.h"
#include "projects/ui/LineDiffWindow.h"
#include "projects/ui/VersionCompareWindow.h"
#include "store/CatalogueNotice.h"
#include "store/ProjectTable.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Qt::StringLiterals;
using PackageHistory::Cause;

namespace {

const QString kQuestion = u"确定要用此版本替换当前的项目文件包吗？"_s;

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

struct Killed
{
};

// Runs `work` with the process ending before its step `cutAt` (never with -1); answers the steps it took.
int runCutOff(int cutAt, const std::function<void()>& work)
{
    int steps = 0;
    PackageHistory::setBeforeEachStep([&] {
        if (steps++ == cutAt)
            throw Killed{};
    });
    try {
        work();
    } catch (const Killed&) {
    }
    PackageHistory::setBeforeEachStep({});
    return steps;
}

QByteArrayList versionBytes(const QString& number)
{
    QByteArrayList found;
    for (const PackageHistory::Version& version : PackageHistory::versions(number))
        found.append(bytesOf(version.path));
    return found;
}

// Rewrites record 1 with one member changed, as the table's own write does.
void setField(QString ProjectRecord::*member, const QString& value)
{
    ProjectTable table;
    QVERIFY(table.open() && table.goTo(1));
    ProjectRecord record = table.readProject();
    record.*member = value;
    QVERIFY(table.modifyProject(record));
}

void setPackageType(const QString& type)
{
    setField(&ProjectRecord::packageType, type);
}

void setVersion(const QString& version)
{
    setField(&ProjectRecord::version, version);
}

// The lists of a comparison window as "新增：a,b" lines, or a line comparison as "- text 2/" lines.
QStringList shownLists(const VersionCompareWindow* window)
{
    QStringList shown;
    for (const QString& name : {u"新增"_s, u"修改"_s, u"删除"_s}) {
        const auto* list = child<QListWidget>(window, name + u"列表框"_s);
        QStringList paths;
        for (int i = 0; i < list->count(); ++i)
            paths << list->item(i)->text();
        shown << name + u'：' + paths.join(u',');
    }
    return shown;
}
QStringList shownLines(const LineDiffWindow* window)
{
    const QAbstractItemModel* model = child<QTableView>(window, u"比较列表框"_s)->model();
    QStringList shown;
    for (int row = 0; row < model->rowCount(); ++row)
        shown << u"%1 %2/%3"_s.arg(model->index(row, 2).data().toString(), model->index(row, 0).data().toString(),
                                   model->index(row, 1).data().toString());
    return shown;
}

QStringList column(const QTreeWidget* list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<AppFixture> m_fx;

    QString stored() const { return m_fx->app.filePath(u"data/P1.fd1"_s); }
    void store(const QByteArray& bytes) { QVERIFY(DurableFile::write(stored(), bytes)); }

private slots:
    void init()
    {
        m_fx = std::make_unique<AppFixture>();
        QVERIFY(CatalogBuilder::addProject({u"P1"_s, u"甲"_s}));
        store("old package");
    }
    void cleanup() { m_fx.reset(); }

    void replacingPackage_keepsTheOneBeforeUnlessTheBytesAreTheSame_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("cause");
        for (const auto& [path, cause] : {std::pair{"update", u"更新项目"_s}, std::pair{"update back", u"更新回"_s},
                                          std::pair{"restore", u"导入"_s}, std::pair{"revert", u"恢复版本"_s},
                                          std::pair{"create", u"新建项目"_s}}) {
            QTest::addRow("%s, other bytes", path) << QString::fromLatin1(path) << true << cause;
            QTest::addRow("%s, same bytes", path) << QString::fromLatin1(path) << false << cause;
        }
        QTest::newRow("update, on a disk without links") << u"update, copied"_s << true << u"更新项目"_s;
    }

    void replacingPackage_keepsTheOneBeforeUnlessTheBytesAreTheSame()
    {
        QFETCH(QString, path);
        QFETCH(bool, changed);
        QFETCH(QString, cause);
        const QByteArray incoming = changed ? "new package" : "old package";
        qsizetype versionsBefore = 0;

        PackageHistory::setLinksRefused(path.endsWith(u"copied"));
        const auto linksAgain = qScopeGuard([] { PackageHistory::setLinksRefused(false); });
        if (path.startsWith(u"update,") || path == u"update") {
            const QString source = m_fx->app.writeFile(u"chosen/new.e"_s, incoming);
            QCOMPARE(ProjectRules::updateProject(1, ProjectCatalogue::readProject(1), source),
                     ProjectRules::UpdateOutcome::Updated);
        } else if (path == u"create") {
            // A delete without its package leaves the package under the number a new project then takes.
            QCOMPARE(ProjectRules::deleteProjects({1}, false), 1);
            ProjectRecord project;
            project.number = u"P1"_s;
            project.name = u"乙"_s;
            project.startTime = m_fx->clockTime;
            const QString source = m_fx->app.writeFile(u"chosen/new.zip"_s, incoming);
            QCOMPARE(ProjectRules::addProject(project, source, true), ProjectRules::AddOutcome::Added);
        } else if (path == u"update back") {
            const QString pending = ExecutionPaths::pendingPackage(u"P1"_s, u"zip"_s);
            QVERIFY(DurableFile::write(pending, incoming));
            QCOMPARE(UpdateBack::run(WorkLine::parse(WorkLine::packageCaption(pending))).outcome,
                     UpdateBack::Outcome::Updated);
        } else if (path == u"restore") {
            // The backup carries a history of its own, which comes back beside the version the restore keeps.
            const QString earlier = m_fx->app.writeFile(u"earlier.e"_s, "from the backup");
            QVERIFY(!PackageHistory::keepFileInto(earlier, PackageHistory::folderOf(u"P1"_s), Cause::Update, u"e"_s, {})
                         .isEmpty());
            versionsBefore = 1;
            m_fx->clockTime = m_fx->clockTime.addSecs(1);
            store(incoming);
            const QString archive = m_fx->app.filePath(u"a.fd2"_s);
            QVERIFY(DataBackup::backUp(archive));
            QVERIFY(QDir(PackageHistory::rootFolder()).removeRecursively());
            store("old package");
            QCOMPARE(DataBackup::restore(archive), DataBackup::RestoreOutcome::Restored);
        } else {
            const QString earlier = m_fx->app.writeFile(u"earlier.e"_s, incoming);
            QVERIFY(!PackageHistory::keepFileInto(earlier, PackageHistory::folderOf(u"P1"_s), Cause::Update, u"e"_s, {})
                         .isEmpty());
            versionsBefore = 1;
            m_fx->clockTime = m_fx->clockTime.addSecs(1);
            QCOMPARE(PackageHistory::revert(1, PackageHistory::versions(u"P1"_s).first()),
                     PackageHistory::RevertOutcome::Reverted);
            QCOMPARE(ProjectCatalogue::readProject(1).packageType, u"e"_s);
        }

        QCOMPARE(bytesOf(stored()), incoming);
        const QList<PackageHistory::Version> versions = PackageHistory::versions(u"P1"_s);
        QCOMPARE(versions.size(), versionsBefore + (changed ? 1 : 0));
        if (versionsBefore)
            QCOMPARE(PackageHistory::label(versions.last().cause), u"更新项目"_s);
        if (changed) {
            QCOMPARE(bytesOf(versions.first().path), QByteArray("old package"));
            QCOMPARE(PackageHistory::label(versions.first().cause), cause);
            QCOMPARE(versions.first().packageType, path == u"create" ? QString() : u"zip"_s);
            // The record's version text at the time (a project made anew over a left package had none then).
            QCOMPARE(versions.first().versionText, path == u"create" ? QString() : u"1.0"_s);
            QCOMPARE(versions.first().time, m_fx->clockTime);
        }
    }

    void keeping_beyondTheLimits_oldestGoButNeverTheOneJustKept_data()
    {
        QTest::addColumn<int>("versionsLimit");
        QTest::addColumn<int>("megabytes");
        QTest::addColumn<int>("kibibytes"); // of each package
        QTest::addColumn<int>("left");
        QTest::newRow("5 kept, 3 allowed") << 3 << 2048 << 1 << 3;
        QTest::newRow("5 of 1 MiB kept, 2 MiB allowed") << 10 << 2 << 1024 << 2;
        QTest::newRow("5 within both") << 10 << 2048 << 1 << 5;
        QTest::newRow("a package bigger than the size allowed") << 10 << 1 << 1536 << 1;
        QTest::newRow("no versions allowed is no limit one can set") << 0 << 2048 << 1 << 5;
    }

    void keeping_beyondTheLimits_oldestGoButNeverTheOneJustKept()
    {
        QFETCH(int, versionsLimit);
        QFETCH(int, megabytes);
        QFETCH(int, kibibytes);
        QFETCH(int, left);
        QVERIFY(AppSettings().writeNumber(SettingsKeys::kHistoryVersions, versionsLimit));
        QVERIFY(AppSettings().writeNumber(SettingsKeys::kHistoryMegabytes, megabytes));
        const auto package = [kibibytes](int n) { return QByteArray(kibibytes * 1024, char('a' + n)); };

        for (int n = 0; n < 5; ++n) {
            store(package(n));
            m_fx->clockTime = m_fx->clockTime.addSecs(60);
            QVERIFY(PackageHistory::keepCurrent(u"P1"_s, Cause::Update));
        }

        QByteArrayList kept;
        for (const PackageHistory::Version& version : PackageHistory::versions(u"P1"_s))
            kept << bytesOf(version.path);
        QByteArrayList newest;
        for (int n = 4; n > 4 - left; --n)
            newest << package(n);
        QCOMPARE(kept, newest);
    }

    void historyWindow_listsNewestFirst_orEmptyWithButtonsOff_data()
    {
        QTest::addColumn<int>("versions");
        QTest::newRow("three versions") << 3;
        QTest::newRow("nothing kept") << 0;
    }

    void historyWindow_listsNewestFirst_orEmptyWithButtonsOff()
    {
        QFETCH(int, versions);
        const QList<Cause> causes{Cause::Update, Cause::UpdateBack, Cause::Restore};
        QStringList times;
        for (int n = 0; n < versions; ++n) {
            store(QByteArray(n == 2 ? 3000 : 10, 'x') + QByteArray::number(n));
            m_fx->clockTime = m_fx->clockTime.addDays(1);
            QVERIFY(PackageHistory::keepCurrent(u"P1"_s, causes.at(n)));
            times.prepend(m_fx->clockTime.toString(u"yyyy-MM-dd HH:mm:ss"_s));
        }
        store("current");
        times.prepend(u"当前版本"_s);

        HistoryWindow window(1);
        QCOMPARE(window.objectName(), u"HistoryWindow"_s);
        QCOMPARE(window.windowTitle(), u"历史版本 - 甲"_s);
        const auto* list = child<QTreeWidget>(&window, u"版本列表框"_s);
        QCOMPARE(column(list, 0), times);
        if (versions) {
            QCOMPARE(column(list, 1), QStringList({QString(), u"导入"_s, u"更新回"_s, u"更新项目"_s}));
            QCOMPARE(column(list, 3), QStringList({u"zip"_s, u"zip"_s, u"zip"_s, u"zip"_s}));
            QCOMPARE(column(list, 4), QStringList({u"7字节"_s, u"2.93KB"_s, u"11字节"_s, u"11字节"_s}));
        }
        QCOMPARE(child<QLabel>(&window, u"空历史标签"_s)->isVisibleTo(&window), versions == 0);
        QCOMPARE(child<QLabel>(&window, u"空历史标签"_s)->text(), u"这个项目还没有保存过历史版本。"_s);
        QCOMPARE(child<QPushButton>(&window, u"恢复按钮"_s)->text(), u"恢复此版本"_s);
        QCOMPARE(child<QPushButton>(&window, u"恢复按钮"_s)->isEnabled(), versions > 0);
        QCOMPARE(child<QPushButton>(&window, u"导出按钮"_s)->isEnabled(), versions > 0);
        QCOMPARE(child<QPushButton>(&window, u"比较按钮"_s)->isEnabled(), versions > 0);
    }

    void historyWindow_buttons_revertOrExportTheSelectedVersion_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("row"); // -1: none selected
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QByteArray>("storedAfter");
        QTest::addColumn<int>("rowsAfter");
        QTest::newRow("revert, yes") << u"恢复按钮"_s << 2 << true << QStringList{kQuestion, u"恢复版本成功！"_s}
                                     << QByteArray("first") << 4;
        QTest::newRow("revert, no") << u"恢复按钮"_s << 2 << false << QStringList{kQuestion} << QByteArray("current")
                                    << 3;
        QTest::newRow("revert, nothing selected")
            << u"恢复按钮"_s << -1 << false << QStringList{u"请选择您要操作的版本！"_s} << QByteArray("current") << 3;
        QTest::newRow("revert, the current package")
            << u"恢复按钮"_s << 0 << false << QStringList{u"请选择您要操作的版本！"_s} << QByteArray("current") << 3;
        QTest::newRow("export") << u"导出按钮"_s << 2 << false << QStringList{} << QByteArray("current") << 3;
        QTest::newRow("export, nothing selected")
            << u"导出按钮"_s << -1 << false << QStringList{u"请选择您要操作的版本！"_s} << QByteArray("current") << 3;
    }

    void historyWindow_buttons_revertOrExportTheSelectedVersion()
    {
        QFETCH(QString, button);
        QFETCH(int, row);
        QFETCH(bool, yes);
        QFETCH(QStringList, texts);
        QFETCH(QByteArray, storedAfter);
        QFETCH(int, rowsAfter);
        const QString first = m_fx->app.writeFile(u"first.e"_s, "first");
        QVERIFY(!PackageHistory::keepFileInto(first, PackageHistory::folderOf(u"P1"_s), Cause::Update, u"e"_s, {})
                     .isEmpty());
        m_fx->clockTime = m_fx->clockTime.addSecs(1);
        QVERIFY(PackageHistory::keepCurrent(u"P1"_s, Cause::UpdateBack));
        store("current");
        m_fx->clockTime = m_fx->clockTime.addSecs(1);
        int notices = 0;
        const QMetaObject::Connection counting = QObject::connect(
            &CatalogueNotice::instance(), &CatalogueNotice::projectsChanged, [&notices] { ++notices; });
        const auto disconnect = qScopeGuard([&] { QObject::disconnect(counting); });
        HistoryWindow window(1);
        auto* list = child<QTreeWidget>(&window, u"版本列表框"_s);
        list->clearSelection();
        if (row >= 0)
            list->setCurrentItem(list->topLevelItem(row));
        const QString target = m_fx->app.filePath(u"out/P1_20261207-093005.e"_s);
        QDir().mkpath(m_fx->app.filePath(u"out"_s));
        if (button == u"导出按钮" && row > 0)
            m_fx->prompt.queueSaveFile(target);
        if (button == u"恢复按钮" && row > 0)
            m_fx->prompt.queueAnswer(yes ? Prompt::Answer::Yes : Prompt::Answer::No);

        child<QPushButton>(&window, button)->click();

        QCOMPARE(m_fx->prompt.texts(), texts);
        QCOMPARE(bytesOf(stored()), storedAfter);
        QCOMPARE(list->topLevelItemCount(), rowsAfter);
        QCOMPARE(notices, storedAfter == "first" ? 1 : 0);
        if (storedAfter == "first") {
            QCOMPARE(ProjectCatalogue::readProject(1).packageType, u"e"_s);
            QCOMPARE(column(list, 1).at(1), u"恢复版本"_s);
            QCOMPARE(bytesOf(PackageHistory::versions(u"P1"_s).first().path), QByteArray("current"));
        }
        if (button == u"导出按钮" && row >= 0) {
            QCOMPARE(bytesOf(target), QByteArray("first"));
            QCOMPARE(m_fx->prompt.fileDialogs.size(), 1);
            // The time the version was kept, to the second, tells one exported version from another.
            QCOMPARE(m_fx->prompt.fileDialogs.first().initialPath, u"P1_20261207-093005.e"_s);
            QCOMPARE(m_fx->prompt.fileDialogs.first().filter, u"易程序(*.E)|*.e|*.*|*.*"_s);
        }
    }

    void versionText_keptWithTheVersionAndShown_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("shown");
        QTest::newRow("kept") << u"kept"_s << u"2.0-beta/测试 100%"_s << u"2.0-beta/测试 100%"_s;
        QTest::newRow("longer than a name holds") << u"kept"_s << QString(200, u'版') << QString(29, u'版') + u"…"_s;
        QTest::newRow("kept by an older build") << u"older"_s << u"1.0"_s << QString();
        QTest::newRow("through backup and restore") << u"restore"_s << u"3.1 正式版"_s << u"3.1 正式版"_s;
        QTest::newRow("through the trash and back") << u"trash"_s << u"4.0"_s << u"4.0"_s;
    }

    void versionText_keptWithTheVersionAndShown()
    {
        QFETCH(QString, way);
        QFETCH(QString, version);
        QFETCH(QString, shown);
        setVersion(version);
        if (way == u"older") {
            // A name as versions were kept before they held the version text.
            QVERIFY(QDir().mkpath(PackageHistory::folderOf(u"P1"_s)));
            QVERIFY(DurableFile::write(PackageHistory::folderOf(u"P1"_s) + u"/20261207-093005-000-update-zip.fd1"_s,
                                       "old package"));
        } else {
            QVERIFY(PackageHistory::keepCurrent(u"P1"_s, Cause::Update));
        }
        setVersion(u"9.9"_s);
        store("current");
        if (way == u"restore") {
            const QString archive = m_fx->app.filePath(u"a.fd2"_s);
            QVERIFY(DataBackup::backUp(archive));
            QVERIFY(QDir(PackageHistory::rootFolder()).removeRecursively());
            QCOMPARE(DataBackup::restore(archive), DataBackup::RestoreOutcome::Restored);
        } else if (way == u"trash") {
            QCOMPARE(ProjectRules::deleteProjects({1}, true), 1);
            QCOMPARE(ProjectTrash::restore(ProjectTrash::entries().first().id), ProjectTrash::RestoreOutcome::Restored);
        }

        HistoryWindow window(1);
        QCOMPARE(column(child<QTreeWidget>(&window, u"版本列表框"_s), 2), QStringList({u"9.9"_s, shown}));
        QCOMPARE(bytesOf(PackageHistory::versions(u"P1"_s).first().path), QByteArray("old package"));
    }

    void historyWindow_compare_showsWhatChanged_data()
    {
        QTest::addColumn<QString>("packages"); // zip: three ZIP packages; e: two single files
        QTest::addColumn<QList<int>>("rows");  // selected; row 0 is the current package
        QTest::addColumn<QStringList>("lists");
        QTest::addColumn<QStringList>("lines"); // of a.txt, opened with Enter in the list of changed files
        QTest::addColumn<QStringList>("prompts");
        QTest::newRow("a version against the current one")
            << u"zip"_s << QList<int>{1} << QStringList{u"新增：more.txt"_s, u"修改：new.txt"_s, u"删除："_s}
            << QStringList() << QStringList();
        QTest::newRow("two versions, a Chinese code page file opened")
            << u"zip"_s << QList<int>{2, 1} << QStringList{u"新增：new.txt"_s, u"修改：a.txt"_s, u"删除：gone.txt"_s}
            << QStringList{u"  one 1/1"_s, u"- 二 2/"_s, u"+ 三 /2"_s, u"  end 3/3"_s} << QStringList();
        QTest::newRow("the current package alone")
            << u"zip"_s << QList<int>{0} << QStringList() << QStringList()
            << QStringList{u"请选择一个版本与当前版本比较，或选择两个版本互相比较！"_s};
        QTest::newRow("a single file, shown at once")
            << u"e"_s << QList<int>{1} << QStringList() << QStringList{u"  a 1/1"_s, u"- b 2/"_s, u"+ c /2"_s}
            << QStringList();
        QTest::newRow("a single file that is no text")
            << u"e binary"_s << QList<int>{1} << QStringList() << QStringList()
            << QStringList{u"这个文件太大或不是文本文件，无法逐行比较。"_s};
    }

    void historyWindow_compare_showsWhatChanged()
    {
        QFETCH(QString, packages);
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, lists);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, prompts);
        const auto keep = [this](const QByteArray& bytes) {
            store(bytes);
            QVERIFY(PackageHistory::keepCurrent(u"P1"_s, Cause::Update));
            m_fx->clockTime = m_fx->clockTime.addSecs(1);
        };
        if (packages == u"zip") {
            keep(ZipBuilder()
                     .addFile("a.txt", TextCodec::encode(u"one\r\n二\r\nend\r\n"_s))
                     .addFile("gone.txt", "x")
                     .bytes());
            keep(ZipBuilder().addFile("a.txt", u"one\n三\nend\n"_s.toUtf8()).addFile("new.txt", "n").bytes());
            store(ZipBuilder()
                      .addFile("a.txt", u"one\n三\nend\n"_s.toUtf8())
                      .addFile("new.txt", "n2")
                      .addFile("more.txt", "m")
                      .bytes());
        } else {
            setPackageType(u"e"_s);
            keep(packages.endsWith(u"binary") ? QByteArray("a\0b", 3) : QByteArray("a\nb\n"));
            store("a\nc\n");
        }

        HistoryWindow window(1);
        auto* list = child<QTreeWidget>(&window, u"版本列表框"_s);
        list->clearSelection();
        for (const int row : rows)
            list->topLevelItem(row)->setSelected(true);
        QStringList shownInLists;
        QStringList shownInLines;
        const auto readLines = [&shownInLines](LineDiffWindow* diff) {
            shownInLines = shownLines(diff);
            diff->reject();
        };
        if (packages == u"zip") {
            whenModal<VersionCompareWindow>([&](VersionCompareWindow* compared) {
                shownInLists = shownLists(compared);
                auto* changed = child<QListWidget>(compared, u"修改列表框"_s);
                if (!lines.isEmpty()) {
                    whenModal<LineDiffWindow>(readLines);
                    changed->setFocus();
                    QTest::keyClick(changed, Qt::Key_Return);
                }
                compared->reject();
            });
        } else if (prompts.isEmpty()) {
            whenModal<LineDiffWindow>(readLines);
        }
        child<QPushButton>(&window, u"比较按钮"_s)->click();

        QCOMPARE(m_fx->prompt.texts(), prompts);
        QCOMPARE(shownInLists, lists);
        QCOMPARE(shownInLines, lines);
    }

    void keeping_sameBytesAsAnyVersion_makesNoVersion_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QByteArrayList>("versions");
        QTest::newRow("恢复此版本 of the first, then 更新项目")
            << u"revert"_s << QByteArrayList{"third", "second", "old package"};
        QTest::newRow("更新项目 back to the first bytes, then again")
            << u"update"_s << QByteArrayList{"second", "old package"};
    }

    void keeping_sameBytesAsAnyVersion_makesNoVersion()
    {
        QFETCH(QString, road);
        QFETCH(QByteArrayList, versions);
        const auto update = [this](const QByteArray& bytes) {
            m_fx->clockTime = m_fx->clockTime.addSecs(60);
            const QString source = m_fx->app.writeFile(u"chosen/"_s + QString::fromLatin1(bytes) + u".zip"_s, bytes);
            QCOMPARE(ProjectRules::updateProject(1, ProjectCatalogue::readProject(1), source),
                     ProjectRules::UpdateOutcome::Updated);
        };
        update("second");
        if (road == u"revert") {
            update("third");
            m_fx->clockTime = m_fx->clockTime.addSecs(60);
            QCOMPARE(PackageHistory::revert(1, PackageHistory::versions(u"P1"_s).last()),
                     PackageHistory::RevertOutcome::Reverted);
            QCOMPARE(bytesOf(stored()), QByteArray("old package"));
        } else {
            update("old package");
        }
        update("fourth");
        QCOMPARE(versionBytes(u"P1"_s), versions);
    }

    void placing_endedBeforeAnyStep_oldOrNewPackageWithItsRecord_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("cutAt");
        for (const QString& command :
             {u"新建项目 over a package a delete left"_s, u"恢复此版本 of a ZIP over a C file"_s}) {
            int steps = 0;
            {
                AppFixture counting;
                QVERIFY(CatalogBuilder::addProject({u"P1"_s, u"甲"_s}));
                steps = runCutOff(-1, prepare(counting, command));
            }
            for (int cut = 0; cut <= steps; ++cut) {
                const QByteArray when =
                    cut == steps ? QByteArray("complete") : QByteArray("before step " + QByteArray::number(cut + 1));
                QTest::addRow("%s, %s", qPrintable(command), when.constData()) << command << cut;
            }
        }
    }

    void placing_endedBeforeAnyStep_oldOrNewPackageWithItsRecord()
    {
        QFETCH(QString, command);
        QFETCH(int, cutAt);
        const std::function<void()> work = prepare(*m_fx, command);
        runCutOff(cutAt, work);
        ProjectTrash::recover(); // the next start

        // No file lies where no window leads to it.
        const QStringList data = QDir(m_fx->app.filePath(u"data"_s)).entryList(QDir::Files);
        QVERIFY2(std::none_of(data.cbegin(), data.cend(), [](const QString& n) { return n.contains(u".placing"_s); }),
                 qPrintable(data.join(u' ')));
        if (command.startsWith(u"新建项目")) {
            const int record = ProjectCatalogue::recordOf(u"P1"_s);
            if (record == 0) { // the old state: the project in the trash, the package it left in place
                QCOMPARE(bytesOf(stored()), QByteArray("old package"));
                QCOMPARE(ProjectTrash::entries().size(), 1);
            } else { // the new: the new project with its package, the one left before in its history
                QCOMPARE(ProjectCatalogue::readProject(record).name, u"乙"_s);
                QCOMPARE(ProjectCatalogue::readProject(record).packageType, u"zip"_s);
                QCOMPARE(bytesOf(stored()), QByteArray("new package"));
                QVERIFY(versionBytes(u"P1"_s).contains("old package"));
            }
        } else {
            const QString type = ProjectCatalogue::readProject(1).packageType;
            QVERIFY2(type == u"c" || type == u"zip", qPrintable(type));
            // The package in place is the one the record names, and the other is in 历史版本.
            QCOMPARE(bytesOf(stored()), type == u"c" ? QByteArray("c source") : QByteArray("zip bytes"));
            QVERIFY(versionBytes(u"P1"_s).contains(type == u"c" ? QByteArray("zip bytes") : QByteArray("c source")));
        }
    }

private:
    // The world a placing starts from, and the command.
    static std::function<void()> prepare(AppFixture& fx, const QString& command)
    {
        const QString package = fx.app.filePath(u"data/P1.fd1"_s);
        if (command.startsWith(u"新建项目")) {
            fx.app.writeFile(u"data/P1.fd1"_s, "old package");
            if (ProjectRules::deleteProjects({1}, false) != 1)
                qFatal("no delete");
            const QString source = fx.app.writeFile(u"chosen/new.zip"_s, "new package");
            ProjectRecord project;
            project.number = u"P1"_s;
            project.name = u"乙"_s;
            project.startTime = fx.clockTime;
            return [project, source] { ProjectRules::addProject(project, source, true); };
        }
        fx.app.writeFile(u"data/P1.fd1"_s, "c source");
        setPackageType(u"c"_s);
        const QString earlier = fx.app.writeFile(u"earlier.zip"_s, "zip bytes");
        if (PackageHistory::keepFileInto(earlier, PackageHistory::folderOf(u"P1"_s), Cause::Update, u"zip"_s, {})
                .isEmpty())
            qFatal("no version");
        fx.clockTime = fx.clockTime.addSecs(1);
        return [] { PackageHistory::revert(1, PackageHistory::versions(u"P1"_s).first()); };
    }
};

QTEST_MAIN(HistoryTest)
#include "tst_history.moc"
