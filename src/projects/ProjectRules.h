#pragma once

#include "store/ProjectRecord.h"

#include <QString>

#include <functional>

// What the catalogue allows, without a window: the windows ask these rules and turn their outcomes into the
// messages the user reads.
namespace ProjectRules {

using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class AddOutcome {
    Added,
    Incomplete,      // the number or the name is empty
    PackageMissing,  // a required package is missing, no file, or could not be stored under the number
    DuplicateNumber, // a project with this number exists
    DatabaseError,   // the record could not be written; no package of it is left behind
};

// Adds one project: checks the number and the name, stores a copy of `packageSource` as the project's
// package (when `packageRequired`), then appends the record. The record's package type is taken from the
// chosen path and its last update is its start time. A package stored for a record that could not be written
// is removed again, so no package belongs to no project; one that was there before is left as it was.
AddOutcome addProject(ProjectRecord project, const QString& packageSource, bool packageRequired,
                      const Progress& progress = {});

} // namespace ProjectRules
