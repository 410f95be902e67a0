#include "execution/WorkChanges.h"

#include "execution/ExecutionPaths.h"
#include "execution/WorkLine.h"
#include "projects/ProjectCatalogue.h"
#include "store/TableSchemas.h"

#include <QFileInfo>

namespace WorkChanges {

PackageChanges::Comparison of(const WorkLine& line, const PackageChanges::Progress& progress,
                              PackageChanges::Check check)
{
    // A number that can name no package file has nothing stored to compare with.
    if (!TableSchemas::hasPackageFile(line.number()))
        return {};
    const bool zip = ExecutionPaths::isZipType(line.type());
    const QString stored = ProjectCatalogue::packagePath(line.number());
    if (line.isPackage()) {
        const QString name = line.number() + (line.type().isEmpty() ? QString() : u'.' + line.type());
        return PackageChanges::between({stored, zip, name}, {line.package(), zip, name});
    }
    if (line.isZip())
        return PackageChanges::ofFolder(line.workingFolder(), stored, ExecutionPaths::markerName(), progress, check);
    return PackageChanges::ofFile(line.workFile(), {stored, false, QFileInfo(line.workFile()).fileName()});
}

} // namespace WorkChanges
