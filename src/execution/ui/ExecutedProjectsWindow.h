#pragma once

#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// 已执行项目: the floating panel that lists the projects in work. From it the user packs the work back into
// the catalogue (更 新) or throws it away (放 弃). It docks at the left screen edge, cannot be closed by the
// user, and destroys itself when its list becomes empty. One panel per process.
//
// The panel changes the catalogue behind the main window's back (update back), so it says so with a signal.
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

    // Appends the lines that are not listed yet, in order.
    void appendLines(const QStringList& captions);
    QStringList lines() const;

    void updateBack(); // 更新按钮
    void abandon();    // 放弃按钮

Q_SIGNALS:
    // A package and its record were replaced: the project list should be filled again.
    void catalogueChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    explicit ExecutedProjectsWindow(QWidget* home);

    QTreeWidgetItem* selectedLine() const;
    void removeLineAndMaybeClose(QTreeWidgetItem* line);
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
