#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "TrashWorld.h"
#include "WindowsSkips.h"
#include "app/AppDir.h"
#include "app/StartRecovery.h"
#include "backup/DataBackup.h"
#include "platform/FileSystem.h"
#include "platform/ValueText.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "projects/TrashBatch.h"
#include "projects/ui/RenumberWindow.h"
#include "projects/ui/TrashWindow.h"
#include "store/ProjectTable.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using CatalogBuilder::allProjects;
using CatalogBuilder::fullRecord;
using namespace TrashWorld;

namespace {

QStringList column(const QTreeWidget* list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

QByteArrayList versionBytesOf(const QString& number)
{
    QByteArrayList found;
    for (const PackageHistory::Version& version : PackageHistory::versions(number)) {
        QFile file(version.path);
        found.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return found;
}

// Writes the number of the trash entry of project `number` as a hand (or a damaged disk) might.
void damageNumber(const QString& number, const QString& damaged)
{
    for (const QString& name : TrashBatch::names()) {
        QFile file(TrashBatch::pathOf(name) + u"/records.json"_s);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QJsonObject document = QJsonDocument::fromJson(file.readAll()).object();
        QJsonArray projects = document.value(u"projects"_s).toArray();
        for (qsizetype i = 0; i < projects.size(); ++i) {
            QJsonObject project = projects.at(i).toObject();
            if (project.value(u"number"_s).toString() == number)
                project.insert(u"number"_s, damaged);
            projects[i] = project;
        }
        document.insert(u"projects"_s, projects);
        file.resize(0);
        file.write(QJsonDocument(document).toJson());
    }
}

ProjectRecord newProject(const QString& number, const QString& name)
{
    ProjectRecord project;
    project.number = number;
    project.name = name;
    project.version = u"9.0"_s;
    project.startTime = QDateTime(QDate(2026, 12, 1), QTime(0, 0));
    return project;
}

} // namespace

class TrashTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void deleteThenRestore_everyFieldAndThePackageComeBack_data();
    void deleteThenRestore_everyFieldAndThePackageComeBack();
    void restore_situations_data();
    void restore_situations();
    void endedBeforeAnyStep_eachProjectInTheCatalogueOrTheTrashOnce_data();
    void endedBeforeAnyStep_eachProjectInTheCatalogueOrTheTrashOnce();
    void orphanEndedBeforeAnyStep_inTheDataFolderOrTheTrashOnce_data();
    void orphanEndedBeforeAnyStep_inTheDataFolderOrTheTrashOnce();
    void everyOtherCommand_endedBeforeAnyStep_nothingLostNothingTwice_data();
    void everyOtherCommand_endedBeforeAnyStep_nothingLostNothingTwice();
    void everyRoadBack_oneEntryPerProjectAndEveryPackageReachable_data();
    void everyRoadBack_oneEntryPerProjectAndEveryPackageReachable();
    void versions_leaveWithTheirEntry_newProjectShowsNone_data();
    void versions_leaveWithTheirEntry_newProjectShowsNone();
    void start_expiry_asksOnceAndTrustsNoJumpedClock_data();
    void start_expiry_asksOnceAndTrustsNoJumpedClock();
    void removeForGood_asksOnce_data();
    void removeForGood_asksOnce();
    void trashOrHistoryOnAnotherDisk_workAcrossDisks_data();
    void trashOrHistoryOnAnotherDisk_workAcrossDisks();
    void start_entriesAnEarlierVersionMade_restoreLikeAnyOther_data();
    void start_entriesAnEarlierVersionMade_restoreLikeAnyOther();
    void toolMenu_trashEntry_restoresIntoTheMainList();

private:
    QTreeWidget* entryList(TrashWindow& w) { return child<QTreeWidget>(&w, u"回收站列表框"_s); }
    QPushButton* button(TrashWindow& w, const QString& name) { return child<QPushButton>(&w, name); }

    std::unique_ptr<AppFixture> m_fx;
};

void TrashTest::init()
{
    m_fx = std::make_unique<AppFixture>();
}

void TrashTest::cleanup()
{
    ProjectTrash::setBeforeEachStep({});
    m_fx.reset();
}

void TrashTest::deleteThenRestore_everyFieldAndThePackageComeBack_data()
{
    QTest::addColumn<bool>("withPackages");
    QTest::newRow("with its package") << true;
    QTest::newRow("package left in place") << false;
}

void TrashTest::deleteThenRestore_everyFieldAndThePackageComeBack()
{
    QFETCH(bool, withPackages);
    addProjects();
    const QDateTime first = m_fx->clockTime;
    QCOMPARE(ProjectRules::deleteProjects({2}, withPackages), 1);
    m_fx->clockTime = first.addSecs(90);
    QCOMPARE(ProjectRules::deleteProjects({3}, withPackages), 1); // D, now record 3
    QCOMPARE(numbersIn(allProjects()), (QStringList{u"A"_s, u"C"_s}));
    for (const QString& n : {u"B"_s, u"D"_s}) {
        QCOMPARE(QFileInfo::exists(m_fx->app.filePath(u"data/"_s + n + u".fd1"_s)), !withPackages);
        // The earlier packages go with their project, whatever happens to the package.
        QVERIFY(PackageHistory::versions(n).isEmpty());
    }

    TrashWindow w;
    QCOMPARE(w.windowTitle(), u"回收站"_s);
    QTreeWidget* list = entryList(w);
    QCOMPARE(column(list, 0), (QStringList{u"D"_s, u"B"_s})); // the latest deleted first
    QCOMPARE(column(list, 1), (QStringList{u"项目D"_s, u"项目B"_s}));
    QCOMPARE(column(list, 2), (QStringList{u"1.4"_s, u"1.4"_s}));
    QCOMPARE(column(list, 3), (QStringList{ValueText::dateTime(first.addSecs(90)), ValueText::dateTime(first)}));
    const QString came = withPackages ? u"有"_s : u"无"_s;
    QCOMPARE(column(list, 4), (QStringList{came, came}));
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(child<QLabel>(&w, u"标签1"_s)->text(), u"已删除的项目（2 个）："_s);

    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    button(w, u"还原按钮"_s)->click();

    QVERIFY(m_fx->prompt.messages().isEmpty());
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(!button(w, u"清空按钮"_s)->isEnabled());
    QVERIFY(!button(w, u"彻底删除按钮"_s)->isEnabled());
    const QList<ProjectRecord> projects = allProjects();
    QCOMPARE(projects.size(), 4);
    QCOMPARE(projects.at(2), fullRecord(u"D"_s));
    QCOMPARE(projects.at(3), fullRecord(u"B"_s));
    for (const QString& n : {u"B"_s, u"D"_s}) {
        QCOMPARE(m_fx->app.readFile(u"data/"_s + n + u".fd1"_s), packageBytes(n));
        QCOMPARE(versionBytesOf(n), QByteArrayList{versionBytes(n)});
    }
    QCOMPARE(QDir(ProjectTrash::folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

void TrashTest::restore_situations_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("typed"); // into the new-number window; empty: it is cancelled or never comes
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("catalogue");
    QTest::addColumn<QStringList>("trash");
    QTest::newRow("nothing selected") << u"none"_s << QString() << QStringList{u"请选择您要还原的项目！"_s}
                                      << QStringList{u"A"_s, u"C"_s, u"D"_s} << QStringList{u"B"_s};
    QTest::newRow("number taken again, a new number given")
        << u"taken"_s << u"B2"_s << QStringList() << QStringList{u"A"_s, u"C"_s, u"D"_s, u"B"_s, u"B2"_s}
        << QStringList();
    QTest::newRow("number taken again, the new number cancelled")
        << u"taken"_s << QString() << QStringList() << QStringList{u"A"_s, u"C"_s, u"D"_s, u"B"_s}
        << QStringList{u"B"_s};
    QTest::newRow("a file lies at the package's place")
        << u"leftover"_s << QString() << QStringList() << QStringList{u"A"_s, u"C"_s, u"D"_s, u"B"_s} << QStringList();
    QTest::newRow("a damaged record's number, a new number given")
        << u"damaged"_s << u"B3"_s << QStringList() << QStringList{u"A"_s, u"C"_s, u"D"_s, u"B3"_s} << QStringList();
    QTest::newRow("a damaged record's number, the new number cancelled")
        << u"damaged"_s << QString() << QStringList() << QStringList{u"A"_s, u"C"_s, u"D"_s} << QStringList{u"../B"_s};
}

void TrashTest::restore_situations()
{
    QFETCH(QString, situation);
    QFETCH(QString, typed);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, catalogue);
    QFETCH(QStringList, trash);
    addProjects();
    QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
    if (situation == u"taken") {
        ProjectTable table;
        QVERIFY(table.open() && table.appendProject(fullRecord(u"B"_s)));
        m_fx->app.writeFile(u"data/B.fd1"_s, "new B");
    } else if (situation == u"leftover") {
        // The history keeps this one before the trash's package takes its place.
        m_fx->app.writeFile(u"data/B.fd1"_s, "left behind");
        m_fx->clockTime = m_fx->clockTime.addSecs(60);
    } else if (situation == u"damaged") {
        damageNumber(u"B"_s, u"../B"_s);
    }

    TrashWindow w;
    if (situation != u"none")
        entryList(w)->topLevelItem(0)->setSelected(true);
    QString asked;
    QString offered;
    if (situation == u"taken" || situation == u"damaged") {
        whenModal<RenumberWindow>([&](RenumberWindow* window) {
            asked = child<QLabel>(window, u"标签1"_s)->text();
            offered = child<QLineEdit>(window, u"编号编辑框"_s)->text();
            if (typed.isEmpty()) {
                child<QPushButton>(window, u"取消按钮"_s)->click();
                return;
            }
            child<QLineEdit>(window, u"编号编辑框"_s)->setText(typed);
            child<QPushButton>(window, u"确定按钮"_s)->click();
        });
    }
    button(w, u"还原按钮"_s)->click();

    QCOMPARE(m_fx->prompt.texts(), messages);
    QCOMPARE(numbersIn(allProjects()), catalogue);
    QCOMPARE(trashNumbers(), trash);
    QCOMPARE(column(entryList(w), 0), trash);
    if (situation == u"taken") {
        QCOMPARE(asked, u"“项目B”编号“B”已被使用，请为它输入新的编号："_s);
        QCOMPARE(offered, u"261207_093005"_s); // the next automatic number
        QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), QByteArray("new B"));
    }
    if (situation == u"damaged")
        QCOMPARE(asked, u"“项目B”编号“../B”不能用作文件名，请为它输入新的编号："_s);
    // Wherever the entry came back, its package and its earlier package came along; where it stays, they stay.
    const QString back = typed.isEmpty() ? u"B"_s : typed;
    if (trash.isEmpty()) {
        QCOMPARE(allProjects().last().name, u"项目B"_s);
        QCOMPARE(m_fx->app.readFile(u"data/"_s + back + u".fd1"_s), packageBytes(u"B"_s));
        QByteArrayList versions{versionBytes(u"B"_s)};
        if (situation == u"leftover")
            versions.prepend("left behind");
        QCOMPARE(versionBytesOf(back), versions);
    } else if (situation != u"none") {
        QVERIFY(reachableBytes().contains(packageBytes(u"B"_s)));
        QVERIFY(reachableBytes().contains(versionBytes(u"B"_s)));
    }
    QVERIFY(!QFileInfo::exists(m_fx->app.filePath(u"B.fd1"_s))); // nothing outside the data folder
}

