#pragma once

#include "projects/ProjectRules.h"

#include <QString>
#include <QStringList>

#include <functional>

class WorkLine;

// Update back: the steps that pack one project's work into the catalogue again. Each answers what happened and
// shows nothing; the panel asks, tells and takes its line off between them.
//
// The steps are ordered so that a kill between any two leaves the work findable: until the package is stored the
// working folder keeps its marker (the start lists it again), the packed work lies beside data/ under a name the
// start lists too, and the folder goes only once the stored package holds its work.
namespace UpdateBack {

using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class Outcome {
    Packed,     // the work is packed, complete and read back
    Failed,     // the work could not be packed (the folder or the worked file is gone or unreadable)
    Changing,   // another program kept changing the work while it was packed
    Unpackable, // the folder holds what no package can carry back
};

struct Packed
{
    Outcome outcome = Outcome::Failed;
    QString package;        // the packed work beside data/
    QStringList unpackable; // relative names, when Unpackable
};

// Names in the working folder of a single-file project besides its worked file; cleaning up would delete them.
QStringList otherFiles(const WorkLine& line);

// Packs the work beside data/; nothing is changed in the working folder. A package line is packed already.
Packed pack(const WorkLine& line, const Progress& progress);

// Moves the packed work into data/ over the stored package. On failure the stored package is as it was.
bool store(const WorkLine& line, const QString& package, const Progress& progress);

// Removes a package that could not be stored, when the working folder still holds the same work.
void discard(const WorkLine& line, const QString& package);

using Stamp = ProjectRules::Stamp;
// Stamps the project's last update, or re-creates its record when the project was deleted meanwhile.
Stamp stampRecord(const WorkLine& line);

// Removes what is left of stored work: the working folder, or with keepOtherFiles only the worked file of a
// single-file project.
void cleanUp(const WorkLine& line, bool keepOtherFiles);

// Abandon: throws the work away, the working folder with everything in it or the package that was not stored.
void abandon(const WorkLine& line);

} // namespace UpdateBack
