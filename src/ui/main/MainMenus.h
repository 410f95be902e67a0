#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;

// The two context menus of the main window: "项目" over the project list and "工具" over the tool list.
// Their entries run the same commands as the navigation buttons; the main window binds them. The keys of the
// daily commands are written beside their entries, where a user finds them: Ctrl+N 添加项目 and Ctrl+H 历史版本
// anywhere in the main window, Enter 执行 and Delete 删除项目 on the project list.
class MainMenus : public QObject
{
    Q_OBJECT

public:
    explicit MainMenus(QWidget* owner);

    QMenu* projectMenu() const { return m_project; }
    QMenu* toolMenu() const { return m_tool; }

    // "项目" entries
    QAction* addProject = nullptr;    // Ctrl+N
    QAction* deleteProject = nullptr; // Delete on the project list
    QAction* execute = nullptr;       // Enter on the project list
    QAction* update = nullptr;
    QAction* exportProject = nullptr;
    QAction* history = nullptr; // Ctrl+H
    QAction* details = nullptr;
    QAction* designPlan = nullptr;
    QAction* bugReport = nullptr;
    QAction* upgradeHistory = nullptr;
    QAction* related = nullptr;
    QAction* arrangeTop = nullptr;
    QAction* arrangeLeft = nullptr;
    QAction* toolPanel = nullptr;
    QAction* find = nullptr; // also Ctrl+F anywhere in the main window

    // "工具" entries
    QAction* addTool = nullptr;
    QAction* editTool = nullptr;
    QAction* deleteTool = nullptr;
    QAction* viewNote = nullptr;
    QAction* showPath = nullptr;
    QAction* backToProjects = nullptr;
    QAction* checkData = nullptr;
    QAction* trash = nullptr;

private:
    QMenu* m_project;
    QMenu* m_tool;
};
