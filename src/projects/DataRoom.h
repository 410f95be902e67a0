#pragma once

#include <QtGlobal>

#include <functional>

// How much of the disk the kept copies take beside the catalogue, and the removal the user asks for in 系统设置:
// the whole history, the whole trash. Nothing here runs without the user's word.
namespace DataRoom {

struct Room
{
    qint64 historyBytes = 0;
    int historyVersions = 0;
    qint64 trashBytes = 0;
    int trashEntries = 0;
};

Room measure();

using Progress = std::function<bool(qint64 done, qint64 total)>;

// Removes every kept version of every project, one file at a time, so a kill leaves fewer versions and never
// a damaged one. False when some could not be removed; those stay listed.
bool removeHistory(const Progress& progress = {});

// Text for a size, in the unit a user reads at a glance ("0 KB", "12.3 MB", "1.20 GB").
QString sizeText(qint64 bytes);

} // namespace DataRoom
