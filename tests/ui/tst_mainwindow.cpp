#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "Spoken.h"
#include "app/AppSettings.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "settings/ProjectTypes.h"
#include "store/CatalogueNotice.h"
#include "store/RecordTable.h"
#include "store/TableSchemas.h"
#include "tools/ToolTable.h"
#include "tools/ui/ToolPage.h"
#include "ui/common/WorkProgress.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainWindow.h"
#include "ui/main/NavigationBar.h"
#include "ui/main/ProjectListView.h"
#include "views/ProjectTexts.h"
#include "views/ui/DesignWizardWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResource>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Closes any modal window that opens while it lives, so a test that expects none fails instead of waiting.
struct ModalWatch
{
    ModalWatch()
    {
        whenModal<QWidget>(
            [this](QWidget* modal) {
                opened = true;
                modal->close();
            },
            &waiting);
    }
    bool opened = false;
    QObject waiting;
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUp_freshInstallation_showsDefaultsAndResources();
    void controls_everyControl_carriesItsNameAndCaption();
    void categoryButtons_switchPagesAndBringBackTheProjectList();
    void headingButtons_ofTheCurrentCategory_doNothing();
    void layout_categoriesBelowTheCurrentOne_sitAtTheBottom();
    void resizeRule_placesEveryControlForTheNewSize();
    void closing_byCloseBoxOrExitButton_rememberPageAndArrangementAcrossRuns();
    void closing_wizardHoldsText_asksAndNoKeepsTheProgram();
    void selectionCommands_withoutSelection_warnAndStop();
    void commands_whileLongWorkRuns_startNothing();
    void catalogueChange_fillsTheListsOncePerCommand_data();
    void catalogueChange_fillsTheListsOncePerCommand();
    void catalogueChange_repairAtOpeningFillsTheListOnce();
    void selectionCommands_recordNowHoldsAnotherProject_listRefilledAndNothingDone_data();
    void selectionCommands_recordNowHoldsAnotherProject_listRefilledAndNothingDone();
    void contextMenu_nothingSelected_disablesExactlyTheTenSelectionEntries();
    void keysAndSystemToolButtons_reachTheirCommands_data();
    void keysAndSystemToolButtons_reachTheirCommands();
    void help_opensTheDocumentBesideTheExecutable();
    void aboutWindow_showsVersionAndOpensTheWebAddress();

private:
    std::unique_ptr<MainWindow> makeWindow();

    std::unique_ptr<AppFixture> m_fixture;
    TempAppDir* m_app = nullptr;
    RecordingPrompt* m_prompt = nullptr;
};

void MainWindowTest::init()
{
    m_fixture = std::make_unique<AppFixture>();
    m_app = &m_fixture->app;
    m_prompt = &m_fixture->prompt;
}

void MainWindowTest::cleanup()
{
    m_fixture.reset();
}

std::unique_ptr<MainWindow> MainWindowTest::makeWindow()
{
    auto window = std::make_unique<MainWindow>();
    window->startUp();
    window->resize(900, 640);
    window->show();
    return window;
}

void MainWindowTest::startUp_freshInstallation_showsDefaultsAndResources()
{
    AppSettings().write(SettingsKeys::kTitle, u"我的目录"_s);
    auto w = makeWindow();
    QCOMPARE(w->windowTitle(), u"我的目录"_s);
    QCOMPARE(w->statusText(0), defaultTitle()); // the built-in text, whatever the caption says
    QCOMPARE(w->statusText(2), u"程序版本：1.2"_s);
    QCOMPARE(w->statusText(4), u"就绪"_s);
    QCOMPARE(child<NavigationBar>(w.get())->currentPage(), 0);
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), 0);
    QCOMPARE(child<ProjectListView>(w.get())->count(), 0);
    // The pictures and sounds are compiled into the program.
    QVERIFY(QResource(u":/sounds/click.wav"_s).isValid());
    QVERIFY(QResource(u":/icons/banner.svg"_s).isValid());
}

