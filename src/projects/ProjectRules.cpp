#include "projects/ProjectRules.h"

#include "platform/FileSystem.h"
#include "store/ProjectTable.h"

#include <QFile>
#include <QFileInfo>

namespace ProjectRules {

namespace {

bool numberTaken(const QString& number)
{
    ProjectTable projects;
    projects.open(); // a table that cannot be opened holds no number; the append below then fails visibly
    return projects.findProjectByNumber(number);
}

} // namespace

AddOutcome addProject(ProjectRecord project, const QString& packageSource, bool packageRequired,
                      const Progress& progress)
{
    if (project.number.isEmpty() || project.name.isEmpty())
        return AddOutcome::Incomplete;
    if (packageRequired && (packageSource.isEmpty() || !QFileInfo(packageSource).isFile()))
        return AddOutcome::PackageMissing;
    if (numberTaken(project.number))
        return AddOutcome::DuplicateNumber;

    // The number names the package file: one that is no valid file name (or would climb out of the data
    // folder) cannot be stored, which counts as a package that could not be read.
    const QString package = ProjectTable::packagePath(project.number);
    const bool hadPackage = QFileInfo::exists(package);
    if (packageRequired &&
        (!FileSystem::isValidFileName(project.number, 4) || !FileSystem::copyFile(packageSource, package, progress)))
        return AddOutcome::PackageMissing;

    project.packageType = ProjectTable::extensionOf(packageSource);
    project.lastUpdate = project.startTime;
    bool appended = false;
    {
        ProjectTable projects;
        appended = projects.open() && projects.appendProject(project);
    }
    if (!appended) {
        if (packageRequired && !hadPackage)
            QFile::remove(package);
        return AddOutcome::DatabaseError;
    }
    return AddOutcome::Added;
}

} // namespace ProjectRules
