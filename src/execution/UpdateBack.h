#pragma once

#include "execution/WorkPacking.h"

#include <QString>
#include <QStringList>

#include <functional>

class WorkLine;

// Update back: packs one project's work into the catalogue again. One routine runs the whole sequence (pack,
// keep the package before, store, let the line go, stamp the record, clean up) and answers what happened; the
// panel asks before it, lends it its progress windows and the one question that comes midway, and tells after.
//
// The steps are ordered so that a kill between any two leaves the work findable: until the package is stored the
// working folder keeps its marker (the start lists it again), the packed work lies beside data/ under a name the
// start lists too, the stored package is kept in the history before it is replaced, and the folder goes only
// once the stored package holds its work.
namespace UpdateBack {

using Progress = WorkPacking::Progress;

struct Calls
{
    // Runs the packing and the storing each inside a progress window.
    WorkPacking::LongStepRunner longStep;
    // Asked once the work is stored, when a single-file project's folder holds other files besides its worked
    // file: true deletes them with the folder. Without it they are kept.
    std::function<bool()> deleteOtherFiles;
    // The catalogue holds the work now: the line that names it goes.
    std::function<void()> stored;
};

enum class Outcome {
    Updated,    // the work is stored, the record stamped and the work cleaned up
    PackFailed, // the work could not be packed (its folder or worked file is gone or unreadable); nothing changed
    Changing,   // another program kept changing the work while it was packed; nothing changed
    Unpackable, // the folder holds what no package can carry back; nothing changed
    NotStored,  // packed, but the stored package could not be replaced; it and the work are as they were
    NotStamped, // stored and cleaned up, but the record could not be written
};

struct Result
{
    Outcome outcome = Outcome::PackFailed;
    QStringList unpackable;      // relative names, when Unpackable
    bool recreated = false;      // the project was gone; its record was made again
    bool otherFilesKept = false; // the worked file went, the rest of its folder stayed
};

Result run(const WorkLine& line, const Calls& calls = {});

// One step of run: moves the packed work into data/ over the stored package, keeping that one in the history
// first. On failure the stored package is as it was and nothing is kept. The benchmark times it alone.
bool store(const QString& number, const QString& package, const Progress& progress);

// Called before every step of run that changes a file or the table; tests end the process there.
void setBeforeEachStep(std::function<void()> hook);

} // namespace UpdateBack