void MainWindowTest::controls_everyControl_carriesItsNameAndCaption()
{
    auto w = makeWindow();
    const QList<std::pair<QString, QString>> buttons = {
        {u"项目管理分类按钮"_s, u"项目管理              "_s},
        {u"添加按钮1"_s, u"开发向导"_s},
        {u"添加按钮"_s, u"添加项目"_s},
        {u"更新按钮"_s, u"更    新"_s},
        {u"执行按钮"_s, u"执    行"_s},
        {u"删除按钮"_s, u"删除项目"_s},
        {u"导出按钮"_s, u"导    出"_s},
        {u"项目配置分类按钮"_s, u"项目配置          "_s},
        {u"系统工具分类按钮"_s, u"系统工具          "_s},
        {u"项目管理分类按钮2"_s, u"项目管理          "_s},
        {u"项目配置分类按钮2"_s, u"项目配置          "_s},
        {u"详细信息按钮"_s, u"详细信息"_s},
        {u"设计规划按钮"_s, u"步骤规划"_s},
        {u"bug按钮"_s, u"BUG报告"_s},
        {u"升级历史按钮"_s, u"升级历史"_s},
        {u"关联项目按钮"_s, u"关联项目"_s},
        {u"系统工具分类按钮2"_s, u"系统工具          "_s},
        {u"项目管理分类按钮3"_s, u"项目管理          "_s},
        {u"项目配置分类按钮3"_s, u"项目配置          "_s},
        {u"系统工具分类按钮按钮3"_s, u"系统工具          "_s},
        {u"系统配置按钮"_s, u"系统配置"_s},
        {u"工具资源按钮"_s, u"工具资源"_s},
        {u"数据库按钮"_s, u"数 据 库"_s},
        {u"回收站按钮"_s, u"回 收 站"_s},
        {u"检查数据按钮"_s, u"检查数据"_s},
        {u"关于按钮"_s, u"帮    助"_s},
        {u"关于按钮1"_s, u"关    于"_s},
        {u"退出按钮"_s, u"退    出"_s},
        {u"返回按钮2"_s, u"返回项目列表"_s},
        {u"写出按钮"_s, u"写到文件"_s},
        {u"新建工具按钮"_s, u"新  建"_s},
        {u"编辑工具按钮"_s, u"编  辑"_s},
        {u"删除工具按钮"_s, u"删  除"_s},
        {u"工具备注按钮"_s, u"备  注"_s},
        {u"返回按钮"_s, u"返回项目列表"_s},
    };
    // A screen reader speaks the caption without the blanks that space it out; clients that drive the program
    // find each control by its name in the accessible description.
    for (const auto& [name, caption] : buttons) {
        auto* b = w->findChild<QPushButton*>(name);
        QVERIFY2(b, qPrintable(name));
        QCOMPARE(b->text(), caption);
        QCOMPARE(spokenName(b), QString(caption).remove(u' '));
        QCOMPARE(b->accessibleDescription(), name);
    }
    // Lists and edit boxes are heard by the label or tab caption beside them; what has nothing readable by its name.
    const QList<std::pair<QString, QString>> others = {
        {u"外形框1"_s, u"外形框1"_s},     {u"选择夹2"_s, u"选择夹2"_s},     {u"选择夹1"_s, u"选择夹1"_s},
        {u"程序列表框"_s, u"程序列表"_s}, {u"辅助项目框"_s, u"设计规划"_s}, {u"透明标签1"_s, u"设计规划："_s},
        {u"工具列表框"_s, u"应用工具"_s}, {u"状态条1"_s, u"状态条1"_s},
    };
    for (const auto& [name, spoken] : others) {
        auto* widget = w->findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(spokenName(widget), spoken);
        QCOMPARE(widget->accessibleDescription(), name);
    }
    QCOMPARE(spokenName(w.get()), w->windowTitle());
    QCOMPARE(w->accessibleDescription(), u"MainWindow"_s);
    const auto* tabs = child<QTabWidget>(w.get(), u"选择夹1"_s);
    QCOMPARE(tabs->tabText(0), u"程序列表"_s);
    QCOMPARE(tabs->tabText(1), u"辅助项目"_s);
    QCOMPARE(tabs->tabText(2), u"应用工具"_s);
}

