#include "execution/AbandonWork.h"

#include "execution/ExecutionPaths.h"
#include "execution/WorkLine.h"
#include "platform/StepHook.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "store/TableSchemas.h"

#include <QFile>
#include <QFileInfo>

namespace AbandonWork {

namespace {

StepHook beforeEachStep;

void step()
{
    beforeEachStep();
}

// Work with the bytes of the stored package, or of the newest version, is in the catalogue already: the user
// opened it and changed nothing, or threw away the same work before.
bool alreadyKept(const QString& number, const QString& package)
{
    const QString stored = ProjectCatalogue::packagePath(number);
    if (QFileInfo(stored).isFile() && PackageHistory::sameBytes(package, stored))
        return true;
    const QList<PackageHistory::Version> versions = PackageHistory::versions(number);
    return !versions.isEmpty() && PackageHistory::sameBytes(package, versions.first().path);
}

Outcome outcomeOf(WorkPacking::Outcome packed)
{
    switch (packed) {
    case WorkPacking::Outcome::Packed:
        return Outcome::Abandoned;
    case WorkPacking::Outcome::Changing:
        return Outcome::Changing;
    case WorkPacking::Outcome::Unpackable:
        return Outcome::Unpackable;
    case WorkPacking::Outcome::Failed:
        break;
    }
    return Outcome::NotKept;
}

// Packs the work and keeps it as the project's newest version when it differs; the working folder is as it was.
Result keepWork(const WorkLine& line, const WorkPacking::LongStepRunner& longStep)
{
    Result result;
    if (!TableSchemas::hasPackageFile(line.number()))
        return result;
    WorkPacking::Packed packed;
    WorkPacking::runLong(longStep, WorkPacking::LongStep::Packing, [&](const WorkPacking::Progress& progress) {
        step();
        packed = WorkPacking::pack(line, ExecutionPaths::abandonedPackage(line.number()), progress);
    });
    result.outcome = outcomeOf(packed.outcome);
    result.unpackable = packed.unpackable;
    if (result.outcome != Outcome::Abandoned)
        return result;
    // A package line's package is the work itself, which goes with the rest of the work below.
    const bool packedHere = !line.isPackage();
    if (!alreadyKept(line.number(), packed.package)) {
        step();
        // A second name for the packed bytes, synced before the work goes: the version costs no copy.
        const QString version = PackageHistory::keepFileInto(packed.package, PackageHistory::folderOf(line.number()),
                                                             PackageHistory::Cause::Abandon, line.type(),
                                                             PackageHistory::versionTextOf(line.number()));
        if (version.isEmpty()) {
            if (packedHere)
                QFile::remove(packed.package);
            result.outcome = Outcome::NotKept;
            return result;
        }
        PackageHistory::prune({version});
        result.kept = true;
    }
    if (packedHere) {
        step();
        QFile::remove(packed.package);
    }
    return result;
}

void removeWork(const WorkLine& line)
{
    step();
    if (line.isPackage()) {
        QFile::remove(line.package());
        return;
    }
    // Moved aside first, so a folder half deleted by a kill is never listed as work at the next start.
    if (!WorkPacking::moveAside(line.workingFolder(), line.number())) {
        WorkPacking::removeFolder(line.workingFolder());
        return;
    }
    step();
    WorkPacking::removeMovedAside(line.workingFolder(), line.number());
}

} // namespace

Result run(const WorkLine& line, Keep keep, const WorkPacking::LongStepRunner& longStep)
{
    Result result;
    // Work that is gone already (its folder deleted by hand) leaves nothing to keep.
    if (keep == Keep::Work && WorkPacking::workExists(line)) {
        result = keepWork(line, longStep);
        if (result.outcome != Outcome::Abandoned)
            return result;
    }
    removeWork(line);
    result.outcome = Outcome::Abandoned;
    return result;
}

void setBeforeEachStep(std::function<void()> hook)
{
    beforeEachStep.set(std::move(hook));
}

} // namespace AbandonWork
