#pragma once

#include "backup/DataBackup.h"
#include "store/DataFormat.h"

// What a start repairs before anything is shown or any command runs: whatever a run that was killed or lost
// its power left half done. Only the run that holds the installation folder's lock may call it.
namespace StartRecovery {

struct Outcome
{
    DataBackup::Interrupted restore = DataBackup::Interrupted::None; // the user is told what became of it
    // Newer: a table or Install.ini comes from a later program, and nothing after the restore ran; the program
    // says so and ends. Failed: an older table could not be brought up to date, nor was anything else run.
    DataFormat::Outcome data = DataFormat::Outcome::Current;
};

// In this order: a restore cut off is completed or undone (before any table is opened); the tables of an earlier
// version of the program get the fields this one added; the project table is opened once, so SQLite plays back a
// journal left beside it and a delete an older version marked but never packed is finished; a trash move cut off
// is finished or undone by what the table holds; and the temporary files a durable write was cut off in (never a
// file a window shows) are removed.
Outcome run();

} // namespace StartRecovery