void MainWindowTest::categoryButtons_switchPagesAndBringBackTheProjectList()
{
    auto w = makeWindow();
    NavigationBar* nav = child<NavigationBar>(w.get());
    auto click = [&](const QString& name) { QTest::mouseClick(nav->findChild<QPushButton*>(name), Qt::LeftButton); };

    child<QTabWidget>(w.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::ToolListTab);
    m_prompt->sounds.clear();
    click(u"项目配置分类按钮"_s);
    QCOMPARE(nav->currentPage(), 1);
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(),
             int(MainWindow::ToolListTab)); // 项目配置 leaves the content alone
    QCOMPARE(m_prompt->sounds, QList<Prompt::Sound>{Prompt::Sound::Click});

    click(u"系统工具分类按钮2"_s);
    QCOMPARE(nav->currentPage(), 2);
    click(u"项目配置分类按钮3"_s);
    QCOMPARE(nav->currentPage(), 1);
    click(u"项目管理分类按钮2"_s);
    QCOMPARE(nav->currentPage(), 0);
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));

    click(u"系统工具分类按钮"_s);
    QCOMPARE(nav->currentPage(), 2);
    click(u"工具资源按钮"_s);
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ToolListTab));
    click(u"项目管理分类按钮3"_s);
    QCOMPARE(nav->currentPage(), 0);
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));

    child<QTabWidget>(w.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::ToolListTab);
    QTest::mouseClick(w->findChild<QPushButton*>(u"返回按钮"_s), Qt::LeftButton);
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));
    child<QTabWidget>(w.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::ToolListTab);
    child<MainMenus>(w.get())->backToProjects->trigger();
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));
    child<QTabWidget>(w.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::ToolListTab);
    click(u"项目管理分类按钮"_s);
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));
    QCOMPARE(nav->currentPage(), 0);
}

void MainWindowTest::headingButtons_ofTheCurrentCategory_doNothing()
{
    auto w = makeWindow();
    NavigationBar* nav = child<NavigationBar>(w.get());
    nav->setCurrentPage(1);
    m_prompt->sounds.clear();
    QTest::mouseClick(nav->findChild<QPushButton*>(u"项目配置分类按钮2"_s), Qt::LeftButton);
    QCOMPARE(nav->currentPage(), 1);
    nav->setCurrentPage(2);
    QTest::mouseClick(nav->findChild<QPushButton*>(u"系统工具分类按钮按钮3"_s), Qt::LeftButton);
    QCOMPARE(nav->currentPage(), 2);
    QVERIFY(m_prompt->sounds.isEmpty());
}

void MainWindowTest::layout_categoriesBelowTheCurrentOne_sitAtTheBottom()
{
    auto w = makeWindow();
    NavigationBar* nav = child<NavigationBar>(w.get());
    const int h = nav->height();
    nav->layoutNavigationBar();
    QCOMPARE(nav->findChild<QPushButton*>(u"系统工具分类按钮"_s)->y(), h - 32 - 2);
    QCOMPARE(nav->findChild<QPushButton*>(u"项目配置分类按钮"_s)->y(), h - 32 - 2 - 32 - 1);
    QTest::mouseClick(nav->findChild<QPushButton*>(u"项目配置分类按钮"_s), Qt::LeftButton);
    QCOMPARE(nav->findChild<QPushButton*>(u"系统工具分类按钮2"_s)->y(), h - 32 - 2);
    // Buttons that follow a heading stay where they were designed.
    QCOMPARE(nav->findChild<QPushButton*>(u"关联项目按钮"_s)->y(), 194);
}

