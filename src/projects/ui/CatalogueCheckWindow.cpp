#include "projects/ui/CatalogueCheckWindow.h"

#include "platform/ValueText.h"
#include "projects/CatalogueCheck.h"
#include "store/TableSchemas.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

QTreeWidget* reportList(QWidget* parent, const QString& name, const QStringList& columns, const QRect& geometry)
{
    auto* list = placed(new QTreeWidget(parent), name, geometry);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(true);
    return list;
}

} // namespace

CatalogueCheckWindow::CatalogueCheckWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"CatalogueCheckWindow"_s);
    setWindowTitle(u"检查数据"_s);
    setFixedSize(540, 420);

    m_missingLabel = placedLabel(this, u"标签1"_s, u"缺少文件包的项目："_s, QRect(8, 8, 520, 16));
    m_missing = reportList(this, u"缺包项目列表框"_s, {u"项目编号"_s, u"项目名称"_s, u"版本"_s, u"文件包类型"_s},
                           QRect(8, 26, 524, 156));
    m_missing->setSelectionMode(QAbstractItemView::SingleSelection);
    m_missing->header()->resizeSection(0, 130);
    m_missing->header()->resizeSection(1, 200);
    m_missing->header()->resizeSection(2, 80);

    m_orphanLabel = placedLabel(this, u"标签2"_s, u"没有项目使用的文件包："_s, QRect(8, 190, 520, 16));
    m_orphans =
        reportList(this, u"多余文件列表框"_s, {u"文件名"_s, u"文件尺寸"_s, u"修改时间"_s}, QRect(8, 208, 524, 160));
    // Several orphans can go at once, after one question.
    m_orphans->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_orphans->header()->resizeSection(0, 200);
    m_orphans->header()->resizeSection(1, 100);

    auto* exportButton = placed(new QPushButton(u"导出文件"_s, this), u"导出文件按钮"_s, QRect(260, 378, 88, 32));
    auto* deleteButton = placed(new QPushButton(u"删除文件"_s, this), u"删除文件按钮"_s, QRect(352, 378, 88, 32));
    auto* closeButton = placed(new QPushButton(u"关  闭"_s, this), u"关闭按钮"_s, QRect(444, 378, 88, 32));
    for (QPushButton* b : {exportButton, deleteButton})
        b->setAutoDefault(false);
    closeButton->setDefault(true);
    labelFor(m_missingLabel, m_missing);
    labelFor(m_orphanLabel, m_orphans);

    connect(exportButton, &QPushButton::clicked, this, &CatalogueCheckWindow::exportOrphan);
    connect(deleteButton, &QPushButton::clicked, this, &CatalogueCheckWindow::deleteOrphans);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    speakAsSeen(this);
}

bool CatalogueCheckWindow::refresh()
{
    const CatalogueCheck::Result result = CatalogueCheck::check();
    m_missing->clear();
    m_orphans->clear();
    QList<QTreeWidgetItem*> missingItems;
    for (const CatalogueCheck::MissingPackage& m : result.missing)
        missingItems.append(new QTreeWidgetItem({m.number, m.name, m.version, m.packageType}));
    m_missing->addTopLevelItems(missingItems);
    QList<QTreeWidgetItem*> orphanItems;
    for (const CatalogueCheck::OrphanFile& f : result.orphans)
        orphanItems.append(
            new QTreeWidgetItem({f.fileName, ValueText::of(f.size) + u" 字节"_s, ValueText::of(f.modified)}));
    m_orphans->addTopLevelItems(orphanItems);
    m_missingLabel->setText(u"缺少文件包的项目（%1 个）："_s.arg(result.missing.size()));
    m_orphanLabel->setText(u"没有项目使用的文件包（%1 个）："_s.arg(result.orphans.size()));
    return result.tableRead;
}

QStringList CatalogueCheckWindow::selectedOrphans() const
{
    QStringList names;
    for (int i = 0; i < m_orphans->topLevelItemCount(); ++i) {
        if (m_orphans->topLevelItem(i)->isSelected())
            names.append(m_orphans->topLevelItem(i)->text(0));
    }
    return names;
}

void CatalogueCheckWindow::exportOrphan()
{
    if (WorkProgress::running())
        return;
    QTreeWidgetItem* current = m_orphans->currentItem();
    if (!current || !current->isSelected())
        current = m_orphans->selectedItems().isEmpty() ? nullptr : m_orphans->selectedItems().constFirst();
    if (!current) {
        Prompt::warning(this, u"请选择您要操作的文件！"_s);
        return;
    }
    const QString fileName = current->text(0);
    Prompt::FileDialog dialog;
    dialog.title = u"导出"_s;
    dialog.filter = u"*.*|*.*"_s;
    dialog.initialPath = fileName.chopped(
        TableSchemas::packageSuffix().size()); // without ".fd1": what the file was is not recorded anywhere
    const QString target = Prompt::saveFile(this, dialog);
    if (target.isEmpty())
        return;
    const QString source = CatalogueCheck::orphanPath(fileName);
    if (source.isEmpty() || !WorkProgress::copyFile(this, source, target))
        Prompt::error(this, u"导出文件失败！"_s);
}

void CatalogueCheckWindow::deleteOrphans()
{
    if (WorkProgress::running())
        return;
    const QStringList names = selectedOrphans();
    if (names.isEmpty()) {
        Prompt::warning(this, u"请选择您要操作的文件！"_s);
        return;
    }
    if (!Prompt::question(this,
                          u"您确定要删除所选定的 %1 个文件吗？删除的文件可以在回收站中还原。"_s.arg(names.size())))
        return;
    const QStringList failed = CatalogueCheck::deleteOrphans(names);
    refresh();
    if (!failed.isEmpty())
        Prompt::error(this, u"有 %1 个文件删除失败！"_s.arg(failed.size()));
}

void CatalogueCheckWindow::checkCatalogue(QWidget* parent)
{
    CatalogueCheckWindow window(parent);
    if (!window.refresh()) {
        showDatabaseError(parent);
        return;
    }
    window.exec();
}
