#pragma once

#include <QWidget>

class ProjectDetailsView;
class ProjectFindBar;
class ProjectListView;
class QShortcut;

// Page "程序列表" of the content tab: the project list (icons or details), filling the page, and below it the find bar
// while the user searches.
class ProjectListPage : public QWidget
{
    Q_OBJECT

public:
    explicit ProjectListPage(QWidget* parent = nullptr);

    ProjectListView* list() const { return m_list; }
    // The list as a report, shown instead of the icons while the arrangement is 详细信息.
    ProjectDetailsView* details() const { return m_details; }

    // Ctrl+F and "查找": shows the find bar under the list.
    void showFindBar();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutPage();
    QWidget* shownList() const;
    void showArrangement(bool refilled);
    void enterFound();

    ProjectListView* m_list;
    ProjectDetailsView* m_details;
    bool m_sortRestored = false;
    ProjectFindBar* m_findBar;
    QShortcut* m_escape;
};