void MainWindowTest::resizeRule_placesEveryControlForTheNewSize()
{
    auto w = makeWindow();
    m_prompt->sounds.clear();
    w->resize(1000, 700);
    QCoreApplication::processEvents();
    QCOMPARE(child<NavigationBar>(w.get())->geometry(), QRect(5, 5, 150, 670));
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->geometry(), QRect(155, 5, 845, 670));
    QCOMPARE(child<NavigationBar>(w.get())->pages()->geometry(), QRect(1, 1, 150, 670));
    QCOMPARE(child<ProjectListView>(w.get())->x(), 5);
    QCOMPARE(child<ProjectListView>(w.get())->width(), 835);
    // Each page lays out its insides when it is shown at the new size.
    child<QTabWidget>(w.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::ToolListTab);
    QCOMPARE(w->findChild<QListWidget*>(u"工具列表框"_s)->geometry().topLeft(), QPoint(5, 30));
    QCOMPARE(w->findChild<QListWidget*>(u"工具列表框"_s)->width(), 835);
    child<QTabWidget>(w.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::TextViewTab);
    QCOMPARE(w->findChild<QPlainTextEdit*>(u"辅助项目框"_s)->width(), 835);
    auto* write = w->findChild<QPushButton*>(u"写出按钮"_s);
    QCOMPARE(write->x(), 845 - 112 - 8);
    QCOMPARE(w->findChild<QPushButton*>(u"返回按钮2"_s)->x(), 845 - 112 - 112 - 8);
    QCOMPARE(w->findChild<QPushButton*>(u"返回按钮"_s)->x(), write->x());
    child<QTabWidget>(w.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::ProjectListTab);
    // Every list stays inside its page, so no row hides below the visible area.
    QWidget* page = child<QTabWidget>(w.get(), u"选择夹1"_s)->widget(0);
    QVERIFY(child<ProjectListView>(w.get())->geometry().bottom() <= page->rect().bottom());
    QVERIFY(m_prompt->sounds.contains(Prompt::Sound::Click));
}

void MainWindowTest::closing_byCloseBoxOrExitButton_rememberPageAndArrangementAcrossRuns()
{
    {
        auto w = makeWindow();
        QTest::mouseClick(child<NavigationBar>(w.get())->findChild<QPushButton*>(u"系统工具分类按钮"_s),
                          Qt::LeftButton);
        child<MainMenus>(w.get())->arrangeLeft->trigger();
        QVERIFY(w->close());
    }
    AppSettings settings;
    QCOMPARE(settings.read(SettingsKeys::kNavigationPage), u"2"_s);
    QCOMPARE(settings.read(SettingsKeys::kListArrangement), u"1"_s);
    {
        auto w = makeWindow();
        QCOMPARE(child<NavigationBar>(w.get())->currentPage(), 2);
        QCOMPARE(child<ProjectListView>(w.get())->arrangement(), ProjectListView::LeftAligned);
        QCOMPARE(child<ProjectListView>(w.get())->flow(), QListView::TopToBottom);
        QTest::mouseClick(child<NavigationBar>(w.get())->findChild<QPushButton*>(u"项目配置分类按钮3"_s),
                          Qt::LeftButton);
        child<MainMenus>(w.get())->arrangeTop->trigger();
        QTest::mouseClick(child<NavigationBar>(w.get())->findChild<QPushButton*>(u"项目管理分类按钮2"_s),
                          Qt::LeftButton);
        QTest::mouseClick(child<NavigationBar>(w.get())->findChild<QPushButton*>(u"系统工具分类按钮"_s),
                          Qt::LeftButton);
        QTest::mouseClick(child<NavigationBar>(w.get())->findChild<QPushButton*>(u"退出按钮"_s), Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }
    QCOMPARE(settings.read(SettingsKeys::kNavigationPage), u"2"_s);
    QCOMPARE(settings.read(SettingsKeys::kListArrangement), u"0"_s);
    {
        // A window destroyed without being closed writes the same keys.
        auto w = makeWindow();
        child<NavigationBar>(w.get())->setCurrentPage(1);
    }
    QCOMPARE(settings.read(SettingsKeys::kNavigationPage), u"1"_s);
    // Non-numeric keys read as 0.
    settings.write(SettingsKeys::kListArrangement, u"左"_s);
    settings.write(SettingsKeys::kNavigationPage, u"x"_s);
    auto w = makeWindow();
    QCOMPARE(child<ProjectListView>(w.get())->arrangement(), ProjectListView::TopAligned);
    QCOMPARE(child<NavigationBar>(w.get())->currentPage(), 0);
}

void MainWindowTest::closing_wizardHoldsText_asksAndNoKeepsTheProgram()
{
    auto w = makeWindow();
    QTest::mouseClick(child<NavigationBar>(w.get())->findChild<QPushButton*>(u"添加按钮1"_s), Qt::LeftButton);
    auto* wizard = child<DesignWizardWindow>(w.get());
    wizard->findChild<QPlainTextEdit*>()->setPlainText(u"半页设计"_s);
    m_prompt->queueAnswer(Prompt::Answer::No);
    QVERIFY(!w->close());
    QVERIFY(w->isVisible() && wizard->isVisible());
    m_prompt->queueAnswer(Prompt::Answer::Yes);
    QVERIFY(w->close());
    QCOMPARE(m_prompt->texts(), QStringList(2, u"是否放弃已输入的内容？"_s));
    m_prompt->clear();
}

void MainWindowTest::selectionCommands_withoutSelection_warnAndStop()
{
    auto w = makeWindow();
    const QStringList names = {u"执行按钮"_s,     u"更新按钮"_s, u"删除按钮"_s,     u"导出按钮"_s,    u"详细信息按钮"_s,
                               u"设计规划按钮"_s, u"bug按钮"_s,  u"升级历史按钮"_s, u"关联项目按钮"_s};
    for (const QString& name : names) {
        m_prompt->clear();
        child<NavigationBar>(w.get())->findChild<QPushButton*>(name)->click();
        QCOMPARE(m_prompt->messages().size(), 1);
        QCOMPARE(m_prompt->lastText(), u"请选择您要操作的项目！"_s);
        QCOMPARE(m_prompt->lastForm(), Prompt::Form::Warning);
    }
    // A double click on empty space of the list runs execute like any double click, and so warns.
    m_prompt->clear();
    QWidget* viewport = child<ProjectListView>(w.get())->viewport();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 5, viewport->height() - 5));
    QCOMPARE(m_prompt->texts(), QStringList{u"请选择您要操作的项目！"_s});
}

