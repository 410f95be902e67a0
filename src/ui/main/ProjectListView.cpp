#include "ui/main/ProjectListView.h"

#include "app/ListAppearance.h"
#include "projects/DroppedPackage.h"
#include "projects/ProjectCatalogue.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/main/ProjectItemDelegate.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <optional>

using namespace Qt::StringLiterals;

ProjectListView::ProjectListView(QWidget* parent)
    : QListWidget(parent)
{
    named(this, u"程序列表框"_s);
    m_pause = new QTimer(this);
    m_pause->setSingleShot(true);
    m_pause->setInterval(300);
    connect(m_pause, &QTimer::timeout, this, [this] {
        applyFilter();
        Q_EMIT rowsShownChanged(false);
    });
    setViewMode(QListView::IconMode);
    setIconSize(QSize(32, 32));
    setGridSize(ProjectItemDelegate::kItemSize + QSize(4, 4));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setWrapping(true);
    // Every item has the same size, so the view lays out 100,000 items without measuring each one.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setItemDelegate(new ProjectItemDelegate(this));
    setContextMenuPolicy(Qt::CustomContextMenu);
    applyFlow();

    // One signal for every way the selection changes (click, keys, code); the current item is already
    // updated when it arrives. Listening to clicks and current-item changes as well read the table twice
    // per click and showed a failed read twice.
    connect(this, &QListWidget::itemSelectionChanged, this, &ProjectListView::showSelectedProjectStatus);
    // A file dropped from the file manager becomes a new project; the list itself moves nothing.
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

void ProjectListView::loadProjectList()
{
    clear();

    const int typeCount = ProjectCatalogue::typeCount();
    using ProjectCatalogue::Column;
    m_columns = ProjectCatalogue::readColumns(Column::Number | Column::Name | Column::Type | Column::Version);
    const ProjectCatalogue::Columns& projects = m_columns;
    const qsizetype count = projects.count;
    setUpdatesEnabled(false);
    for (qsizetype i = 0; i < count; ++i) {
        bool numeric = false;
        const int t = projects.types.at(i).toInt(&numeric);
        const int entry = numeric && t >= 0 && t < typeCount ? t + 1 : 0;
        auto* item = new QListWidgetItem(projects.names.at(i) + u' ' + projects.versions.at(i));
        item->setIcon(typeIcon(entry));
        item->setData(kRecordRole, int(i + 1));
        item->setData(kNumberRole, projects.numbers.at(i));
        addItem(item);
    }
    setUpdatesEnabled(true);
    setCurrentItem(nullptr);
    clearSelection();

    m_filterLoaded = false;
    m_pause->stop();
    m_hidden.assign(size_t(count), false);
    m_hiddenCount = 0;
    if (!m_filterText.isEmpty())
        applyFilter();
    Q_EMIT rowsShownChanged(true);
}

bool ProjectListView::isHiddenRow(int row) const
{
    return row >= 0 && size_t(row) < m_hidden.size() && m_hidden[size_t(row)];
}

void ProjectListView::setFilterText(const QString& text)
{
    if (text == m_filterText)
        return;
    m_filterText = text;
    if (m_fullText && !text.isEmpty() && text.toUcs4().size() < 3) {
        m_pause->start();
        return;
    }
    m_pause->stop();
    applyFilter();
    Q_EMIT rowsShownChanged(false);
}

void ProjectListView::settleFilter()
{
    if (!m_pause->isActive())
        return;
    m_pause->stop();
    applyFilter();
    Q_EMIT rowsShownChanged(false);
}

void ProjectListView::setFullText(bool fullText)
{
    if (fullText == m_fullText)
        return;
    m_fullText = fullText;
    if (m_filterText.isEmpty())
        return;
    m_pause->stop();
    applyFilter();
    Q_EMIT rowsShownChanged(false);
}

void ProjectListView::prepareFilter()
{
    if (m_filterLoaded)
        return;
    // Read once per fill, when the user starts to search: a list nobody searches loads as it always did.
    using ProjectCatalogue::Column;
    const ProjectCatalogue::Columns projects =
        ProjectCatalogue::readColumns(Column::Number | Column::Name | Column::Version);
    m_filter.setProjects(projects.numbers, projects.names, projects.versions);
    m_filterLoaded = true;
}

void ProjectListView::applyFilter()
{
    const int rows = count();
    m_hidden.resize(size_t(rows), false);
    QList<int> selectedRows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        selectedRows.append(index.row());
    const int current = currentRow();

    if (m_filterText.isEmpty()) {
        // Showing every row one by one costs far more than forgetting all hidden rows at once; the reset drops
        // the selection too, so it is put back as it was.
        if (std::find(m_hidden.begin(), m_hidden.end(), true) == m_hidden.end())
            return;
        QSignalBlocker quiet(selectionModel());
        reset();
        QItemSelection selection;
        for (int row : std::as_const(selectedRows)) {
            // A row selected while hidden (select-all) was never chosen by the user.
            if (!isHiddenRow(row))
                selection.select(model()->index(row, 0), model()->index(row, 0));
        }
        if (current >= 0 && !isHiddenRow(current))
            selectionModel()->setCurrentIndex(model()->index(current, 0), QItemSelectionModel::NoUpdate);
        selectionModel()->select(selection, QItemSelectionModel::Select);
        m_hidden.assign(size_t(rows), false);
        m_hiddenCount = 0;
        return;
    }

    prepareFilter();
    std::vector<bool> kept = m_filter.matches(m_filterText);
    if (m_fullText) {
        // The texts are searched in the table through its index; the number, name and version stay in memory.
        const std::optional<QList<int>> records = ProjectCatalogue::recordsWithText(m_filterText);
        for (int record : records.value_or(QList<int>())) {
            if (record >= 1 && size_t(record) <= kept.size())
                kept[size_t(record - 1)] = true;
        }
    }
    setUpdatesEnabled(false);
    for (int row = 0; row < rows; ++row) {
        const bool hide = size_t(row) >= kept.size() || !kept[size_t(row)];
        if (hide == m_hidden[size_t(row)])
            continue; // only rows that change are touched: a keystroke usually changes few
        m_hidden[size_t(row)] = hide;
        setRowHidden(row, hide);
    }
    setUpdatesEnabled(true);
    m_hiddenCount = int(std::count(m_hidden.begin(), m_hidden.end(), true));
    // A command must never act on a project the user cannot see.
    for (int row : std::as_const(selectedRows)) {
        if (m_hidden[size_t(row)])
            item(row)->setSelected(false);
    }
    if (current >= 0 && m_hidden[size_t(current)])
        setCurrentItem(nullptr, QItemSelectionModel::NoUpdate);
}

bool ProjectListView::requireSelectedProject()
{
    if (selectedRecordNumber() > 0)
        return true;
    Prompt::warning(window(), u"请选择您要操作的项目！"_s);
    return false;
}

int ProjectListView::selectedRow() const
{
    // The current item counts when it is selected; otherwise the first selected item in list order.
    QListWidgetItem* current = currentItem();
    if (!current || !current->isSelected() || isHiddenRow(currentRow())) {
        const QList<int> rows = selectedRows();
        return rows.isEmpty() ? -1 : rows.constFirst();
    }
    return currentRow();
}

int ProjectListView::selectedRecordNumber() const
{
    const int row = selectedRow();
    return row < 0 ? 0 : item(row)->data(kRecordRole).toInt();
}

QString ProjectListView::selectedCaption() const
{
    const int row = selectedRow();
    return row < 0 ? QString() : item(row)->text();
}

QList<int> ProjectListView::selectedRows() const
{
    const QModelIndexList indexes = selectionModel()->selectedIndexes();
    QList<int> rows;
    rows.reserve(indexes.size());
    // Select-all also takes the rows the find bar hides; commands act only on what the user sees.
    for (const QModelIndex& index : indexes) {
        if (!isHiddenRow(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<int> ProjectListView::selectedRecordNumbers() const
{
    QList<int> numbers;
    const QList<int> rows = selectedRows();
    numbers.reserve(rows.size());
    for (int row : rows)
        numbers.append(item(row)->data(kRecordRole).toInt());
    return numbers;
}

int ProjectListView::takeSelectedProject()
{
    if (!requireSelectedProject())
        return 0;
    const int row = selectedRow();
    if (!recordsStillHoldTheirProjects({row}))
        return 0;
    return item(row)->data(kRecordRole).toInt();
}

QList<int> ProjectListView::takeSelectedProjects()
{
    if (!requireSelectedProject())
        return {};
    const QList<int> rows = selectedRows();
    if (!recordsStillHoldTheirProjects(rows))
        return {};
    QList<int> records;
    records.reserve(rows.size());
    for (int row : rows)
        records.append(item(row)->data(kRecordRole).toInt());
    return records;
}

bool ProjectListView::recordsStillHoldTheirProjects(const QList<int>& rows)
{
    QList<int> records;
    records.reserve(rows.size());
    for (int row : rows)
        records.append(item(row)->data(kRecordRole).toInt());
    const std::optional<QList<std::optional<QString>>> numbers = ProjectCatalogue::numbersOf(records);
    if (!numbers) {
        showDatabaseError(window());
        return false;
    }
    bool same = true;
    for (qsizetype i = 0; i < rows.size() && same; ++i)
        same = numbers->at(i) == item(rows.at(i))->data(kNumberRole).toString();
    if (same)
        return true;
    loadProjectList();
    Prompt::warning(window(), u"项目列表已变化，请重新选择！"_s);
    return false;
}

void ProjectListView::setArrangement(int arrangement)
{
    m_arrangement = arrangement == LeftAligned || arrangement == Details ? Arrangement(arrangement) : TopAligned;
    applyFlow();
}

void ProjectListView::applyFlow()
{
    // Top-aligned fills rows from the top; left-aligned fills columns from the left.
    setFlow(m_arrangement == LeftAligned ? QListView::TopToBottom : QListView::LeftToRight);
    setWrapping(true);
}

void ProjectListView::applyAppearance(const ListAppearance& look)
{
    setTypeIcons(look.icons);
    setColours(look.text, look.textBackground, look.background);
    if (look.picture.isEmpty())
        clearBackgroundImage();
    else
        setBackgroundImage(look.picture, look.tiled);
}

void ProjectListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT listDoubleClicked();
}

void ProjectListView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void ProjectListView::dragMoveEvent(QDragMoveEvent* event)
{
    // Only what a drop would take is offered the drop.
    if (!DroppedPackage::pathsOf(event->mimeData()->urls()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ProjectListView::dropEvent(QDropEvent* event)
{
    // A web address is passed over without a word.
    const QStringList paths = DroppedPackage::pathsOf(event->mimeData()->urls());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    // The drop is answered now; the windows it asks for open after the drop event has returned, so the file
    // manager's drag ends at once instead of waiting for them (on Windows it would freeze Explorer meanwhile).
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, paths] { Q_EMIT packagesDropped(paths); }, Qt::QueuedConnection);
}

void ProjectListView::setTypeIcons(const QList<QIcon>& icons)
{
    m_icons = icons;
}

QIcon ProjectListView::typeIcon(int entry) const
{
    if (entry >= 0 && entry < m_icons.size())
        return m_icons.at(entry);
    return m_icons.isEmpty() ? QIcon() : m_icons.constFirst();
}

void ProjectListView::setColours(const QColor& text, const QColor& textBackground, const QColor& background)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, background);
    setPalette(p);
    viewport()->setAutoFillBackground(true);
    m_textBackground = textBackground;
    if (!hasBackgroundImage())
        static_cast<ProjectItemDelegate*>(itemDelegate())->setTextBackground(textBackground);
    viewport()->update();
}

QColor ProjectListView::textBackground() const
{
    return hasBackgroundImage() ? QColor() : m_textBackground;
}

void ProjectListView::setBackgroundImage(const QString& path, bool tiled)
{
    QPixmap image;
    if (path.isEmpty() || !image.load(path)) {
        clearBackgroundImage();
        return;
    }
    m_background = image;
    m_tiled = tiled;
    static_cast<ProjectItemDelegate*>(itemDelegate())->setTextBackground(QColor());
    viewport()->update();
}

void ProjectListView::clearBackgroundImage()
{
    m_background = QPixmap();
    static_cast<ProjectItemDelegate*>(itemDelegate())->setTextBackground(m_textBackground);
    viewport()->update();
}

void ProjectListView::paintEvent(QPaintEvent* event)
{
    if (!m_background.isNull()) {
        QPainter painter(viewport());
        const QPixmap& pixmap = m_background;
        if (m_tiled) {
            // Tiles move with the content, so a scroll blit stays seamless.
            painter.drawTiledPixmap(viewport()->rect(), pixmap,
                                    QPoint(horizontalOffset() % pixmap.width(), verticalOffset() % pixmap.height()));
        } else {
            painter.drawPixmap(0, viewport()->height() - pixmap.height(), pixmap);
        }
    }
    QListWidget::paintEvent(event);
}

void ProjectListView::scrollContentsBy(int dx, int dy)
{
    QListWidget::scrollContentsBy(dx, dy);
    // One copy stays in the corner of the visible area while the items scroll over it.
    if (!m_background.isNull() && !m_tiled)
        viewport()->update();
}

void ProjectListView::showSelectedProjectStatus()
{
    Q_EMIT statusTextChanged(u"就绪"_s);
    const int record = selectedRecordNumber();
    if (record <= 0)
        return;
    Q_EMIT statusTextChanged(lastUpdateText(record));
}

QString ProjectListView::lastUpdateText(int recordNumber)
{
    const std::optional<QString> lastUpdate = ProjectCatalogue::lastUpdateText(recordNumber);
    if (!lastUpdate) {
        showDatabaseError(window());
        return {};
    }
    return u"最后更新："_s + *lastUpdate;
}
