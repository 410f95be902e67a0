#include "projects/ProjectTrash.h"

#include "app/AppDir.h"
#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/FileMoves.h"
#include "projects/ProjectNumber.h"
#include "projects/TrashSteps.h"
#include "projects/WriteSteps.h"
#include "store/CatalogueNotice.h"
#include "store/DataFolder.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;
using TrashBatch::Item;

namespace ProjectTrash {

namespace {

bool isFile(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && !info.isSymLink();
}

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Reports whole items done of a command's total.
TrashSteps::Done reporter(const Progress& progress, qint64 offset, qint64 total)
{
    if (!progress)
        return {};
    return [progress, offset, total](qsizetype done) { progress(offset + done, total); };
}

// The entry an id names, with the batch it lies in.
struct Located
{
    QString batch;
    Item item;
};

class Batches
{
public:
    std::optional<Located> find(const QString& id)
    {
        QString name;
        int key = -1;
        if (!TrashBatch::parseId(id, name, key))
            return std::nullopt;
        auto it = m_read.find(name);
        if (it == m_read.end())
            it = m_read.insert(name, TrashBatch::read(TrashBatch::pathOf(name)).value_or(QList<Item>()));
        for (const Item& item : std::as_const(it.value())) {
            if (item.key == key)
                return Located{name, item};
        }
        return std::nullopt;
    }

private:
    QHash<QString, QList<Item>> m_read;
};

struct Planned
{
    qsizetype request = 0;
    TrashSteps::Restoring restoring;
    ProjectRecord record; // appended when the entry has one
};

enum class Committed { Done, NotWritten, DatabaseError, Unfinished };

// The journal, then the records in one transaction, then the packages: a kill before the records leaves every entry
// in the trash, one after them leaves the start to finish the moves.
Committed commitRestore(const QList<Planned>& planned, const Progress& progress)
{
    QList<TrashSteps::Restoring> items;
    QList<QVariantList> records;
    for (const Planned& p : planned) {
        items.append(p.restoring);
        if (p.restoring.hasRecord)
            records.append(p.record.toValues());
    }
    const QString journal = TrashSteps::writeJournal(items);
    if (journal.isEmpty())
        return Committed::NotWritten;
    if (!records.isEmpty()) {
        ProjectTable projects;
        WriteSteps::next();
        if (!projects.open() || !projects.appendRecords(records)) {
            QFile::remove(journal);
            DurableFile::syncFolder(folder());
            return Committed::DatabaseError;
        }
    }
    if (progress)
        progress(0, planned.size());
    return TrashSteps::finishRestoring(journal, items, reporter(progress, 0, planned.size())) ? Committed::Done
                                                                                              : Committed::Unfinished;
}

} // namespace

QString folder()
{
    return DataFolder::trashRoot();
}

int moveIn(const QList<int>& recordNumbers, bool withPackages, const Progress& progress)
{
    ProjectTable projects;
    if (!projects.open())
        return kMoveFailed;
    QList<int> records;
    QSet<int> seen;
    QList<Item> items;
    const QDateTime now = Clock::now();
    for (int recordNumber : recordNumbers) {
        if (seen.contains(recordNumber) || !projects.goTo(recordNumber))
            continue;
        seen.insert(recordNumber);
        records.append(recordNumber);
        Item item;
        item.key = int(items.size());
        item.project = projects.readProject();
        item.deleted = now;
        item.withPackage = withPackages && isFile(TrashSteps::storedPackageOf(item.project.number));
        items.append(item);
    }
    if (items.isEmpty())
        return 0;

    const qint64 total = 2 * items.size();
    const QString name = TrashBatch::freeName(now);
    const QString pending = TrashBatch::pathOf(TrashBatch::deletingPrefix() + name);
    if (!TrashSteps::makePending(pending, items))
        return kMoveFailed;
    bool brought = true;
    for (qsizetype i = 0; i < items.size() && brought; ++i) {
        brought = TrashSteps::bringIn(pending, items.at(i));
        if (progress)
            progress(i + 1, total);
    }
    TrashSteps::syncAfterBringingIn(pending);
    WriteSteps::next();
    if (!brought || !projects.deleteRecords(records)) {
        TrashSteps::undoDeleting(pending, items);
        return kMoveFailed;
    }
    projects.close();
    // What cannot be finished now is finished at the next start.
    TrashSteps::finishDeleting(pending, items, reporter(progress, items.size(), total));
    return int(items.size());
}

QStringList moveOrphansIn(const QStringList& numbers)
{
    QStringList failed;
    QHash<QString, Entry> entryOf; // the newest entry of each number
    for (const Entry& entry : entries()) {
        if (!entryOf.contains(entry.project.number))
            entryOf.insert(entry.project.number, entry);
    }
    const QDateTime now = Clock::now();
    QList<Item> items;
    QSet<QString> folders;
    for (const QString& number : numbers) {
        const QString stored = TrashSteps::storedPackageOf(number);
        if (!isFile(stored)) {
            failed.append(number);
            continue;
        }
        const auto entry = entryOf.constFind(number);
        if (entry == entryOf.constEnd()) {
            if (std::none_of(items.cbegin(), items.cend(), [&](const Item& i) { return i.project.number == number; })) {
                Item item;
                item.key = int(items.size());
                item.project.number = number;
                item.deleted = now;
                item.withPackage = true;
                item.hasRecord = false;
                items.append(item);
            }
            continue;
        }
        // The entry of the same number: the project whose package this was, or an earlier orphan of the number.
        QString name;
        int key = 0;
        TrashBatch::parseId(entry->id, name, key);
        const QString batch = TrashBatch::pathOf(name);
        const QString kept = TrashBatch::packageOf(batch, key);
        bool moved = false;
        WriteSteps::next();
        if (!present(kept)) {
            moved = FileMoves::moveFile(stored, kept);
        } else if (FileMoves::sameBytes(stored, kept)) {
            moved = QFile::remove(stored); // the entry holds these very bytes already
        } else {
            const QString version = PackageHistory::keepFileInto(stored, TrashBatch::historyOf(batch, key),
                                                                 PackageHistory::Cause::Check, QString(), QString());
            moved = !version.isEmpty() && QFile::remove(stored);
        }
        const QString history = PackageHistory::folderOf(number);
        if (moved && FileSystem::isRealFolder(history)) {
            WriteSteps::next();
            FileMoves::mergeFolder(history, TrashBatch::historyOf(batch, key), &PackageHistory::laterName);
        }
        folders.insert(batch);
        if (!moved)
            failed.append(number);
    }
    for (const QString& batch : std::as_const(folders))
        DurableFile::syncFolder(batch);
    DurableFile::syncFolder(DataFolder::path());

    if (!items.isEmpty()) {
        const QString pending = TrashBatch::pathOf(TrashBatch::deletingPrefix() + TrashBatch::freeName(now));
        if (!TrashSteps::makePending(pending, items)) {
            for (const Item& item : std::as_const(items))
                failed.append(item.project.number);
            return failed;
        }
        // No record has to go first: the packages move in at once, and a run ended midway is finished at the start.
        TrashSteps::finishDeleting(pending, items);
        for (const Item& item : std::as_const(items)) {
            if (isFile(TrashSteps::storedPackageOf(item.project.number)))
                failed.append(item.project.number);
        }
    }
    return failed;
}

bool moveOrphanIn(const QString& number)
{
    return moveOrphansIn({number}).isEmpty();
}

QList<Entry> entries()
{
    QList<Entry> list;
    const QStringList names = TrashBatch::names();
    for (const QString& name : names) {
        const QString batch = TrashBatch::pathOf(name);
        const std::optional<QList<Item>> items = TrashBatch::read(batch);
        if (!items)
            continue;
        const QStringList files = QDir(batch).entryList(QDir::Files | QDir::Hidden);
        const QSet<QString> present(files.cbegin(), files.cend());
        for (const Item& item : *items) {
            const QString package = TrashBatch::packageOf(batch, item.key);
            const bool withPackage = present.contains(QFileInfo(package).fileName());
            list.append({TrashBatch::idOf(name, item.key), item.project, item.deleted, withPackage, item.hasRecord,
                         withPackage ? package : QString()});
        }
    }
    std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) { return a.deleted > b.deleted; });
    return list;
}

