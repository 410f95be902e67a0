#pragma once

#include "projects/ProjectDetailsData.h"

#include <QAbstractTableModel>

#include <vector>

class ProjectListView;

// The rows of the details view: the projects the icon view shows (the find bar's choice included), one per row,
// in the order of the column last sorted by, or in record order. Every row leads back to a row of the icon view,
// which stays what the commands read their selection from.
class ProjectDetailsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { NumberColumn, NameColumn, VersionColumn, TypeColumn, StartColumn, UpdateColumn, SizeColumn };
    static constexpr int kColumnCount = 7;

    explicit ProjectDetailsModel(ProjectListView* list, QObject* parent = nullptr);

    // Reads the columns again, for the rows the icon view holds now.
    void reload();
    // Takes up which rows the icon view shows, after a search.
    void refilter();

    // The icon view's row for a row here, and the other way round (-1 for a row not shown).
    int listRow(int row) const { return m_rows.at(size_t(row)); }
    int rowOf(int listRow) const;

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A column below 0 goes back to record order.
    void sort(int column, Qt::SortOrder order) override;

private:
    qint64 sizeOf(int listRow) const;
    void order();
    void filter();

    ProjectListView* m_list;
    ProjectDetailsData::Columns m_data;
    mutable std::vector<qint64> m_sizes; // per icon-view row; kUnread until the row is first seen or sorted by
    std::vector<int> m_order;            // every icon-view row, in the sorted order
    std::vector<int> m_rows;             // the shown ones among them
    std::vector<int> m_rowOf;            // per icon-view row: its row here, or -1
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
