#pragma once

#include "execution/WorkPacking.h"

#include <QString>
#include <QStringList>

#include <functional>

class WorkLine;

// 放弃: throws one project's work away, but never the only copy of work that differs from what the catalogue
// holds. One routine runs the whole sequence: the work is packed as update back packs it, kept in the project's
// history (cause 放弃) unless its bytes are those of the stored package or of the newest version already kept,
// and only then is the working folder (or the package that was not stored) removed. The stored package and the
// record are never touched.
//
// A kill at any step leaves the work in its folder, listed again at the next start, or in the history; what a
// kill leaves half made beside data/ or aside in the execution directory the start removes.
namespace AbandonWork {

enum class Outcome {
    Abandoned,  // the work is gone, kept in the history first when it differed
    Changing,   // another program kept changing the work while it was packed; nothing removed
    Unpackable, // the folder holds what no package can carry back; nothing kept or removed
    NotKept,    // the work could not be packed or kept (a full disk); nothing removed
};

struct Result
{
    Outcome outcome = Outcome::NotKept;
    bool kept = false;      // a version was kept
    QStringList unpackable; // relative names, when Unpackable
};

enum class Keep { Work, Nothing };

// With Keep::Nothing the work goes without being kept: for the user who was told it cannot be kept and said
// to throw it away all the same.
Result run(const WorkLine& line, Keep keep, const WorkPacking::LongStepRunner& longStep = {});

// Called before every step of run that changes a file; tests end the process there.
void setBeforeEachStep(std::function<void()> hook);

} // namespace AbandonWork