QList<RestoreOutcome> restore(const QList<RestoreRequest>& requests, const Progress& progress)
{
    const CatalogueNotice::Hold oneNotice; // the list is filled once, after the last write
    QList<RestoreOutcome> outcomes(requests.size(), RestoreOutcome::Gone);
    QSet<QString> catalogue;
    {
        ProjectTable projects;
        if (!projects.open()) {
            outcomes.fill(RestoreOutcome::DatabaseError);
            return outcomes;
        }
        for (const QVariant& number : projects.readColumn(ProjectField::Number))
            catalogue.insert(number.toString());
    }
    Batches batches;
    QSet<QString> taken;
    QList<Planned> planned;
    QList<std::pair<qsizetype, Located>> joining;
    for (qsizetype i = 0; i < requests.size(); ++i) {
        const std::optional<Located> found = batches.find(requests.at(i).id);
        if (!found)
            continue;
        const Item& item = found->item;
        const QString number = requests.at(i).number.isEmpty() ? item.project.number : requests.at(i).number;
        // Checked as 新建项目 checks a number: a record damaged by hand ("../P1") must not take a package elsewhere.
        if (item.hasRecord ? !ProjectNumber::isValid(number) : !TableSchemas::hasPackageFile(number)) {
            outcomes[i] = RestoreOutcome::InvalidNumber;
            continue;
        }
        if (!item.hasRecord && catalogue.contains(number) && requests.at(i).number.isEmpty()) {
            joining.append({i, *found});
            continue;
        }
        if (catalogue.contains(number) || taken.contains(number)) {
            outcomes[i] = RestoreOutcome::NumberTaken;
            continue;
        }
        const QString batch = TrashBatch::pathOf(found->batch);
        const QString stored = TrashSteps::storedPackageOf(number);
        if (isFile(TrashBatch::packageOf(batch, item.key)) && present(stored)) {
            WriteSteps::next();
            if (!PackageHistory::keepCurrent(number, PackageHistory::Cause::Undelete,
                                             TrashBatch::packageOf(batch, item.key))) {
                outcomes[i] = RestoreOutcome::HistoryRefused;
                continue;
            }
        }
        taken.insert(number);
        ProjectRecord record = item.project;
        record.number = number;
        planned.append({i, {found->batch, item.key, number, item.hasRecord, false, {}, {}}, record});
    }

    if (!planned.isEmpty()) {
        RestoreOutcome result = RestoreOutcome::Restored;
        switch (commitRestore(planned, progress)) {
        case Committed::Done:
            break;
        case Committed::NotWritten:
        case Committed::DatabaseError:
            result = RestoreOutcome::DatabaseError;
            break;
        case Committed::Unfinished:
            result = RestoreOutcome::Failed;
            break;
        }
        for (const Planned& p : std::as_const(planned))
            outcomes[p.request] = result;
    }
    // A package without a project whose number is a project's again belongs to that project's history.
    QStringList removing;
    for (const auto& [request, located] : std::as_const(joining)) {
        const QString batch = TrashBatch::pathOf(located.batch);
        const QString number = located.item.project.number;
        WriteSteps::next();
        const bool joined =
            (!isFile(TrashBatch::packageOf(batch, located.item.key)) ||
             PackageHistory::adopt(TrashBatch::packageOf(batch, located.item.key), number,
                                   PackageHistory::Cause::Undelete, QString(), located.item.project.version)) &&
            PackageHistory::adoptVersions(TrashBatch::historyOf(batch, located.item.key), number) &&
            TrashSteps::dropKeys(located.batch, {located.item.key}, removing);
        outcomes[request] = joined ? RestoreOutcome::Restored : RestoreOutcome::Failed;
    }
    DurableFile::syncFolder(folder());
    TrashSteps::removeAll(removing);
    return outcomes;
}

