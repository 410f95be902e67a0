#pragma once

#include "tools/ToolIcon.h"

#include <QWidget>

class QListWidget;
class QListWidgetItem;
class QPushButton;

// Page "应用工具" of the content tab: the launcher list of tools and resources with its command buttons.
class ToolPage : public QWidget
{
    Q_OBJECT

public:
    explicit ToolPage(QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QPushButton* addButton() const { return m_add; }
    QPushButton* editButton() const { return m_edit; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* noteButton() const { return m_note; }
    QPushButton* backButton() const { return m_back; }

    // Refills the list from the tool table: item i shows record i + 1 with the icon its path earns.
    void loadToolList();

    // The record of the current item when it is selected, else of the first selected item; 0 for none.
    int currentRecordNumber() const;
    // The records of every selected item, in list order.
    QList<int> selectedRecordNumbers() const;

    // Tests show the list with icons from a fake desktop.
    void setIconSource(const ToolIcon::Source& source) { m_icons = ToolIcon(source); }

Q_SIGNALS:
    // The information part of the status bar: the selected tool's path, or "就绪".
    void statusTextChanged(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showSelection();
    void openItem(QListWidgetItem* item);

    QListWidget* m_list;
    QPushButton* m_add;
    QPushButton* m_edit;
    QPushButton* m_delete;
    QPushButton* m_note;
    QPushButton* m_back;
    ToolIcon m_icons;
    bool m_filling = false;
};
