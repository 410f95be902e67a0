#include "ui/main/MainMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

using namespace Qt::StringLiterals;

namespace {

void setKeys(QAction* action, const QList<QKeySequence>& keys, Qt::ShortcutContext context)
{
    action->setShortcuts(keys);
    action->setShortcutContext(context);
    action->setShortcutVisibleInContextMenu(true);
}

} // namespace

MainMenus::MainMenus(QWidget* owner)
    : QObject(owner)
    , m_project(new QMenu(u"项目"_s, owner))
    , m_tool(new QMenu(u"工具"_s, owner))
{
    m_project->setObjectName(u"项目"_s);
    addProject = m_project->addAction(u"&A.添加项目"_s);
    deleteProject = m_project->addAction(u"&D.删除项目"_s);
    m_project->addSeparator();
    execute = m_project->addAction(u"&R.执行"_s);
    update = m_project->addAction(u"&P.更新"_s);
    exportProject = m_project->addAction(u"&M.导出项目"_s);
    history = m_project->addAction(u"&H.历史版本"_s);
    m_project->addSeparator();
    details = m_project->addAction(u"&I.详细信息"_s);
    designPlan = m_project->addAction(u"&F.设计规划"_s);
    bugReport = m_project->addAction(u"&S.BUG报告"_s);
    upgradeHistory = m_project->addAction(u"&U.升级历史"_s);
    m_project->addSeparator();
    related = m_project->addAction(u"&L.查看关联项目"_s);
    QMenu* arrange = m_project->addMenu(u"&V.排列方式"_s);
    arrangeTop = arrange->addAction(u"&T.顶对齐"_s);
    arrangeLeft = arrange->addAction(u"&L.左对齐"_s);
    find = m_project->addAction(u"&Q.查找"_s);
    setKeys(find, {QKeySequence::Find}, Qt::WindowShortcut);
    setKeys(addProject, {QKeySequence(Qt::CTRL | Qt::Key_N)}, Qt::WindowShortcut);
    setKeys(history, {QKeySequence(Qt::CTRL | Qt::Key_H)}, Qt::WindowShortcut);
    // Only on the list: Enter and Delete keep their meaning in every box of the window.
    setKeys(execute, {QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)}, Qt::WidgetShortcut);
    setKeys(deleteProject, {QKeySequence(QKeySequence::Delete)}, Qt::WidgetShortcut);
    m_project->addSeparator();
    toolPanel = m_project->addAction(u"&T.切换到工具或资源面板"_s);

    m_tool->setObjectName(u"工具"_s);
    addTool = m_tool->addAction(u"&N.增加工具或资源"_s);
    editTool = m_tool->addAction(u"&E.编辑工具或资源"_s);
    deleteTool = m_tool->addAction(u"&D.删除所选择工具资源项目"_s);
    m_tool->addSeparator();
    viewNote = m_tool->addAction(u"&V.查看备注"_s);
    showPath = m_tool->addAction(u"&U.路径"_s);
    checkData = m_tool->addAction(u"&C.检查数据"_s);
    trash = m_tool->addAction(u"&B.回收站"_s);
    m_tool->addSeparator();
    backToProjects = m_tool->addAction(u"&R.返回到项目列表"_s);
}