void MainWindowTest::commands_whileLongWorkRuns_startNothing()
{
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s}));
    auto w = makeWindow();
    child<ProjectListView>(w.get())->setCurrentRow(0);
    ModalWatch dialogs;
    const WorkProgress work(w.get(), u"正在复制文件，请稍候……"_s);
    // Every command button is pressed as an accessibility client would, past the swallowed clicks.
    QList<QPushButton*> buttons = child<NavigationBar>(w.get())->findChildren<QPushButton*>();
    buttons += child<ToolPage>(w.get())->findChildren<QPushButton*>();
    for (QPushButton* button : std::as_const(buttons)) {
        if (!button->objectName().contains(u"分类按钮"_s))
            button->click();
    }
    Q_EMIT child<ProjectListView>(w.get())->packagesDropped({m_app->filePath(u"data/P01.fd1"_s)});
    QTest::qWait(20);
    QVERIFY(!dialogs.opened);
    QVERIFY(w->isVisible());
    QCOMPARE(m_prompt->texts(), QStringList());
    QVERIFY(m_prompt->shellOpened.isEmpty());
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));
}

void MainWindowTest::selectionCommands_recordNowHoldsAnotherProject_listRefilledAndNothingDone_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QList<int>>("rows");
    for (const QString& name : {u"执行按钮"_s, u"更新按钮"_s, u"删除按钮"_s, u"导出按钮"_s, u"详细信息按钮"_s,
                                u"设计规划按钮"_s, u"bug按钮"_s, u"升级历史按钮"_s, u"关联项目按钮"_s})
        QTest::addRow("%s", name.toUtf8().constData()) << name << QList<int>{1};
    QTest::newRow("delete, one of two changed") << u"删除按钮"_s << QList<int>{0, 1};
    QTest::newRow("double click") << QString() << QList<int>{1};
}