void TrashTest::endedBeforeAnyStep_eachProjectInTheCatalogueOrTheTrashOnce_data()
{
    QTest::addColumn<bool>("restoring"); // false: the delete is cut off
    QTest::addColumn<bool>("withPackages");
    QTest::addColumn<bool>("hardLinks");
    QTest::addColumn<int>("cutAt");
    for (const bool restoring : {false, true}) {
        for (const bool withPackages : {true, false}) {
            int steps = 0;
            {
                AppFixture counting;
                addProjects();
                if (restoring)
                    QCOMPARE(ProjectRules::deleteProjects({2, 4}, withPackages), 2);
                steps = runCutOff(-1, [&] {
                    if (restoring) {
                        QStringList ids;
                        for (const ProjectTrash::Entry& e : ProjectTrash::entries())
                            ids.append(e.id);
                        QList<ProjectTrash::RestoreRequest> requests;
                        for (const QString& id : ids)
                            requests.append({id, {}});
                        for (const ProjectTrash::RestoreOutcome outcome : ProjectTrash::restore(requests))
                            QCOMPARE(outcome, ProjectTrash::RestoreOutcome::Restored);
                    } else {
                        QCOMPARE(ProjectRules::deleteProjects({2, 4}, withPackages), 2);
                    }
                });
            }
            const char* command = restoring ? "restore" : "delete";
            const char* packages = withPackages ? "with packages" : "without packages";
            for (int cut = 0; cut <= steps; ++cut) {
                const QByteArray when =
                    cut == steps ? QByteArray("complete") : QByteArray("before step " + QByteArray::number(cut + 1));
                QTest::addRow("%s %s, %s", command, packages, when.constData())
                    << restoring << withPackages << true << cut;
                // A disk without hard links: the package is renamed into the trash once its record is gone.
                if (withPackages && !restoring)
                    QTest::addRow("%s %s, no hard links, %s", command, packages, when.constData())
                        << restoring << withPackages << false << cut;
            }
        }
    }
}

