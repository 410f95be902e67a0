#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

// Page "应用工具" of the content tab: the launcher list of tools and resources with its command buttons.
class ToolPage : public QWidget
{
    Q_OBJECT

public:
    explicit ToolPage(QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    QPushButton* backButton() const { return m_back; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QListWidget* m_list;
    QPushButton* m_back;
};
