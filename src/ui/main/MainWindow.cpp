#include "ui/main/MainWindow.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "app/ListAppearance.h"
#include "execution/ExecutedProjectsWindow.h"
#include "projects/ProjectCommands.h"
#include "tools/ToolPage.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/main/AboutWindow.h"
#include "ui/main/MainMenus.h"
#include "ui/main/MainStatusBar.h"
#include "ui/main/MakerInfo.h"
#include "ui/main/NavigationBar.h"
#include "ui/main/ProjectListView.h"
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
    auto* listPage = new QWidget;
    m_projects = new ProjectListView(listPage);
    m_projects->setGeometry(0, 0, 432, 376);
    m_textPage = new TextPage;
    m_toolPage = new ToolPage;
    m_content->addTab(listPage, QStringLiteral("程序列表"));
    m_content->addTab(m_textPage, QStringLiteral("辅助项目"));
    m_content->addTab(m_toolPage, QStringLiteral("应用工具"));

    m_status = new MainStatusBar(this);
    setStatusBar(m_status);
    m_menus = new MainMenus(this);

    bindCommands();
}

MainWindow::~MainWindow()
{
    saveWindowState();
}

void MainWindow::startUp()
{
    // The login window takes its place at the head of this sequence.
    const AppSettings settings;
    setWindowTitle(settings.read(SettingsKeys::kTitle, defaultTitle()));
    setStatusText(0, defaultTitle());
    setStatusText(2, QStringLiteral("程序版本：") + MakerInfo::version());
    m_projects->setArrangement(AppSettings::toNumber(settings.read(SettingsKeys::kListArrangement)));
    applyListAppearance(this, m_projects);
    m_projects->loadProjectList();
    ExecutedProjectsWindow::restoreStrandedWork();
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
    m_content->setCurrentIndex(ProjectListPage);
    m_navigation->layoutNavigationBar();
}

void MainWindow::bindCommands()
{
    auto onButton = [this](const QString& name, auto&& slot) {
        connect(m_navigation->button(name), &QPushButton::clicked, this, slot);
    };
    auto onAction = [this](QAction* action, auto&& slot) { connect(action, &QAction::triggered, this, slot); };

    connect(m_navigation, &NavigationBar::projectListRequested, this,
            [this] { m_content->setCurrentIndex(ProjectListPage); });

    // Project commands: buttons and the "项目" menu run the same routine.
    const auto bindBoth = [&](const QString& button, QAction* action, auto&& slot) {
        onButton(button, slot);
        onAction(action, slot);
    };
    bindBoth(QStringLiteral("添加按钮"), m_menus->addProject, [this] { ProjectCommands::newProject(this); });
    bindBoth(QStringLiteral("删除按钮"), m_menus->deleteProject, [this] { ProjectCommands::deleteProject(this); });
    bindBoth(QStringLiteral("执行按钮"), m_menus->execute, [this] { ProjectCommands::execute(this); });
    bindBoth(QStringLiteral("更新按钮"), m_menus->update, [this] { ProjectCommands::updateProject(this); });
    bindBoth(QStringLiteral("导出按钮"), m_menus->exportProject, [this] { ProjectCommands::exportProject(this); });
    bindBoth(QStringLiteral("详细信息按钮"), m_menus->details, [this] { ProjectCommands::showDetails(this); });
    bindBoth(QStringLiteral("设计规划按钮"), m_menus->designPlan, [this] { ProjectCommands::showDesignPlan(this); });
    bindBoth(QStringLiteral("bug按钮"), m_menus->bugReport, [this] { ProjectCommands::showBugReport(this); });
    bindBoth(QStringLiteral("升级历史按钮"), m_menus->upgradeHistory,
             [this] { ProjectCommands::showUpgradeHistory(this); });
    bindBoth(QStringLiteral("关联项目按钮"), m_menus->related, [this] { ProjectCommands::showRelated(this); });
    bindBoth(QStringLiteral("工具资源按钮"), m_menus->toolPanel, [this] { m_content->setCurrentIndex(ToolListPage); });
    onButton(QStringLiteral("添加按钮1"), [this] { ProjectCommands::designWizard(this); });
    onButton(QStringLiteral("系统配置按钮"), [this] { ProjectCommands::systemSettings(this); });
    onButton(QStringLiteral("数据库按钮"), [this] { ProjectCommands::backupRestore(this); });

    onAction(m_menus->arrangeTop, [this] { arrange(ProjectListView::TopAligned); });
    onAction(m_menus->arrangeLeft, [this] { arrange(ProjectListView::LeftAligned); });

    onButton(QStringLiteral("关于按钮"),
             [] { Prompt::openWithShell(AppDir::filePath(QStringLiteral("Tallyra使用帮助文档.doc"))); });
    onButton(QStringLiteral("关于按钮1"), [] {
        AboutWindow about;
        about.exec();
    });
    onButton(QStringLiteral("退出按钮"), [this] { close(); });

    connect(m_toolPage->backButton(), &QPushButton::clicked, this, &MainWindow::showProjectListPage);
    onAction(m_menus->backToProjects, [this] { showProjectListPage(); });

    connect(m_projects, &ProjectListView::statusTextChanged, this,
            [this](const QString& text) { setStatusText(4, text); });
    connect(m_projects, &QListWidget::itemDoubleClicked, this, [this] { ProjectCommands::execute(this); });
    connect(m_projects, &QWidget::customContextMenuRequested, this, &MainWindow::showProjectMenu);
    connect(m_toolPage->list(), &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
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
    const int w = width();
    const int h = height();
    m_navigation->setGeometry(5, 5, 150, h - 30);
    m_content->setGeometry(m_navigation->x() + m_navigation->width(), m_navigation->y(), w - 155,
                           m_navigation->height());
    m_navigation->pages()->setGeometry(1, 1, m_navigation->width(), m_navigation->height());

    // Heights are measured inside the tab's page, so no list runs below the visible part of the tab.
    const int tabWidth = m_content->width();
    const int pageHeight = m_content->currentWidget() ? m_content->currentWidget()->height() : m_content->height();
    m_projects->setGeometry(5, 0, tabWidth - 10, pageHeight);
    m_toolPage->list()->setGeometry(5, 30, tabWidth - 10, pageHeight - 30);
    m_textPage->editor()->setGeometry(5, 24, m_projects->width(), pageHeight - 24);
    QPushButton* write = m_textPage->writeButton();
    QPushButton* back2 = m_textPage->backButton();
    write->move(tabWidth - write->width() - 8, write->y());
    back2->move(tabWidth - write->width() - back2->width() - 8, back2->y());
    m_toolPage->backButton()->move(write->x(), m_toolPage->backButton()->y());

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
    // The executed-projects panel is a window of its own; the program still ends with the main window.
    QCoreApplication::quit();
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