void MainWindowTest::catalogueChange_fillsTheListsOncePerCommand_data()
{
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("projectFills");
    QTest::addColumn<int>("toolsListed");
    const int list = MainWindow::ProjectListTab;
    QTest::newRow("added") << 0 << list << QStringList{u"A 1.0"_s, u"B 1.0"_s, u"C 1.0"_s, u"丁 1.0"_s} << 1 << 0;
    QTest::newRow("edited") << 1 << list << QStringList{u"甲 2.0"_s, u"B 1.0"_s, u"C 1.0"_s} << 1 << 0;
    QTest::newRow("two deleted") << 2 << list << QStringList{u"C 1.0"_s} << 1 << 0;
    QTest::newRow("a type added") << 3 << list << QStringList{u"A 1.0"_s, u"B 1.0"_s, u"C 1.0"_s} << 1 << 0;
    QTest::newRow("a text typed") << 4 << list << QStringList{u"A 1.0"_s, u"B 1.0"_s, u"C 1.0"_s} << 0 << 0;
    QTest::newRow("a tool added") << 5 << list << QStringList{u"A 1.0"_s, u"B 1.0"_s, u"C 1.0"_s} << 0 << 1;
    // The list is filled when it shows again, not while another page is in front of it.
    QTest::newRow("deleted behind the tool page")
        << 2 << int(MainWindow::ToolListTab) << QStringList{u"A 1.0"_s, u"B 1.0"_s, u"C 1.0"_s} << 0 << 0;
}

void MainWindowTest::catalogueChange_fillsTheListsOncePerCommand()
{
    QFETCH(int, change);
    QFETCH(int, tab);
    QFETCH(QStringList, shown);
    QFETCH(int, projectFills);
    QFETCH(int, toolsListed);
    for (const QString& number : {u"A"_s, u"B"_s, u"C"_s})
        QVERIFY(CatalogBuilder::addProject({number, number}));
    auto w = makeWindow();
    auto* content = child<QTabWidget>(w.get(), u"选择夹1"_s);
    content->setCurrentIndex(tab);
    ProjectListView* list = child<ProjectListView>(w.get());
    QSignalSpy projectList(list, &ProjectListView::rowsShownChanged);

    const std::array<std::function<bool()>, 6> changes = {
        [] {
            ProjectRecord project;
            project.number = u"D"_s;
            project.name = u"丁"_s;
            project.version = u"1.0"_s;
            return ProjectRules::addProject(project, {}, false) == ProjectRules::AddOutcome::Added;
        },
        [] {
            ProjectRecord edited = ProjectCatalogue::readProject(1);
            edited.name = u"甲"_s;
            edited.version = u"2.0"_s;
            return ProjectRules::updateProject(1, edited, {}) == ProjectRules::UpdateOutcome::Updated;
        },
        [] {
            return ProjectRules::deleteProjects({1, 2}, false) == 2;
        },
        [] { return ProjectTypes::appendType(u"新类型"_s, ProjectTypes::typePicture(0)); },
        [] {
            int record = 2;
            return ProjectTexts::save(record, u"B"_s, ProjectTexts::DesignPlan, u"计划"_s) ==
                   ProjectTexts::Outcome::Done;
        },
        [] {
            return ToolTable::store(0, {u"工具"_s, u"/opt/t"_s, {}});
        },
    };
    QVERIFY(changes.at(change)());

    QCOMPARE(projectList.size(), projectFills);
    QCOMPARE(child<ToolPage>(w.get())->list()->count(), toolsListed);
    QStringList listed;
    for (int row = 0; row < list->count(); ++row)
        listed.append(list->item(row)->text());
    QCOMPARE(listed, shown);
    if (tab != MainWindow::ProjectListTab) {
        content->setCurrentIndex(MainWindow::ProjectListTab);
        QCOMPARE(projectList.size(), 1);
        QCOMPARE(list->count(), 1);
    }
}

