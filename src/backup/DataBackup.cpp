#include "backup/DataBackup.h"

#include "app/AppDir.h"
#include "archive/ZipArchive.h"
#include "backup/RestoreTransaction.h"
#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectTrash.h"
#include "store/CatalogueNotice.h"
#include "store/DataFolder.h"
#include "store/DataFormat.h"
#include "store/RecordTable.h"
#include "store/TableFiles.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kUndoSetsKept = 3;

QString dataFolderPath()
{
    return DataFolder::path();
}

// The real data folder and the folder that holds it, where the stage, the journal and the undo sets live.
struct Home
{
    QString data;
    QString folder;

    QString stage() const { return folder + u"/data-restore"_s; }
    QString journal() const { return folder + u"/data-restore.journal"_s; }
    QString undoRoot() const { return folder + u"/data-before-restore"_s; }
};

Home home()
{
    const QFileInfo data(dataFolderPath());
    const QString real = data.exists() ? data.canonicalFilePath() : data.absoluteFilePath();
    return {real, QFileInfo(real).path()};
}

// The table file whose side file this is (its journal, the side files of another journal mode, the
// super-journal of a commit over a table and its companion), or an empty text for any other file.
QString tableOfSideFile(const QString& fileName)
{
    static const QRegularExpression sideFile(u"^(.+)-(?:journal|wal|shm|mj[0-9A-Fa-f]{8})$"_s);
    const QRegularExpressionMatch match = sideFile.match(fileName);
    if (!match.hasMatch())
        return {};
    for (const TableSchemas::Table& table : TableSchemas::tables()) {
        if (match.captured(1) == table.fileName || match.captured(1) == TableFiles::companionPath(table.fileName))
            return match.captured(1);
    }
    return {};
}

// A backup holds the project table and nothing but plain files and folders. A journal whose table is missing would
// be played into the table of data/ that stays, so it makes the archive no backup.
bool isBackupShaped(const QString& stage)
{
    QDirIterator it(stage, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry = it.nextFileInfo();
        if (entry.isSymLink() || entry.isJunction() || !(entry.isFile() || entry.isDir()))
            return false;
        const QString table = entry.path() == stage ? tableOfSideFile(entry.fileName()) : QString();
        if (!table.isEmpty() && !QFileInfo(stage + u'/' + table).isFile())
            return false;
    }
    return QFileInfo(stage + u'/' + TableSchemas::projectTableFileName()).isFile();
}

// Every table of a backup opens as that table (SQLite recovering it first when its journal came along). An older
// backup's tables get the fields this program added, here in the stage, which goes whole when the restore cannot go
// on; a backup holding a table of a later program is refused before any is changed.
DataBackup::RestoreOutcome checkBackup(const QString& stage)
{
    using DataBackup::RestoreOutcome;
    if (!isBackupShaped(stage))
        return RestoreOutcome::Failed;
    switch (DataFormat::upgrade(stage)) {
    case DataFormat::Outcome::Newer:
        return RestoreOutcome::FromNewerProgram;
    case DataFormat::Outcome::Failed:
        return RestoreOutcome::Failed;
    case DataFormat::Outcome::Current:
    case DataFormat::Outcome::Upgraded:
        break;
    }
    for (const TableSchemas::Table& table : TableSchemas::tables()) {
        const QString path = stage + u'/' + table.fileName;
        const bool withBytes = TableFiles::hasBytesField(table.fields);
        if (!QFileInfo::exists(path) && !(withBytes && QFileInfo::exists(TableFiles::companionPath(path))))
            continue;
        RecordTable opened;
        // Marks an older run left in the backup's tables go here, so a restored table never holds any.
        if (!opened.open(path, table.accessPassword) || opened.fields() != table.fields || !opened.pack())
            return RestoreOutcome::Failed;
    }
    return RestoreOutcome::Restored;
}

bool syncTree(const QString& folder)
{
    bool synced = DurableFile::syncFolder(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry = it.nextFileInfo();
        synced =
            (entry.isDir() ? DurableFile::syncFolder(entry.filePath()) : DurableFile::syncFile(entry.filePath())) &&
            synced;
    }
    return synced;
}

// So the undo folders of one moment from another can be told apart and ordered: the date and time, then a
// number for a second restore within one second.
const QRegularExpression& undoNamePattern()
{
    static const QRegularExpression pattern(u"^(\\d{8}-\\d{6})(?:-(\\d+))?$"_s);
    return pattern;
}

