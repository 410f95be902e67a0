#include "app/StartRecovery.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "platform/DurableFile.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectTrash.h"
#include "store/DataFolder.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDir>

namespace StartRecovery {

namespace {

// Every folder a durable write of the program puts a temporary into: the application folder (the settings
// file, the restore's journal), the data folder (tables, packages), each project's history and each trash entry.
QStringList foldersWrittenDurably()
{
    const QString data = DataFolder::path();
    QStringList folders{AppDir::path(), data};
    for (const QString& root : {PackageHistory::rootFolder(), ProjectTrash::folder()}) {
        const QDir dir(root);
        for (const QString& name : dir.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
            folders.append(dir.filePath(name));
    }
    return folders;
}

} // namespace

Outcome run()
{
    Outcome outcome;
    outcome.restore = DataBackup::finishInterruptedRestore();
    // Settings or tables a later program wrote are neither read by halves nor changed.
    if (AppSettings().isFromNewerProgram()) {
        outcome.data = DataFormat::Outcome::Newer;
        return outcome;
    }
    outcome.data = DataFormat::upgrade(DataFolder::path());
    if (outcome.data == DataFormat::Outcome::Newer || outcome.data == DataFormat::Outcome::Failed)
        return outcome;
    {
        ProjectTable projects;
        projects.open();
    }
    ProjectTrash::recover();
    for (const QString& folder : foldersWrittenDurably())
        DurableFile::removeLeftovers(folder);
    return outcome;
}

} // namespace StartRecovery
