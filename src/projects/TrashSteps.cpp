#include "projects/TrashSteps.h"

#include "app/AppDir.h"
#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/FileMoves.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectTrash.h"
#include "projects/WriteSteps.h"
#include "store/DataFolder.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

namespace TrashSteps {

namespace {

const QString kJournalPrefix = u".restoring-"_s;
const QString kJournalSuffix = u".json"_s;

QString dataFolder()
{
    return DataFolder::path();
}

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

void syncIfFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        DurableFile::syncFolder(folder);
}

// An entry without a record that holds earlier packages but no package (they were all the start found of a number
// that had neither project nor package): its newest earlier package becomes its package, so 还原 puts something in
// the data folder that the earlier packages belong to.
void giveNewestAsPackage(const QString& batchFolder, int key)
{
    const QString kept = TrashBatch::packageOf(batchFolder, key);
    const QString history = TrashBatch::historyOf(batchFolder, key);
    if (isFile(kept) || !FileSystem::isRealFolder(history))
        return;
    QStringList names = QDir(history).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    names.removeIf([&](const QString& name) { return !PackageHistory::parseVersion(history + u'/' + name); });
    if (names.isEmpty())
        return;
    if (DurableFile::replace(history + u'/' + names.last(), kept)) {
        DurableFile::syncFolder(history);
        DurableFile::syncFolder(batchFolder);
    }
}

} // namespace

QString storedPackageOf(const QString& number)
{
    return TableSchemas::hasPackageFile(number) ? ProjectCatalogue::packagePath(number) : QString();
}

bool makePending(const QString& pending, const QList<Item>& items)
{
    const bool made = !QFileInfo::exists(ProjectTrash::folder());
    if (!QDir().mkpath(ProjectTrash::folder()))
        return false;
    if (made)
        DurableFile::syncFolder(dataFolder());
    WriteSteps::next();
    if (!QDir().mkdir(pending))
        return false;
    WriteSteps::next();
    // The batch's own name must be on disk with its records before the table changes, or a power cut could take
    // the deleted records with it.
    if (TrashBatch::write(pending, items) && DurableFile::syncFolder(ProjectTrash::folder()))
        return true;
    FileSystem::removeDirectory(pending);
    return false;
}

bool bringIn(const QString& pending, const Item& item)
{
    const QString& number = item.project.number;
    const QString stored = storedPackageOf(number);
    if (stored.isEmpty())
        return true;
    const QString kept = TrashBatch::packageOf(pending, item.key);
    bool brought = true;
    if (item.withPackage && isFile(stored) && !present(kept)) {
        WriteSteps::next();
        std::error_code error;
        std::filesystem::create_hard_link(std::filesystem::path(stored.toStdU16String()),
                                          std::filesystem::path(kept.toStdU16String()), error);
        // A trash on another disk gets a complete copy now; a disk without links gets the package renamed in once
        // its record is gone.
        if (error && !FileMoves::sameDisk(stored, pending))
            brought = FileSystem::copyFile(stored, kept);
    }
    const QString history = PackageHistory::folderOf(number);
    if (FileSystem::isRealFolder(history)) {
        WriteSteps::next();
        // What a move to another disk has not taken yet follows once the record is gone.
        FileMoves::mergeFolder(history, TrashBatch::historyOf(pending, item.key), &PackageHistory::laterName);
    }
    return brought;
}

void syncAfterBringingIn(const QString& pending)
{
    DurableFile::syncFolder(pending);
    syncIfFolder(PackageHistory::rootFolder());
}

bool finishDeleting(const QString& pending, const QList<Item>& items, const Done& done)
{
    bool all = true;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item& item = items.at(i);
        const QString stored = storedPackageOf(item.project.number);
        const QString kept = TrashBatch::packageOf(pending, item.key);
        if (item.withPackage && isFile(stored)) {
            WriteSteps::next();
            if (isFile(kept))
                all = (!FileMoves::sameBytes(stored, kept) || QFile::remove(stored)) && all;
            else
                all = FileMoves::moveFile(stored, kept) && all;
        }
        // Earlier packages a move to another disk had not taken yet.
        const QString history = stored.isEmpty() ? QString() : PackageHistory::folderOf(item.project.number);
        if (FileSystem::isRealFolder(history)) {
            WriteSteps::next();
            all =
                FileMoves::mergeFolder(history, TrashBatch::historyOf(pending, item.key), &PackageHistory::laterName) &&
                all;
        }
        if (!item.hasRecord)
            giveNewestAsPackage(pending, item.key);
        if (done)
            done(i + 1);
    }
    DurableFile::syncFolder(dataFolder());
    syncAfterBringingIn(pending);
    // The records are in the batch alone now, so it takes its name whatever could not be cleared from the data
    // folder: a package left there too is the same bytes, earlier packages left there the start brings in.
    WriteSteps::next();
    const QString name = QFileInfo(pending).fileName().mid(TrashBatch::deletingPrefix().size());
    return !present(TrashBatch::pathOf(name)) && QDir().rename(pending, TrashBatch::pathOf(name)) &&
           DurableFile::syncFolder(ProjectTrash::folder()) && all;
}