QString newUndoFolder(const QString& root)
{
    const QString stamp = Clock::now().toString(u"yyyyMMdd-HHmmss"_s);
    QString candidate = root + u'/' + stamp;
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = root + u'/' + stamp + u'-' + QString::number(n);
    return candidate;
}

void pruneUndoSets(const QString& root)
{
    QList<std::pair<QString, int>> sets;
    for (const QString& name : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        const QRegularExpressionMatch match = undoNamePattern().match(name);
        if (match.hasMatch())
            sets.append({match.captured(1), match.captured(2).isEmpty() ? 1 : match.captured(2).toInt()});
    }
    std::sort(sets.begin(), sets.end());
    for (qsizetype i = 0; i + kUndoSetsKept < sets.size(); ++i) {
        const auto& [stamp, n] = sets.at(i);
        FileSystem::removeDirectory(root + u'/' + (n == 1 ? stamp : stamp + u'-' + QString::number(n)));
    }
}

// Removes the staging folder; a link put in its place goes, not what it points to.
bool clearStage(const QString& stage)
{
    const QFileInfo info(stage);
    if (info.isSymLink() || (info.exists() && !info.isDir()))
        return QFile::remove(stage);
    return !info.exists() || FileSystem::removeDirectory(stage);
}

// The undo root is made by the first restore that replaces something; one that replaced nothing leaves none.
void dropEmptyUndoRoot(const QString& root)
{
    if (FileSystem::isRealFolder(root) &&
        QDir(root).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        QDir().rmdir(root);
}

// The folders beside the data folder a restore of older versions of the program left when it was killed: the
// staging ones go, the ones holding replaced files become undo sets the user can see.
void adoptHiddenLeftovers(const Home& place)
{
    const QDir folder(place.folder);
    for (const QString& name : folder.entryList({u".data-restore-*"_s}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
        FileSystem::removeDirectory(folder.filePath(name));
    for (const QString& name :
         folder.entryList({u".data-before-restore-*"_s}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
        const QString path = folder.filePath(name);
        if (QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            QDir().rmdir(path);
            continue;
        }
        if (QDir().mkpath(place.undoRoot()))
            QDir().rename(path, newUndoFolder(place.undoRoot()));
    }
}

// The packages of data/ that the backup's will replace by other bytes get a second name in the stage's
// history first, so the move-in carries them into data/history/ beside the backup's own history, and the
// undo set is not their only copy. False when one could not be kept, and then the restore must not go on.
bool keepReplacedPackages(const QString& stage)
{
    const QDir staged(stage);
    for (const QString& name : staged.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
        if (!TableSchemas::isPackageFileName(name))
            continue;
        // Neither committed nor undone here: the stage goes whole when the restore cannot go on, and its move-in
        // prunes nothing (see restore).
        if (!PackageHistory::Replacing::beginInto(DataFolder::historyIn(stage),
                                                  name.chopped(TableSchemas::packageSuffix().size()),
                                                  PackageHistory::Cause::Restore, staged.filePath(name)))
            return false;
    }
    return true;
}

// Links inside the data folder (a history or trash moved to another disk): an archive would hold the link and not
// what it leads to, and a restore refuses links. The first few, by their names inside the data folder.
QStringList linksIn(const QString& data)
{
    QStringList links;
    QDirIterator it(data, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext() && links.size() < 5) {
        const QFileInfo entry = it.nextFileInfo();
        if (entry.isSymLink() || entry.isJunction())
            links.append(QDir(data).relativeFilePath(entry.filePath()));
    }
    return links;
}

// After a restore the catalogue is another: entries whose number it holds give their packages to those projects'
// histories, and earlier packages that came without their project go into the trash.
void settleTrash()
{
    ProjectTrash::recover();
    ProjectTrash::joinCatalogue(PackageHistory::Cause::Restore);
}

} // namespace

namespace DataBackup {

QString keptFolderPath()
{
    return home().undoRoot();
}

bool backUp(const QString& archivePath, const Progress& progress, QStringList* links)
{
    const QString data = QFileInfo(dataFolderPath()).canonicalFilePath();
    const QString targetFolder = QFileInfo(QFileInfo(archivePath).absolutePath()).canonicalFilePath();
    if (data.isEmpty() || targetFolder.isEmpty() || FileSystem::isInside(targetFolder, data))
        return false;
    // A backup holds the whole data folder or is not made.
    if (const QStringList found = linksIn(dataFolderPath()); !found.isEmpty()) {
        if (links)
            *links = found;
        return false;
    }
    return ZipArchive::compress(dataFolderPath(), archivePath, progress) == ZipArchive::Outcome::Ok;
}

RestoreOutcome restore(const QString& archivePath, const Progress& progress)
{
    const CatalogueNotice::Hold oneNotice; // the list is filled once, after the last write
    constexpr RestoreOutcome failed = RestoreOutcome::Failed;
    if (!QDir().mkpath(dataFolderPath()))
        return failed;
    const Home place = home();
    // Every move must be a rename on one disk: the folder beside the data folder and an existing undo root
    // are checked before anything is unpacked. A restore cut off earlier is finished first, at start.
    const QString undoRoot = place.undoRoot();
    if (QFileInfo::exists(place.journal()) || !FileSystem::sameDisk(place.folder, place.data) ||
        (QFileInfo(undoRoot).isSymLink() ||
         (QFileInfo::exists(undoRoot) &&
          (!FileSystem::isRealFolder(undoRoot) || !FileSystem::sameDisk(undoRoot, place.data)))))
        return failed;
    // A folder of data/ that is a link to another disk (a history moved there) cannot take a renamed file; the
    // restore is refused before anything is unpacked, as a restore whose undo folder lies elsewhere is.
    if (!linksIn(place.data).isEmpty())
        return failed;
    const QString stage = place.stage();
    if (!clearStage(stage))
        return failed;
    const auto discardStage = [&stage](RestoreOutcome outcome = RestoreOutcome::Failed) {
        clearStage(stage);
        return outcome;
    };
    if (ZipArchive::extract(archivePath, stage, progress) != ZipArchive::Outcome::Ok)
        return discardStage();
    if (const RestoreOutcome checked = checkBackup(stage); checked != RestoreOutcome::Restored)
        return discardStage(checked);
    if (!syncTree(stage))
        return discardStage();

    // No journal of data/ may be left to be played later into a file it does not belong to.
    QDirIterator tables(place.data, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (tables.hasNext()) {
        const QString path = tables.next();
        if (TableFiles::hasJournal(path))
            TableFiles::recover(path);
    }

    if (!keepReplacedPackages(stage))
        return discardStage();

    RestoreTransaction move =
        RestoreTransaction::planned({place.data, stage, newUndoFolder(undoRoot), place.journal()});
    if (!move.writeJournal())
        return discardStage();
    if (!move.moveIn()) {
        if (move.moveBack() && move.close())
            dropEmptyUndoRoot(undoRoot);
        return failed;
    }
    // The tables are the backup's from here on, whatever the rest of the restore meets.
    CatalogueNotice::announce(CatalogueNotice::Part::Projects);
    CatalogueNotice::announce(CatalogueNotice::Part::Tools);
    if (!move.close())
        return failed;
    if (FileSystem::isRealFolder(move.places().undo))
        pruneUndoSets(undoRoot);
    else
        dropEmptyUndoRoot(undoRoot);
    // Nothing is pruned here: a version the undo set does not hold would be gone for good. The merged history
    // meets the limits at the next package kept. Projects that are back take what the trash kept of them.
    settleTrash();
    return RestoreOutcome::Restored;
}

Interrupted finishInterruptedRestore()
{
    const Home place = home();
    if (!QFileInfo::exists(place.journal())) {
        adoptHiddenLeftovers(place);
        clearStage(place.stage()); // an unpacking that never reached the data folder
        return Interrupted::None;
    }
    RestoreTransaction move =
        RestoreTransaction::fromJournal({place.data, place.stage(), place.undoRoot() + u"/unnamed"_s, place.journal()});
    if (!move.isValid())
        return Interrupted::Failed;
    if (move.moveIn() && move.close()) {
        if (FileSystem::isRealFolder(move.places().undo))
            pruneUndoSets(place.undoRoot());
        // The start recovers the trash right after this; the projects that are back take what it kept of them.
        ProjectTrash::joinCatalogue(PackageHistory::Cause::Restore);
        return Interrupted::Finished;
    }
    if (move.moveBack() && move.close()) {
        dropEmptyUndoRoot(place.undoRoot());
        return Interrupted::RolledBack;
    }
    return Interrupted::Failed;
}

} // namespace DataBackup
