#include "ui/main/NavigationBar.h"

#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"

#include <QIcon>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

constexpr int kButtonWidth = 148;
constexpr int kButtonHeight = 32;

// A category caption is the name followed by ten blanks, so the text sits at the left of the wide button.
QString categoryCaption(const QString& name, int blanks = 10)
{
    return name + QString(blanks, u' ');
}

} // namespace

NavigationBar::NavigationBar(QWidget* parent)
    : QFrame(parent)
{
    named(this, QStringLiteral("外形框1"));
    setFrameShape(QFrame::StyledPanel);
    setGeometry(5, 8, 150, 472);

    m_pages = named(new QTabWidget(this), QStringLiteral("选择夹2"));
    m_pages->setGeometry(1, 1, 150, 455);
    // The pages are switched only by the category buttons, so their headers ("1", "2", "3") stay hidden.
    m_pages->tabBar()->hide();
    m_pages->setDocumentMode(true);

    auto* page0 = new QWidget;
    auto* page1 = new QWidget;
    auto* page2 = new QWidget;
    m_pages->addTab(page0, QStringLiteral("1"));
    m_pages->addTab(page1, QStringLiteral("2"));
    m_pages->addTab(page2, QStringLiteral("3"));

    const QString manage = QStringLiteral("项目管理");
    const QString configure = QStringLiteral("项目配置");
    const QString system = QStringLiteral("系统工具");

    // Page 0: project management.
    Commands& c = m_commands;
    QPushButton* manage0 = addButton(page0, QStringLiteral("项目管理分类按钮"), categoryCaption(manage, 14), 0, true);
    c.wizard = addButton(page0, QStringLiteral("添加按钮1"), QStringLiteral("开发向导"), 34, false);
    c.addProject = addButton(page0, QStringLiteral("添加按钮"), QStringLiteral("添加项目"), 67, false);
    c.update = addButton(page0, QStringLiteral("更新按钮"), QStringLiteral("更    新"), 100, false);
    c.execute = addButton(page0, QStringLiteral("执行按钮"), QStringLiteral("执    行"), 133, false);
    c.deleteProject = addButton(page0, QStringLiteral("删除按钮"), QStringLiteral("删除项目"), 166, false);
    c.exportProject = addButton(page0, QStringLiteral("导出按钮"), QStringLiteral("导    出"), 199, false);
    m_configure0 = addButton(page0, QStringLiteral("项目配置分类按钮"), categoryCaption(configure), 359, true);
    m_system0 = addButton(page0, QStringLiteral("系统工具分类按钮"), categoryCaption(system), 392, true);

    // Page 1: project settings.
    QPushButton* manage1 = addButton(page1, QStringLiteral("项目管理分类按钮2"), categoryCaption(manage), 0, true);
    addButton(page1, QStringLiteral("项目配置分类按钮2"), categoryCaption(configure), 33, true);
    c.details = addButton(page1, QStringLiteral("详细信息按钮"), QStringLiteral("详细信息"), 66, false);
    c.designPlan = addButton(page1, QStringLiteral("设计规划按钮"), QStringLiteral("步骤规划"), 98, false);
    c.bugReport = addButton(page1, QStringLiteral("bug按钮"), QStringLiteral("BUG报告"), 130, false);
    c.upgradeHistory = addButton(page1, QStringLiteral("升级历史按钮"), QStringLiteral("升级历史"), 162, false);
    c.related = addButton(page1, QStringLiteral("关联项目按钮"), QStringLiteral("关联项目"), 194, false);
    m_system1 = addButton(page1, QStringLiteral("系统工具分类按钮2"), categoryCaption(system), 400, true);

    // Page 2: system tools.
    QPushButton* manage2 = addButton(page2, QStringLiteral("项目管理分类按钮3"), categoryCaption(manage), 0, true);
    QPushButton* configure2 =
        addButton(page2, QStringLiteral("项目配置分类按钮3"), categoryCaption(configure), 33, true);
    addButton(page2, QStringLiteral("系统工具分类按钮按钮3"), categoryCaption(system), 66, true);
    c.settings = addButton(page2, QStringLiteral("系统配置按钮"), QStringLiteral("系统配置"), 100, false);
    c.tools = addButton(page2, QStringLiteral("工具资源按钮"), QStringLiteral("工具资源"), 132, false);
    c.database = addButton(page2, QStringLiteral("数据库按钮"), QStringLiteral("数 据 库"), 164, false);
    c.help = addButton(page2, QStringLiteral("关于按钮"), QStringLiteral("帮    助"), 196, false);
    c.about = addButton(page2, QStringLiteral("关于按钮1"), QStringLiteral("关    于"), 228, false);
    c.quit = addButton(page2, QStringLiteral("退出按钮"), QStringLiteral("退    出"), 260, false);

    // A category's own heading button does nothing, not even the click sound.
    connect(manage0, &QPushButton::clicked, this, [this] {
        Q_EMIT projectListRequested();
        layoutNavigationBar();
    });
    for (QPushButton* b : {manage1, manage2}) {
        connect(b, &QPushButton::clicked, this, [this] {
            Q_EMIT projectListRequested();
            switchTo(ProjectManagement);
        });
    }
    for (QPushButton* b : {m_configure0, configure2})
        connect(b, &QPushButton::clicked, this, [this] { switchTo(ProjectSettings); });
    for (QPushButton* b : {m_system0, m_system1})
        connect(b, &QPushButton::clicked, this, [this] { switchTo(SystemTools); });
}

QPushButton* NavigationBar::addButton(QWidget* page, const QString& name, const QString& caption, int top,
                                      bool category)
{
    auto* b = named(new QPushButton(caption, page), name);
    b->setGeometry(0, top, kButtonWidth, kButtonHeight);
    b->setIcon(QIcon(category ? QStringLiteral(":/icons/category.svg") : QStringLiteral(":/icons/command.svg")));
    b->setIconSize(QSize(20, 20));
    b->setStyleSheet(QStringLiteral("text-align: left; padding-left: 8px;"));
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

int NavigationBar::currentPage() const
{
    return m_pages->currentIndex();
}

void NavigationBar::setCurrentPage(int page)
{
    if (page >= 0 && page < m_pages->count())
        m_pages->setCurrentIndex(page);
}

void NavigationBar::switchTo(int page)
{
    setCurrentPage(page);
    layoutNavigationBar();
}

void NavigationBar::layoutNavigationBar()
{
    Prompt::play(Prompt::Sound::Click);
    const int h = height();
    switch (currentPage()) {
    case ProjectManagement:
        m_system0->move(m_system0->x(), h - m_system0->height() - 2);
        m_configure0->move(m_configure0->x(), m_system0->y() - m_configure0->height() - 1);
        break;
    case ProjectSettings:
        m_system1->move(m_system1->x(), h - m_system1->height() - 2);
        break;
    default:
        break;
    }
    m_pages->update();
}
