#include "ui/main/ProjectListPage.h"

#include "ui/common/TabPage.h"
#include "ui/main/ProjectDetailsView.h"
#include "ui/main/ProjectFindBar.h"
#include "ui/main/ProjectListView.h"

#include <QShortcut>

ProjectListPage::ProjectListPage(QWidget* parent)
    : QWidget(parent)
    , m_list(new ProjectListView(this))
    , m_details(new ProjectDetailsView(m_list, this))
    , m_findBar(new ProjectFindBar(this))
{
    m_list->setGeometry(0, 0, 432, 376);
    m_details->hide();
    connect(m_list, &ProjectListView::rowsShownChanged, this, &ProjectListPage::showArrangement);
    connect(m_findBar, &ProjectFindBar::textChanged, m_list, &ProjectListView::setFilterText);
    connect(m_findBar, &ProjectFindBar::fullTextChanged, m_list, &ProjectListView::setFullText);
    connect(m_findBar, &ProjectFindBar::enterList, this, &ProjectListPage::enterFound);
    // Esc closes the search from the bar and from the list alike; while the bar is hidden the key is the
    // list's own again.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setContext(Qt::WidgetWithChildrenShortcut);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, m_findBar, &ProjectFindBar::close);
    connect(m_findBar, &ProjectFindBar::closed, this, [this] {
        m_escape->setEnabled(false);
        layoutPage();
        shownList()->setFocus();
    });
}

QWidget* ProjectListPage::shownList() const
{
    return m_list->arrangement() == ProjectListView::Details ? static_cast<QWidget*>(m_details) : m_list;
}

void ProjectListPage::enterFound()
{
    // Onto the first project the user sees found: the first shown row of the icons, the top row of the report.
    m_list->settleFilter();
    if (m_list->arrangement() == ProjectListView::Details) {
        m_details->setFocus();
        if (m_details->model()->rowCount() > 0)
            m_details->selectionModel()->setCurrentIndex(
                m_details->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    m_list->setFocus();
    for (int row = 0; row < m_list->count(); ++row) {
        if (m_list->isShownRow(row)) {
            m_list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
            m_list->scrollToItem(m_list->item(row));
            return;
        }
    }
}

void ProjectListPage::showArrangement(bool refilled)
{
    if (m_findBar->isVisibleTo(this))
        m_findBar->showFound(m_list->shownCount());
    const bool details = m_list->arrangement() == ProjectListView::Details;
    if (details) {
        // The sort is read before the first fill, so 100,000 rows are ordered once.
        if (!m_sortRestored) {
            m_details->restoreSort();
            m_sortRestored = true;
        }
        m_details->followList(refilled);
    }
    if (details == m_details->isVisibleTo(this))
        return;
    const bool focused = m_list->hasFocus() || m_details->hasFocus();
    m_details->setVisible(details);
    m_list->setVisible(!details);
    if (focused)
        shownList()->setFocus();
}

void ProjectListPage::showFindBar()
{
    m_list->prepareFilter();
    m_findBar->open();
    m_escape->setEnabled(true);
    layoutPage();
}

void ProjectListPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutPage();
}

void ProjectListPage::layoutPage()
{
    // The height is the page's, so no row hides below the visible part of the tab; the find bar, while
    // shown, takes its slim strip from the bottom.
    const int w = tabWidthOf(this) - 10;
    if (m_findBar->isVisibleTo(this)) {
        const int barTop = height() - ProjectFindBar::kHeight;
        m_list->setGeometry(5, 0, w, barTop);
        m_details->setGeometry(5, 0, w, barTop);
        m_findBar->setGeometry(5, barTop, w, ProjectFindBar::kHeight);
    } else {
        m_list->setGeometry(5, 0, w, height());
        m_details->setGeometry(5, 0, w, height());
    }
}
