#pragma once

#include "store/ProjectRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// What the catalogue allows, without a window: the windows ask these rules and turn their outcomes into the
// messages the user reads.
namespace ProjectRules {

using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class AddOutcome {
    Added,
    Incomplete,      // the number or the name is empty
    PackageMissing,  // a required package is missing, no file, or could not be stored under the number
    InvalidNumber,   // the number is no file name on every system (ProjectNumber::isValid)
    DuplicateNumber, // a project with this number exists
    DatabaseError,   // the record could not be written; no package of it is left behind
};

// Adds one project: checks the number and the name, copies `packageSource` beside the project's package (when
// `packageRequired`), appends the record and only then puts the copy in place (PackageHistory::place), so a kill at
// any step leaves no project or the project with its package. The record's package type is taken from the chosen
// path and its last update is its start time. A package a delete left under the number goes into the new
// project's history, and so do the packages the trash holds under that number.
AddOutcome addProject(ProjectRecord project, const QString& packageSource, bool packageRequired,
                      const Progress& progress = {});

enum class UpdateOutcome {
    Updated,
    Incomplete,     // the number or the name is empty
    PackageMissing, // the new package is missing, no file, or could not be stored; record and package unchanged
    DatabaseError,  // the record could not be written
};

// Writes the edited properties (name, type, version, start time, last update, notes) into the record, and
// with a package path also stores a copy of that file as the project's package and records its type. The
// stored package is replaced only by a complete copy, so a copy that fails half-way leaves the old one; the
// stored package chosen as its own replacement stays as it is.
UpdateOutcome updateProject(int recordNumber, const ProjectRecord& edited, const QString& packageSource,
                            const Progress& progress = {});

// Deletes the projects with these record numbers: they go to the trash (ProjectTrash), with `withPackages`
// their package files too, and can be brought back from there. Numbers that name no record are passed over.
// Only files inside the data folder are ever moved, whatever number a record holds. Answers the number of
// records deleted, or kDeleteFailed when the table could not be changed; then every record and every package
// is as it was.
// Progress counts the projects twice: once as they join the trash, once as they leave the data folder.
constexpr int kDeleteFailed = -1;
int deleteProjects(const QList<int>& recordNumbers, bool withPackages, const Progress& progress = {});

struct Stamp
{
    bool written = false;
    bool recreated = false; // the project was gone; a record standing in for it was made
    bool fromTrash = false; // the project was in the trash; it came back with its texts
};
// After work on the project was stored back: stamps the last update of the first project with this number. When
// the project was deleted meanwhile it comes out of the trash (ProjectTrash::takeBack); when it is nowhere, a record
// stands in for it, so the stored package belongs to one.
Stamp stampLastUpdate(const QString& number, const QString& packageType);

} // namespace ProjectRules