void TrashTest::endedBeforeAnyStep_eachProjectInTheCatalogueOrTheTrashOnce()
{
    QFETCH(bool, restoring);
    QFETCH(bool, withPackages);
    QFETCH(bool, hardLinks);
    QFETCH(int, cutAt);
    addProjects();
    if (restoring)
        QCOMPARE(ProjectRules::deleteProjects({2, 4}, withPackages), 2);

    runCutOff(cutAt, [&] {
        if (restoring) {
            QList<ProjectTrash::RestoreRequest> requests;
            for (const ProjectTrash::Entry& e : ProjectTrash::entries())
                requests.append({e.id, {}});
            ProjectTrash::restore(requests);
        } else {
            ProjectRules::deleteProjects({2, 4}, withPackages);
        }
    });
    if (!hardLinks) {
        // What the disk would hold had every link failed: a pending batch without the packages that still lie in
        // the data folder.
        QDirIterator pending(ProjectTrash::folder(), {u"*.fd1"_s}, QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
        while (pending.hasNext()) {
            const QString kept = pending.next();
            for (const QString& n : {u"B"_s, u"D"_s}) {
                const QString stored = m_fx->app.filePath(u"data/"_s + n + u".fd1"_s);
                if (QFileInfo::exists(stored) && FileSystem::sameFile(kept, stored))
                    QVERIFY(QFile::remove(kept));
            }
        }
    }
    ProjectTrash::recover(); // the next start

    const QList<ProjectRecord> projects = allProjects();
    const QList<ProjectTrash::Entry> trash = ProjectTrash::entries();
    for (const QString& n : {u"B"_s, u"D"_s}) {
        const bool listed = projects.contains(fullRecord(n));
        const auto entry = std::find_if(trash.cbegin(), trash.cend(),
                                        [&](const ProjectTrash::Entry& e) { return e.project.number == n; });
        const bool trashed = entry != trash.cend();
        QVERIFY2(listed != trashed, qPrintable(n + (listed ? u" twice"_s : u" nowhere"_s)));
        const QString stored = m_fx->app.filePath(u"data/"_s + n + u".fd1"_s);
        if (trashed && withPackages) {
            QVERIFY(entry->withPackage);
            QVERIFY(!QFileInfo::exists(stored));
            QCOMPARE(m_fx->app.readFile(QDir(m_fx->app.path()).relativeFilePath(entry->packagePath)), packageBytes(n));
        } else {
            QVERIFY(trashed ? !entry->withPackage : true);
            QCOMPARE(m_fx->app.readFile(u"data/"_s + n + u".fd1"_s), packageBytes(n));
        }
        // The earlier package is with the project, wherever the project is.
        if (listed)
            QCOMPARE(versionBytesOf(n), QByteArrayList{versionBytes(n)});
        QCOMPARE(reachableBytes().count(versionBytes(n)), 1);
    }
    // Nothing half made is left, and a second start finds nothing more to do.
    QCOMPARE(strays(), QStringList());
    ProjectTrash::recover();
    QCOMPARE(allProjects(), projects);
    QCOMPARE(ProjectTrash::entries().size(), trash.size());
}

void TrashTest::orphanEndedBeforeAnyStep_inTheDataFolderOrTheTrashOnce_data()
{
    QTest::addColumn<bool>("restoring"); // false: 检查数据's 删除文件 is cut off
    QTest::addColumn<int>("cutAt");
    for (const bool restoring : {false, true}) {
        AppFixture counting;
        counting.app.writeFile(u"data/X.fd1"_s, "left over");
        if (restoring)
            QVERIFY(ProjectTrash::moveOrphanIn(u"X"_s));
        const int steps = runCutOff(-1, [&] {
            QVERIFY(restoring ? ProjectTrash::restore(ProjectTrash::entries().first().id) ==
                                    ProjectTrash::RestoreOutcome::Restored
                              : ProjectTrash::moveOrphanIn(u"X"_s));
        });
        for (int cut = 0; cut <= steps; ++cut) {
            const QByteArray when =
                cut == steps ? QByteArray("complete") : QByteArray("before step " + QByteArray::number(cut + 1));
            QTest::addRow("%s, %s", restoring ? "restore" : "move in", when.constData()) << restoring << cut;
        }
    }
}

void TrashTest::orphanEndedBeforeAnyStep_inTheDataFolderOrTheTrashOnce()
{
    QFETCH(bool, restoring);
    QFETCH(int, cutAt);
    m_fx->app.writeFile(u"data/X.fd1"_s, "left over");
    if (restoring)
        QVERIFY(ProjectTrash::moveOrphanIn(u"X"_s));
    runCutOff(cutAt, [&] {
        if (restoring)
            ProjectTrash::restore(ProjectTrash::entries().first().id);
        else
            ProjectTrash::moveOrphanIn(u"X"_s);
    });
    ProjectTrash::recover(); // the next start

    const QList<ProjectTrash::Entry> trash = ProjectTrash::entries();
    const bool inPlace = QFileInfo::exists(m_fx->app.filePath(u"data/X.fd1"_s));
    QVERIFY2(inPlace != !trash.isEmpty(), inPlace ? "twice" : "nowhere");
    const QString where =
        inPlace ? u"data/X.fd1"_s : QDir(m_fx->app.path()).relativeFilePath(trash.first().packagePath);
    QCOMPARE(m_fx->app.readFile(where), QByteArray("left over"));
    QCOMPARE(strays(), QStringList());
    QVERIFY(allProjects().isEmpty());
}

namespace {

struct Prepared
{
    std::function<void()> work;
    QList<QByteArray> expected; // every package that must stay reachable
    bool mayVanish = false;     // the command removes entries for good once it completes
};

// Projects A, B, C, D; B and D in the trash with their packages; then what the command needs.
Prepared prepare(const QString& command)
{
    addProjects();
    Prepared p;
    const bool joining = command == u"orphans in, one joining its project's entry";
    if (ProjectRules::deleteProjects({2, 4}, !joining) != 2)
        qFatal("no delete");
    p.expected = {packageBytes(u"A"_s), packageBytes(u"B"_s), packageBytes(u"C"_s), packageBytes(u"D"_s),
                  versionBytes(u"A"_s), versionBytes(u"B"_s), versionBytes(u"C"_s), versionBytes(u"D"_s)};
    QString idB;
    for (const ProjectTrash::Entry& e : ProjectTrash::entries()) {
        if (e.project.number == u"B")
            idB = e.id;
    }
    const QString data = AppDir::filePath(u"data"_s);
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write");
    };
    if (command == u"restore under a new number") {
        ProjectTable table;
        if (!table.open() || !table.appendProject(newProject(u"B"_s, u"新B"_s)))
            qFatal("no table");
        p.work = [idB] { ProjectTrash::restore(idB, u"B2"_s); };
    } else if (command == u"update back of a project in the trash") {
        write(data + u"/B.fd1"_s, "work of B"); // what update back stored before it stamps
        p.expected.append("work of B");
        p.work = [] { ProjectRules::stampLastUpdate(u"B"_s, u"zip"_s); };
    } else if (command == u"彻底删除 of one entry") {
        p.mayVanish = true;
        p.work = [idB] { ProjectTrash::purge({idB}); };
    } else if (command == u"清空回收站") {
        p.mayVanish = true;
        p.work = [] { ProjectTrash::empty(); };
    } else if (joining) {
        write(data + u"/X.fd1"_s, "orphan X");
        p.expected.append("orphan X");
        p.work = [] { ProjectTrash::moveOrphansIn({u"B"_s, u"X"_s}); };
    } else {
        const QString source = AppDir::filePath(u"chosen/new.zip"_s);
        write(source, "new B");
        p.expected.append("new B");
        p.work = [source] { ProjectRules::addProject(newProject(u"B"_s, u"新B"_s), source, true); };
    }
    return p;
}

} // namespace