bool returnItems(const QString& pending, const QList<Item>& items)
{
    bool all = true;
    for (const Item& item : items) {
        const QString& number = item.project.number;
        const QString stored = storedPackageOf(number);
        const QString kept = TrashBatch::packageOf(pending, item.key);
        if (isFile(kept) && !stored.isEmpty()) {
            WriteSteps::next();
            if (!present(stored))
                all = FileMoves::moveFile(kept, stored) && all;
            else if (FileMoves::sameBytes(stored, kept))
                all = QFile::remove(kept) && all;
            else // two different packages: the one the trash held becomes an earlier package, neither is lost
                all = PackageHistory::adopt(kept, number, PackageHistory::Cause::Undelete, item.project.packageType,
                                            item.project.version) &&
                      all;
        }
        const QString history = TrashBatch::historyOf(pending, item.key);
        if (FileSystem::isRealFolder(history)) {
            WriteSteps::next();
            all = PackageHistory::adoptVersions(history, number) && all;
        }
    }
    DurableFile::syncFolder(dataFolder());
    return all;
}

bool undoDeleting(const QString& pending, const QList<Item>& items)
{
    if (!returnItems(pending, items))
        return false;
    WriteSteps::next();
    return FileSystem::removeDirectory(pending) && DurableFile::syncFolder(ProjectTrash::folder());
}

QString writeJournal(const QList<Restoring>& items)
{
    QJsonArray list;
    for (const Restoring& item : items) {
        list.append(QJsonObject{{u"batch"_s, item.batch},
                                {u"key"_s, item.key},
                                {u"number"_s, item.number},
                                {u"record"_s, item.hasRecord},
                                {u"packageToHistory"_s, item.packageToHistory},
                                {u"packageType"_s, item.packageType},
                                {u"versionText"_s, item.versionText}});
    }
    QString journal;
    for (int serial = 1; journal.isEmpty() || present(journal); ++serial) {
        journal = ProjectTrash::folder() + u'/' + kJournalPrefix + Clock::now().toString(u"yyyyMMddHHmmsszzz"_s) +
                  u'-' + QString::number(serial) + kJournalSuffix;
    }
    WriteSteps::next();
    if (!DurableFile::write(journal, QJsonDocument(QJsonObject{{u"items"_s, list}}).toJson()))
        return {};
    return journal;
}

std::optional<QList<Restoring>> readJournal(const QString& journal)
{
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return std::nullopt;
    QList<Restoring> items;
    for (const QJsonValue& value : document.object().value(u"items"_s).toArray()) {
        const QJsonObject o = value.toObject();
        Restoring item{o.value(u"batch"_s).toString(),          o.value(u"key"_s).toInt(-1),
                       o.value(u"number"_s).toString(),         o.value(u"record"_s).toBool(true),
                       o.value(u"packageToHistory"_s).toBool(), o.value(u"packageType"_s).toString(),
                       o.value(u"versionText"_s).toString()};
        QString name;
        int key = -1;
        if (!TrashBatch::parseId(TrashBatch::idOf(item.batch, item.key), name, key) || item.batch.contains(u'/'))
            return std::nullopt;
        items.append(item);
    }
    return items;
}

QStringList journals()
{
    const QDir trash(ProjectTrash::folder());
    QStringList found;
    for (const QString& name : trash.entryList({kJournalPrefix + u'*'}, QDir::Files | QDir::Hidden, QDir::Name)) {
        if (name.endsWith(kJournalSuffix))
            found.append(trash.filePath(name));
        else if (name.contains(kJournalSuffix + u".tmp-"_s))
            QFile::remove(trash.filePath(name)); // a journal whose writing a kill cut off: nothing was done after it
    }
    return found;
}

bool finishRestoring(const QString& journal, const QList<Restoring>& items, const Done& done)
{
    bool all = true;
    QHash<QString, QSet<int>> keysOf;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Restoring& item = items.at(i);
        const QString folder = TrashBatch::pathOf(item.batch);
        const QString kept = TrashBatch::packageOf(folder, item.key);
        if (isFile(kept)) {
            const QString stored = storedPackageOf(item.number);
            WriteSteps::next();
            if (item.packageToHistory)
                all = PackageHistory::adopt(kept, item.number, PackageHistory::Cause::UpdateBack, item.packageType,
                                            item.versionText) &&
                      all;
            else
                all = !stored.isEmpty() && FileMoves::moveFile(kept, stored) && all;
        }
        const QString history = TrashBatch::historyOf(folder, item.key);
        if (FileSystem::isRealFolder(history)) {
            WriteSteps::next();
            all = PackageHistory::adoptVersions(history, item.number, false) && all;
        }
        keysOf[item.batch].insert(item.key);
        if (done)
            done(i + 1);
    }
    DurableFile::syncFolder(dataFolder());
    syncIfFolder(PackageHistory::rootFolder());
    for (auto it = keysOf.cbegin(); it != keysOf.cend(); ++it)
        syncIfFolder(TrashBatch::pathOf(it.key()));
    if (!all)
        return false;
    QStringList removing;
    for (auto it = keysOf.cbegin(); it != keysOf.cend(); ++it)
        all = dropKeys(it.key(), it.value(), removing) && all;
    DurableFile::syncFolder(ProjectTrash::folder());
    if (!all)
        return false;
    WriteSteps::next();
    if (!QFile::remove(journal))
        return false;
    DurableFile::syncFolder(ProjectTrash::folder());
    removeAll(removing);
    return true;
}

