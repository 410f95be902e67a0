#include "execution/UpdateBack.h"

#include "execution/ExecutionPaths.h"
#include "execution/WorkChanges.h"
#include "execution/WorkLine.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/StepHook.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "store/CatalogueNotice.h"

#include <QFile>
#include <QFileInfo>

namespace UpdateBack {

namespace {

StepHook beforeEachStep;

void step()
{
    beforeEachStep();
}

Outcome outcomeOf(WorkPacking::Outcome packed)
{
    switch (packed) {
    case WorkPacking::Outcome::Packed:
        return Outcome::Updated;
    case WorkPacking::Outcome::Changing:
        return Outcome::Changing;
    case WorkPacking::Outcome::Unpackable:
        return Outcome::Unpackable;
    case WorkPacking::Outcome::Failed:
        break;
    }
    return Outcome::PackFailed;
}

// What is left of stored work: the working folder, or with keepOtherFiles only the worked file.
void cleanUp(const WorkLine& line, bool keepOtherFiles)
{
    if (line.isPackage())
        return;
    if (line.isFile() && keepOtherFiles) {
        step();
        QFile::remove(line.workFile());
        return;
    }
    step();
    if (!WorkPacking::moveAside(line.workingFolder(), line.number())) {
        WorkPacking::removeFolder(line.workingFolder());
        return;
    }
    step();
    WorkPacking::removeMovedAside(line.workingFolder(), line.number());
}

// Whether the work holds just what the stored package holds; work that cannot be compared is taken as changed.
// The answer lets the work go unstored, so every file is read: an edit that kept the size and the time (a tool
// that puts times back) still counts.
bool unchanged(const WorkLine& line, const Calls& calls)
{
    PackageChanges::Comparison compared;
    WorkPacking::runLong(calls.longStep, WorkPacking::LongStep::Comparing, [&](const Progress& progress) {
        compared = WorkChanges::of(line, progress, PackageChanges::Check::Content);
    });
    return compared.outcome == PackageChanges::Outcome::Compared && compared.changes.isEmpty();
}

// The catalogue holds this work already: it goes as stored work goes, and nothing else changes.
Result cleanUpUnchanged(const WorkLine& line, const Calls& calls)
{
    Result result;
    result.outcome = Outcome::Unchanged;
    result.otherFilesKept =
        !WorkPacking::otherFiles(line).isEmpty() && !(calls.deleteOtherFiles && calls.deleteOtherFiles());
    if (calls.stored)
        calls.stored();
    if (line.isPackage()) {
        step();
        if (QFile::remove(line.package()))
            DurableFile::syncFolder(QFileInfo(line.package()).absolutePath());
        return result;
    }
    cleanUp(line, result.otherFilesKept);
    return result;
}

} // namespace

bool store(const QString& number, const QString& package, const Progress& progress)
{
    const QString stored = ProjectCatalogue::packagePath(number);
    const QString dataFolder = QFileInfo(stored).absolutePath();
    if (QFileInfo(stored).isDir())
        return false;
    // The stored package gets its second name in the history before anything replaces it: a kill after the
    // link leaves it in both places, one after the rename in the history, never in neither.
    step();
    std::optional<PackageHistory::Replacing> replacing =
        PackageHistory::Replacing::begin(number, PackageHistory::Cause::UpdateBack, package);
    if (!replacing)
        return false;
    // Beside data/ the package is one rename away; a data folder on another disk gets a complete copy.
    step();
    if (DurableFile::replace(package, stored)) {
        DurableFile::syncFolder(dataFolder);
        DurableFile::syncFolder(QFileInfo(package).absolutePath());
        replacing->commit();
        return true;
    }
    if (!FileSystem::copyFile(package, stored, progress)) {
        replacing->undo();
        return false;
    }
    DurableFile::syncFolder(dataFolder);
    QFile::remove(package);
    replacing->commit();
    return true;
}

Result run(const WorkLine& line, const Calls& calls)
{
    const CatalogueNotice::Hold oneNotice; // the list is filled once, after the last write
    if (unchanged(line, calls))
        return cleanUpUnchanged(line, calls);
    Result result;
    WorkPacking::Packed packed;
    WorkPacking::runLong(calls.longStep, WorkPacking::LongStep::Packing, [&](const Progress& progress) {
        step();
        packed = WorkPacking::pack(line, ExecutionPaths::pendingPackage(line.number(), line.type()), progress);
    });
    result.outcome = outcomeOf(packed.outcome);
    result.unpackable = packed.unpackable;
    if (result.outcome != Outcome::Updated)
        return result;

    bool stored = false;
    WorkPacking::runLong(calls.longStep, WorkPacking::LongStep::Storing,
                         [&](const Progress& progress) { stored = store(line.number(), packed.package, progress); });
    if (!stored) {
        // Work that still lies in its folder is packed again next time; a package line keeps its package.
        if (!line.isPackage())
            QFile::remove(packed.package);
        result.outcome = Outcome::NotStored;
        return result;
    }
    // What the user made beside the worked file is not part of the package: it goes only when the user says so.
    result.otherFilesKept =
        !WorkPacking::otherFiles(line).isEmpty() && !(calls.deleteOtherFiles && calls.deleteOtherFiles());
    // The catalogue holds the work now; only its record and the leftovers of the work remain to be seen to.
    if (calls.stored)
        calls.stored();
    step();
    const ProjectRules::Stamp stamp = ProjectRules::stampLastUpdate(line.number(), line.type());
    result.recreated = stamp.recreated;
    cleanUp(line, result.otherFilesKept);
    // The package is in the catalogue; only its record could not be written, which must not pass as success.
    result.outcome = stamp.written ? Outcome::Updated : Outcome::NotStamped;
    return result;
}

void setBeforeEachStep(std::function<void()> hook)
{
    beforeEachStep.set(std::move(hook));
}

} // namespace UpdateBack
