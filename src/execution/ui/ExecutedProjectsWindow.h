#pragma once

#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class WorkLine;

// 已执行项目: the floating panel that lists the projects in work. From it the user packs the work back into
// the catalogue (更 新) or throws it away (放 弃). It docks at the left screen edge, cannot be closed by the
// user, and destroys itself when its list becomes empty. One panel per process. It shows WorkInProgress, which
// holds the lines.
class ExecutedProjectsWindow : public QWidget
{
    Q_OBJECT

public:
    // The panel; nullptr when no work is listed.
    static ExecutedProjectsWindow* instance();
    // The panel, created and shown first when there is none. Messages that outlive a removed line (update
    // back's last messages) go to `home`, the main window.
    static ExecutedProjectsWindow* open(QWidget* home);

    ~ExecutedProjectsWindow() override;

    // The lines as shown.
    QStringList lines() const;

    void updateBack(); // 更新按钮
    void abandon();    // 放弃按钮

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    explicit ExecutedProjectsWindow(QWidget* home);

    // The selected line, taken as a value: whatever is selected later, the command goes on with this one.
    std::optional<WorkLine> selectedLine() const;
    // Shows the lines of WorkInProgress; a line gone clears the selection, and no line left closes the panel.
    void showWork();
    void slideOutTick();
    void slideInTick();

    QPointer<QWidget> m_home;
    QFrame* m_frame;
    QLabel* m_title;
    QTreeWidget* m_list;
    QPushButton* m_updateButton;
    QPushButton* m_abandonButton;
    QTimer* m_slideOut; // 时钟1
    QTimer* m_slideIn;  // 时钟2
    QPoint m_dragOffset;
    bool m_dragging = false;
};
