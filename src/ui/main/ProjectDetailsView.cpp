#include "ui/main/ProjectDetailsView.h"

#include "app/AppSettings.h"
#include "app/SettingsKeys.h"
#include "projects/DroppedPackage.h"
#include "ui/common/Naming.h"
#include "ui/main/ProjectDetailsModel.h"
#include "ui/main/ProjectListView.h"

#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>

using namespace Qt::StringLiterals;

ProjectDetailsView::ProjectDetailsView(ProjectListView* list, QWidget* parent)
    : QTableView(parent)
    , m_list(list)
    , m_model(new ProjectDetailsModel(list, this))
{
    named(this, u"程序详细列表框"_s);
    setModel(m_model);
    // A table keeps nothing per row (a tree view would lay out every one of 100,000 rows on each fill): rows have
    // one fixed height and no header of their own.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(16, 16));
    setContextMenuPolicy(Qt::CustomContextMenu);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSectionsClickable(true);
    const int widths[] = {90, 150, 70, 90, 140, 140, 80};
    for (int column = 0; column < ProjectDetailsModel::kColumnCount; ++column)
        horizontalHeader()->resizeSection(column, widths[column]);
    // Sorting is the model's own (a sort over the columns it holds), started by a click on a header.
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this, &ProjectDetailsView::keepSort);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ProjectDetailsView::passSelectionToList);

    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        Q_EMIT m_list->customContextMenuRequested(m_list->viewport()->mapFromGlobal(viewport()->mapToGlobal(position)));
    });
}

void ProjectDetailsView::restoreSort()
{
    const AppSettings settings;
    const int column = settings.readNumber(SettingsKeys::kListSortColumn, SettingsKeys::kListSortColumn.defaultValue());
    const int order = settings.readNumber(SettingsKeys::kListSortOrder, SettingsKeys::kListSortOrder.defaultValue());
    const bool sorted = column >= 0 && column < ProjectDetailsModel::kColumnCount;
    const QSignalBlocker quiet(horizontalHeader());
    horizontalHeader()->setSortIndicator(sorted ? column : -1, order == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_model->sort(sorted ? column : -1, order == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void ProjectDetailsView::keepSort(int column, Qt::SortOrder order)
{
    m_model->sort(column, order);
    selectAsList();
    AppSettings settings;
    settings.writeNumber(SettingsKeys::kListSortColumn, m_model->sortColumn());
    settings.writeNumber(SettingsKeys::kListSortOrder, order == Qt::DescendingOrder ? 1 : 0);
}

void ProjectDetailsView::followList(bool refilled)
{
    refilled || m_model->rowCount() == 0 ? reload() : refilter();
}

void ProjectDetailsView::reload()
{
    m_model->reload();
    selectAsList();
}

void ProjectDetailsView::refilter()
{
    m_model->refilter();
    selectAsList();
}

void ProjectDetailsView::selectAsList()
{
    // The icon view holds the selection the commands read; after a fill, a search or a sort it is shown here again.
    const QSignalBlocker quiet(selectionModel());
    selectionModel()->clear();
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedIndexes()) {
        const int row = m_model->rowOf(index.row());
        if (row >= 0)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    const int last = ProjectDetailsModel::kColumnCount - 1;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype end = i;
        while (end + 1 < rows.size() && rows.at(end + 1) == rows.at(end) + 1)
            ++end;
        selection.append(QItemSelectionRange(m_model->index(rows.at(i), 0), m_model->index(rows.at(end), last)));
        i = end + 1;
    }
    selectionModel()->select(selection, QItemSelectionModel::Select);
    const int current = m_model->rowOf(m_list->currentRow());
    if (current >= 0)
        selectionModel()->setCurrentIndex(m_model->index(current, 0), QItemSelectionModel::NoUpdate);
    viewport()->update();
}

void ProjectDetailsView::passSelectionToList()
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(m_model->listRow(index.row()));
    std::sort(rows.begin(), rows.end());
    QItemSelection selection;
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype end = i;
        while (end + 1 < rows.size() && rows.at(end + 1) == rows.at(end) + 1)
            ++end;
        selection.append(
            QItemSelectionRange(m_list->model()->index(rows.at(i), 0), m_list->model()->index(rows.at(end), 0)));
        i = end + 1;
    }
    const QModelIndex current = currentIndex();
    QItemSelectionModel* listSelection = m_list->selectionModel();
    if (current.isValid() && selectionModel()->isRowSelected(current.row()))
        listSelection->setCurrentIndex(m_list->model()->index(m_model->listRow(current.row()), 0),
                                       QItemSelectionModel::NoUpdate);
    // One change of the icon view's selection, so the status bar reads the table once.
    listSelection->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ProjectDetailsView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT m_list->listDoubleClicked();
}

void ProjectDetailsView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void ProjectDetailsView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!DroppedPackage::pathsOf(event->mimeData()->urls()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ProjectDetailsView::dropEvent(QDropEvent* event)
{
    const QStringList paths = DroppedPackage::pathsOf(event->mimeData()->urls());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    // Answered now, the windows come after the drop event, as on the icon view.
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        m_list, [list = m_list, paths] { Q_EMIT list->packagesDropped(paths); }, Qt::QueuedConnection);
}
