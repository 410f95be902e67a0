#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

// 回收站: the deleted projects, the latest first. The selected ones can be brought back into the catalogue (under a
// new number when theirs is taken) or removed for good, and the whole trash can be emptied; each removal after one
// question.
class TrashWindow : public QDialog
{
    Q_OBJECT

public:
    explicit TrashWindow(QWidget* parent = nullptr);

    // The command behind "回收站": the window, modal.
    static void showTrash(QWidget* parent);

    // At the start: names the entries deleted longer ago than the trash keeps them and removes them when the user
    // says so. A clock that cannot be trusted offers none.
    static void offerExpired(QWidget* parent);

    // Fills the list from the trash as it is now.
    void refresh();

private:
    QStringList selectedIds() const;
    void restoreSelected();
    void purgeSelected();
    void emptyTrash();

    QLabel* m_label;
    QTreeWidget* m_entries;
    QPushButton* m_purgeButton;
    QPushButton* m_emptyButton;
};
