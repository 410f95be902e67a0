// What the trash does on its own account: finishing at the start what a run left half done, taking in earlier
// packages that belong to no project, giving packages to a project whose number is back, and the expiry question.

#include "app/AppDir.h"
#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/FileMoves.h"
#include "projects/ProjectTrash.h"
#include "projects/TrashSteps.h"
#include "projects/WriteSteps.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;
using TrashBatch::Item;

namespace ProjectTrash {

namespace {

const QString kLastStart = u"last-start"_s;

bool isFile(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && !info.isSymLink();
}

QSet<QString> catalogueNumbers(bool& read)
{
    QSet<QString> numbers;
    ProjectTable projects;
    read = projects.open();
    for (const QVariant& number : projects.readColumn(ProjectField::Number))
        numbers.insert(number.toString());
    return numbers;
}

QList<ProjectRecord> catalogueRecords(bool& read)
{
    QList<ProjectRecord> records;
    ProjectTable projects;
    read = projects.open();
    for (projects.goFirst(); !projects.pastLast(); projects.skip())
        records.append(projects.readProject());
    return records;
}

// Folders an earlier version of the program made, one project each, become batches of one; a restore it left half
// done is finished or undone as its batch would be.
void adoptSingleEntries(const QList<ProjectRecord>* catalogue)
{
    const QString restoringPrefix = u".restoring-"_s;
    for (const QString& name : QDir(folder()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        const QString path = TrashBatch::pathOf(name);
        if (QFileInfo::exists(path + u"/project.json"_s) && !TrashBatch::adoptSingleEntry(path))
            continue;
        if (!name.startsWith(restoringPrefix) || !catalogue)
            continue;
        const std::optional<QList<Item>> items = TrashBatch::read(path);
        const QString own = name.mid(restoringPrefix.size());
        const bool back = items && !items->isEmpty() &&
                          std::any_of(catalogue->cbegin(), catalogue->cend(), [&](const ProjectRecord& p) {
                              return p.number == items->first().project.number;
                          });
        if (back && TrashSteps::returnItems(path, *items))
            FileSystem::removeDirectory(path);
        else if (!back && !QFileInfo::exists(TrashBatch::pathOf(own)))
            QDir().rename(path, TrashBatch::pathOf(own));
    }
}

void finishPendingBatches(const QStringList& pendings, const QList<ProjectRecord>& catalogue)
{
    for (const QString& name : pendings) {
        const QString pending = TrashBatch::pathOf(name);
        const std::optional<QList<Item>> items = TrashBatch::read(pending);
        if (!items) {
            // Cut off before its records were written: nothing of the projects has moved yet.
            FileSystem::removeDirectory(pending);
            continue;
        }
        // The records went in one transaction: one still in the catalogue was not deleted.
        QList<Item> kept;
        QList<Item> deleted;
        for (const Item& item : *items)
            (item.hasRecord && catalogue.contains(item.project) ? kept : deleted).append(item);
        if (deleted.isEmpty()) {
            TrashSteps::undoDeleting(pending, kept);
        } else if (kept.isEmpty() || (TrashSteps::returnItems(pending, kept) && TrashBatch::write(pending, deleted))) {
            TrashSteps::finishDeleting(pending, deleted);
        }
    }
}

void finishJournals(const QStringList& journals, const QSet<QString>& numbers)
{
    for (const QString& journal : journals) {
        const std::optional<QList<TrashSteps::Restoring>> items = TrashSteps::readJournal(journal);
        if (!items) {
            QFile::remove(journal); // no plan that can be followed: every entry is still in its batch
            continue;
        }
        // The records were appended in one transaction, under numbers that were free: any of them in the catalogue
        // means all are. Without records the written plan is the decision.
        bool withRecords = false;
        bool appended = false;
        for (const TrashSteps::Restoring& item : *items) {
            withRecords = withRecords || item.hasRecord;
            appended = appended || (item.hasRecord && numbers.contains(item.number));
        }
        if (appended || !withRecords)
            TrashSteps::finishRestoring(journal, *items);
        else if (QFile::remove(journal))
            DurableFile::syncFolder(folder());
    }
}

// Earlier packages of a number that has no project (what an older version left after emptying the trash, a backup
// made by one, or a command a kill cut off): no window would lead to them, and a project typed in later under the
// number would show another project's versions. They join the trash entry of their number; without one they make
// one, unless a package without a project lies under the number, whose earlier packages they then are (检查数据's
// 删除文件 takes both).
void takeInStrayHistories()
{
    const QDir root(PackageHistory::rootFolder());
    if (!root.exists())
        return;
    QStringList candidates;
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const QString number = name.chopped(TableSchemas::packageSuffix().size());
        if (TableSchemas::isPackageFileName(name) && TableSchemas::hasPackageFile(number))
            candidates.append(number);
    }
    if (candidates.isEmpty())
        return;
    bool read = false;
    const QSet<QString> numbers = catalogueNumbers(read);
    if (!read)
        return;
    candidates.removeIf([&](const QString& number) {
        if (numbers.contains(number))
            return true;
        // An empty folder is no one's history: it just goes.
        return QDir().rmdir(PackageHistory::folderOf(number));
    });
    if (candidates.isEmpty())
        return;

    QHash<QString, Entry> entryOf;
    for (const Entry& entry : entries()) {
        if (!entryOf.contains(entry.project.number))
            entryOf.insert(entry.project.number, entry);
    }
    const QDateTime now = Clock::now();
    QList<Item> items;
    for (const QString& number : std::as_const(candidates)) {
        const auto entry = entryOf.constFind(number);
        if (entry == entryOf.constEnd() && QFileInfo::exists(TrashSteps::storedPackageOf(number)))
            continue;
        if (entry != entryOf.constEnd()) {
            QString name;
            int key = 0;
            TrashBatch::parseId(entry->id, name, key);
            WriteSteps::next();
            FileMoves::mergeFolder(PackageHistory::folderOf(number),
                                   TrashBatch::historyOf(TrashBatch::pathOf(name), key), &PackageHistory::laterName);
            DurableFile::syncFolder(TrashBatch::pathOf(name));
            continue;
        }
        Item item;
        item.key = int(items.size());
        item.project.number = number;
        item.deleted = now;
        item.hasRecord = false;
        items.append(item);
    }
    DurableFile::syncFolder(PackageHistory::rootFolder());
    if (items.isEmpty())
        return;
    const QString pending = TrashBatch::pathOf(TrashBatch::deletingPrefix() + TrashBatch::freeName(now));
    if (TrashSteps::makePending(pending, items))
        TrashSteps::finishDeleting(pending, items);
}

} // namespace

void recover()
{
    const QStringList placed = PackageHistory::finishPlacing();
    if (QFileInfo(folder()).isDir()) {
        const QStringList pendings = TrashBatch::names(TrashBatch::deletingPrefix());
        const QStringList journals = TrashSteps::journals();
        const bool legacy = !QDir(folder()).entryList({u".restoring-*"_s}, QDir::Dirs | QDir::Hidden).isEmpty();
        std::optional<QList<ProjectRecord>> catalogue;
        if (!pendings.isEmpty() || !journals.isEmpty() || legacy) {
            bool read = false;
            catalogue = catalogueRecords(read);
            if (!read)
                catalogue.reset(); // nothing can be judged; the next start tries again
        }
        adoptSingleEntries(catalogue ? &*catalogue : nullptr);
        for (const QString& name : TrashBatch::names(TrashBatch::droppingPrefix()))
            TrashSteps::finishDropping(TrashBatch::pathOf(name));
        for (const QString& name : TrashBatch::names(TrashBatch::removingPrefix()))
            FileSystem::removeDirectory(TrashBatch::pathOf(name));
        if (catalogue) {
            finishPendingBatches(TrashBatch::names(TrashBatch::deletingPrefix()), *catalogue);
            QSet<QString> numbers;
            for (const ProjectRecord& p : std::as_const(*catalogue))
                numbers.insert(p.number);
            finishJournals(journals, numbers);
        }
    }
    takeInStrayHistories();
    if (!placed.isEmpty())
        joinCatalogue(PackageHistory::Cause::Create, placed);
    // A command that brought a number back (导入, 新建项目, update back) may have ended before the trash gave it
    // what it keeps of that number.
    joinCatalogue(PackageHistory::Cause::Undelete);
}

void joinCatalogue(PackageHistory::Cause cause, const QStringList& numbers)
{
    QList<Entry> list = entries();
    if (!numbers.isEmpty())
        list.removeIf([&numbers](const Entry& e) { return !numbers.contains(e.project.number); });
    if (list.isEmpty())
        return;
    QHash<QString, std::optional<ProjectRecord>> catalogue;
    {
        ProjectTable projects;
        if (!projects.open())
            return;
        for (const Entry& entry : std::as_const(list)) {
            if (!catalogue.contains(entry.project.number)) {
                catalogue.insert(entry.project.number, projects.findProjectByNumber(entry.project.number)
                                                           ? std::optional(projects.readProject())
                                                           : std::nullopt);
            }
        }
    }
    QHash<QString, QSet<int>> dropped;
    for (const Entry& entry : std::as_const(list)) {
        const std::optional<ProjectRecord>& project = catalogue.value(entry.project.number);
        if (!project)
            continue;
        QString name;
        int key = 0;
        TrashBatch::parseId(entry.id, name, key);
        const QString batch = TrashBatch::pathOf(name);
        const QString package = TrashBatch::packageOf(batch, key);
        bool given = true;
        if (isFile(package)) {
            WriteSteps::next();
            given = PackageHistory::adopt(package, entry.project.number, cause,
                                          entry.hasRecord ? entry.project.packageType : project->packageType,
                                          entry.hasRecord ? entry.project.version : QString());
        }
        WriteSteps::next();
        given = PackageHistory::adoptVersions(TrashBatch::historyOf(batch, key), entry.project.number) && given;
        // Its texts differ from the project's: they stay in the trash, where 还原 under another number finds them.
        if (given && (!entry.hasRecord || entry.project == *project))
            dropped[name].insert(key);
    }
    QStringList removing;
    for (auto it = dropped.cbegin(); it != dropped.cend(); ++it)
        TrashSteps::dropKeys(it.key(), it.value(), removing);
    DurableFile::syncFolder(folder());
    TrashSteps::removeAll(removing);
}

QStringList expiredAtStart(const QDateTime& now)
{
    if (!QFileInfo(folder()).isDir())
        return {};
    const QString mark = folder() + u'/' + kLastStart;
    QDateTime previous;
    {
        QFile file(mark);
        if (file.open(QIODevice::ReadOnly))
            previous = QDateTime::fromString(QString::fromUtf8(file.readAll()).trimmed(), Qt::ISODateWithMs);
    }
    DurableFile::write(mark, now.toString(Qt::ISODateWithMs).toUtf8());

    const QList<Entry> list = entries();
    if (list.isEmpty() || !previous.isValid())
        return {};
    const auto newest = std::max_element(list.cbegin(), list.cend(),
                                         [](const Entry& a, const Entry& b) { return a.deleted < b.deleted; });
    // A clock set back, or one that jumped far ahead since the last start, says nothing about how old an entry is.
    if (now < newest->deleted || now > previous.addDays(kKeptDays))
        return {};
    QStringList expired;
    for (const Entry& entry : list) {
        if (entry.deleted.isValid() && entry.deleted.addDays(kKeptDays) < now)
            expired.append(entry.id);
    }
    return expired;
}

} // namespace ProjectTrash
