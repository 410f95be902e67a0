#include "projects/ui/TrashWindow.h"

#include "platform/Clock.h"
#include "platform/ValueText.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectTrash.h"
#include "projects/ui/RenumberWindow.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

using Outcome = ProjectTrash::RestoreOutcome;

enum Role { IdRole = Qt::UserRole, RecordRole };

QList<Outcome> restoreWithProgress(QWidget* parent, const QList<ProjectTrash::RestoreRequest>& requests)
{
    WorkProgress progress(parent, u"正在还原项目，请稍候……"_s);
    return ProjectTrash::restore(requests, progress.callback());
}

bool purgeWithProgress(QWidget* parent, const QStringList& ids)
{
    WorkProgress progress(parent, u"正在删除项目，请稍候……"_s);
    return ProjectTrash::purge(ids, progress.callback());
}

} // namespace

TrashWindow::TrashWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"TrashWindow"_s);
    setWindowTitle(u"回收站"_s);
    setFixedSize(560, 360);

    m_label = placedLabel(this, u"标签1"_s, u"已删除的项目："_s, QRect(8, 8, 540, 16));
    m_entries = placed(new QTreeWidget(this), u"回收站列表框"_s, QRect(8, 26, 544, 284));
    m_entries->setHeaderLabels({u"项目编号"_s, u"项目名称"_s, u"版本"_s, u"删除时间"_s, u"文件包"_s});
    m_entries->setRootIsDecorated(false);
    m_entries->setAllColumnsShowFocus(true);
    m_entries->setUniformRowHeights(true);
    m_entries->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_entries->header()->setStretchLastSection(true);
    m_entries->header()->setMinimumSectionSize(40);
    m_entries->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Sized so an automatic number and the longest deletion time show whole and the row fits without scrolling
    // sideways; the name takes what is left.
    const QFontMetrics metrics = m_entries->fontMetrics();
    const int number = metrics.horizontalAdvance(u"000000_000000"_s) + 14;
    const int time = metrics.horizontalAdvance(u"2026年12月30日23时59分59秒"_s) + 14;
    const int package = metrics.horizontalAdvance(u"文件包"_s) + 20;
    const int scrollBar = m_entries->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    constexpr int kVersion = 50;
    m_entries->header()->resizeSection(0, number);
    m_entries->header()->resizeSection(1, std::max(80, 544 - number - kVersion - time - package - scrollBar));
    m_entries->header()->resizeSection(2, kVersion);
    m_entries->header()->resizeSection(3, time);
    labelFor(m_label, m_entries);

    auto* restoreButton = placed(new QPushButton(u"还原"_s, this), u"还原按钮"_s, QRect(168, 320, 88, 32));
    m_purgeButton = placed(new QPushButton(u"彻底删除"_s, this), u"彻底删除按钮"_s, QRect(260, 320, 92, 32));
    m_emptyButton = placed(new QPushButton(u"清空回收站"_s, this), u"清空按钮"_s, QRect(356, 320, 100, 32));
    auto* closeButton = placed(new QPushButton(u"关  闭"_s, this), u"关闭按钮"_s, QRect(460, 320, 92, 32));
    for (QPushButton* b : {restoreButton, m_purgeButton, m_emptyButton})
        b->setAutoDefault(false);
    closeButton->setDefault(true);

    connect(restoreButton, &QPushButton::clicked, this, &TrashWindow::restoreSelected);
    connect(m_purgeButton, &QPushButton::clicked, this, &TrashWindow::purgeSelected);
    connect(m_emptyButton, &QPushButton::clicked, this, &TrashWindow::emptyTrash);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_entries, &QTreeWidget::itemDoubleClicked, this, &TrashWindow::restoreSelected);
    speakAsSeen(this);
    refresh();
}

void TrashWindow::refresh()
{
    m_entries->clear();
    const QList<ProjectTrash::Entry> entries = ProjectTrash::entries();
    QList<QTreeWidgetItem*> items;
    items.reserve(entries.size());
    for (const ProjectTrash::Entry& e : entries) {
        const QString name = e.hasRecord ? e.project.name : u"（无项目记录）"_s;
        auto* item = new QTreeWidgetItem({e.project.number, name, e.project.version, ValueText::dateTime(e.deleted),
                                          e.withPackage ? u"有"_s : u"无"_s});
        item->setData(0, IdRole, e.id);
        item->setData(0, RecordRole, e.hasRecord);
        items.append(item);
    }
    m_entries->addTopLevelItems(items);
    setCaption(m_label, u"已删除的项目（%1 个）："_s.arg(entries.size()));
    m_purgeButton->setEnabled(!entries.isEmpty());
    m_emptyButton->setEnabled(!entries.isEmpty());
}

QStringList TrashWindow::selectedIds() const
{
    QStringList ids;
    for (int i = 0; i < m_entries->topLevelItemCount(); ++i) {
        if (m_entries->topLevelItem(i)->isSelected())
            ids.append(m_entries->topLevelItem(i)->data(0, IdRole).toString());
    }
    return ids;
}

