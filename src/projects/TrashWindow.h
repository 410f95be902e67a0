#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

// 回收站: the deleted projects, the latest first. The selected ones can be brought back into the catalogue,
// or the whole trash emptied after one question.
class TrashWindow : public QDialog
{
    Q_OBJECT

public:
    explicit TrashWindow(QWidget* parent = nullptr, std::function<void()> changed = {});

    // The command behind "回收站": the window, modal; `changed` runs whenever a project came back.
    static void showTrash(QWidget* parent, const std::function<void()>& changed);

    // Fills the list from the trash as it is now.
    void refresh();

private:
    void restoreSelected();
    void emptyTrash();

    std::function<void()> m_changed;
    QLabel* m_label;
    QTreeWidget* m_entries;
    QPushButton* m_emptyButton;
};
