#pragma once

#include <QFrame>

class QPushButton;
class QTabWidget;

// The frame on the left of the main window (外形框1) with the paged tab control 选择夹2: three categories of
// command buttons. The category buttons switch pages here; every command button is bound by the main window.
class NavigationBar : public QFrame
{
    Q_OBJECT

public:
    enum Page { ProjectManagement = 0, ProjectSettings = 1, SystemTools = 2 };

    explicit NavigationBar(QWidget* parent = nullptr);

    QTabWidget* pages() const { return m_pages; }
    int currentPage() const;
    void setCurrentPage(int page);

    // The command buttons, for the main window to bind.
    struct Commands
    {
        QPushButton* wizard;         // 添加按钮1 "开发向导"
        QPushButton* addProject;     // 添加按钮
        QPushButton* update;         // 更新按钮
        QPushButton* execute;        // 执行按钮
        QPushButton* deleteProject;  // 删除按钮
        QPushButton* exportProject;  // 导出按钮
        QPushButton* details;        // 详细信息按钮
        QPushButton* designPlan;     // 设计规划按钮
        QPushButton* bugReport;      // bug按钮
        QPushButton* upgradeHistory; // 升级历史按钮
        QPushButton* related;        // 关联项目按钮
        QPushButton* settings;       // 系统配置按钮
        QPushButton* tools;          // 工具资源按钮
        QPushButton* database;       // 数据库按钮
        QPushButton* trash;          // 回收站按钮
        QPushButton* checkData;      // 检查数据按钮
        QPushButton* help;           // 关于按钮 "帮    助"
        QPushButton* about;          // 关于按钮1
        QPushButton* quit;           // 退出按钮
    };
    const Commands& commands() const { return m_commands; }

    // Puts the categories below the current one at the bottom of the bar, with the click sound.
    void layoutNavigationBar();

Q_SIGNALS:
    // A 项目管理 category button or a return button: the content tab should show the project list.
    void projectListRequested();

private:
    QPushButton* addButton(QWidget* page, const QString& name, const QString& caption, int top, bool category);
    void switchTo(int page);

    QTabWidget* m_pages = nullptr;
    Commands m_commands{};
    // The category buttons that move to the bottom of the bar on pages 0 and 1.
    QPushButton* m_configure0 = nullptr;
    QPushButton* m_system0 = nullptr;
    QPushButton* m_system1 = nullptr;
};
