#include "ui/main/MainWindow.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "app/ListAppearance.h"
#include "backup/ui/BackupWindow.h"
#include "execution/StrandedWork.h"
#include "execution/WorkInProgress.h"
#include "execution/ui/ExecuteCommand.h"
#include "execution/ui/ExecutedProjectsWindow.h"
#include "platform/Clock.h"
#include "projects/DroppedPackage.h"
#include "projects/ProjectTrash.h"
#include "projects/ui/CatalogueCheckWindow.h"
#include "projects/ui/DeleteProjectWindow.h"
#include "projects/ui/ExportProject.h"
#include "projects/ui/HistoryWindow.h"
#include "projects/ui/NewProjectWindow.h"
#include "projects/ui/RelatedProjectsWindow.h"
#include "projects/ui/TrashWindow.h"
#include "projects/ui/UpdateProjectWindow.h"
#include "settings/ui/SettingsWindow.h"
#include "store/CatalogueNotice.h"
#include "tools/ui/ToolCommands.h"
#include "tools/ui/ToolPage.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainStatusBar.h"
#include "ui/main/MakerInfo.h"
#include "ui/main/NavigationBar.h"
#include "ui/main/ProjectDetailsView.h"
#include "ui/main/ProjectListPage.h"
#include "ui/main/ProjectListView.h"
#include "views/ui/DesignWizardWindow.h"
#include "views/ui/TextPage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <functional>

using namespace Qt::StringLiterals;

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    named(this, u"MainWindow"_s);
    setWindowIcon(QIcon(u":/icons/app.svg"_s));
    setGeometry(50, 50, 640, 537);
    // Tall enough for every button of the 系统工具 page.
    setMinimumSize(480, 420);

    auto* central = new QWidget(this);
    setCentralWidget(central);

    m_navigation = new NavigationBar(central);

    m_content = named(new QTabWidget(central), u"选择夹1"_s);
    m_content->setGeometry(160, 8, 448, 432);
    m_listPage = new ProjectListPage;
    m_projects = m_listPage->list();
    m_textPage = new TextPage;
    m_toolPage = new ToolPage;
    m_content->addTab(m_listPage, u"程序列表"_s);
    m_content->addTab(m_textPage, u"辅助项目"_s);
    m_content->addTab(m_toolPage, u"应用工具"_s);

    m_status = new MainStatusBar(this);
    setStatusBar(m_status);
    m_menus = new MainMenus(this);

    bindCommands();
    speakAsSeen(this);
}

MainWindow::~MainWindow()
{
    // The pages still write what was typed while they go, after this window has stopped being one.
    CatalogueNotice::instance().disconnect(this);
    saveWindowState();
}

void MainWindow::startUp()
{
    // The login window has been passed before the main window was made (main.cpp).
    const AppSettings settings;
    setStatusText(0, defaultTitle());
    setStatusText(2, u"程序版本："_s + MakerInfo::version());
    m_projects->setArrangement(
        settings.readNumber(SettingsKeys::kListArrangement, SettingsKeys::kListArrangement.defaultValue()));
    applyListAppearance();
    TrashWindow::offerExpired(this);
    m_projects->loadProjectList();
    // Work that an earlier run left in the execution directory can still be updated back or abandoned.
    listWork(StrandedWork::findLines());
    m_navigation->setCurrentPage(
        settings.readNumber(SettingsKeys::kNavigationPage, SettingsKeys::kNavigationPage.defaultValue()));
}

void MainWindow::setStatusText(int part, const QString& text)
{
    m_status->setPartText(part, text);
}

QString MainWindow::statusText(int part) const
{
    return m_status->partText(part);
}

void MainWindow::showProjectListPage()
{
    m_content->setCurrentIndex(ProjectListTab);
    m_navigation->layoutNavigationBar();
}

void MainWindow::applyListAppearance()
{
    const ListAppearance look = ListAppearance::read();
    setWindowTitle(look.title);
    m_projects->applyAppearance(look);
}

void MainWindow::listWork(const QStringList& lines)
{
    WorkInProgress::instance().add(lines);
    if (!WorkInProgress::instance().isEmpty())
        ExecutedProjectsWindow::open(this);
}

