#pragma once

#include <QMainWindow>

#include <functional>

class MainMenus;
class QAction;
class QMenu;
class QPushButton;
class MainStatusBar;
class NavigationBar;
class ProjectListPage;
class ProjectListView;
class QTabWidget;
class TextPage;
class ToolPage;

// The one top-level window: the navigation bar on the left, the content tab (project list, text page, tool
// list) on the right, the status bar below. It hosts and binds; the commands live with their features.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    enum ContentTab { ProjectListTab = 0, TextViewTab = 1, ToolListTab = 2 };

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override; // writes the navigation page and the list arrangement

    // Runs the creation handling: caption, status bar, arrangement, list appearance, project list, page.
    void startUp();

    void setStatusText(int part, const QString& text);
    QString statusText(int part) const;

    // Shows page 0 of the content tab and lays the navigation bar out again.
    void showProjectListPage();

    // The caption and the look of the project list, as the settings say now.
    void applyListAppearance();

    // Lists work in the executed-projects panel, creating the panel for the first line.
    void listWork(const QStringList& lines);

    // Closes the window for the system ending the program: nothing is asked, typed text in a design wizard
    // included, since nobody may be there to answer.
    void endProgram();

Q_SIGNALS:
    // The window has been closed (退出, the close box, the system ending the program); the program ends.
    void closed();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyResizeRule();
    void bindCommands();
    void saveWindowState();
    void arrange(int arrangement);
    void whenIdle(const std::function<void()>& command);
    void projectsChanged();
    void executeProject(int record);
    void showContextMenu(QMenu* menu, const QList<QAction*>& selectionEntries, bool selected,
                         const QPoint& globalPosition);

    NavigationBar* m_navigation;
    QTabWidget* m_content;
    ProjectListPage* m_listPage;
    ProjectListView* m_projects;
    TextPage* m_textPage;
    ToolPage* m_toolPage;
    MainStatusBar* m_status;
    MainMenus* m_menus;
    QList<QAction*> m_projectSelectionEntries;
    QList<QAction*> m_toolSelectionEntries;
    bool m_listStale = false; // the catalogue changed while the list was not shown
    bool m_stateSaved = false;
    bool m_ending = false;
};
