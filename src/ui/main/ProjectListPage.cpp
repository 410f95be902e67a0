#include "ui/main/ProjectListPage.h"

#include "ui/common/TabPage.h"
#include "ui/main/ProjectFindBar.h"
#include "ui/main/ProjectListView.h"

ProjectListPage::ProjectListPage(QWidget* parent)
    : QWidget(parent)
    , m_list(new ProjectListView(this))
    , m_findBar(new ProjectFindBar(this))
{
    m_list->setGeometry(0, 0, 432, 376);
    connect(m_findBar, &ProjectFindBar::textChanged, m_list, &ProjectListView::setFilterText);
    connect(m_findBar, &ProjectFindBar::closed, this, [this] {
        layoutPage();
        m_list->setFocus();
    });
}

void ProjectListPage::showFindBar()
{
    m_list->prepareFilter();
    m_findBar->open();
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
