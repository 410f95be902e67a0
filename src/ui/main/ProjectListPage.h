#pragma once

#include <QWidget>

class ProjectFindBar;
class ProjectListView;
class QShortcut;

// Page "程序列表" of the content tab: the project list, filling the page, and below it the find bar while
// the user searches.
class ProjectListPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProjectListPage(QWidget* parent = nullptr);

    ProjectListView* list() const { return m_list; }

    // Ctrl+F and "查找": shows the find bar under the list.
    void showFindBar();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPage();

    ProjectListView* m_list;
    ProjectFindBar* m_findBar;
    QShortcut* m_escape;
};
