#pragma once

#include "backup/DataBackup.h"

// What a start repairs before anything is shown or any command runs: whatever a run that was killed or lost
// its power left half done. Only the run that holds the installation folder's lock may call it.
namespace StartRecovery {

// In this order: a restore cut off is completed or undone (before any table is opened); the project table is
// opened once, so SQLite plays back a journal left beside it and a delete an older version marked but never
// packed is finished; a trash move cut off is finished or undone by what the table holds; and the temporary
// files a durable write was cut off in (never a file a window shows) are removed. Answers what became of an
// interrupted restore, which the user is told about.
DataBackup::Interrupted run();

} // namespace StartRecovery
