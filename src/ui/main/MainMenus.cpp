#include "ui/main/MainMenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

MainMenus::MainMenus(QWidget* owner)
    : QObject(owner)
    , m_project(new QMenu(QStringLiteral("项目"), owner))
    , m_tool(new QMenu(QStringLiteral("工具"), owner))
{
    m_project->setObjectName(QStringLiteral("项目"));
    addProject = m_project->addAction(QStringLiteral("&A.添加项目"));
    deleteProject = m_project->addAction(QStringLiteral("&D.删除项目"));
    m_project->addSeparator();
    execute = m_project->addAction(QStringLiteral("&R.执行"));
    update = m_project->addAction(QStringLiteral("&P.更新"));
    exportProject = m_project->addAction(QStringLiteral("&M.导出项目"));
    m_project->addSeparator();
    details = m_project->addAction(QStringLiteral("&I.详细信息"));
    designPlan = m_project->addAction(QStringLiteral("&F.设计规划"));
    bugReport = m_project->addAction(QStringLiteral("&S.BUG报告"));
    upgradeHistory = m_project->addAction(QStringLiteral("&U.升级历史"));
    m_project->addSeparator();
    related = m_project->addAction(QStringLiteral("&L.查看关联项目"));
    QMenu* arrange = m_project->addMenu(QStringLiteral("&V.排列方式"));
    arrangeTop = arrange->addAction(QStringLiteral("&T.顶对齐"));
    arrangeLeft = arrange->addAction(QStringLiteral("&L.左对齐"));
    find = m_project->addAction(QStringLiteral("&Q.查找"));
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    m_project->addSeparator();
    toolPanel = m_project->addAction(QStringLiteral("&T.切换到工具或资源面板"));

    m_tool->setObjectName(QStringLiteral("工具"));
    addTool = m_tool->addAction(QStringLiteral("&N.增加工具或资源"));
    editTool = m_tool->addAction(QStringLiteral("&E.编辑工具或资源"));
    deleteTool = m_tool->addAction(QStringLiteral("&D.删除所选择工具资源项目"));
    m_tool->addSeparator();
    viewNote = m_tool->addAction(QStringLiteral("&V.查看备注"));
    showPath = m_tool->addAction(QStringLiteral("&U.路径"));
    checkData = m_tool->addAction(QStringLiteral("&C.检查数据"));
    m_tool->addSeparator();
    backToProjects = m_tool->addAction(QStringLiteral("&R.返回到项目列表"));
}
