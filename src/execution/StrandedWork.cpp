#include "execution/StrandedWork.h"

#include "app/AppDir.h"
#include "archive/NativeFs.h"
#include "execution/ExecutionPaths.h"
#include "execution/WorkLine.h"
#include "platform/DurableFile.h"
#include "projects/FolderPackage.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectNumber.h"
#include "projects/ProjectTrash.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace StrandedWork {

namespace {

// Project number -> package type; the first record of a number counts, as findProjectByNumber would. A project
// deleted while it was worked on is in the trash, and its work is still its own: update back takes it back out.
QHash<QString, QString> catalogue()
{
    using Column = ProjectCatalogue::Column;
    const ProjectCatalogue::Columns projects = ProjectCatalogue::readColumns(Column::Number | Column::PackageType);
    QHash<QString, QString> types;
    for (qsizetype i = 0; i < projects.count; ++i) {
        const QString& number = projects.numbers.at(i);
        if (!number.isEmpty() && !types.contains(number))
            types.insert(number, projects.packageTypes.at(i));
    }
    const QList<ProjectTrash::Entry> trashed = ProjectTrash::entries();
    for (const ProjectTrash::Entry& entry : trashed) {
        if (entry.hasRecord && !entry.project.number.isEmpty() && !types.contains(entry.project.number))
            types.insert(entry.project.number, entry.project.packageType);
    }
    return types;
}

// What a killed update back left half made is nobody's work: the work itself is still in its folder.
void removeLeftovers(const QString& executionDir)
{
    const QDir appDir(AppDir::path());
    const QStringList patterns = ExecutionPaths::partialPackagePatterns() << FolderPackage::leftoverPattern();
    for (const QString& name : appDir.entryList(patterns, QDir::Files | QDir::Hidden))
        QFile::remove(appDir.filePath(name));
    if (executionDir.isEmpty())
        return;
    const QDir work(executionDir);
    for (const QString& name : work.entryList({ExecutionPaths::removalFolderPattern()}, QDir::Dirs | QDir::Hidden))
        NativeFs::removeTree(work.filePath(name));
}

QStringList folderLines(const QString& executionDir)
{
    if (executionDir.isEmpty() || !QFileInfo(executionDir).isDir())
        return {};
    const QStringList folders =
        QDir(executionDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    if (folders.isEmpty())
        return {};

    const QHash<QString, QString> types = catalogue();
    QStringList lines;
    for (const QString& number : folders) {
        const QString workDir = ExecutionPaths::workDir(executionDir, number);
        const auto type = types.constFind(number);
        if (type == types.constEnd()) {
            // A project gone from the catalogue and the trash alike (the trash emptied while it was worked on):
            // a folder that holds the marker is unpacked work all the same, and update back makes its record
            // again. Any other folder may be the user's own, and is not taken for work.
            if (ProjectNumber::isValid(number) && QFileInfo(ExecutionPaths::markerPath(workDir)).isFile())
                lines.append(WorkLine::zipCaption(workDir));
            continue;
        }
        // A folder without its marker was left by an update back that ended while packing; its files are work.
        const bool zipWork = QFileInfo(ExecutionPaths::markerPath(workDir)).isFile() ||
                             (ExecutionPaths::isZipType(*type) && !QDir(workDir).isEmpty());
        if (zipWork) {
            lines.append(WorkLine::zipCaption(workDir));
            continue;
        }
        const QString workFile = ExecutionPaths::workFile(executionDir, number, *type);
        if (!ExecutionPaths::isZipType(*type) && QFileInfo(workFile).isFile())
            lines.append(WorkLine::fileCaption(workFile));
    }
    return lines;
}

// The packages update back made beside data/ but did not store. One whose project's folder is listed too was
// packed from that folder by an update back killed before it stored it: the folder is the work the panel lists,
// and the package, the same work or an earlier state of it, goes into the project's history instead of being
// listed a second time. Where it cannot be kept it is listed, as two lines lose nothing.
QStringList packageLines(const QStringList& folderLines)
{
    QSet<QString> listed;
    for (const QString& line : folderLines)
        listed.insert(WorkLine::parse(line).number());
    const QDir appDir(AppDir::path());
    QStringList lines;
    for (const QString& name : appDir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        const ExecutionPaths::PendingName pending = ExecutionPaths::parsePendingName(name);
        if (!pending.valid)
            continue;
        const QString package = appDir.filePath(name);
        if (listed.contains(pending.number) &&
            !PackageHistory::keepFileInto(package, PackageHistory::folderOf(pending.number),
                                          PackageHistory::Cause::UpdateBack, pending.type,
                                          PackageHistory::versionTextOf(pending.number))
                 .isEmpty() &&
            QFile::remove(package)) {
            DurableFile::syncFolder(appDir.path());
            continue;
        }
        lines.append(WorkLine::packageCaption(package));
    }
    return lines;
}

} // namespace

QStringList findLines()
{
    const QString executionDir = ExecutionPaths::executionDir();
    removeLeftovers(executionDir);
    const QStringList folders = folderLines(executionDir);
    return folders + packageLines(folders);
}

} // namespace StrandedWork
