#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class WorkLine;

// The file steps that update back and 放弃 share: the work packed as a package, a stored package replaced by
// it, a working folder removed. Each answers what happened and shows nothing.
namespace WorkPacking {

using Progress = std::function<bool(qint64 done, qint64 total)>;

// The steps that can take a while; the panel shows each in a progress window of its own, since a question
// may come between them.
enum class LongStep { Packing, Storing };
// Runs `work` inside whatever shows the step's progress; `work` reports to the callback it is handed.
using LongStepRunner = std::function<void(LongStep step, const std::function<void(const Progress&)>& work)>;
// Runs `work` through `runner`, or without progress when there is none.
void runLong(const LongStepRunner& runner, LongStep step, const std::function<void(const Progress&)>& work);

enum class Outcome {
    Packed,     // the work is packed, complete and read back
    Failed,     // the work could not be packed (the folder or the worked file is gone or unreadable)
    Changing,   // another program kept changing the work while it was packed
    Unpackable, // the folder holds what no package can carry back
};

struct Packed
{
    Outcome outcome = Outcome::Failed;
    QString package;        // the packed work
    QStringList unpackable; // relative names, when Unpackable
};

// Packs the work of a folder or file line into `target`, replacing it only with a complete package: the
// unpacked ZIP package's folder without its empty marker (which stays in the folder), refusing what cannot be
// packed; or a copy of the worked file, checked against a program saving it meanwhile. A package line holds
// its packed work already: that package is the answer. Nothing in the working folder is changed.
Packed pack(const WorkLine& line, const QString& target, const Progress& progress);

// Whether the line's work is still there to be packed: the working folder, the worked file, or the package.
bool workExists(const WorkLine& line);

// Names in the working folder of a single-file project besides its worked file; cleaning up would delete them.
QStringList otherFiles(const WorkLine& line);

// Moves the working folder aside under a name the start removes, so that no part of it is ever left under its
// own name to be taken for work. False when it could not be moved (then it is where it was).
bool moveAside(const QString& folder, const QString& number);
// Deletes the folder that moveAside made.
void removeMovedAside(const QString& folder, const QString& number);

// Deletes a folder with all in it, also files whose names Qt cannot spell (not UTF-8). A blank path (the
// current directory, appDir) and a root are refused.
void removeFolder(const QString& folder);

} // namespace WorkPacking
