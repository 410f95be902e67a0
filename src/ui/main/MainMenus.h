#pragma once

#include <QObject>

class QAction;
class QMenu;
class QWidget;

// The two context menus of the main window: "项目" over the project list and "工具" over the tool list.
// Their entries run the same commands as the navigation buttons; the main window binds them.
class MainMenus : public QObject
{
    Q_OBJECT

public:
    explicit MainMenus(QWidget* owner);

    QMenu* projectMenu() const { return m_project; }
    QMenu* toolMenu() const { return m_tool; }

    // "项目" entries
    QAction* addProject = nullptr;
    QAction* deleteProject = nullptr;
    QAction* execute = nullptr;
    QAction* update = nullptr;
    QAction* exportProject = nullptr;
    QAction* history = nullptr;
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
