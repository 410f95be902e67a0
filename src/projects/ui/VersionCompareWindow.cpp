#include "projects/ui/VersionCompareWindow.h"

#include "archive/NativeName.h"
#include "projects/LineDiff.h"
#include "projects/ui/LineDiffWindow.h"
#include "ui/common/ChangesSummary.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/common/WorkProgress.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPathRole = Qt::UserRole;

// A file's lines on one side; nothing when the side holds it but it is too large or no text. A side without the
// file holds no lines.
std::optional<QStringList> linesOn(const ComparedPackage& side, const QString& path, bool holds)
{
    if (!holds)
        return QStringList();
    const std::optional<QByteArray> bytes = PackageChanges::contentOf(side.package, path, LineDiff::kMaxBytes);
    if (!bytes)
        return std::nullopt;
    return LineDiff::linesOf(*bytes);
}

} // namespace

VersionCompareWindow::VersionCompareWindow(const ComparedPackage& before, const ComparedPackage& after,
                                           const PackageChanges::Changes& changes, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint)
    , m_before(before)
    , m_after(after)
{
    named(this, u"VersionCompareWindow"_s);
    setWindowTitle(u"比较 - %1 → %2"_s.arg(before.label, after.label));
    resize(820, 520);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(named(new QLabel(ChangesSummary::counts(changes), this), u"变化标签"_s));
    auto* grid = new QGridLayout;
    layout->addLayout(grid, 1);
    const QList<std::tuple<QString, QString, const QStringList*>> lists{
        {u"新增："_s, u"新增列表框"_s, &changes.added},
        {u"修改："_s, u"修改列表框"_s, &changes.changed},
        {u"删除："_s, u"删除列表框"_s, &changes.removed}};
    for (int column = 0; column < lists.size(); ++column) {
        const auto& [caption, name, paths] = lists.at(column);
        auto* label = new QLabel(caption, this);
        auto* list = named(new QListWidget(this), name);
        for (const QString& path : *paths) {
            auto* item = new QListWidgetItem(NativeFs::readableName(path), list);
            item->setData(kPathRole, path);
        }
        labelFor(label, list);
        grid->addWidget(label, 0, column);
        grid->addWidget(list, 1, column);
        connect(list, &QListWidget::itemActivated, this, &VersionCompareWindow::openItem);
    }
    layout->addWidget(named(new QLabel(u"双击文件或按回车键逐行比较。"_s, this), u"提示标签"_s));
    speakAsSeen(this);
    // The keys start where the reading usually does: on the changed files, or the first list that holds any.
    for (const QString& name : {u"修改列表框"_s, u"新增列表框"_s, u"删除列表框"_s}) {
        auto* list = findChild<QListWidget*>(name);
        if (list->count() > 0) {
            list->setCurrentRow(0);
            list->setFocus();
            break;
        }
    }
}

void VersionCompareWindow::openItem(QListWidgetItem* item)
{
    // An empty folder has no lines to show.
    if (!item || item->data(kPathRole).toString().endsWith(u'/'))
        return;
    const QString list = item->listWidget()->objectName();
    showFile(this, m_before, m_after, item->data(kPathRole).toString(), list != u"新增列表框", list != u"删除列表框");
}

void VersionCompareWindow::showFile(QWidget* parent, const ComparedPackage& before, const ComparedPackage& after,
                                    const QString& path, bool onBefore, bool onAfter)
{
    std::optional<QStringList> earlier;
    std::optional<QStringList> later;
    {
        // An entry deep in a big archive takes a moment to reach.
        WorkProgress progress(parent, u"正在比较项目文件，请稍候……"_s);
        earlier = linesOn(before, path, onBefore);
        later = linesOn(after, path, onAfter);
    }
    if (!earlier || !later) {
        Prompt::information(parent, u"这个文件太大或不是文本文件，无法逐行比较。"_s);
        return;
    }
    LineDiffWindow window(NativeFs::readableName(path), before.label, after.label, LineDiff::compare(*earlier, *later),
                          parent);
    window.exec();
}

void VersionCompareWindow::compare(QWidget* parent, const ComparedPackage& before, const ComparedPackage& after)
{
    PackageChanges::Comparison compared;
    {
        WorkProgress progress(parent, u"正在比较项目文件，请稍候……"_s);
        compared = PackageChanges::between(before.package, after.package, progress.callback());
    }
    if (compared.outcome != PackageChanges::Outcome::Compared) {
        Prompt::error(parent, u"无法读取要比较的项目文件包。"_s);
        return;
    }
    if (compared.changes.isEmpty()) {
        Prompt::information(parent, u"两个版本的文件完全相同。"_s);
        return;
    }
    // A project of one file: that file is what there is to see.
    const PackageChanges::Changes& changes = compared.changes;
    if (!before.package.zip && !after.package.zip && changes.changed.size() == 1 && changes.added.isEmpty() &&
        changes.removed.isEmpty()) {
        showFile(parent, before, after, changes.changed.first(), true, true);
        return;
    }
    VersionCompareWindow window(before, after, changes, parent);
    window.exec();
}