bool dropKeys(const QString& name, const QSet<int>& keys, QStringList& removing)
{
    const QString folder = TrashBatch::pathOf(name);
    if (!FileSystem::isRealFolder(folder))
        return true;
    const std::optional<QList<Item>> items = TrashBatch::read(folder);
    if (!items)
        return false;
    QList<Item> remaining = *items;
    remaining.removeIf([&keys](const Item& item) { return keys.contains(item.key); });
    WriteSteps::next();
    if (remaining.isEmpty()) {
        // Renamed first, so a batch cut off while its files go is never seen again half removed.
        const QString aside = TrashBatch::pathOf(TrashBatch::removingPrefix() + name);
        if (present(aside) || !QDir().rename(folder, aside))
            return false;
        removing.append(aside);
        return true;
    }
    // The keys' files are renamed aside first, with a mark for each key, and only then the records written without
    // them: a start that finds the marks finishes taking them out, so no entry is ever listed without its files,
    // and no file is left in the batch that no entry lists. Freeing their bytes is done where progress is shown.
    QString aside;
    for (int serial = 1; aside.isEmpty() || present(aside); ++serial)
        aside = TrashBatch::pathOf(TrashBatch::droppingPrefix() + name + u'~' + QString::number(serial));
    if (!QDir().mkdir(aside))
        return false;
    for (int key : keys) {
        QFile mark(aside + u'/' + QString::number(key) + u".key"_s);
        if (!mark.open(QIODevice::WriteOnly))
            return false;
        for (const QString& file : {TrashBatch::packageOf(folder, key), TrashBatch::historyOf(folder, key)}) {
            if (present(file) && !QDir().rename(file, aside + u'/' + QFileInfo(file).fileName()))
                return false;
        }
    }
    DurableFile::syncFolder(aside);
    DurableFile::syncFolder(folder);
    DurableFile::syncFolder(ProjectTrash::folder());
    WriteSteps::next();
    if (remaining.size() != items->size() && !TrashBatch::write(folder, remaining))
        return false;
    removing.append(aside);
    return true;
}

bool finishDropping(const QString& aside)
{
    const QString name = QFileInfo(aside).fileName().mid(TrashBatch::droppingPrefix().size()).section(u'~', 0, 0);
    const QString folder = TrashBatch::pathOf(name);
    if (FileSystem::isRealFolder(folder)) {
        QSet<int> keys;
        for (const QString& mark : QDir(aside).entryList({u"*.key"_s}, QDir::Files))
            keys.insert(mark.chopped(4).toInt());
        // A key marked before its files were renamed aside still has them in the batch.
        for (int key : std::as_const(keys)) {
            for (const QString& file : {TrashBatch::packageOf(folder, key), TrashBatch::historyOf(folder, key)}) {
                if (present(file))
                    QDir().rename(file, aside + u'/' + QFileInfo(file).fileName());
            }
        }
        const std::optional<QList<Item>> items = TrashBatch::read(folder);
        if (!items)
            return false;
        QList<Item> remaining = *items;
        remaining.removeIf([&keys](const Item& item) { return keys.contains(item.key); });
        if (remaining.size() != items->size() &&
            !(remaining.isEmpty() ? QDir().rename(folder, TrashBatch::pathOf(TrashBatch::removingPrefix() + name))
                                  : TrashBatch::write(folder, remaining)))
            return false;
    }
    return FileSystem::removeDirectory(aside);
}

void removeAll(const QStringList& removing, const std::function<void(qint64, qint64)>& progress)
{
    QList<QStringList> contents;
    qint64 total = 0;
    for (const QString& folder : removing) {
        contents.append(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        total += contents.last().size();
    }
    qint64 done = 0;
    for (qsizetype i = 0; i < removing.size(); ++i) {
        WriteSteps::next();
        for (const QString& name : contents.at(i)) {
            const QString path = removing.at(i) + u'/' + name;
            if (FileSystem::isRealFolder(path))
                FileSystem::removeDirectory(path);
            else
                QFile::remove(path);
            if (progress)
                progress(++done, total);
        }
        FileSystem::removeDirectory(removing.at(i));
    }
}

} // namespace TrashSteps
