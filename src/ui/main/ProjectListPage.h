#pragma once

#include <QWidget>

class ProjectListView;

// Page "程序列表" of the content tab: the project list, filling the page.
class ProjectListPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProjectListPage(QWidget* parent = nullptr);

    ProjectListView* list() const { return m_list; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    ProjectListView* m_list;
};
