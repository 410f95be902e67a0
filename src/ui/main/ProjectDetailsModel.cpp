#include "ui/main/ProjectDetailsModel.h"

#include "ui/main/ProjectListView.h"
#include "views/DetailsReport.h"

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kUnread = -2;

} // namespace

ProjectDetailsModel::ProjectDetailsModel(ProjectListView* list, QObject* parent)
    : QAbstractTableModel(parent)
    , m_list(list)
{
}

void ProjectDetailsModel::reload()
{
    beginResetModel();
    m_data = ProjectDetailsData::read();
    // The icon view was filled a moment before from the same table; should the two disagree, the fewer rows count.
    m_data.count = std::min({m_data.count, m_list->columns().count, qsizetype(m_list->count())});
    m_sizes.assign(size_t(m_data.count), kUnread);
    order();
    filter();
    endResetModel();
}

void ProjectDetailsModel::refilter()
{
    beginResetModel();
    filter();
    endResetModel();
}

int ProjectDetailsModel::rowOf(int listRow) const
{
    return listRow >= 0 && size_t(listRow) < m_rowOf.size() ? m_rowOf[size_t(listRow)] : -1;
}

qint64 ProjectDetailsModel::sizeOf(int listRow) const
{
    qint64& size = m_sizes[size_t(listRow)];
    if (size == kUnread)
        size = ProjectDetailsData::packageSize(m_list->columns().numbers.at(listRow));
    return size;
}

void ProjectDetailsModel::order()
{
    m_order.resize(size_t(m_data.count));
    std::iota(m_order.begin(), m_order.end(), 0);
    if (m_sortColumn < 0)
        return;
    // Keys are compared as stored: texts by their characters, times and sizes as numbers; equal keys keep
    // record order, so a second click gives the mirror of the first.
    const auto byText = [](const QStringList& texts) {
        return [&texts](int a, int b) { return texts.at(a) < texts.at(b); };
    };
    const auto byNumber = [](const auto& values) { return [&values](int a, int b) { return values[a] < values[b]; }; };
    const ProjectCatalogue::Columns& shown = m_list->columns();
    QStringList typeNames;
    std::function<bool(int, int)> less;
    switch (Column(m_sortColumn)) {
    case NumberColumn:
        less = byText(shown.numbers);
        break;
    case NameColumn:
        less = byText(shown.names);
        break;
    case VersionColumn:
        less = byText(shown.versions);
        break;
    case TypeColumn:
        typeNames.reserve(m_data.count);
        for (qsizetype row = 0; row < m_data.count; ++row)
            typeNames.append(ProjectDetailsData::typeName(m_data, shown.types.at(row)));
        less = byText(typeNames);
        break;
    case StartColumn:
        less = byText(m_data.startTimes);
        break;
    case UpdateColumn:
        less = byText(m_data.lastUpdates);
        break;
    case SizeColumn:
        for (int row = 0; row < m_data.count; ++row)
            sizeOf(row);
        less = byNumber(m_sizes);
        break;
    }
    if (m_sortOrder == Qt::AscendingOrder)
        std::stable_sort(m_order.begin(), m_order.end(), less);
    else
        std::stable_sort(m_order.begin(), m_order.end(), [&less](int a, int b) { return less(b, a); });
}

void ProjectDetailsModel::filter()
{
    m_rows.clear();
    m_rows.reserve(m_order.size());
    m_rowOf.assign(m_order.size(), -1);
    for (int listRow : m_order) {
        if (!m_list->isShownRow(listRow))
            continue;
        m_rowOf[size_t(listRow)] = int(m_rows.size());
        m_rows.push_back(listRow);
    }
}

void ProjectDetailsModel::sort(int column, Qt::SortOrder order)
{
    if (column >= kColumnCount)
        column = -1;
    if (column == m_sortColumn && order == m_sortOrder && !m_order.empty())
        return;
    beginResetModel();
    m_sortColumn = column;
    m_sortOrder = order;
    this->order();
    filter();
    endResetModel();
}

int ProjectDetailsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ProjectDetailsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ProjectDetailsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size())
        return {};
    const int row = listRow(index.row());
    if (role == Qt::DecorationRole && index.column() == NumberColumn) {
        const QListWidgetItem* item = m_list->item(row);
        return item ? item->icon() : QVariant();
    }
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const ProjectCatalogue::Columns& shown = m_list->columns();
    switch (Column(index.column())) {
    case NumberColumn:
        return shown.numbers.at(row);
    case NameColumn:
        return shown.names.at(row);
    case VersionColumn:
        return shown.versions.at(row);
    case TypeColumn:
        return ProjectDetailsData::typeName(m_data, shown.types.at(row));
    case StartColumn:
        return m_data.startTimes.at(row);
    case UpdateColumn:
        return m_data.lastUpdates.at(row);
    case SizeColumn: {
        const qint64 size = sizeOf(row);
        return size < 0 ? QString() : DetailsReport::sizeText(size);
    }
    }
    return {};
}

QVariant ProjectDetailsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList titles{u"编号"_s,     u"名称"_s,     u"版本"_s, u"类型"_s,
                                    u"开始时间"_s, u"最后更新"_s, u"大小"_s};
    return section >= 0 && section < titles.size() ? QVariant(titles.at(section)) : QVariant();
}
