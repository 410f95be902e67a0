#include "ui/main/ProjectListPage.h"

#include "ui/common/TabPage.h"
#include "ui/main/ProjectFindBar.h"
#include "ui/main/ProjectListView.h"

#include <QShortcut>

ProjectListPage::ProjectListPage(QWidget* parent)
    : QWidget(parent)
    , m_list(new ProjectListView(this))
    , m_findBar(new ProjectFindBar(this))
{
    m_list->setGeometry(0, 0, 432, 376);
    connect(m_findBar, &ProjectFindBar::textChanged, m_list, &ProjectListView::setFilterText);
    // Esc closes the search from the bar and from the list alike; while the bar is hidden the key is the
    // list's own again.
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setContext(Qt::WidgetWithChildrenShortcut);
    m_escape->setEnabled(false);
    connect(m_escape, &QShortcut::activated, m_findBar, &ProjectFindBar::close);
    connect(m_findBar, &ProjectFindBar::closed, this, [this] {
        m_escape->setEnabled(false);
        layoutPage();
        m_list->setFocus();
    });
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
        m_findBar->setGeometry(5, barTop, w, ProjectFindBar::kHeight);
    } else {
        m_list->setGeometry(5, 0, w, height());
    }
}
