#pragma once

#include <QString>

#include <functional>

// Execute: the steps that turn a catalogue project into a working copy below the execution directory. Each
// answers what happened and shows nothing; the command asks, tells and opens the worked file between them.
namespace ExecuteSteps {

using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class Outcome {
    Ready,          // the working folder was made and is empty
    NoExecutionDir, // the setting is blank
    FolderNotMade,  // the folder exists already (work in progress), its parent is missing or read-only, or the
                    // number is no single file name
};

struct Work
{
    Outcome outcome = Outcome::FolderNotMade;
    QString number;
    bool zip = false;
    QString storedPackage;
    QString workDir;
    QString workFile; // the copy of a single-file package
};

// Reads the project of this record number and makes its working folder.
Work prepare(int recordNumber);

// Unpacks the ZIP package into the working folder and marks it as work. On failure the folder, made just now
// and holding nothing of the user's, goes again, or the next execute would be refused as if it were in work.
bool unpack(const Work& work, const Progress& progress);
// Copies a single-file package into the working folder; on failure the folder goes, as for unpack.
bool copy(const Work& work, const Progress& progress);

// The list line of the work.
QString caption(const Work& work);

// Removes the working folder again when no file was chosen to work on.
void discard(const Work& work);

} // namespace ExecuteSteps
