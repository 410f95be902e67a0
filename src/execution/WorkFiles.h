#pragma once

#include <QString>

// The file-system steps of execute and update back. Each answers whether it did what was asked.
namespace WorkFiles {

// Creates exactly one folder: fails when it exists already, when its parent is missing or read-only.
bool createFolder(const QString& path);

// Creates an empty file; a file of that name (a package may hold its own) is left exactly as it is.
bool writeEmptyFile(const QString& path);

} // namespace WorkFiles
