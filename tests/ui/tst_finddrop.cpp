#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "Spoken.h"
#include "projects/ui/NewProjectWindow.h"
#include "store/ProjectTable.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectDetailsModel.h"
#include "ui/main/ProjectDetailsView.h"
#include "ui/main/ProjectFindBar.h"
#include "ui/main/ProjectListView.h"
#include "views/ui/TextPage.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

class FindDropTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void find_ctrlF_filtersTheListAndEscShowsEveryProjectAgain();
    void find_fullText_data();
    void find_fullText();
    void find_barCountsAndDownOrEnterGoesOntoTheFirstFound_data();
    void find_barCountsAndDownOrEnterGoesOntoTheFirstFound();
    void find_hiddenSelection_isDroppedSoCommandsActOnVisibleItems();
    void find_selectAll_textPageProposesTheVisibleProjectsName();
    void drop_takesLocalFilesAndFolders_data();
    void drop_takesLocalFilesAndFolders();
    void drop_severalPackages_openNewProjectForEachInTurnAfterTheDrop();

private:
    std::unique_ptr<MainWindow> makeWindow();
    QStringList visibleCaptions(const ProjectListView* list) const;
    // Answers whether the drop was accepted.
    static bool drop(ProjectListView* list, const QList<QUrl>& urls);
    // Gives the three projects texts only full-text find sees.
    static void writeTexts();

    std::unique_ptr<AppFixture> m_fx;
};

void FindDropTest::init()
{
    m_fx = std::make_unique<AppFixture>();
    QVERIFY(CatalogBuilder::addProject({u"A01"_s, u"记账本"_s, 0, u"1.0"_s}));
    QVERIFY(CatalogBuilder::addProject({u"B02"_s, u"Snake游戏"_s, 1, u"2.1"_s}));
    QVERIFY(CatalogBuilder::addProject({u"C03"_s, u"日记"_s, 2, u"beta"_s}));
}

void FindDropTest::cleanup()
{
    m_fx.reset();
}

std::unique_ptr<MainWindow> FindDropTest::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->startUp();
    window->resize(800, 600);
    window->show();
    QApplication::setActiveWindow(window.get());
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the main window did not become active");
    return window;
}

QStringList FindDropTest::visibleCaptions(const ProjectListView* list) const
{
    QStringList captions;
    for (int i = 0; i < list->count(); ++i) {
        if (!list->item(i)->isHidden())
            captions << list->item(i)->text();
    }
    return captions;
}