namespace {

// What a command needs selected when it starts: its list's menu entry is greyed while nothing is.
enum class Needs {
    Nothing,
    Project,   // the selected project's record, checked to hold it still
    Projects,  // every selected project's record, checked alike
    ShownText, // the selected project, or none: the text page says so itself once its caption changed
    Tool,      // a selected tool, which the tool command finds itself
};

// A command is one action: its menu entry, triggered by its button too; a button without an entry gets an
// action of its own.
struct Command
{
    QAction* action;
    QPushButton* button;
    Needs needs;
    std::function<void(const QList<int>& records)> run;
};

} // namespace

void MainWindow::whenIdle(const std::function<void()>& command)
{
    // While long work runs nothing else starts, however the command was reached (an accessibility client
    // presses buttons without a click, a drop or a double click reaches the list).
    if (!WorkProgress::running())
        command();
}

void MainWindow::bindCommands()
{
    const NavigationBar::Commands& buttons = m_navigation->commands();
    const auto showText = [this](ProjectTexts::Mode mode) {
        return [this, mode](const QList<int>& records) { m_textPage->showTextField(records.first(), mode); };
    };
    const std::vector<Command> commands = {
        {m_menus->addProject, buttons.addProject, Needs::Nothing,
         [this](const QList<int>&) { NewProjectWindow::addProjects(this); }},
        {m_menus->deleteProject, buttons.deleteProject, Needs::Projects,
         [this](const QList<int>& records) { DeleteProjectWindow::deleteProjects(records, this); }},
        {m_menus->execute, buttons.execute, Needs::Project,
         [this](const QList<int>& records) { executeProject(records.first()); }},
        {m_menus->update, buttons.update, Needs::Project,
         [this](const QList<int>& records) { UpdateProjectWindow::edit(records.first(), this); }},
        {m_menus->exportProject, buttons.exportProject, Needs::Project,
         [this](const QList<int>& records) { exportProject(records.first(), this); }},
        {m_menus->history, nullptr, Needs::Project,
         [this](const QList<int>& records) { HistoryWindow::showHistory(records.first(), this); }},
        {m_menus->details, buttons.details, Needs::ShownText,
         [this](const QList<int>& records) { m_textPage->showDetails(records.first()); }},
        {m_menus->designPlan, buttons.designPlan, Needs::ShownText, showText(ProjectTexts::DesignPlan)},
        {m_menus->bugReport, buttons.bugReport, Needs::ShownText, showText(ProjectTexts::BugReport)},
        {m_menus->upgradeHistory, buttons.upgradeHistory, Needs::ShownText, showText(ProjectTexts::UpgradeHistory)},
        {m_menus->related, buttons.related, Needs::Project,
         [this](const QList<int>& records) { RelatedProjectsWindow::showRelated(records.first(), this); }},
        {m_menus->find, nullptr, Needs::Nothing,
         [this](const QList<int>&) {
             showProjectListPage();
             m_listPage->showFindBar();
         }},
        {m_menus->toolPanel, buttons.tools, Needs::Nothing,
         [this](const QList<int>&) {
             ToolCommands::showToolPanel(m_toolPage);
             m_content->setCurrentIndex(ToolListTab);
         }},
        {m_menus->addTool, m_toolPage->addButton(), Needs::Nothing,
         [this](const QList<int>&) { ToolCommands::addTools(this); }},
        {m_menus->editTool, m_toolPage->editButton(), Needs::Nothing,
         [this](const QList<int>&) { ToolCommands::editTool(m_toolPage->currentRecordNumber(), this); }},
        {m_menus->deleteTool, m_toolPage->deleteButton(), Needs::Tool,
         [this](const QList<int>&) { ToolCommands::deleteTools(m_toolPage->selectedRecordNumbers(), this); }},
        {m_menus->viewNote, m_toolPage->noteButton(), Needs::Tool,
         [this](const QList<int>&) { ToolCommands::viewNote(m_toolPage->currentRecordNumber(), this); }},
        {m_menus->showPath, nullptr, Needs::Nothing,
         [this](const QList<int>&) { ToolCommands::showPath(m_toolPage->currentRecordNumber(), this); }},
        {m_menus->checkData, buttons.checkData, Needs::Nothing,
         [this](const QList<int>&) { CatalogueCheckWindow::checkCatalogue(this); }},
        {m_menus->trash, buttons.trash, Needs::Nothing, [this](const QList<int>&) { TrashWindow::showTrash(this); }},
        {nullptr, buttons.wizard, Needs::Nothing, [this](const QList<int>&) { DesignWizardWindow::open(this); }},
        {nullptr, buttons.settings, Needs::Nothing,
         [this](const QList<int>&) {
             SettingsWindow::edit(this);
             // The list is drawn again in its new look; a change of the types told the list itself.
             applyListAppearance();
             m_projects->loadProjectList();
         }},
        {nullptr, buttons.database, Needs::Nothing, [this](const QList<int>&) { BackupWindow::backUpOrRestore(this); }},
        {nullptr, buttons.help, Needs::Nothing,
         [](const QList<int>&) { Prompt::openWithShell(AppDir::filePath(u"Tallyra使用帮助文档.doc"_s)); }},
        {nullptr, buttons.about, Needs::Nothing,
         [this](const QList<int>&) {
             AboutWindow about;
             about.exec();
         }},
        {nullptr, buttons.quit, Needs::Nothing, [this](const QList<int>&) { close(); }},
    };
    for (Command command : commands) {
        if (!command.action)
            command.action = new QAction(command.button->text(), this);
        if (command.button)
            connect(command.button, &QPushButton::clicked, command.action, &QAction::trigger);
        connect(command.action, &QAction::triggered, this, [this, needs = command.needs, run = command.run] {
            whenIdle([&] {
                // Commands on the selected projects take their record numbers when they start, once each
                // record is known to hold still the project the user chose.
                switch (needs) {
                case Needs::Project:
                    if (const int record = m_projects->takeSelectedProject())
                        run({record});
                    break;
                case Needs::Projects:
                    if (const QList<int> records = m_projects->takeSelectedProjects(); !records.isEmpty())
                        run(records);
                    break;
                case Needs::ShownText:
                    if (m_projects->selectedRecordNumber() == 0)
                        run({0}); // the page says so once its caption shows what was asked for
                    else if (const int record = m_projects->takeSelectedProject())
                        run({record});
                    break;
                case Needs::Nothing:
                case Needs::Tool:
                    run({});
                    break;
                }
            });
        });
        if (command.needs == Needs::Tool)
            m_toolSelectionEntries.append(command.action);
        else if (command.needs != Needs::Nothing)
            m_projectSelectionEntries.append(command.action);
    }

    // The keys of the menu entries work wherever the focus is in the main window, not only in the open menu;
    // Enter and Delete only on the project list.
    addActions({m_menus->find, m_menus->addProject, m_menus->history});
    m_projects->addActions({m_menus->execute, m_menus->deleteProject});
    m_listPage->details()->addActions({m_menus->execute, m_menus->deleteProject});
    // Several packages dropped at once are added one after another, each in a 新建项目 window of its own.
    connect(m_projects, &ProjectListView::packagesDropped, this, [this](const QStringList& paths) {
        whenIdle([&] {
            for (const QString& path : paths)
                NewProjectWindow::addProjects(this, path, DroppedPackage::suggestedName(path));
        });
    });
    // A double click anywhere in the list runs execute, which warns when no project is selected.
    connect(m_projects, &ProjectListView::listDoubleClicked, m_menus->execute, &QAction::trigger);
    // The tables tell every change, whichever command or window made it.
    connect(&CatalogueNotice::instance(), &CatalogueNotice::projectsChanged, this, &MainWindow::projectsChanged);
    connect(&CatalogueNotice::instance(), &CatalogueNotice::toolsChanged, m_toolPage, &ToolPage::loadToolList);
    connect(m_content, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == ProjectListTab && std::exchange(m_listStale, false))
            m_projects->loadProjectList();
    });

    connect(m_navigation, &NavigationBar::projectListRequested, this,
            [this] { m_content->setCurrentIndex(ProjectListTab); });
    connect(m_menus->arrangeTop, &QAction::triggered, this, [this] { arrange(ProjectListView::TopAligned); });
    connect(m_menus->arrangeLeft, &QAction::triggered, this, [this] { arrange(ProjectListView::LeftAligned); });
    connect(m_menus->arrangeDetails, &QAction::triggered, this, [this] { arrange(ProjectListView::Details); });

    connect(m_textPage, &TextPage::showRequested, this, [this] { m_content->setCurrentIndex(TextViewTab); });
    connect(m_textPage, &TextPage::backRequested, this, [this] { m_content->setCurrentIndex(ProjectListTab); });
    connect(m_toolPage->backButton(), &QPushButton::clicked, this, &MainWindow::showProjectListPage);
    connect(m_menus->backToProjects, &QAction::triggered, this, &MainWindow::showProjectListPage);

    connect(m_projects, &ProjectListView::statusTextChanged, this,
            [this](const QString& text) { setStatusText(4, text); });
    connect(m_toolPage, &ToolPage::statusTextChanged, this, [this](const QString& text) { setStatusText(4, text); });
    connect(m_projects, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        showContextMenu(m_menus->projectMenu(), m_projectSelectionEntries, m_projects->selectedRecordNumber() > 0,
                        m_projects->viewport()->mapToGlobal(position));
    });
    connect(m_toolPage->list(), &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        showContextMenu(m_menus->toolMenu(), m_toolSelectionEntries, m_toolPage->currentRecordNumber() > 0,
                        m_toolPage->list()->viewport()->mapToGlobal(position));
    });
}

