#pragma once

#include <QString>

// The file-system steps of execute and update back. Each answers whether it did what was asked.
namespace WorkFiles {

// Creates exactly one folder: fails when it exists already, when its parent is missing or read-only.
bool createFolder(const QString& path);

// Deletes a working folder with everything in it. A blank path is refused rather than taken as the current
// folder, which is the application folder.
bool removeFolder(const QString& path);

// Copies a file so that the target is either the complete new content, synced to disk, or left as it was:
// the bytes go to a temporary name beside the target, which then replaces it in one step.
bool durableCopy(const QString& from, const QString& to);

// The copy of a package is work in progress: the user must be able to save it even when the stored package
// itself is read-only.
bool copyForWork(const QString& from, const QString& to);

bool writeEmptyFile(const QString& path);
// Deletes the file when it holds no bytes (or does not exist); a file with content is left to be packed.
void removeIfEmpty(const QString& path);

// `path` when nothing lies there yet; otherwise the first free name made by putting "(2)", "(3)", ... before
// the extension, so an older file of that name (work kept by an earlier failed update) is never overwritten.
QString unusedPath(const QString& path);

} // namespace WorkFiles