void MainWindowTest::catalogueChange_repairAtOpeningFillsTheListOnce()
{
    for (const QString& number : {u"A"_s, u"B"_s, u"C"_s})
        QVERIFY(CatalogBuilder::addProject({number, number}));
    { // An older run marked B deleted and ended before packing; the list's own opening of the table finishes it.
        RecordTable table;
        QVERIFY(table.open(TableSchemas::projectTablePath()) && table.goTo(2) && table.deleteRecord());
    }
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    QStringList listed;
    for (int row = 0; row < list->count(); ++row)
        listed.append(list->item(row)->text());
    QCOMPARE(listed, QStringList({u"A 1.0"_s, u"C 1.0"_s}));
}

void MainWindowTest::selectionCommands_recordNowHoldsAnotherProject_listRefilledAndNothingDone()
{
    QFETCH(QString, button);
    QFETCH(QList<int>, rows);
    for (const QString& number : {u"A"_s, u"B"_s, u"C"_s}) {
        QVERIFY(CatalogBuilder::addProject({number, number}));
        m_app->writeFile(u"data/"_s + number + u".fd1"_s, number.toUtf8());
    }
    auto w = makeWindow();
    ProjectListView* list = child<ProjectListView>(w.get());
    // Another program deletes B behind this list: record 2 now holds C, and no notice of it reaches this window.
    {
        const QSignalBlocker elsewhere(CatalogueNotice::instance());
        QCOMPARE(ProjectRules::deleteProjects({2}, false), 1);
    }
    for (int row : rows)
        list->item(row)->setSelected(true);
    list->setCurrentItem(list->item(rows.constLast()), QItemSelectionModel::NoUpdate);
    // A dialog that opened all the same is closed again, so the test fails instead of waiting for ever.
    ModalWatch dialogs;

    if (button.isEmpty()) {
        QWidget* viewport = list->viewport();
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    } else {
        child<NavigationBar>(w.get())->findChild<QPushButton*>(button)->click();
    }

    QVERIFY(!dialogs.opened);
    QCOMPARE(m_prompt->texts(), QStringList{u"项目列表已变化，请重新选择！"_s});
    QCOMPARE(m_prompt->lastForm(), Prompt::Form::Warning);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), u"C 1.0"_s);
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(CatalogBuilder::projectCount(), 2);
    QCOMPARE(m_app->readFile(u"data/C.fd1"_s), QByteArray("C"));
    QCOMPARE(child<QTabWidget>(w.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));
    QVERIFY(m_prompt->fileDialogs.isEmpty());
    QVERIFY(m_prompt->shellOpened.isEmpty());
}

void MainWindowTest::contextMenu_nothingSelected_disablesExactlyTheTenSelectionEntries()
{
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s}));
    auto w = makeWindow();
    MainMenus* m = child<MainMenus>(w.get());
    const QList<QAction*> bound = {m->deleteProject, m->execute,    m->update,    m->exportProject,  m->history,
                                   m->details,       m->designPlan, m->bugReport, m->upgradeHistory, m->related};
    const QList<QAction*> always = {m->addProject, m->arrangeTop, m->arrangeLeft, m->toolPanel};

    Q_EMIT child<ProjectListView>(w.get())->customContextMenuRequested(QPoint(10, 10));
    for (QAction* a : bound)
        QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
    for (QAction* a : always)
        QVERIFY(a->isEnabled());
    m->projectMenu()->close();

    child<ProjectListView>(w.get())->item(0)->setSelected(true);
    child<ProjectListView>(w.get())->setCurrentRow(0);
    Q_EMIT child<ProjectListView>(w.get())->customContextMenuRequested(QPoint(10, 10));
    for (QAction* a : bound)
        QVERIFY(a->isEnabled());
    m->projectMenu()->close();

    const QStringList entries = [&] {
        QStringList texts;
        for (QAction* a : m->projectMenu()->actions())
            texts << (a->isSeparator() ? u"-"_s : a->text());
        return texts;
    }();
    QCOMPARE(entries, (QStringList{u"&A.添加项目"_s, u"&D.删除项目"_s, u"-"_s, u"&R.执行"_s, u"&P.更新"_s,
                                   u"&M.导出项目"_s, u"&H.历史版本"_s, u"-"_s, u"&I.详细信息"_s, u"&F.设计规划"_s,
                                   u"&S.BUG报告"_s, u"&U.升级历史"_s, u"-"_s, u"&L.查看关联项目"_s, u"&V.排列方式"_s,
                                   u"&Q.查找"_s, u"-"_s, u"&T.切换到工具或资源面板"_s}));
}

