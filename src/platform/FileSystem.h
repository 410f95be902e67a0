#pragma once

#include <QString>

#include <functional>

// File-system helpers shared by the commands that store, copy and delete project files.
namespace FileSystem {

// Whether `name` can be used as one file name on this platform, inside a folder and without leaving it:
// not empty, no separator or NUL, not "." or "..", not longer than the file system allows (and on Windows
// none of <>:"|?* nor a reserved device name). `extraBytes` reserves room for a suffix such as ".fd1".
bool isValidFileName(const QString& name, int extraBytes = 0);

// The names Windows takes for devices whatever follows their first dot (CON, PRN, AUX, NUL, COM1-9, LPT1-9),
// in capitals; `stem` is compared as it stands.
bool isWindowsDeviceName(const QString& stem, Qt::CaseSensitivity cs = Qt::CaseSensitive);

using Progress = std::function<bool(qint64 done, qint64 total)>;

// Copies a regular file so that the target is replaced only by a complete copy: the bytes go to a temporary
// file beside the target, which is synced and renamed over it at the end, and the folder is synced, so the
// copy is on disk when this answers true. On any failure (source missing, a directory,
// unreadable, vanishing or shrinking midway; target folder missing or read-only; disk full) nothing is left
// behind and an existing target is untouched.
bool copyFile(const QString& source, const QString& target, const Progress& progress = {});

// Whether `path` is `folder` or lies below it, both absolute and spelled alike (canonical where links count);
// letter case counts where the platform's file names are case-sensitive.
bool isInside(const QString& path, const QString& folder);

// A folder, and not a link to one.
bool isRealFolder(const QString& path);

// Whether two existing paths lie on one file system, so a rename between them cannot fail for being a copy.
bool sameDisk(const QString& a, const QString& b);

// Whether two existing paths name one file (the same file reached by two names or links).
bool sameFile(const QString& a, const QString& b);

// Deletes a directory with everything in it; answers whether it was there and is gone. A blank path and the
// root of a file system are refused.
bool removeDirectory(const QString& path);

} // namespace FileSystem
