#include "ui/main/ProjectListPage.h"

#include "ui/common/TabPage.h"
#include "ui/main/ProjectListView.h"

ProjectListPage::ProjectListPage(QWidget* parent)
    : QWidget(parent)
    , m_list(new ProjectListView(this))
{
    m_list->setGeometry(0, 0, 432, 376);
}

void ProjectListPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The height is the page's, so no row hides below the visible part of the tab.
    m_list->setGeometry(5, 0, tabWidthOf(this) - 10, height());
}
