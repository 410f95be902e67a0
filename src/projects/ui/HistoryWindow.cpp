#include "projects/ui/HistoryWindow.h"

#include "platform/ValueText.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ui/ExportProject.h"
#include "projects/ui/VersionCompareWindow.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "views/DetailsReport.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

enum Column { TimeColumn, CauseColumn, VersionColumn, TypeColumn, SizeColumn };

const QString kCurrent = u"当前版本"_s;

// Two-digit fields throughout, so the times of a long list stand in line.
QString timeText(const QDateTime& time)
{
    return time.toString(u"yyyy-MM-dd HH:mm:ss"_s);
}

} // namespace

HistoryWindow::HistoryWindow(int recordNumber, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , m_record(recordNumber)
{
    named(this, u"HistoryWindow"_s);
    const ProjectRecord project = ProjectCatalogue::readProject(m_record);
    setWindowTitle(project.name.isEmpty() ? u"历史版本"_s : u"历史版本 - "_s + project.name);
    resize(640, 420);
    setSizeGripEnabled(true);

    auto* layout = new QVBoxLayout(this);
    m_list = named(new QTreeWidget(this), u"版本列表框"_s);
    m_list->setHeaderLabels({u"时间"_s, u"原因"_s, u"版本"_s, u"类型"_s, u"大小"_s});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    // Two versions are compared with each other: Ctrl or Shift adds the second.
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setSectionResizeMode(VersionColumn, QHeaderView::Stretch);
    m_list->headerItem()->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    const QFontMetrics metrics = m_list->fontMetrics();
    m_list->setColumnWidth(TimeColumn, metrics.horizontalAdvance(u"2026-03-04 05:06:07"_s) + 24);
    m_list->setColumnWidth(CauseColumn, metrics.horizontalAdvance(u"恢复版本"_s) + 24);
    m_list->setColumnWidth(TypeColumn, metrics.horizontalAdvance(u"类型类型"_s) + 16);
    m_list->setColumnWidth(SizeColumn, metrics.horizontalAdvance(u"1023.99MB"_s) + 16);
    layout->addWidget(m_list, 1);

    m_empty = named(new QLabel(u"这个项目还没有保存过历史版本。"_s, this), u"空历史标签"_s);
    layout->addWidget(m_empty);

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    buttons->addStretch(1);
    m_compare = named(new QPushButton(u"比较"_s, this), u"比较按钮"_s);
    m_revert = named(new QPushButton(u"恢复此版本"_s, this), u"恢复按钮"_s);
    m_export = named(new QPushButton(u"导出"_s, this), u"导出按钮"_s);
    for (QPushButton* b : {m_compare, m_revert, m_export}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    connect(m_compare, &QPushButton::clicked, this, &HistoryWindow::compareSelected);
    connect(m_revert, &QPushButton::clicked, this, &HistoryWindow::revertSelected);
    connect(m_export, &QPushButton::clicked, this, &HistoryWindow::exportSelected);
    // Enter or a double click on a version opens what it changed.
    connect(m_list, &QTreeWidget::itemActivated, this, &HistoryWindow::compareSelected);

    fill();
    speakAsSeen(this);
    m_list->setAccessibleName(u"历史版本"_s);
    m_list->setFocus();
}

void HistoryWindow::showHistory(int recordNumber, QWidget* parent)
{
    HistoryWindow window(recordNumber, parent);
    window.exec();
}

void HistoryWindow::fill()
{
    m_list->clear();
    const ProjectRecord project = ProjectCatalogue::readProject(m_record);
    m_number = project.number;
    m_currentType = project.packageType;
    m_currentPath = ProjectCatalogue::storedPackage(project);
    m_versions = PackageHistory::versions(m_number);
    QList<QTreeWidgetItem*> items;
    items.reserve(m_versions.size() + 1);
    const auto add = [&items](const QString& time, const QString& cause, const QString& version, const QString& type,
                              qint64 size) {
        auto* item = new QTreeWidgetItem(QStringList{time, cause, version, type, DetailsReport::sizeText(size)});
        item->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        items.append(item);
    };
    if (!m_currentPath.isEmpty()) {
        add(kCurrent, QString(), project.version, project.packageType, QFileInfo(m_currentPath).size());
        QFont bold = m_list->font();
        bold.setBold(true);
        items.first()->setFont(TimeColumn, bold);
    }
    for (const PackageHistory::Version& version : std::as_const(m_versions))
        add(timeText(version.time), PackageHistory::label(version.cause), version.versionText, version.packageType,
            version.size);
    m_list->addTopLevelItems(items);
    if (!items.isEmpty())
        m_list->setCurrentItem(items.at(m_currentPath.isEmpty() || items.size() == 1 ? 0 : 1));
    // With nothing kept there is nothing to act on: the buttons say so before a click does.
    m_empty->setVisible(m_versions.isEmpty());
    m_compare->setEnabled(!m_versions.isEmpty());
    m_revert->setEnabled(!m_versions.isEmpty());
    m_export->setEnabled(!m_versions.isEmpty());
}

QList<int> HistoryWindow::selectedRows() const
{
    QList<int> rows;
    for (QTreeWidgetItem* item : m_list->selectedItems())
        rows.append(m_list->indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

const PackageHistory::Version* HistoryWindow::selectedVersion()
{
    const QList<int> rows = selectedRows();
    const int version = rows.size() == 1 ? rows.first() - (m_currentPath.isEmpty() ? 0 : 1) : -1;
    if (version < 0 || version >= m_versions.size()) {
        Prompt::warning(this, u"请选择您要操作的版本！"_s);
        return nullptr;
    }
    return &m_versions.at(version);
}

ComparedPackage HistoryWindow::sideOf(int row) const
{
    const int version = row - (m_currentPath.isEmpty() ? 0 : 1);
    const bool current = version < 0;
    const QString type = current ? m_currentType : m_versions.at(version).packageType;
    // A single-file package is the one file the project's work is, under the number and its type.
    return {current ? kCurrent : timeText(m_versions.at(version).time),
            {current ? m_currentPath : m_versions.at(version).path, type.compare(u"zip"_s, Qt::CaseInsensitive) == 0,
             m_number + (type.isEmpty() ? QString() : u'.' + type)}};
}

void HistoryWindow::compareSelected()
{
    QList<int> rows = selectedRows();
    // One version is compared with the package stored now.
    if (rows.size() == 1 && rows.first() > 0 && !m_currentPath.isEmpty())
        rows.prepend(0);
    if (rows.size() != 2) {
        Prompt::warning(this, u"请选择一个版本与当前版本比较，或选择两个版本互相比较！"_s);
        return;
    }
    for (const int row : rows) {
        const int version = row - (m_currentPath.isEmpty() ? 0 : 1);
        if (!QFileInfo(version < 0 ? m_currentPath : m_versions.at(version).path).isFile()) {
            Prompt::error(this, u"该版本已不存在！"_s);
            fill();
            return;
        }
    }
    // The lower row is the earlier package: the comparison tells what happened on the way to the upper one.
    VersionCompareWindow::compare(this, sideOf(rows.at(1)), sideOf(rows.at(0)));
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
    // The time the version was kept tells one exported version from another.
    exportPackageAs(version->path, version->packageType, m_number + u'_' + version->time.toString(u"yyyyMMdd-HHmmss"_s),
                    this);
}
