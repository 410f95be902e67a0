#pragma once

#include <QString>

// The file-system steps of execute and update back. Each answers whether it did what was asked.
namespace WorkFiles {

// Creates exactly one folder: fails when it exists already, when its parent is missing or read-only.
bool createFolder(const QString& path);

bool writeEmptyFile(const QString& path);
// Deletes the file when it holds no bytes (or does not exist); a file with content is left to be packed.
void removeIfEmpty(const QString& path);

// `path` when nothing lies there yet; otherwise the first free name made by putting "(2)", "(3)", ... before
// the extension, so an older file of that name (work kept by an earlier failed update) is never overwritten.
QString unusedPath(const QString& path);

} // namespace WorkFiles