void TrashTest::everyOtherCommand_endedBeforeAnyStep_nothingLostNothingTwice_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("cutAt");
    const QStringList commands{u"restore under a new number"_s,
                               u"update back of a project in the trash"_s,
                               u"彻底删除 of one entry"_s,
                               u"清空回收站"_s,
                               u"orphans in, one joining its project's entry"_s,
                               u"新建项目 over a number in the trash"_s};
    for (const QString& command : commands) {
        int steps = 0;
        {
            AppFixture counting;
            steps = runCutOff(-1, prepare(command).work);
        }
        for (int cut = 0; cut <= steps; ++cut) {
            const QByteArray when =
                cut == steps ? QByteArray("complete") : QByteArray("before step " + QByteArray::number(cut + 1));
            QTest::addRow("%s, %s", qPrintable(command), when.constData()) << command << cut;
        }
    }
}

void TrashTest::everyOtherCommand_endedBeforeAnyStep_nothingLostNothingTwice()
{
    QFETCH(QString, command);
    QFETCH(int, cutAt);
    Prepared prepared = prepare(command);
    QList<QByteArray>& expected = prepared.expected;
    const bool mayVanish = prepared.mayVanish;
    runCutOff(cutAt, prepared.work);
    ProjectTrash::recover(); // the next start

    if (mayVanish) {
        const bool gone = placesOf(u"项目B"_s) == 0;
        QCOMPARE(placesOf(u"项目B"_s), gone ? 0 : 1);
        if (gone) {
            expected.removeAll(packageBytes(u"B"_s));
            expected.removeAll(versionBytes(u"B"_s));
        }
        if (command == u"清空回收站" && placesOf(u"项目D"_s) == 0) {
            expected.removeAll(packageBytes(u"D"_s));
            expected.removeAll(versionBytes(u"D"_s));
        }
        // An entry that is still listed still holds what it held.
        for (const ProjectTrash::Entry& e : ProjectTrash::entries())
            QVERIFY(e.withPackage);
    } else {
        QCOMPARE(placesOf(u"项目B"_s), 1);
        QCOMPARE(placesOf(u"项目D"_s), 1);
    }
    QVERIFY(placesOf(u"新B"_s) <= 1);
    // A project not added keeps its package where the user chose it, outside the data folder.
    if (placesOf(u"新B"_s) == 0)
        expected.removeAll("new B");
    const QList<QByteArray> reachable = reachableBytes();
    for (const QByteArray& bytes : std::as_const(expected))
        QVERIFY2(reachable.contains(bytes), bytes.constData());
    QCOMPARE(strays(), QStringList());
    // The catalogue never holds one number twice, and a second start changes nothing.
    const QStringList numbers = numbersIn(allProjects());
    QCOMPARE(QSet<QString>(numbers.cbegin(), numbers.cend()).size(), numbers.size());
    const QList<ProjectRecord> projects = allProjects();
    ProjectTrash::recover();
    QCOMPARE(allProjects(), projects);
}

