#include "tools/ui/ToolPage.h"

#include "tools/ToolTable.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/TabPage.h"
#include "ui/common/WorkProgress.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRecordRole = Qt::UserRole;

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
    named(this, u"ToolPage"_s);
    m_add = button(this, u"新建工具按钮"_s, u"新  建"_s, 5, 75);
    m_edit = button(this, u"编辑工具按钮"_s, u"编  辑"_s, 80, 75);
    m_delete = button(this, u"删除工具按钮"_s, u"删  除"_s, 156, 75);
    m_note = button(this, u"工具备注按钮"_s, u"备  注"_s, 231, 75);
    m_back = button(this, u"返回按钮"_s, u"返回项目列表"_s, 336, 112);
    m_list = named(new QListWidget(this), u"工具列表框"_s);
    m_list->setGeometry(8, 28, 432, 336);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(32, 32));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWordWrap(true);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(m_list, &QListWidget::itemSelectionChanged, this, &ToolPage::showSelection);
    connect(m_list, &QListWidget::currentItemChanged, this, &ToolPage::showSelection);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &ToolPage::openItem);
}

void ToolPage::loadToolList()
{
    // Icons are looked up while the windows keep painting; a second fill started meanwhile would interleave.
    if (m_filling)
        return;
    m_filling = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_list->clear();

    const QList<Tool> tools = ToolTable::allNamesAndPaths();
    // The icons are found first, while the windows keep painting (only painting and timers run: a click now
    // would act on a half-filled list); the items then go in at once, so the list is laid out once, not after
    // every few items.
    QList<QIcon> icons;
    icons.reserve(tools.size());
    for (qsizetype i = 0; i < tools.size(); ++i) {
        if (i % 16 == 0)
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        icons.append(m_icons.iconOf(tools.at(i).path));
    }
    m_list->setUpdatesEnabled(false);
    for (qsizetype i = 0; i < tools.size(); ++i) {
        auto* item = new QListWidgetItem(icons.at(i), tools.at(i).name);
        item->setData(kRecordRole, int(i + 1));
        m_list->addItem(item);
    }
    m_list->setUpdatesEnabled(true);
    m_list->setCurrentItem(nullptr);
    m_list->clearSelection();

    QApplication::restoreOverrideCursor();
    m_filling = false;
    // The status bar must not keep the path of a tool that is gone.
    showSelection();
}

int ToolPage::currentRecordNumber() const
{
    QListWidgetItem* item = m_list->currentItem();
    if (item && item->isSelected())
        return item->data(kRecordRole).toInt();
    const QList<int> numbers = selectedRecordNumbers();
    return numbers.isEmpty() ? 0 : numbers.constFirst();
}

QList<int> ToolPage::selectedRecordNumbers() const
{
    QList<int> numbers;
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected())
            numbers.append(m_list->item(i)->data(kRecordRole).toInt());
    }
    return numbers;
}

void ToolPage::showSelection()
{
    if (m_filling)
        return;
    const int record = currentRecordNumber();
    Q_EMIT statusTextChanged(record > 0 ? ToolTable::toolAt(record).path : u"就绪"_s);
}

void ToolPage::openItem(QListWidgetItem* item)
{
    if (!item || WorkProgress::running())
        return;
    const int record = item->data(kRecordRole).toInt();
    if (record > 0)
        Prompt::openWithShell(ToolIcon::shellTarget(ToolTable::toolAt(record).path));
}

void ToolPage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int tabWidth = tabWidthOf(this);
    m_list->setGeometry(5, 30, tabWidth - 10, height() - 30);
    // Lines up with 写出按钮 of the text page, which is as wide as this button.
    m_back->move(tabWidth - m_back->width() - 8, m_back->y());
}