void TrashWindow::restoreSelected()
{
    if (WorkProgress::running())
        return;
    const QStringList ids = selectedIds();
    if (ids.isEmpty()) {
        Prompt::warning(this, u"请选择您要还原的项目！"_s);
        return;
    }
    QList<ProjectTrash::RestoreRequest> requests;
    for (const QString& id : ids)
        requests.append({id, {}});
    QList<Outcome> outcomes = restoreWithProgress(this, requests);

    // An entry whose number is taken again, or is no file name, comes back under a number the user gives it.
    QHash<QString, const QTreeWidgetItem*> itemOf;
    for (int i = 0; i < m_entries->topLevelItemCount(); ++i)
        itemOf.insert(m_entries->topLevelItem(i)->data(0, IdRole).toString(), m_entries->topLevelItem(i));
    QSet<QString> taken;
    const ProjectCatalogue::Columns catalogue = ProjectCatalogue::readColumns(ProjectCatalogue::Column::Number);
    for (const QString& number : catalogue.numbers)
        taken.insert(number);
    QList<ProjectTrash::RestoreRequest> renumbered;
    QList<qsizetype> renumberedAt;
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        if (outcomes.at(i) != Outcome::NumberTaken && outcomes.at(i) != Outcome::InvalidNumber)
            continue;
        const QTreeWidgetItem* item = itemOf.value(requests.at(i).id);
        const QString name = item && item->data(0, RecordRole).toBool() ? item->text(1) : QString();
        const std::optional<QString> number = RenumberWindow::askNumber(
            this, name, item ? item->text(0) : QString(), outcomes.at(i) == Outcome::InvalidNumber, taken);
        outcomes[i] = Outcome::Gone; // the user chose: no further word about it
        if (!number)
            continue;
        taken.insert(*number);
        renumbered.append({requests.at(i).id, *number});
        renumberedAt.append(i);
    }
    if (!renumbered.isEmpty()) {
        const QList<Outcome> again = restoreWithProgress(this, renumbered);
        for (qsizetype i = 0; i < again.size(); ++i)
            outcomes[renumberedAt.at(i)] = again.at(i);
    }

    QList<Outcome> refusals;
    for (const Outcome outcome : std::as_const(outcomes)) {
        if (outcome != Outcome::Restored && outcome != Outcome::Gone && !refusals.contains(outcome))
            refusals.append(outcome);
    }
    refresh();
    // One message for each kind of refusal, however many entries it held back.
    for (const Outcome outcome : std::as_const(refusals)) {
        switch (outcome) {
        case Outcome::NumberTaken:
            Prompt::warning(this, u"已存在相同编号！"_s);
            break;
        case Outcome::InvalidNumber:
            Prompt::error(this, u"编号不能用作文件名，请重新输入！"_s);
            break;
        case Outcome::HistoryRefused:
            Prompt::error(this, u"保留原有项目文件包失败！"_s);
            break;
        case Outcome::DatabaseError:
            showDatabaseError(this);
            break;
        case Outcome::Failed:
            Prompt::error(this, u"还原项目文件包失败！"_s);
            break;
        case Outcome::Restored:
        case Outcome::Gone:
            break;
        }
    }
}

void TrashWindow::purgeSelected()
{
    if (WorkProgress::running())
        return;
    const QStringList ids = selectedIds();
    if (ids.isEmpty()) {
        Prompt::warning(this, u"请选择您要彻底删除的项目！"_s);
        return;
    }
    if (!Prompt::question(this, u"确定要彻底删除选中的 %1 个项目吗？删除后无法恢复。"_s.arg(ids.size())))
        return;
    const bool removed = purgeWithProgress(this, ids);
    refresh();
    if (!removed)
        Prompt::error(this, u"彻底删除失败！"_s);
}

void TrashWindow::emptyTrash()
{
    if (WorkProgress::running() || m_entries->topLevelItemCount() == 0)
        return;
    if (!Prompt::question(this, u"确定要清空回收站吗？清空后无法恢复。"_s))
        return;
    bool emptied = false;
    {
        WorkProgress progress(this, u"正在清空回收站，请稍候……"_s);
        emptied = ProjectTrash::empty(progress.callback());
    }
    refresh();
    if (!emptied)
        Prompt::error(this, u"清空回收站失败！"_s);
}

void TrashWindow::showTrash(QWidget* parent)
{
    TrashWindow window(parent);
    window.exec();
}

void TrashWindow::offerExpired(QWidget* parent)
{
    const QStringList expired = ProjectTrash::expiredAtStart(Clock::now());
    if (expired.isEmpty())
        return;
    if (!Prompt::question(parent, u"回收站中有 %1 个项目删除已超过 %2 天，要彻底删除它们吗？"_s.arg(expired.size())
                                      .arg(ProjectTrash::kKeptDays)))
        return;
    if (!purgeWithProgress(parent, expired))
        Prompt::error(parent, u"彻底删除失败！"_s);
}