// The daily commands have keys, and the windows of the data folder a button where a user looks for them.
void MainWindowTest::keysAndSystemToolButtons_reachTheirCommands_data()
{
    QTest::addColumn<QString>("press"); // keys pressed on the project list, or a button of the 系统工具 page
    QTest::addColumn<QString>("opens"); // the window that opens; empty: the project is executed
    QTest::newRow("Ctrl+N adds a project") << u"Ctrl+N"_s << u"NewProjectWindow"_s;
    QTest::newRow("Ctrl+H shows 历史版本") << u"Ctrl+H"_s << u"HistoryWindow"_s;
    QTest::newRow("Delete deletes") << u"Del"_s << u"DeleteProjectWindow"_s;
    QTest::newRow("Enter executes") << u"Return"_s << QString();
    QTest::newRow("回收站 on the 系统工具 page") << u"回收站按钮"_s << u"TrashWindow"_s;
    QTest::newRow("检查数据 on the 系统工具 page") << u"检查数据按钮"_s << u"CatalogueCheckWindow"_s;
}

void MainWindowTest::keysAndSystemToolButtons_reachTheirCommands()
{
    QFETCH(QString, press);
    QFETCH(QString, opens);
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s, 0, u"1.0"_s, {}, u"e"_s}));
    m_app->writeFile(u"data/P01.fd1"_s, "module");
    auto w = makeWindow();
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    ProjectListView* list = child<ProjectListView>(w.get());
    list->setCurrentRow(0);
    list->setFocus();
    QString opened;
    QObject waiting;
    whenModal<QWidget>(
        [&](QWidget* modal) {
            opened = modal->objectName();
            modal->close();
        },
        &waiting);

    if (press.endsWith(u"按钮"_s)) {
        QTest::mouseClick(child<QPushButton>(w.get(), u"系统工具分类按钮"_s), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(w.get(), press), Qt::LeftButton);
    } else {
        QTest::keySequence(list, QKeySequence::fromString(press));
    }

    if (opens.isEmpty()) {
        QCOMPARE(m_prompt->shellOpened, QStringList{m_app->filePath(u"run/P01/P01.e"_s)});
        QVERIFY(m_prompt->messages().isEmpty());
    } else {
        QTRY_COMPARE(opened, opens);
    }
}

void MainWindowTest::help_opensTheDocumentBesideTheExecutable()
{
    auto w = makeWindow();
    child<NavigationBar>(w.get())->findChild<QPushButton*>(u"关于按钮"_s)->click();
    QCOMPARE(m_prompt->shellOpened, QStringList{m_app->filePath(u"Tallyra使用帮助文档.doc"_s)});
    QVERIFY(m_prompt->messages().isEmpty());
}

void MainWindowTest::aboutWindow_showsVersionAndOpensTheWebAddress()
{
    AboutWindow about;
    QCOMPARE(about.windowTitle(), u"关于"_s);
    QCOMPARE(about.findChild<QLabel*>(u"版本标签"_s)->text(), u"版本：1.2"_s);
    QVERIFY(!about.findChild<QLabel*>(u"图片框1"_s)->pixmap().isNull());
    auto* link = about.findChild<QLabel*>(u"超级链接框1"_s);
    QCOMPARE(link->width(), 128);
    QVERIFY(link->sizeHint().width() <= 128); // the address is shown whole
    Q_EMIT link->linkActivated(u"https://tallyra.example.cn"_s);
    QCOMPARE(m_prompt->shellOpened, QStringList{u"https://tallyra.example.cn"_s});
    about.show();
    QTest::mouseClick(about.findChild<QPushButton*>(u"确定按钮"_s), Qt::LeftButton);
    QVERIFY(!about.isVisible());
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
