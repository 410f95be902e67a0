#pragma once

#include <QTableView>

class ProjectDetailsModel;
class ProjectListView;

// 排列方式 "详细信息": the project list as a report, one row per project with its number, name, version, type,
// times and package size, sorted by a click on a column's header. It is a second face of 程序列表框: what is
// selected here is selected there, so every command, the check that a record still holds its project included,
// works on it unchanged; double clicks, drops and the context menu go out as the icon view's own.
class ProjectDetailsView : public QTableView
{
    Q_OBJECT

public:
    ProjectDetailsView(ProjectListView* list, QWidget* parent = nullptr);

    ProjectDetailsModel* detailsModel() const { return m_model; }

    // The sort kept in Install.ini, read once, before the first fill.
    void restoreSort();
    // Takes up the icon view's rows after it was filled again (refilled) or searched.
    void followList(bool refilled);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override; // as dragMoveEvent
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void reload();
    void refilter();
    void selectAsList();
    void passSelectionToList();
    void keepSort(int column, Qt::SortOrder order);

    ProjectListView* m_list;
    ProjectDetailsModel* m_model;
};
