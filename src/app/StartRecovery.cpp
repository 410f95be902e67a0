#include "app/StartRecovery.h"

#include "app/AppDir.h"
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

DataBackup::Interrupted run()
{
    const DataBackup::Interrupted restore = DataBackup::finishInterruptedRestore();
    {
        ProjectTable projects;
        projects.open();
    }
    ProjectTrash::recover();
    for (const QString& folder : foldersWrittenDurably())
        DurableFile::removeLeftovers(folder);
    return restore;
}

} // namespace StartRecovery
