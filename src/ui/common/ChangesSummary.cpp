#include "ui/common/ChangesSummary.h"

#include "archive/NativeName.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace ChangesSummary {

namespace {

// A message box's unfolded part is read, not searched: beyond this many paths a list says how many more.
constexpr qsizetype kPathsShown = 1000;

void appendList(QStringList& lines, const QString& heading, const QStringList& list)
{
    if (list.isEmpty())
        return;
    lines << heading;
    const qsizetype shown = std::min(list.size(), kPathsShown);
    for (qsizetype i = 0; i < shown; ++i)
        lines << u"    "_s + NativeFs::readableName(list.at(i));
    if (list.size() > shown)
        lines << u"    ……另有 %1 个"_s.arg(list.size() - shown);
}

} // namespace

QString counts(const PackageChanges::Changes& changes)
{
    return u"新增 %1 个文件，修改 %2 个，删除 %3 个"_s.arg(changes.added.size())
        .arg(changes.changed.size())
        .arg(changes.removed.size());
}

QString paths(const PackageChanges::Changes& changes)
{
    QStringList lines;
    appendList(lines, u"新增："_s, changes.added);
    appendList(lines, u"修改："_s, changes.changed);
    appendList(lines, u"删除："_s, changes.removed);
    return lines.join(u'\n');
}

Prompt::Detail ofWork(const PackageChanges::Comparison& comparison, bool updating, bool packed)
{
    if (comparison.outcome != PackageChanges::Outcome::Compared)
        return {u"无法比较工作目录与项目文件包。"_s, {}};
    if (comparison.changes.isEmpty()) {
        if (!updating)
            return {u"工作目录没有变化"_s, {}};
        // What 是 will do instead of storing: the work goes as after an update.
        return {packed ? u"工作没有变化，更新不会保存新的版本，只删除这个未存入的项目文件包。"_s
                       : u"工作目录没有变化，更新不会保存新的版本，只删除工作目录。"_s,
                {}};
    }
    return {counts(comparison.changes), paths(comparison.changes)};
}

} // namespace ChangesSummary