RestoreOutcome restore(const QString& id, const QString& number)
{
    return restore(QList<RestoreRequest>{{id, number}}).constFirst();
}

bool purge(const QStringList& ids, const Progress& progress)
{
    QHash<QString, QSet<int>> keysOf;
    for (const QString& id : ids) {
        QString name;
        int key = -1;
        if (TrashBatch::parseId(id, name, key))
            keysOf[name].insert(key);
    }
    bool all = true;
    QStringList removing;
    for (auto it = keysOf.cbegin(); it != keysOf.cend(); ++it)
        all = TrashSteps::dropKeys(it.key(), it.value(), removing) && all;
    DurableFile::syncFolder(folder());
    // The entries are gone from the trash now; freeing their bytes is the long part.
    TrashSteps::removeAll(removing, progress);
    return all;
}

bool empty(const Progress& progress)
{
    // Every batch goes whole, also one whose records cannot be read: the user asked for the trash to be empty.
    const QStringList names = TrashBatch::names();
    bool all = true;
    QStringList removing;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString aside = TrashBatch::pathOf(TrashBatch::removingPrefix() + names.at(i));
        WriteSteps::next();
        if (!present(aside) && QDir().rename(TrashBatch::pathOf(names.at(i)), aside))
            removing.append(aside);
        else
            all = false;
    }
    DurableFile::syncFolder(folder());
    TrashSteps::removeAll(removing, progress);
    return all;
}

TakeBackOutcome takeBack(const QString& number, const QDateTime& now, const QString& packageType)
{
    const QList<Entry> list = entries();
    const auto entry = std::find_if(list.cbegin(), list.cend(), [&](const Entry& e) {
        return e.hasRecord && e.project.number == number && ProjectNumber::isValid(number);
    });
    if (entry == list.cend())
        return TakeBackOutcome::NotInTrash;
    QString name;
    int key = 0;
    TrashBatch::parseId(entry->id, name, key);
    ProjectRecord record = entry->project;
    record.lastUpdate = now;
    record.packageType = packageType;
    // The stored package holds the work now: the package the work was executed from, and the earlier ones, become
    // its history, in the same journalled step that brings the record back.
    switch (commitRestore(
        {{0, {name, key, number, true, true, entry->project.packageType, entry->project.version}, record}}, {})) {
    case Committed::Done:
    case Committed::Unfinished:
        return TakeBackOutcome::TakenBack;
    case Committed::NotWritten:
    case Committed::DatabaseError:
        break;
    }
    return TakeBackOutcome::DatabaseError;
}

void setBeforeEachStep(std::function<void()> hook)
{
    WriteSteps::setBeforeEach(std::move(hook));
}

} // namespace ProjectTrash