void TrashTest::everyRoadBack_oneEntryPerProjectAndEveryPackageReachable_data()
{
    QTest::addColumn<QString>("road");
    QTest::newRow("update back of a project deleted while worked on") << u"update back"_s;
    QTest::newRow("导入 of last week's backup") << u"backup"_s;
    QTest::newRow("检查数据's 删除文件 after a delete that left the package") << u"check"_s;
    QTest::newRow("新建项目 under the number of a trashed project") << u"new project"_s;
}

void TrashTest::everyRoadBack_oneEntryPerProjectAndEveryPackageReachable()
{
    QFETCH(QString, road);
    addProjects();
    m_fx->clockTime = m_fx->clockTime.addSecs(60); // what joins the history now is its newest version
    if (road == u"update back") {
        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
        m_fx->app.writeFile(u"data/B.fd1"_s, "work of B");
        const ProjectRules::Stamp stamp = ProjectRules::stampLastUpdate(u"B"_s, u"zip"_s);
        QVERIFY(stamp.written && stamp.fromTrash && !stamp.recreated);
        ProjectRecord back = fullRecord(u"B"_s);
        back.lastUpdate = m_fx->clockTime;
        QCOMPARE(allProjects().last(), back); // its texts, not a stand-in
        QVERIFY(ProjectTrash::entries().isEmpty());
        QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), QByteArray("work of B"));
        QCOMPARE(versionBytesOf(u"B"_s), (QByteArrayList{packageBytes(u"B"_s), versionBytes(u"B"_s)}));
        QCOMPARE(PackageHistory::label(PackageHistory::versions(u"B"_s).first().cause), u"更新回"_s);
    } else if (road == u"backup") {
        // The same project later: other texts, another package; deleted by mistake, then last week's backup.
        // (The restore itself is in tst_backup; here the catalogue gets B back as a restore leaves it.)
        {
            ProjectTable table;
            QVERIFY(table.open() && table.goTo(2));
            ProjectRecord later = fullRecord(u"B"_s);
            later.notes = u"this week's notes"_s;
            QVERIFY(table.modifyProject(later));
        }
        m_fx->app.writeFile(u"data/B.fd1"_s, "this week's B");
        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
        {
            ProjectTable table;
            QVERIFY(table.open() && table.appendProject(fullRecord(u"B"_s)));
        }
        m_fx->app.writeFile(u"data/B.fd1"_s, packageBytes(u"B"_s));
        ProjectTrash::joinCatalogue(PackageHistory::Cause::Restore);
        // This week's package is in 历史版本; this week's texts stay in the trash, where 还原 offers a new number.
        QCOMPARE(versionBytesOf(u"B"_s), (QByteArrayList{"this week's B", versionBytes(u"B"_s)}));
        QCOMPARE(PackageHistory::label(PackageHistory::versions(u"B"_s).first().cause), u"导入"_s);
        QCOMPARE(trashNumbers(), QStringList{u"B"_s});
        QVERIFY(!ProjectTrash::entries().first().withPackage);
        QCOMPARE(ProjectTrash::restore(ProjectTrash::entries().first().id, u"B2"_s),
                 ProjectTrash::RestoreOutcome::Restored);
        QCOMPARE(allProjects().last().notes, u"this week's notes"_s);
    } else if (road == u"check") {
        QCOMPARE(ProjectRules::deleteProjects({2}, false), 1);
        QCOMPARE(ProjectTrash::moveOrphansIn({u"B"_s}), QStringList());
        // One entry: the record and its package together, and one 还原 brings both.
        QCOMPARE(trashNumbers(), QStringList{u"B"_s});
        QVERIFY(ProjectTrash::entries().first().withPackage);
        QCOMPARE(ProjectTrash::restore(ProjectTrash::entries().first().id), ProjectTrash::RestoreOutcome::Restored);
        QCOMPARE(allProjects().last(), fullRecord(u"B"_s));
        QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), packageBytes(u"B"_s));
        QCOMPARE(versionBytesOf(u"B"_s), QByteArrayList{versionBytes(u"B"_s)});
    } else {
        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
        const QString source = m_fx->app.writeFile(u"chosen/new.zip"_s, "new B");
        QCOMPARE(ProjectRules::addProject(newProject(u"B"_s, u"新B"_s), source, true), ProjectRules::AddOutcome::Added);
        QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), QByteArray("new B"));
        QCOMPARE(versionBytesOf(u"B"_s), (QByteArrayList{packageBytes(u"B"_s), versionBytes(u"B"_s)}));
        QCOMPARE(PackageHistory::label(PackageHistory::versions(u"B"_s).first().cause), u"新建项目"_s);
        // The old project's texts stay in the trash, without packages.
        QCOMPARE(trashNumbers(), QStringList{u"B"_s});
        QVERIFY(!ProjectTrash::entries().first().withPackage);
    }
    for (const QByteArray& bytes : {packageBytes(u"B"_s), versionBytes(u"B"_s)})
        QVERIFY(reachableBytes().contains(bytes));
    QCOMPARE(strays(), QStringList());
}

