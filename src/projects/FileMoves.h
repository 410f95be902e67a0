#pragma once

#include <QString>

#include <functional>

// Moving kept files between the data folder, the package history and the trash, which people may put on other
// disks by a link. A move is a rename where both places share a disk; across disks it is a complete copy, synced,
// and only then the removal of the original, so a kill leaves the file in one place or in both, never in neither.
// Folders are not synced here: a caller that moves many files syncs each folder once afterwards.
namespace FileMoves {

// Moves the file `from` to `to`, replacing a file there. When `to` already holds the same bytes (the same file
// by a second name included), `from` just goes.
bool moveFile(const QString& from, const QString& to);

// Gives `to` the bytes of `from` without removing `from`: a hard link, or a synced copy where the disk has no
// links or `to` lies on another disk. False, with nothing made, when `to` exists.
bool linkOrCopy(const QString& from, const QString& to);

// Moves every file of the folder `from` into the folder `to` (made when missing) and removes `from`. A name
// that `to` holds already with other bytes is given `renamed(name)` instead, until it is free. A folder that
// `to` does not have yet moves whole by one rename where the disk allows.
bool mergeFolder(const QString& from, const QString& to, const std::function<QString(const QString&)>& renamed);

// Whether two files hold the same bytes (one file by two names, or equal sizes and contents).
bool sameBytes(const QString& a, const QString& b);

// Whether the two paths lie on one disk (for paths that do not exist yet, their folders are asked).
bool sameDisk(const QString& a, const QString& b);

} // namespace FileMoves
