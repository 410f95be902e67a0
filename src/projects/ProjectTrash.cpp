#include "projects/ProjectTrash.h"

#include "app/AppDir.h"
#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kRecordFile = u"project.json"_s;
const QString kPackageFile = u"package.fd1"_s;
// The names an entry has while it is on its way; entries() sees none of them.
const QString kDeleting = u".deleting-"_s;
const QString kRestoring = u".restoring-"_s;
const QString kRemoving = u".removing-"_s;

std::function<void()>& beforeEachStep()
{
    static std::function<void()> hook;
    return hook;
}

void step()
{
    if (beforeEachStep())
        beforeEachStep()();
}

QString dataFolder()
{
    return AppDir::filePath(TableSchemas::dataFolderName());
}

QString entryPath(const QString& name)
{
    return ProjectTrash::folder() + u'/' + name;
}

// Where the project's package is stored; empty for a number that names no package file.
QString storedPackageOf(const QString& number)
{
    return TableSchemas::hasPackageFile(number) ? ProjectCatalogue::packagePath(number) : QString();
}

bool isFile(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && !info.isSymLink();
}

QString dateTimeText(const QDateTime& value)
{
    return value.isValid() ? value.toString(Qt::ISODateWithMs) : QString();
}

QDateTime dateTimeOf(const QJsonValue& value)
{
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

struct Record
{
    ProjectRecord project;
    QDateTime deleted;
    bool withPackage = false; // the package was meant to come along
    bool hasRecord = true;    // false: a package 检查数据 found without a project
};

QByteArray toJson(const Record& r)
{
    const ProjectRecord& p = r.project;
    const QJsonObject o{
        {u"number"_s, p.number},
        {u"name"_s, p.name},
        {u"type"_s, p.type},
        {u"version"_s, p.version},
        {u"startTime"_s, dateTimeText(p.startTime)},
        {u"lastUpdate"_s, dateTimeText(p.lastUpdate)},
        {u"relatedProjects"_s, p.relatedProjects},
        {u"reserved8"_s, p.reserved8},
        {u"packageType"_s, p.packageType},
        {u"upgradeHistory"_s, p.upgradeHistory},
        {u"bugReport"_s, p.bugReport},
        {u"reserved12"_s, p.reserved12},
        {u"notes"_s, p.notes},
        {u"designPlan"_s, p.designPlan},
        {u"deleted"_s, dateTimeText(r.deleted)},
        {u"package"_s, r.withPackage},
        {u"record"_s, r.hasRecord},
    };
    return QJsonDocument(o).toJson();
}

std::optional<Record> readRecord(const QString& entryFolder)
{
    QFile file(entryFolder + u'/' + kRecordFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject() || !document.object().value(u"number"_s).isString())
        return std::nullopt;
    const QJsonObject o = document.object();
    Record r;
    ProjectRecord& p = r.project;
    p.number = o.value(u"number"_s).toString();
    p.name = o.value(u"name"_s).toString();
    p.type = o.value(u"type"_s).toInt();
    p.version = o.value(u"version"_s).toString();
    p.startTime = dateTimeOf(o.value(u"startTime"_s));
    p.lastUpdate = dateTimeOf(o.value(u"lastUpdate"_s));
    p.relatedProjects = o.value(u"relatedProjects"_s).toString();
    p.reserved8 = o.value(u"reserved8"_s).toString();
    p.packageType = o.value(u"packageType"_s).toString();
    p.upgradeHistory = o.value(u"upgradeHistory"_s).toString();
    p.bugReport = o.value(u"bugReport"_s).toString();
    p.reserved12 = o.value(u"reserved12"_s).toString();
    p.notes = o.value(u"notes"_s).toString();
    p.designPlan = o.value(u"designPlan"_s).toString();
    r.deleted = dateTimeOf(o.value(u"deleted"_s));
    r.withPackage = o.value(u"package"_s).toBool();
    r.hasRecord = o.value(u"record"_s).toBool(true);
    return r;
}

bool renameFolder(const QString& from, const QString& to)
{
    return !QFileInfo::exists(to) && QDir().rename(from, to) && DurableFile::syncFolder(ProjectTrash::folder());
}

// An entry name for a project deleted at `when`, that no entry has in any of its states.
QString freeName(const QDateTime& when, int& serial)
{
    const QString stamp = when.toString(u"yyyyMMddHHmmsszzz"_s);
    for (;; ++serial) {
        const QString name = stamp + u'-' + QString::number(serial);
        const QStringList states{name, kDeleting + name, kRestoring + name, kRemoving + name};
        if (std::none_of(states.cbegin(), states.cend(),
                         [](const QString& state) { return QFileInfo::exists(entryPath(state)); }))
            return name;
    }
}

// The deleted record's package joins its entry: the data folder's name of a hard link goes, or the file itself
// is renamed in where the disk has no such links. Then the entry takes its own name.
bool finishDeleting(const QString& pendingName, const Record& record)
{
    const QString pending = entryPath(pendingName);
    const QString kept = pending + u'/' + kPackageFile;
    const QString stored = storedPackageOf(record.project.number);
    if (record.withPackage && isFile(stored)) {
        if (!isFile(kept)) {
            step();
            if (!DurableFile::replace(stored, kept) || !DurableFile::syncFolder(pending))
                return false;
            DurableFile::syncFolder(dataFolder());
        } else if (FileSystem::sameFile(stored, kept)) {
            step();
            if (!QFile::remove(stored) || !DurableFile::syncFolder(dataFolder()))
                return false;
        }
    }
    step();
    return renameFolder(pending, entryPath(pendingName.mid(kDeleting.size())));
}

// The record is still in the catalogue: the entry goes, and its package stays or goes back.
bool undoDeleting(const QString& pendingName, const QString& number)
{
    const QString pending = entryPath(pendingName);
    const QString kept = pending + u'/' + kPackageFile;
    const QString stored = storedPackageOf(number);
    if (isFile(kept) && !stored.isEmpty()) {
        if (!QFileInfo::exists(stored)) {
            if (!DurableFile::replace(kept, stored))
                return false;
            DurableFile::syncFolder(dataFolder());
        } else if (!FileSystem::sameFile(stored, kept)) {
            return false; // two different files: neither is thrown away
        }
    }
    return FileSystem::removeDirectory(pending) && DurableFile::syncFolder(ProjectTrash::folder());
}

// The record is back in the catalogue: its package goes back in place, the entry goes.
bool finishRestoring(const QString& pendingName, const QString& number)
{
    const QString pending = entryPath(pendingName);
    const QString kept = pending + u'/' + kPackageFile;
    const QString stored = storedPackageOf(number);
    if (isFile(kept) && !stored.isEmpty()) {
        step();
        if (!DurableFile::replace(kept, stored) || !DurableFile::syncFolder(dataFolder()))
            return false;
    }
    step();
    return FileSystem::removeDirectory(pending) && DurableFile::syncFolder(ProjectTrash::folder());
}

// The entry's folder under its pending name, holding the record; when the record cannot be written the folder
// goes again, as nothing of the project has moved into it yet.
bool makePending(const QString& name, const Record& record)
{
    step();
    if (!QDir().mkdir(entryPath(name)))
        return false;
    // The folder's own name must be on disk before the table is changed, or a power cut could leave the
    // record gone and its entry with it.
    if (DurableFile::write(entryPath(name) + u'/' + kRecordFile, toJson(record)) &&
        DurableFile::syncFolder(ProjectTrash::folder()))
        return true;
    FileSystem::removeDirectory(entryPath(name));
    return false;
}

// Renamed first, so an entry cut off while its files go is never seen again half removed.
bool removeEntry(const QString& name)
{
    const QString removing = entryPath(kRemoving + name);
    step();
    if (!renameFolder(entryPath(name), removing))
        return false;
    step();
    return FileSystem::removeDirectory(removing);
}

QStringList folderNames(const QString& prefix)
{
    QStringList names = QDir(ProjectTrash::folder()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    names.removeIf([&](const QString& name) {
        if (prefix.isEmpty())
            return name.startsWith(u'.');
        return !name.startsWith(prefix);
    });
    return names;
}

} // namespace

namespace ProjectTrash {

QString folder()
{
    return dataFolder() + u"/trash"_s;
}

int moveIn(const QList<int>& recordNumbers, bool withPackages)
{
    ProjectTable projects;
    if (!projects.open())
        return kMoveFailed;
    QList<int> records;
    QList<Record> moved;
    const QDateTime now = Clock::now();
    for (int recordNumber : recordNumbers) {
        if (!projects.goTo(recordNumber) || records.contains(recordNumber))
            continue;
        records.append(recordNumber);
        Record r{projects.readProject(), now, false};
        r.withPackage = withPackages && isFile(storedPackageOf(r.project.number));
        moved.append(r);
    }
    if (records.isEmpty())
        return 0;

    if (!QDir().mkpath(folder()) || !DurableFile::syncFolder(dataFolder()))
        return kMoveFailed;
    QStringList pendings;
    const auto undoAll = [&] {
        for (qsizetype i = 0; i < pendings.size(); ++i)
            undoDeleting(pendings.at(i), moved.at(i).project.number);
        return kMoveFailed;
    };
    int serial = 1;
    for (const Record& r : std::as_const(moved)) {
        const QString name = kDeleting + freeName(now, serial);
        if (!makePending(name, r))
            return undoAll();
        pendings.append(name);
        if (r.withPackage) {
            // Where the disk has no hard links the package is renamed in once its record is gone.
            step();
            DurableFile::keepAs(storedPackageOf(r.project.number), entryPath(name) + u'/' + kPackageFile);
        }
    }
    step();
    if (!projects.deleteRecords(records))
        return undoAll();
    projects.close();
    // An entry that cannot be finished now is finished at the next start.
    for (qsizetype i = 0; i < pendings.size(); ++i)
        finishDeleting(pendings.at(i), moved.at(i));
    return int(records.size());
}

bool moveOrphanIn(const QString& number)
{
    const QString stored = storedPackageOf(number);
    if (!isFile(stored) || !QDir().mkpath(folder()) || !DurableFile::syncFolder(dataFolder()))
        return false;
    Record r;
    r.project.number = number;
    r.deleted = Clock::now();
    r.withPackage = true;
    r.hasRecord = false;
    int serial = 1;
    const QString name = kDeleting + freeName(r.deleted, serial);
    if (!makePending(name, r))
        return false;
    // No record has to go first: the package moves in at once, and a run ended midway is finished at the start.
    return finishDeleting(name, r);
}

QList<Entry> entries()
{
    QList<Entry> list;
    const QStringList names = folderNames({});
    for (const QString& name : names) {
        const std::optional<Record> r = readRecord(entryPath(name));
        if (!r)
            continue;
        list.append({name, r->project, r->deleted, isFile(entryPath(name) + u'/' + kPackageFile), r->hasRecord});
    }
    std::stable_sort(list.begin(), list.end(), [](const Entry& a, const Entry& b) {
        return a.deleted != b.deleted ? a.deleted > b.deleted : a.id > b.id;
    });
    return list;
}

RestoreOutcome restore(const QString& id)
{
    if (id.isEmpty() || id.startsWith(u'.') || id.contains(u'/') || id.contains(u'\\'))
        return RestoreOutcome::Gone;
    const std::optional<Record> r = readRecord(entryPath(id));
    if (!r)
        return RestoreOutcome::Gone;
    ProjectTable projects;
    if (!projects.open())
        return RestoreOutcome::DatabaseError;
    if (projects.findProjectByNumber(r->project.number))
        return RestoreOutcome::NumberTaken;
    const QString stored = storedPackageOf(r->project.number);
    const bool withPackage = isFile(entryPath(id) + u'/' + kPackageFile);
    if (withPackage && !stored.isEmpty() && (QFileInfo::exists(stored) || QFileInfo(stored).isSymLink()) &&
        !PackageHistory::keepCurrent(r->project.number, PackageHistory::Cause::Undelete))
        return RestoreOutcome::HistoryRefused;

    const QString pendingName = kRestoring + id;
    step();
    if (!renameFolder(entryPath(id), entryPath(pendingName)))
        return RestoreOutcome::Failed;
    step();
    if (r->hasRecord && !projects.appendProject(r->project)) {
        renameFolder(entryPath(pendingName), entryPath(id));
        return RestoreOutcome::DatabaseError;
    }
    projects.close();
    return finishRestoring(pendingName, r->project.number) ? RestoreOutcome::Restored : RestoreOutcome::Failed;
}

bool empty()
{
    bool all = true;
    const QStringList names = folderNames({});
    for (const QString& name : names)
        all = removeEntry(name) && all;
    return all;
}

int expire(const QDateTime& now, int days)
{
    int removed = 0;
    const QList<Entry> list = entries();
    for (const Entry& entry : list) {
        if (entry.deleted.isValid() && entry.deleted.addDays(days) < now && removeEntry(entry.id))
            ++removed;
    }
    return removed;
}

void recover()
{
    const QStringList deleting = folderNames(kDeleting);
    const QStringList restoring = folderNames(kRestoring);
    for (const QString& name : folderNames(kRemoving))
        FileSystem::removeDirectory(entryPath(name));
    if (deleting.isEmpty() && restoring.isEmpty())
        return;

    QList<ProjectRecord> catalogue;
    {
        ProjectTable projects;
        if (!projects.open())
            return; // nothing can be judged; the next start tries again
        for (projects.goFirst(); !projects.pastLast(); projects.skip())
            catalogue.append(projects.readProject());
    }
    const auto hasNumber = [&](const QString& number) {
        return std::any_of(catalogue.cbegin(), catalogue.cend(),
                           [&](const ProjectRecord& p) { return p.number == number; });
    };

    for (const QString& name : deleting) {
        const std::optional<Record> r = readRecord(entryPath(name));
        if (!r) {
            // Cut off before its record was written: nothing of the project has moved yet.
            FileSystem::removeDirectory(entryPath(name));
        } else if (r->hasRecord && catalogue.contains(r->project)) {
            undoDeleting(name, r->project.number);
        } else {
            finishDeleting(name, *r);
        }
    }
    // The number was free when 还原 began, so a project with it is the one brought back; a package without a
    // project has no record to wait for.
    for (const QString& name : restoring) {
        const std::optional<Record> r = readRecord(entryPath(name));
        if (r && (!r->hasRecord || hasNumber(r->project.number)))
            finishRestoring(name, r->project.number);
        else
            renameFolder(entryPath(name), entryPath(name.mid(kRestoring.size())));
    }
}

void setBeforeEachStep(std::function<void()> hook)
{
    beforeEachStep() = std::move(hook);
}

} // namespace ProjectTrash
