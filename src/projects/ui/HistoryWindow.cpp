#include "projects/ui/HistoryWindow.h"

#include "platform/ValueText.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ui/ExportProject.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "views/DetailsReport.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

HistoryWindow::HistoryWindow(int recordNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_record(recordNumber)
{
    named(this, u"HistoryWindow"_s);
    const ProjectRecord project = ProjectCatalogue::readProject(m_record);
    setWindowTitle(project.name.isEmpty() ? u"历史版本"_s : u"历史版本 - "_s + project.name);
    setFixedSize(430, 320);

    m_list = placed(new QTreeWidget(this), u"版本列表框"_s, QRect(5, 5, 420, 272));
    m_list->setHeaderLabels({u"时间"_s, u"原因"_s, u"大小"_s});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionsMovable(false);
    m_list->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    m_list->setColumnWidth(0, 210);
    m_list->setColumnWidth(1, 90);

    m_revert = placed(new QPushButton(u"恢复此版本"_s, this), u"恢复按钮"_s, QRect(253, 282, 96, 32));
    m_export = placed(new QPushButton(u"导出"_s, this), u"导出按钮"_s, QRect(353, 282, 72, 32));
    for (QPushButton* b : {m_revert, m_export})
        b->setAutoDefault(false);
    connect(m_revert, &QPushButton::clicked, this, &HistoryWindow::revertSelected);
    connect(m_export, &QPushButton::clicked, this, &HistoryWindow::exportSelected);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &HistoryWindow::exportSelected);

    fill();
    speakAsSeen(this);
    m_list->setAccessibleName(u"历史版本"_s);
}

void HistoryWindow::showHistory(int recordNumber, QWidget* parent)
{
    HistoryWindow window(recordNumber, parent);
    window.exec();
}

void HistoryWindow::fill()
{
    m_list->clear();
    m_versions = PackageHistory::versions(ProjectCatalogue::readProject(m_record).number);
    QList<QTreeWidgetItem*> items;
    items.reserve(m_versions.size());
    for (const PackageHistory::Version& version : std::as_const(m_versions)) {
        auto* item =
            new QTreeWidgetItem(QStringList{ValueText::dateTime(version.time), PackageHistory::label(version.cause),
                                            DetailsReport::sizeText(version.size)});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    }
    m_list->addTopLevelItems(items);
    // With nothing kept there is nothing to act on: the buttons say so before a click does.
    m_revert->setEnabled(!m_versions.isEmpty());
    m_export->setEnabled(!m_versions.isEmpty());
}

const PackageHistory::Version* HistoryWindow::selectedVersion()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_list->indexOfTopLevelItem(selected.first());
    if (row < 0 || row >= m_versions.size()) {
        Prompt::warning(this, u"请选择您要操作的版本！"_s);
        return nullptr;
    }
    return &m_versions.at(row);
}

void HistoryWindow::revertSelected()
{
    const PackageHistory::Version* version = selectedVersion();
    if (!version || !Prompt::question(this, u"确定要用此版本替换当前的项目文件包吗？"_s))
        return;
    const PackageHistory::RevertOutcome outcome = PackageHistory::revert(m_record, *version);
    fill();
    switch (outcome) {
    case PackageHistory::RevertOutcome::Reverted:
        Prompt::information(this, u"恢复版本成功！"_s);
        break;
    case PackageHistory::RevertOutcome::Missing:
        Prompt::error(this, u"该版本已不存在！"_s);
        break;
    case PackageHistory::RevertOutcome::Failed:
        Prompt::error(this, u"恢复版本失败！"_s);
        break;
    case PackageHistory::RevertOutcome::DatabaseError:
        showDatabaseError(this);
        break;
    }
}

void HistoryWindow::exportSelected()
{
    const PackageHistory::Version* version = selectedVersion();
    if (!version)
        return;
    if (!QFileInfo(version->path).isFile()) {
        Prompt::error(this, u"该版本已不存在！"_s);
        fill();
        return;
    }
    exportPackage(version->path, version->packageType, ProjectCatalogue::readProject(m_record), this);
}
