#include "ui/main/MainWindow.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "app/ListAppearance.h"
#include "backup/BackupWindow.h"
#include "execution/ExecuteCommand.h"
#include "execution/ExecutedProjectsWindow.h"
#include "execution/StrandedWork.h"
#include "projects/CatalogueCheckWindow.h"
#include "projects/DeleteProjectWindow.h"
#include "projects/DroppedPackage.h"
#include "projects/ExportProject.h"
#include "projects/NewProjectWindow.h"
#include "projects/RelatedProjectsWindow.h"
#include "projects/UpdateProjectWindow.h"
#include "settings/SettingsWindow.h"
#include "tools/ToolCommands.h"
#include "tools/ToolPage.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainStatusBar.h"
#include "ui/main/MakerInfo.h"
#include "ui/main/NavigationBar.h"
#include "ui/main/ProjectListPage.h"
#include "ui/main/ProjectListView.h"
#include "views/DesignWizardWindow.h"
#include "views/TextPage.h"

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

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    named(this, QStringLiteral("MainWindow"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.svg")));
    setGeometry(50, 50, 640, 537);
    setMinimumSize(480, 360);

    auto* central = new QWidget(this);
    setCentralWidget(central);

    m_navigation = new NavigationBar(central);

    m_content = named(new QTabWidget(central), QStringLiteral("选择夹1"));
    m_content->setGeometry(160, 8, 448, 432);
    m_listPage = new ProjectListPage;
    m_projects = m_listPage->list();
    m_textPage = new TextPage(m_projects);
    m_toolPage = new ToolPage;
    m_content->addTab(m_listPage, QStringLiteral("程序列表"));
    m_content->addTab(m_textPage, QStringLiteral("辅助项目"));
    m_content->addTab(m_toolPage, QStringLiteral("应用工具"));

    m_status = new MainStatusBar(this);
    setStatusBar(m_status);
    m_menus = new MainMenus(this);

    bindCommands();
    speakAsSeen(this);
}

MainWindow::~MainWindow()
{
    saveWindowState();
}

void MainWindow::startUp()
{
    // The login window has been passed before the main window was made (main.cpp).
    const AppSettings settings;
    setStatusText(0, defaultTitle());
    setStatusText(2, QStringLiteral("程序版本：") + MakerInfo::version());
    m_projects->setArrangement(AppSettings::toNumber(settings.read(SettingsKeys::kListArrangement)));
    applyListAppearance();
    m_projects->loadProjectList();
    // Work that an earlier run left in the execution directory can still be updated back or abandoned.
    listWork(StrandedWork::findLines());
    m_navigation->setCurrentPage(settings.readNumber(SettingsKeys::kNavigationPage, QStringLiteral("0")));
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
    QStringList work = lines;
    work.removeAll(QString());
    if (work.isEmpty())
        return;
    ExecutedProjectsWindow* panel = ExecutedProjectsWindow::instance();
    if (!panel) {
        panel = ExecutedProjectsWindow::open(this);
        connect(panel, &ExecutedProjectsWindow::catalogueChanged, m_projects, &ProjectListView::loadProjectList);
    }
    panel->appendLines(work);
}

void MainWindow::executeSelectedProject()
{
    if (const int record = m_projects->takeSelectedProject())
        listWork({ExecuteCommand::executeProject(record, this)});
}

void MainWindow::bindCommands()
{
    const NavigationBar::Commands& buttons = m_navigation->commands();
    // A button and its menu entry run one command. While long work runs nothing else starts, however the
    // command was reached (an accessibility client presses buttons without a click).
    const auto bind = [this](QPushButton* button, QAction* action, const std::function<void()>& command) {
        const auto guarded = [command] {
            if (!WorkProgress::running())
                command();
        };
        connect(button, &QPushButton::clicked, this, guarded);
        if (action)
            connect(action, &QAction::triggered, this, guarded);
    };
    // Commands on the selected project take its record number when they start, once the record is known to
    // hold still the project the user chose.
    const auto onSelected = [this](const std::function<void(int)>& command) {
        return [this, command] {
            if (const int record = m_projects->takeSelectedProject())
                command(record);
        };
    };
    // The text page finds the selected project itself and says so when there is none; a selected item is
    // checked first all the same.
    const auto onTextPage = [this](const std::function<void()>& show) {
        return [this, show] {
            if (m_projects->selectedRecordNumber() > 0 && !m_projects->takeSelectedProject())
                return;
            show();
        };
    };

    connect(m_navigation, &NavigationBar::projectListRequested, this,
            [this] { m_content->setCurrentIndex(ProjectListTab); });

    bind(buttons.addProject, m_menus->addProject, [this] { NewProjectWindow::addProjects(this, m_projects); });
    bind(buttons.deleteProject, m_menus->deleteProject, [this] {
        const QList<int> records = m_projects->takeSelectedProjects();
        if (!records.isEmpty() && DeleteProjectWindow::deleteProjects(records, this))
            m_projects->loadProjectList();
    });
    bind(buttons.execute, m_menus->execute, [this] { executeSelectedProject(); });
    bind(buttons.update, m_menus->update, onSelected([this](int record) {
             UpdateProjectWindow::edit(record, this);
             m_projects->loadProjectList();
         }));
    bind(buttons.exportProject, m_menus->exportProject,
         onSelected([this](int record) { exportProject(record, this); }));
    bind(buttons.details, m_menus->details, onTextPage([this] { m_textPage->showDetails(); }));
    bind(buttons.designPlan, m_menus->designPlan,
         onTextPage([this] { m_textPage->showTextField(ProjectTexts::DesignPlan); }));
    bind(buttons.bugReport, m_menus->bugReport,
         onTextPage([this] { m_textPage->showTextField(ProjectTexts::BugReport); }));
    bind(buttons.upgradeHistory, m_menus->upgradeHistory,
         onTextPage([this] { m_textPage->showTextField(ProjectTexts::UpgradeHistory); }));
    bind(buttons.related, m_menus->related,
         onSelected([this](int record) { RelatedProjectsWindow::showRelated(record, this); }));
    bind(buttons.tools, m_menus->toolPanel, [this] {
        ToolCommands::showToolPanel(m_toolPage);
        m_content->setCurrentIndex(ToolListTab);
    });
    bind(m_toolPage->addButton(), m_menus->addTool, [this] { ToolCommands::addTools(this, m_toolPage); });
    bind(m_toolPage->editButton(), m_menus->editTool, [this] { ToolCommands::editTool(this, m_toolPage); });
    bind(m_toolPage->deleteButton(), m_menus->deleteTool, [this] { ToolCommands::deleteTools(this, m_toolPage); });
    bind(m_toolPage->noteButton(), m_menus->viewNote, [this] { ToolCommands::viewNote(this, m_toolPage); });
    connect(m_menus->showPath, &QAction::triggered, this, [this] {
        if (!WorkProgress::running())
            ToolCommands::showPath(this, m_toolPage);
    });
    bind(buttons.wizard, nullptr, [this] { DesignWizardWindow::open(this); });
    bind(buttons.settings, nullptr, [this] {
        SettingsWindow::edit(this);
        applyListAppearance();
        m_projects->loadProjectList();
    });
    bind(buttons.database, nullptr, [this] { BackupWindow::backUpOrRestore(this, m_projects); });
    bind(buttons.help, nullptr,
         [] { Prompt::openWithShell(AppDir::filePath(QStringLiteral("Tallyra使用帮助文档.doc"))); });
    bind(buttons.about, nullptr, [this] {
        AboutWindow about;
        about.exec();
    });
    bind(buttons.quit, nullptr, [this] { close(); });

    // The find entry's Ctrl+F works wherever the focus is in the main window, not only in the open menu.
    addAction(m_menus->find);
    connect(m_menus->find, &QAction::triggered, this, [this] {
        if (WorkProgress::running())
            return;
        showProjectListPage();
        m_listPage->showFindBar();
    });
    connect(m_menus->checkData, &QAction::triggered, this, [this] {
        if (!WorkProgress::running())
            CatalogueCheckWindow::checkCatalogue(this);
    });
    connect(m_projects, &ProjectListView::packageDropped, this, [this](const QString& path) {
        if (!WorkProgress::running())
            NewProjectWindow::addProjects(this, m_projects, path, DroppedPackage::suggestedName(path));
    });

    connect(m_menus->arrangeTop, &QAction::triggered, this, [this] { arrange(ProjectListView::TopAligned); });
    connect(m_menus->arrangeLeft, &QAction::triggered, this, [this] { arrange(ProjectListView::LeftAligned); });

    connect(m_textPage, &TextPage::showRequested, this, [this] { m_content->setCurrentIndex(TextViewTab); });
    connect(m_textPage, &TextPage::backRequested, this, [this] { m_content->setCurrentIndex(ProjectListTab); });
    connect(m_toolPage->backButton(), &QPushButton::clicked, this, &MainWindow::showProjectListPage);
    connect(m_menus->backToProjects, &QAction::triggered, this, &MainWindow::showProjectListPage);

    connect(m_projects, &ProjectListView::statusTextChanged, this,
            [this](const QString& text) { setStatusText(4, text); });
    // A double click anywhere in the list runs execute, which warns when no project is selected.
    connect(m_projects, &ProjectListView::listDoubleClicked, this, [this] {
        if (!WorkProgress::running())
            executeSelectedProject();
    });
    connect(m_projects, &QWidget::customContextMenuRequested, this, &MainWindow::showProjectMenu);
    connect(m_toolPage, &ToolPage::statusTextChanged, this, [this](const QString& text) { setStatusText(4, text); });
    connect(m_toolPage->list(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        const bool selected = m_toolPage->currentRecordNumber() > 0;
        m_menus->deleteTool->setEnabled(selected);
        m_menus->viewNote->setEnabled(selected);
        m_menus->toolMenu()->popup(m_toolPage->list()->viewport()->mapToGlobal(pos));
    });
}

void MainWindow::showProjectMenu(const QPoint& position)
{
    m_menus->enableSelectionEntries(m_projects->selectedRecordNumber() > 0);
    m_menus->projectMenu()->popup(m_projects->viewport()->mapToGlobal(position));
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

void MainWindow::closeEvent(QCloseEvent* event)
{
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