void MainWindow::projectsChanged()
{
    // Each keystroke on the text page writes its project; the list, hidden meanwhile, is filled once when it shows.
    if (m_content->currentIndex() != ProjectListTab) {
        m_listStale = true;
        return;
    }
    m_listStale = false;
    m_projects->loadProjectList();
}

void MainWindow::executeProject(int record)
{
    listWork({ExecuteCommand::executeProject(record, this)});
}

void MainWindow::showContextMenu(QMenu* menu, const QList<QAction*>& selectionEntries, bool selected,
                                 const QPoint& globalPosition)
{
    // The entries are greyed only while the menu shows: a button triggers the same action and must still
    // say itself that nothing is selected.
    for (QAction* entry : selectionEntries)
        entry->setEnabled(selected);
    connect(
        menu, &QMenu::aboutToHide, this,
        [selectionEntries] {
            for (QAction* entry : selectionEntries)
                entry->setEnabled(true);
        },
        Qt::SingleShotConnection);
    menu->popup(globalPosition);
}

void MainWindow::arrange(int arrangement)
{
    m_projects->setArrangement(arrangement);
    m_projects->loadProjectList();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    applyResizeRule();
}

void MainWindow::applyResizeRule()
{
    // The window sizes its own parts; each page of the content tab lays out its insides when it is resized.
    const int w = width();
    const int h = height();
    m_navigation->setGeometry(5, 5, 150, h - 30);
    m_content->setGeometry(m_navigation->x() + m_navigation->width(), m_navigation->y(), w - 155,
                           m_navigation->height());
    m_navigation->pages()->setGeometry(1, 1, m_navigation->width(), m_navigation->height());
    m_navigation->layoutNavigationBar();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Both lists repaint on activation, so a background picture is never left half-drawn.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_projects->viewport()->update();
        m_toolPage->list()->viewport()->update();
    }
}

void MainWindow::endProgram()
{
    m_ending = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A design wizard holding typed text asks first, as its own close box does; No keeps the program running.
    if (!m_ending) {
        const QList<DesignWizardWindow*> wizards = findChildren<DesignWizardWindow*>();
        for (DesignWizardWindow* wizard : wizards) {
            if (wizard->isVisible() && !wizard->close()) {
                event->ignore();
                return;
            }
        }
    }
    saveWindowState();
    event->accept();
    // The executed-projects panel is a window of its own; the program still ends with the main window, which
    // is what whoever runs the message loop listens for.
    Q_EMIT closed();
}

void MainWindow::saveWindowState()
{
    if (m_stateSaved)
        return;
    m_stateSaved = true;
    AppSettings settings;
    settings.writeNumber(SettingsKeys::kNavigationPage, m_navigation->currentPage());
    settings.writeNumber(SettingsKeys::kListArrangement, m_projects->arrangement());
}
