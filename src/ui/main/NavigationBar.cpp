#include "ui/main/NavigationBar.h"

#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"

#include <QIcon>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

using namespace Qt::StringLiterals;

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
    named(this, u"外形框1"_s);
    setFrameShape(QFrame::StyledPanel);
    setGeometry(5, 8, 150, 472);

    m_pages = named(new QTabWidget(this), u"选择夹2"_s);
    m_pages->setGeometry(1, 1, 150, 455);
    // The pages are switched only by the category buttons, so their headers ("1", "2", "3") stay hidden.
    m_pages->tabBar()->hide();
    m_pages->setDocumentMode(true);

    auto* page0 = new QWidget;
    auto* page1 = new QWidget;
    auto* page2 = new QWidget;
    m_pages->addTab(page0, u"1"_s);
    m_pages->addTab(page1, u"2"_s);
    m_pages->addTab(page2, u"3"_s);

    const QString manage = u"项目管理"_s;
    const QString configure = u"项目配置"_s;
    const QString system = u"系统工具"_s;

    // Page 0: project management.
    Commands& c = m_commands;
    QPushButton* manage0 = addButton(page0, u"项目管理分类按钮"_s, categoryCaption(manage, 14), 0, true);
    c.wizard = addButton(page0, u"添加按钮1"_s, u"开发向导"_s, 34, false);
    c.addProject = addButton(page0, u"添加按钮"_s, u"添加项目"_s, 67, false);
    c.update = addButton(page0, u"更新按钮"_s, u"更    新"_s, 100, false);
    c.execute = addButton(page0, u"执行按钮"_s, u"执    行"_s, 133, false);
    c.deleteProject = addButton(page0, u"删除按钮"_s, u"删除项目"_s, 166, false);
    c.exportProject = addButton(page0, u"导出按钮"_s, u"导    出"_s, 199, false);
    m_configure0 = addButton(page0, u"项目配置分类按钮"_s, categoryCaption(configure), 359, true);
    m_system0 = addButton(page0, u"系统工具分类按钮"_s, categoryCaption(system), 392, true);

    // Page 1: project settings.
    QPushButton* manage1 = addButton(page1, u"项目管理分类按钮2"_s, categoryCaption(manage), 0, true);
    addButton(page1, u"项目配置分类按钮2"_s, categoryCaption(configure), 33, true);
    c.details = addButton(page1, u"详细信息按钮"_s, u"详细信息"_s, 66, false);
    c.designPlan = addButton(page1, u"设计规划按钮"_s, u"步骤规划"_s, 98, false);
    c.bugReport = addButton(page1, u"bug按钮"_s, u"BUG报告"_s, 130, false);
    c.upgradeHistory = addButton(page1, u"升级历史按钮"_s, u"升级历史"_s, 162, false);
    c.related = addButton(page1, u"关联项目按钮"_s, u"关联项目"_s, 194, false);
    m_system1 = addButton(page1, u"系统工具分类按钮2"_s, categoryCaption(system), 400, true);

    // Page 2: system tools.
    QPushButton* manage2 = addButton(page2, u"项目管理分类按钮3"_s, categoryCaption(manage), 0, true);
    QPushButton* configure2 = addButton(page2, u"项目配置分类按钮3"_s, categoryCaption(configure), 33, true);
    addButton(page2, u"系统工具分类按钮按钮3"_s, categoryCaption(system), 66, true);
    c.settings = addButton(page2, u"系统配置按钮"_s, u"系统配置"_s, 100, false);
    c.tools = addButton(page2, u"工具资源按钮"_s, u"工具资源"_s, 132, false);
    c.database = addButton(page2, u"数据库按钮"_s, u"数 据 库"_s, 164, false);
    // The trash and the check of the data folder belong with the data: a user looks for them here.
    c.trash = addButton(page2, u"回收站按钮"_s, u"回 收 站"_s, 196, false);
    c.checkData = addButton(page2, u"检查数据按钮"_s, u"检查数据"_s, 228, false);
    c.help = addButton(page2, u"关于按钮"_s, u"帮    助"_s, 260, false);
    c.about = addButton(page2, u"关于按钮1"_s, u"关    于"_s, 292, false);
    c.quit = addButton(page2, u"退出按钮"_s, u"退    出"_s, 324, false);

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
    b->setIcon(QIcon(category ? u":/icons/category.svg"_s : u":/icons/command.svg"_s));
    b->setIconSize(QSize(20, 20));
    b->setStyleSheet(u"text-align: left; padding-left: 8px;"_s);
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
