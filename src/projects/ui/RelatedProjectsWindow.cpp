#include "projects/ui/RelatedProjectsWindow.h"

#include "projects/ProjectCatalogue.h"
#include "projects/ui/ExportProject.h"
#include "store/TableSchemas.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kNoSuchProject = u"项目不存在"_s;

QTreeWidget* reportList(QWidget* parent, const QString& name, const QStringList& columns, const QRect& geometry)
{
    auto* list = placed(new QTreeWidget(parent), name, geometry);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setAllColumnsShowFocus(true);
    list->header()->setStretchLastSection(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

QTreeWidgetItem* selectedItem(const QTreeWidget* list)
{
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

} // namespace

RelatedProjectsWindow::RelatedProjectsWindow(int recordNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_record(recordNumber)
{
    named(this, u"RelatedProjectsWindow"_s);
    setWindowTitle(u"关联项目"_s);
    setFixedSize(kNarrowWidth, 334);

    m_related = reportList(this, u"关联项目列表框"_s, {u"项目编号"_s, u"项目名称"_s}, QRect(5, 5, 255, 288));
    auto* add = placed(new QPushButton(u"添加"_s, this), u"添加按钮"_s, QRect(38, 296, 72, 32));
    auto* removeButton = placed(new QPushButton(u"删除"_s, this), u"删除按钮"_s, QRect(113, 296, 72, 32));
    auto* exportButton = placed(new QPushButton(u"导出项目"_s, this), u"导出按钮"_s, QRect(189, 296, 72, 32));
    m_picker =
        reportList(this, u"选择项目列表框"_s, {u"项目编号"_s, u"项目名称"_s, u"版本"_s}, QRect(268, 5, 255, 288));
    auto* takeButton = placed(new QPushButton(u"确定"_s, this), u"超级按钮4"_s, QRect(374, 296, 72, 32));
    auto* closePicker = placed(new QPushButton(u"取消"_s, this), u"超级按钮5"_s, QRect(450, 296, 72, 32));
    // Enter must not close the window: it closes only by its close box, which saves the list.
    for (QPushButton* b : {add, removeButton, exportButton, takeButton, closePicker})
        b->setAutoDefault(false);

    // The picker starts two pixels inside the narrow window, so it is hidden there rather than cut: no
    // sliver of it shows, and Tab cannot reach it.
    m_pickerParts = {m_picker, takeButton, closePicker};
    showPicker(false);
    connect(add, &QPushButton::clicked, this, [this] { showPicker(true); });
    connect(closePicker, &QPushButton::clicked, this, [this] { showPicker(false); });
    connect(takeButton, &QPushButton::clicked, this, &RelatedProjectsWindow::take);
    connect(m_picker, &QTreeWidget::itemDoubleClicked, this, &RelatedProjectsWindow::take);
    connect(removeButton, &QPushButton::clicked, this, &RelatedProjectsWindow::remove);
    connect(exportButton, &QPushButton::clicked, this, &RelatedProjectsWindow::exportSelected);

    fillPicker();
    fillRelated();
    speakAsSeen(this);
    m_related->setAccessibleName(windowTitle());
    m_picker->setAccessibleName(u"选择项目"_s);
}

void RelatedProjectsWindow::showPicker(bool shown)
{
    setFixedWidth(shown ? kWideWidth : kNarrowWidth);
    for (QWidget* part : std::as_const(m_pickerParts))
        part->setVisible(shown);
}

void RelatedProjectsWindow::showRelated(int recordNumber, QWidget* parent)
{
    RelatedProjectsWindow window(recordNumber, parent);
    window.exec();
}

void RelatedProjectsWindow::fillPicker()
{
    using ProjectCatalogue::Column;
    const ProjectCatalogue::Columns projects =
        ProjectCatalogue::readColumns(Column::Number | Column::Name | Column::Version);
    QList<QTreeWidgetItem*> items;
    items.reserve(projects.count);
    for (qsizetype i = 0; i < projects.count; ++i)
        items.append(
            new QTreeWidgetItem(QStringList{projects.numbers.at(i), projects.names.at(i), projects.versions.at(i)}));
    m_picker->addTopLevelItems(items);
}

void RelatedProjectsWindow::fillRelated()
{
    m_related->clear();
    for (const ProjectCatalogue::Related& related : ProjectCatalogue::readRelated(m_record))
        m_related->addTopLevelItem(
            new QTreeWidgetItem(QStringList{related.number, related.name.value_or(kNoSuchProject)}));
}

void RelatedProjectsWindow::take()
{
    const QTreeWidgetItem* picked = selectedItem(m_picker);
    if (!picked) {
        Prompt::warning(this, u"请选择要关联到的项目！"_s);
        return;
    }
    m_related->addTopLevelItem(new QTreeWidgetItem(QStringList{picked->text(0), picked->text(1)}));
}

void RelatedProjectsWindow::remove()
{
    QTreeWidgetItem* item = selectedItem(m_related);
    if (!item) {
        Prompt::warning(this, u"请选择您要删除的项目！"_s);
        return;
    }
    delete item;
    // The view would select the next entry by itself; the next command must act only on one the user picked.
    m_related->clearSelection();
}

void RelatedProjectsWindow::exportSelected()
{
    const QTreeWidgetItem* item = selectedItem(m_related);
    if (!item) {
        Prompt::warning(this, u"请选择您要导出的项目！"_s);
        return;
    }
    const int recordNumber = item->text(1) != kNoSuchProject ? ProjectCatalogue::recordOf(item->text(0)) : 0;
    if (recordNumber <= 0) {
        Prompt::warning(this, u"项目文件不存在！"_s);
        return;
    }
    exportProject(recordNumber, this);
}

void RelatedProjectsWindow::done(int result)
{
    // The edited list lives only in this window; a table that refuses it must not make it vanish unsaid.
    if (!save())
        Prompt::error(this, u"数据库操作失败！"_s);
    QDialog::done(result);
}

bool RelatedProjectsWindow::save()
{
    QStringList numbers;
    for (int i = 0; i < m_related->topLevelItemCount(); ++i)
        numbers.append(m_related->topLevelItem(i)->text(0));
    return ProjectCatalogue::writeRelated(m_record, numbers);
}
