#include "execution/ExecuteSteps.h"

#include "archive/ZipArchive.h"
#include "execution/ExecutionPaths.h"
#include "execution/WorkFiles.h"
#include "execution/WorkLine.h"
#include "platform/FileSystem.h"
#include "projects/ProjectCatalogue.h"

namespace ExecuteSteps {

Work prepare(int recordNumber)
{
    // A table that cannot be read answers an empty project, and the work then fails visibly later.
    const ProjectRecord project = ProjectCatalogue::readProject(recordNumber);
    Work work;
    work.number = project.number;
    work.zip = ExecutionPaths::isZipType(project.packageType);
    work.storedPackage = ProjectCatalogue::packagePath(project.number);

    const QString executionDir = ExecutionPaths::executionDir();
    if (executionDir.isEmpty()) {
        work.outcome = Outcome::NoExecutionDir;
        return work;
    }
    // The folder a new installation works in is made at its first execute; when it cannot be, making the working
    // folder fails below and says so.
    ExecutionPaths::makeDefaultExecutionDir(executionDir);
    work.workDir = ExecutionPaths::workDir(executionDir, project.number);
    work.workFile = ExecutionPaths::workFile(executionDir, project.number, project.packageType);
    // An existing folder fails too: the project is already in work and must be updated back or abandoned.
    // A number that is no single file name ("../x", "a/b") would put the work outside the execution directory.
    const bool made = FileSystem::isValidFileName(project.number) && WorkFiles::createFolder(work.workDir);
    work.outcome = made ? Outcome::Ready : Outcome::FolderNotMade;
    return work;
}

bool unpack(const Work& work, const Progress& progress)
{
    if (ZipArchive::extract(work.storedPackage, work.workDir, progress) != ZipArchive::Outcome::Ok) {
        discard(work);
        return false;
    }
    WorkFiles::writeEmptyFile(ExecutionPaths::markerPath(work.workDir));
    return true;
}

bool copy(const Work& work, const Progress& progress)
{
    if (FileSystem::copyFile(work.storedPackage, work.workFile, progress))
        return true;
    discard(work);
    return false;
}

QString caption(const Work& work)
{
    return work.zip ? WorkLine::zipCaption(work.workDir) : WorkLine::fileCaption(work.workFile);
}

void discard(const Work& work)
{
    FileSystem::removeDirectory(work.workDir);
}

} // namespace ExecuteSteps