bool FindDropTest::drop(ProjectListView* list, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    // A drop goes to the widget that took the drag when it entered, as from a file manager.
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent event(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
    return event.isAccepted();
}

void FindDropTest::find_ctrlF_filtersTheListAndEscShowsEveryProjectAgain()
{
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    auto* bar = w->findChild<ProjectFindBar*>(u"查找栏"_s);
    const int fullHeight = list->height();
    QVERIFY(!bar->isVisible());

    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QVERIFY(list->height() < fullHeight);
    QVERIFY(bar->edit()->hasFocus());
    QCOMPARE(spokenName(bar->edit()), u"查找"_s);
    QCOMPARE(bar->edit()->accessibleDescription(), u"查找编辑框"_s);
    QCOMPARE(spokenName(bar->closeButton()), u"关闭"_s);
    QTest::keyClicks(bar->edit(), u"sNA"_s);
    bar->edit()->insert(u"ＫＥ"_s); // as a Chinese input method types it
    QCOMPARE(visibleCaptions(list), QStringList{u"Snake游戏 2.1"_s});
    bar->edit()->setText(u"记"_s);
    QCOMPARE(visibleCaptions(list), (QStringList{u"记账本 1.0"_s, u"日记 beta"_s}));
    QCOMPARE(list->item(2)->data(ProjectListView::kRecordRole).toInt(), 3);
    bar->edit()->setText(u"c0"_s);
    QCOMPARE(visibleCaptions(list), QStringList{u"日记 beta"_s});

    // A refill (after any command) keeps the search in force.
    list->loadProjectList();
    QCOMPARE(visibleCaptions(list), QStringList{u"日记 beta"_s});

    QTest::keyClick(bar->edit(), Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QCOMPARE(list->height(), fullHeight);
    QCOMPARE(visibleCaptions(list).size(), 3);

    // The menu entry opens it as well; the close button acts as Esc.
    child<MainMenus>(w.get())->find->trigger();
    QVERIFY(bar->isVisible());
    bar->edit()->setText(u"2.1"_s);
    QCOMPARE(visibleCaptions(list), QStringList{u"Snake游戏 2.1"_s});
    bar->closeButton()->click();
    QVERIFY(!bar->isVisible());
    QCOMPARE(visibleCaptions(list).size(), 3);

    // Esc in the list closes the search as well.
    child<MainMenus>(w.get())->find->trigger();
    bar->edit()->setText(u"beta"_s);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QCOMPARE(visibleCaptions(list).size(), 3);
    QVERIFY(m_fx->prompt.messages().isEmpty());
}

void FindDropTest::writeTexts()
{
    ProjectTable projects;
    QVERIFY(projects.open());
    const auto write = [&](int record, const QString& notes, const QString& design, const QString& bug,
                           const QString& history) {
        QVERIFY(projects.goTo(record));
        ProjectRecord project = projects.readProject();
        project.notes = notes;
        project.designPlan = design;
        project.bugReport = bug;
        project.upgradeHistory = history;
        QVERIFY(projects.modifyProject(project));
    };
    write(1, u"支持导出 Excel 报表"_s, {}, {}, u"1.0 首次发布"_s);
    write(2, {}, u"贪吃蛇的碰撞检测"_s, u"CRASH on resize\r\n第二行"_s, {});
    write(3, {}, {}, {}, u"加入了加密"_s);
}

void FindDropTest::find_fullText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("fullText");
    QTest::addColumn<QStringList>("shown");
    const QString book = u"记账本 1.0"_s;
    const QString snake = u"Snake游戏 2.1"_s;
    const QString diary = u"日记 beta"_s;
    QTest::newRow("Chinese in the notes") << u"导出"_s << true << QStringList{book};
    QTest::newRow("Chinese in the design plan") << u"碰撞检测"_s << true << QStringList{snake};
    QTest::newRow("in the bug report, on its second line") << u"第二行"_s << true << QStringList{snake};
    QTest::newRow("Chinese in the upgrade history") << u"加入了加密"_s << true << QStringList{diary};
    QTest::newRow("one character") << u"蛇"_s << true << QStringList{snake};
    QTest::newRow("two characters") << u"加密"_s << true << QStringList{diary};
    QTest::newRow("ASCII in another case") << u"crash ON"_s << true << QStringList{snake};
    QTest::newRow("full-width typed") << u"ＥＸＣＥＬ"_s << true << QStringList{book};
    QTest::newRow("number, name and version still found") << u"beta"_s << true << QStringList{diary};
    QTest::newRow("name or texts") << u"1.0"_s << true << QStringList{book};
    QTest::newRow("no match") << u"没有这样的字"_s << true << QStringList{};
    QTest::newRow("full text off") << u"导出"_s << false << QStringList{};
}

void FindDropTest::find_fullText()
{
    QFETCH(QString, text);
    QFETCH(bool, fullText);
    QFETCH(QStringList, shown);
    writeTexts();
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    auto* bar = w->findChild<ProjectFindBar*>(u"查找栏"_s);
    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
    child<QCheckBox>(bar, u"全文复选框"_s)->setChecked(fullText);
    bar->edit()->setText(text);
    // One or two characters are searched once typing pauses.
    QTRY_COMPARE(visibleCaptions(list), shown);
    // Ticking it after typing searches again.
    child<QCheckBox>(bar, u"全文复选框"_s)->setChecked(!fullText);
    child<QCheckBox>(bar, u"全文复选框"_s)->setChecked(fullText);
    QCOMPARE(visibleCaptions(list), shown);
}

void FindDropTest::find_barCountsAndDownOrEnterGoesOntoTheFirstFound_data()
{
    QTest::addColumn<bool>("details");
    QTest::addColumn<int>("key");
    QTest::newRow("icons, Down") << false << int(Qt::Key_Down);
    QTest::newRow("icons, Enter") << false << int(Qt::Key_Return);
    QTest::newRow("details, Down") << true << int(Qt::Key_Down);
    QTest::newRow("details, Enter") << true << int(Qt::Key_Enter);
}

void FindDropTest::find_barCountsAndDownOrEnterGoesOntoTheFirstFound()
{
    QFETCH(bool, details);
    QFETCH(int, key);
    writeTexts();
    auto w = makeWindow();
    if (details)
        child<MainMenus>(w.get())->arrangeDetails->trigger();
    ProjectListView* list = child<ProjectListView>(w.get());
    auto* bar = w->findChild<ProjectFindBar*>(u"查找栏"_s);
    auto* found = child<QLabel>(bar, u"查找结果标签"_s);
    QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(found->text(), QString());
    child<QCheckBox>(bar, u"全文复选框"_s)->setChecked(true);
    bar->edit()->insert(u"没有"_s);
    QTRY_COMPARE(found->text(), u"没有找到匹配的项目"_s);
    bar->edit()->setText(u"e"_s); // 记账本's notes, Snake游戏's name and 日记's version
    QTRY_COMPARE(found->text(), u"找到 3 个项目"_s);
    bar->edit()->setText(u"加入了"_s);
    QCOMPARE(found->text(), u"找到 1 个项目"_s);
    // Enter while a short text waits for the pause searches it first.
    bar->edit()->setText(u"加密"_s);
    QCOMPARE(spokenName(found), u"找到 1 个项目"_s);

    QTest::keyClick(bar->edit(), Qt::Key(key));
    QCOMPARE(list->selectedRecordNumbers(), QList<int>{3});
    if (details) {
        auto* view = child<ProjectDetailsView>(w.get());
        QVERIFY(view->hasFocus());
        QCOMPARE(view->currentIndex().row(), 0);
    } else {
        QVERIFY(list->hasFocus());
        QCOMPARE(list->currentRow(), 2);
    }
    QVERIFY(m_fx->prompt.messages().isEmpty());
}

void FindDropTest::find_hiddenSelection_isDroppedSoCommandsActOnVisibleItems()
{
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    list->selectAll();
    list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    child<MainMenus>(w.get())->find->trigger();
    w->findChild<ProjectFindBar*>(u"查找栏"_s)->edit()->setText(u"snake"_s);
    QCOMPARE(list->selectedRecordNumbers(), QList<int>{2});
    QCOMPARE(list->selectedRecordNumber(), 2);
    list->selectAll(); // Ctrl+A selects hidden rows as well
    QCOMPARE(list->selectedRecordNumbers(), QList<int>{2});

    w->findChild<ProjectFindBar*>(u"查找栏"_s)->edit()->setText(u"无此项目"_s);
    QCOMPARE(list->selectedRecordNumber(), 0);
    child<MainMenus>(w.get())->exportProject->trigger();
    QCOMPARE(m_fx->prompt.texts(), QStringList{u"请选择您要操作的项目！"_s});

    // Closing the search keeps the selection the user made while searching.
    auto* bar = w->findChild<ProjectFindBar*>(u"查找栏"_s);
    bar->edit()->setText(u"日记"_s);
    list->setCurrentRow(2);
    bar->close();
    QCOMPARE(list->selectedRecordNumbers(), QList<int>{3});
    QCOMPARE(w->statusText(4), u"最后更新：2026年12月7日9时30分5秒"_s);
}

void FindDropTest::find_selectAll_textPageProposesTheVisibleProjectsName()
{
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    child<MainMenus>(w.get())->find->trigger();
    w->findChild<ProjectFindBar*>(u"查找栏"_s)->edit()->setText(u"snake"_s);
    // A select-all that takes the hidden rows too, the current row left on a hidden project.
    list->selectionModel()->select(QItemSelection(list->model()->index(0, 0), list->model()->index(2, 0)),
                                   QItemSelectionModel::Select);
    list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    child<MainMenus>(w.get())->designPlan->trigger();
    QCOMPARE(child<TextPage>(w.get())->viewRecordNumber(), 2);
    QCOMPARE(child<TextPage>(w.get())->proposedFileName(), u"Snake游戏 2.1 设计规划"_s);
}

void FindDropTest::drop_takesLocalFilesAndFolders_data()
{
    QTest::addColumn<QStringList>("urls"); // "file:" entries are made relative to appDir
    QTest::addColumn<QStringList>("taken");
    QTest::newRow("one file") << QStringList{u"file:pkg.zip"_s} << QStringList{u"pkg.zip"_s};
    QTest::newRow("a folder") << QStringList{u"file:proj"_s} << QStringList{u"proj"_s};
    QTest::newRow("two files") << QStringList{u"file:pkg.zip"_s, u"file:other.e"_s}
                               << QStringList{u"pkg.zip"_s, u"other.e"_s};
    QTest::newRow("web address") << QStringList{u"https://example.cn/pkg.zip"_s} << QStringList();
    QTest::newRow("a file and a web address")
        << QStringList{u"https://example.cn/x.zip"_s, u"file:other.e"_s} << QStringList{u"other.e"_s};
    QTest::newRow("nothing there") << QStringList{u"file:gone.zip"_s} << QStringList();
}

void FindDropTest::drop_takesLocalFilesAndFolders()
{
    QFETCH(QStringList, urls);
    QFETCH(QStringList, taken);
    m_fx->app.writeFile(u"pkg.zip"_s, "zip");
    m_fx->app.writeFile(u"other.e"_s, "module");
    m_fx->app.writeFile(u"proj/main.c"_s, "int main;");
    QList<QUrl> dropped;
    for (const QString& u : urls)
        dropped << (u.startsWith(u"file:") ? QUrl::fromLocalFile(m_fx->app.filePath(u.mid(5))) : QUrl(u));

    ProjectListView list;
    QSignalSpy spy(&list, &ProjectListView::packagesDropped);
    const bool accepted = drop(&list, dropped);
    // The drop is answered at once; what it asks for comes after it has returned.
    QCOMPARE(accepted, !taken.isEmpty());
    QCOMPARE(spy.size(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(spy.size(), taken.isEmpty() ? 0 : 1);
    if (!taken.isEmpty()) {
        QStringList paths;
        for (const QString& name : std::as_const(taken))
            paths << m_fx->app.filePath(name);
        QCOMPARE(spy.at(0).at(0).toStringList(), paths);
    }
    QVERIFY(m_fx->prompt.messages().isEmpty());
}

void FindDropTest::drop_severalPackages_openNewProjectForEachInTurnAfterTheDrop()
{
    const QString file = m_fx->app.writeFile(u"仓库管理 v2.zip"_s, "zip");
    m_fx->app.writeFile(u"工程/记账本 v1.2/main.c"_s, "int main;");
    const QString folder = m_fx->app.filePath(u"工程/记账本 v1.2"_s);
    auto w = makeWindow();
    bool dropReturned = false;
    QStringList opened; // package, name and number of each 新建项目, and whether the drop had returned
    const auto look = [&](NewProjectWindow* dialog) {
        opened << child<QLineEdit>(dialog, u"文件包编辑框"_s)->text()
               << child<QLineEdit>(dialog, u"名称编辑框"_s)->text() << child<QLineEdit>(dialog, u"编号编辑框"_s)->text()
               << (dropReturned ? u"after"_s : u"during"_s);
    };
    whenModal<NewProjectWindow>([&](NewProjectWindow* first) {
        look(first);
        whenModal<NewProjectWindow>([&](NewProjectWindow* second) {
            look(second);
            child<QPushButton>(second, u"取消按钮"_s)->click();
        });
        child<QPushButton>(first, u"取消按钮"_s)->click();
    });
    QVERIFY(drop(child<ProjectListView>(w.get()), {QUrl::fromLocalFile(file), QUrl::fromLocalFile(folder)}));
    dropReturned = true;

    QTRY_COMPARE(opened.size(), 8);
    QCOMPARE(opened, QStringList({file, u"仓库管理 v2"_s, u"261207_093005"_s, u"after"_s, folder, u"记账本 v1.2"_s,
                                  u"261207_093005"_s, u"after"_s}));
    QCOMPARE(CatalogBuilder::projectCount(), 3);
}

QTEST_MAIN(FindDropTest)
#include "tst_finddrop.moc"
