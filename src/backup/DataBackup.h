#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The whole data folder into one archive and back. The settings file lies beside the data folder, so neither
// direction touches it.
namespace DataBackup {

using Progress = std::function<bool(qint64 done, qint64 total)>;

// "data-before-restore" beside the real data folder (on its disk when "data" is a link to another one): each
// restore that replaced files keeps them there in a folder named by its date and time, the last three kept.
QString keptFolderPath();

// Packs the data folder into `archivePath`. Refused when the archive would lie inside the data folder, where
// the next backup would swallow it, and when the data folder holds links (a history or trash moved to another
// disk by a link), which an archive cannot carry: then `links` gets the first few, named inside the data folder.
bool backUp(const QString& archivePath, const Progress& progress = {}, QStringList* links = nullptr);

// Unpacks the archive into a staging folder beside the data folder and checks it is a backup: it holds the
// project table, every table in it opens as that table, and it holds only plain files and folders. Only then
// are the files moved into the data folder, as one transaction that survives a kill (see
// finishInterruptedRestore); the files it replaces by other bytes go to a new folder below keptFolderPath(), the
// ones it holds with the same bytes stay as they are. Files the archive does not hold stay, and no earlier package
// is pruned. An older backup's tables get the fields this program added before anything is moved; a backup
// holding a table of a later program is refused whole. Answers Restored once everything is in place and synced;
// otherwise the data folder is as it was.
enum class RestoreOutcome {
    Restored,
    FromNewerProgram, // a table of the backup comes from a later program
    Failed,           // no backup, or it could not be unpacked or moved in
};
RestoreOutcome restore(const QString& archivePath, const Progress& progress = {});

enum class Interrupted {
    None,       // no restore was cut off
    Finished,   // a restore that was cut off has been completed
    RolledBack, // it could not be completed; the data folder is as it was before it
    Failed,     // neither worked; the journal stays for the next try
};

// Run at start, before any table is opened: completes or undoes a restore a kill cut off, and clears what an
// unpacking cut off left beside the data folder.
Interrupted finishInterruptedRestore();

} // namespace DataBackup