void TrashTest::versions_leaveWithTheirEntry_newProjectShowsNone_data()
{
    QTest::addColumn<QString>("removal");
    QTest::newRow("清空回收站") << u"empty"_s;
    QTest::newRow("彻底删除") << u"purge"_s;
    QTest::newRow("the start's question about old entries, answered Yes") << u"expiry"_s;
    QTest::newRow("earlier packages an older version left without a project") << u"stray"_s;
}

void TrashTest::versions_leaveWithTheirEntry_newProjectShowsNone()
{
    QFETCH(QString, removal);
    addProjects();
    if (removal == u"stray") {
        // What emptying the trash of an older version left: earlier packages of a number nothing has any more.
        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
        const ProjectTrash::Entry entry = ProjectTrash::entries().first();
        QString batch;
        int key = 0;
        QVERIFY(TrashBatch::parseId(entry.id, batch, key));
        QVERIFY(QDir().rename(TrashBatch::historyOf(TrashBatch::pathOf(batch), key), PackageHistory::folderOf(u"B"_s)));
        QVERIFY(ProjectTrash::empty());
        StartRecovery::run(); // the next start takes them into the trash, where a window leads to them
        QCOMPARE(trashNumbers(), QStringList{u"B"_s});
        const ProjectTrash::Entry stray = ProjectTrash::entries().first();
        QVERIFY(!stray.hasRecord && stray.withPackage);
        QCOMPARE(m_fx->app.readFile(QDir(m_fx->app.path()).relativeFilePath(stray.packagePath)), versionBytes(u"B"_s));
        QVERIFY(ProjectTrash::empty());
    } else {
        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
        if (removal == u"empty") {
            QVERIFY(ProjectTrash::empty());
        } else if (removal == u"purge") {
            QVERIFY(ProjectTrash::purge({ProjectTrash::entries().first().id}));
        } else {
            const QDateTime deleted = m_fx->clockTime;
            for (const int days : {0, ProjectTrash::kKeptDays - 1}) {
                m_fx->clockTime = deleted.addDays(days);
                MainWindow earlier;
                earlier.startUp(); // the starts the next one compares its clock with
            }
            m_fx->clockTime = deleted.addDays(ProjectTrash::kKeptDays + 1);
            m_fx->prompt.queueAnswer(Prompt::Answer::Yes);
            MainWindow main;
            main.startUp();
            QCOMPARE(m_fx->prompt.texts(), QStringList{u"回收站中有 1 个项目删除已超过 30 天，要彻底删除它们吗？"_s});
            m_fx->prompt.clear();
        }
    }
    QVERIFY(ProjectTrash::entries().isEmpty());
    QVERIFY(!QFileInfo::exists(PackageHistory::folderOf(u"B"_s)));

    const QString source = m_fx->app.writeFile(u"chosen/new.zip"_s, "another B");
    QCOMPARE(ProjectRules::addProject(newProject(u"B"_s, u"另一个B"_s), source, true), ProjectRules::AddOutcome::Added);
    QVERIFY(PackageHistory::versions(u"B"_s).isEmpty());
}

