#pragma once

#include <QString>

// What it takes for a finished file to survive a crash or power loss once it has replaced an older one.
namespace DurableFile {

bool syncFile(const QString& path);

// Makes a rename inside the folder durable; a no-op where the platform has no such call.
bool syncFolder(const QString& path);

// Moves from over to, replacing an existing file in one step.
bool replace(const QString& from, const QString& to);

} // namespace DurableFile
