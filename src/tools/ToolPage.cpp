#include "tools/ToolPage.h"

#include "ui/common/Naming.h"
#include "ui/common/TabPage.h"

#include <QListWidget>
#include <QPushButton>

namespace {

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, int left, int width)
{
    auto* b = named(new QPushButton(caption, parent), name);
    b->setGeometry(left, 0, width, 26);
    return b;
}

} // namespace

ToolPage::ToolPage(QWidget* parent)
    : QWidget(parent)
{
    named(this, QStringLiteral("ToolPage"));
    button(this, QStringLiteral("新建工具按钮"), QStringLiteral("新  建"), 5, 75);
    button(this, QStringLiteral("编辑工具按钮"), QStringLiteral("编  辑"), 80, 75);
    button(this, QStringLiteral("删除工具按钮"), QStringLiteral("删  除"), 156, 75);
    button(this, QStringLiteral("工具备注按钮"), QStringLiteral("备  注"), 231, 75);
    m_back = button(this, QStringLiteral("返回按钮"), QStringLiteral("返回项目列表"), 336, 112);
    m_list = named(new QListWidget(this), QStringLiteral("工具列表框"));
    m_list->setGeometry(8, 28, 432, 336);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(32, 32));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
}

void ToolPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int tabWidth = tabWidthOf(this);
    m_list->setGeometry(5, 30, tabWidth - 10, height() - 30);
    // Lines up with 写出按钮 of the text page, which is as wide as this button.
    m_back->move(tabWidth - m_back->width() - 8, m_back->y());
}