void TrashTest::start_expiry_asksOnceAndTrustsNoJumpedClock_data()
{
    QTest::addColumn<int>("lastStartDays"); // days after the deletion; below 0: no start known
    QTest::addColumn<int>("startDays");     // days after the deletion
    QTest::addColumn<QString>("answer");    // "": no question
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("29 days: nothing to ask") << 28 << 29 << QString() << QStringList{u"B"_s};
    QTest::newRow("31 days, Yes removes") << 29 << 31 << u"yes"_s << QStringList();
    QTest::newRow("31 days, No keeps") << 29 << 31 << u"no"_s << QStringList{u"B"_s};
    QTest::newRow("the clock 40 days past the last start") << 0 << 40 << QString() << QStringList{u"B"_s};
    QTest::newRow("the clock behind the deletion") << 0 << -1 << QString() << QStringList{u"B"_s};
    QTest::newRow("no start known yet") << -1 << 31 << QString() << QStringList{u"B"_s};
}

void TrashTest::start_expiry_asksOnceAndTrustsNoJumpedClock()
{
    QFETCH(int, lastStartDays);
    QFETCH(int, startDays);
    QFETCH(QString, answer);
    QFETCH(QStringList, kept);
    addProjects();
    const QDateTime deleted = m_fx->clockTime;
    QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
    if (lastStartDays >= 0) {
        m_fx->clockTime = deleted.addDays(lastStartDays);
        MainWindow earlier;
        earlier.startUp();
    }
    m_fx->clockTime = deleted.addDays(startDays);
    if (!answer.isEmpty())
        m_fx->prompt.queueAnswer(answer == u"yes" ? Prompt::Answer::Yes : Prompt::Answer::No);

    MainWindow main;
    main.startUp();

    QCOMPARE(m_fx->prompt.texts(), answer.isEmpty()
                                       ? QStringList()
                                       : QStringList{u"回收站中有 1 个项目删除已超过 30 天，要彻底删除它们吗？"_s});
    QCOMPARE(trashNumbers(), kept);
    QCOMPARE(reachableBytes().contains(packageBytes(u"B"_s)), !kept.isEmpty());
    QVERIFY(!QFileInfo::exists(m_fx->app.filePath(u"data/B.fd1"_s)));
}

void TrashTest::removeForGood_asksOnce_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("selected"); // rows selected before the click
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("kept");
    const QString emptying = u"确定要清空回收站吗？清空后无法恢复。"_s;
    QTest::newRow("清空, Yes empties") << u"清空按钮"_s << 0 << true << QStringList{emptying} << QStringList();
    QTest::newRow("清空, No keeps") << u"清空按钮"_s << 0 << false << QStringList{emptying}
                                    << QStringList{u"B"_s, u"A"_s};
    const QString purging = u"确定要彻底删除选中的 1 个项目吗？删除后无法恢复。"_s;
    QTest::newRow("彻底删除 of one, Yes")
        << u"彻底删除按钮"_s << 1 << true << QStringList{purging} << QStringList{u"A"_s};
    QTest::newRow("彻底删除 of one, No") << u"彻底删除按钮"_s << 1 << false << QStringList{purging}
                                         << QStringList{u"B"_s, u"A"_s};
    QTest::newRow("彻底删除, nothing selected")
        << u"彻底删除按钮"_s << 0 << false << QStringList{u"请选择您要彻底删除的项目！"_s}
        << QStringList{u"B"_s, u"A"_s};
}

void TrashTest::removeForGood_asksOnce()
{
    QFETCH(QString, button);
    QFETCH(int, selected);
    QFETCH(bool, yes);
    QFETCH(QStringList, texts);
    QFETCH(QStringList, kept);
    addProjects();
    {
        TrashWindow w;
        QVERIFY(!this->button(w, u"清空按钮"_s)->isEnabled()); // nothing to empty yet
        QVERIFY(!this->button(w, u"彻底删除按钮"_s)->isEnabled());
    }
    QCOMPARE(ProjectRules::deleteProjects({1}, true), 1);
    m_fx->clockTime = m_fx->clockTime.addSecs(1);
    QCOMPARE(ProjectRules::deleteProjects({1}, true), 1);
    TrashWindow w;
    QCOMPARE(column(entryList(w), 0), (QStringList{u"B"_s, u"A"_s}));
    for (int row = 0; row < selected; ++row)
        entryList(w)->topLevelItem(row)->setSelected(true);
    if (texts.first().startsWith(u"确定"))
        m_fx->prompt.queueAnswer(yes ? Prompt::Answer::Yes : Prompt::Answer::No);
    this->button(w, button)->click();

    QCOMPARE(m_fx->prompt.texts(), texts);
    QCOMPARE(trashNumbers(), kept);
    QCOMPARE(column(entryList(w), 0), kept);
    QCOMPARE(this->button(w, u"清空按钮"_s)->isEnabled(), !kept.isEmpty());
    QCOMPARE(numbersIn(allProjects()), (QStringList{u"C"_s, u"D"_s}));
    for (const QString& n : {u"A"_s, u"B"_s}) {
        QCOMPARE(reachableBytes().contains(packageBytes(n)), kept.contains(n));
        QCOMPARE(reachableBytes().contains(versionBytes(n)), kept.contains(n));
    }
    QCOMPARE(strays(), QStringList());
}

void TrashTest::trashOrHistoryOnAnotherDisk_workAcrossDisks_data()
{
    QTest::addColumn<QString>("linked"); // the folder of data/ that is a link to another disk
    QTest::newRow("trash on another disk") << u"trash"_s;
    QTest::newRow("history on another disk") << u"history"_s;
}

