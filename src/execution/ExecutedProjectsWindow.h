#pragma once

#include <QPoint>
#include <QStringList>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

// 已执行项目: the floating panel that lists the projects in work. From it the user packs the work back into
// the catalogue (更 新) or throws it away (放 弃). It docks at the left screen edge, cannot be closed by the
// user, and destroys itself when its list becomes empty. One panel per process.
class ExecutedProjectsWindow : public QWidget
{
    Q_OBJECT

public:
    // The panel, created and shown first when `create` is true; nullptr when there is none.
    static ExecutedProjectsWindow* instance(bool create = false);

    // Lists the work an earlier run of the program left in the execution directory, and shows the panel when
    // there is any. Called once at start-up, after the project list has been filled.
    static void restoreStrandedWork();

    ~ExecutedProjectsWindow() override;

    void appendLine(const QString& caption);
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
    ExecutedProjectsWindow();

    QString selectedCaption() const;
    void removeSelectedLineAndMaybeClose();
    void slideOutTick();
    void slideInTick();

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
