#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "platform/FileSystem.h"
#include "platform/ValueText.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "projects/TrashWindow.h"
#include "store/ProjectTable.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using CatalogBuilder::allProjects;
using CatalogBuilder::fullRecord;

namespace {

struct Killed
{
};

QByteArray packageBytes(const QString& number)
{
    return "package " + number.toUtf8();
}

QStringList numbersIn(const QList<ProjectRecord>& projects)
{
    QStringList numbers;
    for (const ProjectRecord& p : projects)
        numbers.append(p.number);
    return numbers;
}

QStringList trashNumbers()
{
    QStringList numbers;
    for (const ProjectTrash::Entry& e : ProjectTrash::entries())
        numbers.append(e.project.number);
    return numbers;
}

QStringList column(const QTreeWidget* list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

// Runs `work` with the process ending before its step `cutAt` (never with -1); answers the steps it took.
int runCutOff(int cutAt, const std::function<void()>& work)
{
    int steps = 0;
    ProjectTrash::setBeforeEachStep([&] {
        if (steps++ == cutAt)
            throw Killed{};
    });
    try {
        work();
    } catch (const Killed&) {
    }
    ProjectTrash::setBeforeEachStep({});
    return steps;
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
    void start_removesEntriesOlderThanThirtyDays_data();
    void start_removesEntriesOlderThanThirtyDays();
    void empty_asksOnce_data();
    void empty_asksOnce();
    void toolMenu_trashEntry_restoresIntoTheMainList();

private:
    // Projects A, B, C, D with their packages.
    static void addProjects(const TempAppDir& app);
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

void TrashTest::addProjects(const TempAppDir& app)
{
    ProjectTable table;
    QVERIFY(table.open());
    for (const QString& n : {u"A"_s, u"B"_s, u"C"_s, u"D"_s}) {
        QVERIFY(table.appendProject(fullRecord(n)));
        app.writeFile(u"data/"_s + n + u".fd1"_s, packageBytes(n));
    }
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
    addProjects(m_fx->app);
    const QDateTime first = m_fx->clockTime;
    QCOMPARE(ProjectRules::deleteProjects({2}, withPackages), 1);
    m_fx->clockTime = first.addSecs(90);
    QCOMPARE(ProjectRules::deleteProjects({3}, withPackages), 1); // D, now record 3
    QCOMPARE(numbersIn(allProjects()), (QStringList{u"A"_s, u"C"_s}));
    for (const QString& n : {u"B"_s, u"D"_s})
        QCOMPARE(QFileInfo::exists(m_fx->app.filePath(u"data/"_s + n + u".fd1"_s)), !withPackages);

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

    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(1)->setSelected(true);
    button(w, u"还原按钮"_s)->click();

    QVERIFY(m_fx->prompt.messages().isEmpty());
    QCOMPARE(list->topLevelItemCount(), 0);
    QVERIFY(!button(w, u"清空按钮"_s)->isEnabled());
    const QList<ProjectRecord> projects = allProjects();
    QCOMPARE(projects.size(), 4);
    QCOMPARE(projects.at(2), fullRecord(u"D"_s));
    QCOMPARE(projects.at(3), fullRecord(u"B"_s));
    for (const QString& n : {u"B"_s, u"D"_s})
        QCOMPARE(m_fx->app.readFile(u"data/"_s + n + u".fd1"_s), packageBytes(n));
    QCOMPARE(QDir(ProjectTrash::folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TrashTest::restore_situations_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QStringList>("catalogue");
    QTest::addColumn<QByteArray>("packageB"); // data/B.fd1 afterwards
    const QStringList restored{u"A"_s, u"C"_s, u"D"_s, u"B"_s};
    QTest::newRow("nothing selected") << u"none"_s << QStringList{u"请选择您要还原的项目！"_s}
                                      << QStringList{u"A"_s, u"C"_s, u"D"_s} << QByteArray();
    QTest::newRow("number taken again") << u"taken"_s << QStringList{u"已存在相同编号！"_s} << restored
                                        << QByteArray("new B");
    QTest::newRow("a file lies at the package's place")
        << u"leftover"_s << QStringList() << restored << packageBytes(u"B"_s);
}

void TrashTest::restore_situations()
{
    QFETCH(QString, situation);
    QFETCH(QStringList, messages);
    QFETCH(QStringList, catalogue);
    QFETCH(QByteArray, packageB);
    addProjects(m_fx->app);
    QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
    if (situation == u"taken") {
        ProjectTable table;
        QVERIFY(table.open() && table.appendProject(fullRecord(u"B"_s)));
        m_fx->app.writeFile(u"data/B.fd1"_s, "new B");
    } else if (situation == u"leftover") {
        // The history keeps this one before the trash's package takes its place.
        m_fx->app.writeFile(u"data/B.fd1"_s, "left behind");
    }

    TrashWindow w;
    if (situation != u"none")
        entryList(w)->topLevelItem(0)->setSelected(true);
    button(w, u"还原按钮"_s)->click();

    QCOMPARE(m_fx->prompt.texts(), messages);
    QCOMPARE(numbersIn(allProjects()), catalogue);
    QCOMPARE(trashNumbers(), situation == u"leftover" ? QStringList() : QStringList{u"B"_s});
    QCOMPARE(column(entryList(w), 0), trashNumbers());
    if (packageB.isNull())
        QVERIFY(!QFileInfo::exists(m_fx->app.filePath(u"data/B.fd1"_s)));
    else
        QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), packageB);
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
                addProjects(counting.app);
                if (restoring)
                    QCOMPARE(ProjectRules::deleteProjects({2, 4}, withPackages), 2);
                steps = runCutOff(-1, [&] {
                    if (restoring) {
                        for (const ProjectTrash::Entry& e : ProjectTrash::entries())
                            QCOMPARE(ProjectTrash::restore(e.id), ProjectTrash::RestoreOutcome::Restored);
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
    addProjects(m_fx->app);
    if (restoring)
        QCOMPARE(ProjectRules::deleteProjects({2, 4}, withPackages), 2);

    runCutOff(cutAt, [&] {
        if (restoring) {
            for (const ProjectTrash::Entry& e : ProjectTrash::entries())
                ProjectTrash::restore(e.id);
        } else {
            ProjectRules::deleteProjects({2, 4}, withPackages);
        }
    });
    if (!hardLinks) {
        // What the disk would hold had every link failed: a pending entry without the package that still lies
        // in the data folder.
        QDirIterator pending(ProjectTrash::folder(), {u"package.fd1"_s}, QDir::Files | QDir::Hidden,
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
            QCOMPARE(m_fx->app.readFile(u"data/trash/"_s + entry->id + u"/package.fd1"_s), packageBytes(n));
        } else {
            QVERIFY(trashed ? !entry->withPackage : true);
            QCOMPARE(m_fx->app.readFile(u"data/"_s + n + u".fd1"_s), packageBytes(n));
        }
    }
    // Nothing half made is left, and a second start finds nothing more to do.
    QStringList folders = QDir(ProjectTrash::folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    QCOMPARE(folders.size(), trash.size());
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
    const QString where = inPlace ? u"data/X.fd1"_s : u"data/trash/"_s + trash.first().id + u"/package.fd1"_s;
    QCOMPARE(m_fx->app.readFile(where), QByteArray("left over"));
    QCOMPARE(QDir(ProjectTrash::folder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden).size(),
             trash.size());
    QVERIFY(allProjects().isEmpty());
}

void TrashTest::start_removesEntriesOlderThanThirtyDays_data()
{
    QTest::addColumn<int>("daysLater");
    QTest::addColumn<QStringList>("kept");
    QTest::newRow("29 days") << 29 << QStringList{u"B"_s};
    QTest::newRow("31 days") << 31 << QStringList();
}

void TrashTest::start_removesEntriesOlderThanThirtyDays()
{
    QFETCH(int, daysLater);
    QFETCH(QStringList, kept);
    addProjects(m_fx->app);
    QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
    m_fx->clockTime = m_fx->clockTime.addDays(daysLater);

    MainWindow main;
    main.startUp();

    QCOMPARE(trashNumbers(), kept);
    QCOMPARE(QDir(ProjectTrash::folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
             kept.size());
    QVERIFY(!QFileInfo::exists(m_fx->app.filePath(u"data/B.fd1"_s)));
}

void TrashTest::empty_asksOnce_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes empties") << true;
    QTest::newRow("No keeps") << false;
}

void TrashTest::empty_asksOnce()
{
    QFETCH(bool, yes);
    addProjects(m_fx->app);
    {
        TrashWindow w;
        QVERIFY(!button(w, u"清空按钮"_s)->isEnabled()); // nothing to empty yet
    }
    QCOMPARE(ProjectRules::deleteProjects({1, 2}, true), 2);
    TrashWindow w;
    QVERIFY(button(w, u"清空按钮"_s)->isEnabled());
    m_fx->prompt.queueAnswer(yes ? Prompt::Answer::Yes : Prompt::Answer::No);
    button(w, u"清空按钮"_s)->click();

    QCOMPARE(m_fx->prompt.texts(), QStringList{u"确定要清空回收站吗？清空后无法恢复。"_s});
    QCOMPARE(trashNumbers().size(), yes ? 0 : 2);
    QCOMPARE(entryList(w)->topLevelItemCount(), yes ? 0 : 2);
    QCOMPARE(button(w, u"清空按钮"_s)->isEnabled(), !yes);
    QCOMPARE(numbersIn(allProjects()), (QStringList{u"C"_s, u"D"_s}));
    QCOMPARE(QDir(ProjectTrash::folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(),
             yes ? 0 : 2);
}

void TrashTest::toolMenu_trashEntry_restoresIntoTheMainList()
{
    addProjects(m_fx->app);
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