void TrashTest::trashOrHistoryOnAnotherDisk_workAcrossDisks()
{
    QFETCH(QString, linked);
#ifdef Q_OS_WIN
    QSKIP(WindowsSkips::kLinks); // the folder moved to another disk is left behind a link
#endif
    QTemporaryDir other(u"/dev/shm/tallyra-other-disk-XXXXXX"_s);
    if (!other.isValid() || FileSystem::sameDisk(other.path(), m_fx->app.path()))
        QSKIP("no second file system at /dev/shm");
    // People move a big folder to another disk and leave a link in its place.
    QVERIFY(QDir().mkpath(other.filePath(linked)));
    QVERIFY(QFile::link(other.filePath(linked), m_fx->app.filePath(u"data/"_s + linked)));
    addProjects();
    QStringList links;
    QVERIFY(!DataBackup::backUp(m_fx->app.filePath(u"a.fd2"_s), {}, &links));
    QCOMPARE(links, QStringList{linked}); // a backup holds the history and the trash, or is not made
    QVERIFY(!QFileInfo::exists(m_fx->app.filePath(u"a.fd2"_s)));

    QCOMPARE(ProjectRules::deleteProjects({2, 4}, true), 2);
    ProjectTrash::recover();
    QCOMPARE(trashNumbers(), (QStringList{u"B"_s, u"D"_s}));
    for (const ProjectTrash::Entry& e : ProjectTrash::entries())
        QVERIFY(e.withPackage);
    QVERIFY(!QFileInfo::exists(m_fx->app.filePath(u"data/B.fd1"_s)));
    QCOMPARE(strays(), QStringList());

    QCOMPARE(ProjectTrash::restore(ProjectTrash::entries().first().id), ProjectTrash::RestoreOutcome::Restored);
    QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), packageBytes(u"B"_s));
    QCOMPARE(versionBytesOf(u"B"_s), QByteArrayList{versionBytes(u"B"_s)});
    QVERIFY(ProjectTrash::purge({ProjectTrash::entries().first().id}));
    QVERIFY(ProjectTrash::entries().isEmpty());
    QCOMPARE(numbersIn(allProjects()), (QStringList{u"A"_s, u"C"_s, u"B"_s}));
    QCOMPARE(strays(), QStringList());
}

void TrashTest::start_entriesAnEarlierVersionMade_restoreLikeAnyOther_data()
{
    QTest::addColumn<QString>("state"); // the folder's name as that version left it
    QTest::newRow("a complete entry") << u"20261201093005000-1"_s;
    QTest::newRow("a restore it left half done, the record back") << u".restoring-20261201093005000-1"_s;
    QTest::newRow("a restore it left half done, the record not yet back") << u".restoring-20261201093005000-2"_s;
}

void TrashTest::start_entriesAnEarlierVersionMade_restoreLikeAnyOther()
{
    QFETCH(QString, state);
    addProjects();
    // One folder per project: its record as project.json, its package as package.fd1.
    QJsonObject record{{u"number"_s, u"E"_s},
                       {u"name"_s, u"项目E"_s},
                       {u"version"_s, u"0.9"_s},
                       {u"packageType"_s, u"zip"_s},
                       {u"deleted"_s, u"2026-12-01T09:30:05.000"_s},
                       {u"package"_s, true},
                       {u"record"_s, true}};
    m_fx->app.writeFile(u"data/trash/"_s + state + u"/project.json"_s, QJsonDocument(record).toJson());
    m_fx->app.writeFile(u"data/trash/"_s + state + u"/package.fd1"_s, "package E");
    const bool recordBack = state.endsWith(u"-1") && state.startsWith(u'.');
    if (recordBack) {
        ProjectRecord e;
        e.number = u"E"_s;
        e.name = u"项目E"_s;
        ProjectTable table;
        QVERIFY(table.open() && table.appendProject(e));
    }

    StartRecovery::run(); // the next start

    if (recordBack) {
        QVERIFY(ProjectTrash::entries().isEmpty());
    } else {
        QCOMPARE(trashNumbers(), QStringList{u"E"_s});
        QCOMPARE(ProjectTrash::restore(ProjectTrash::entries().first().id), ProjectTrash::RestoreOutcome::Restored);
    }
    QCOMPARE(numbersIn(allProjects()).last(), u"E"_s);
    QCOMPARE(m_fx->app.readFile(u"data/E.fd1"_s), QByteArray("package E"));
    QCOMPARE(strays(), QStringList());
}

void TrashTest::toolMenu_trashEntry_restoresIntoTheMainList()
{
    addProjects();
    QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
    MainWindow main;
    main.startUp();
    ProjectListView* list = child<ProjectListView>(&main);
    QCOMPARE(list->count(), 3);
    QMenu* tools = child<QMenu>(&main, u"工具"_s);
    QAction* entry = nullptr;
    for (QAction* action : tools->actions()) {
        if (action->text().contains(u"回收站"_s))
            entry = action;
    }
    QVERIFY(entry);
    QVERIFY(entry->isEnabled());

    whenModal<TrashWindow>([](TrashWindow* w) {
        QTreeWidget* entries = child<QTreeWidget>(w, u"回收站列表框"_s);
        entries->topLevelItem(0)->setSelected(true);
        child<QPushButton>(w, u"还原按钮"_s)->click();
        w->accept();
    });
    entry->trigger();

    QCOMPARE(list->count(), 4);
    QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), packageBytes(u"B"_s));
}

QTEST_MAIN(TrashTest)
#include "tst_trash.moc"
