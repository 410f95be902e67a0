#pragma once

#include <QString>

#include <functional>

// Free bytes on the file system that holds a path (the nearest existing folder when the path does not exist yet).
namespace FreeSpace {

using Query = std::function<qint64(const QString& existingFolder)>;

qint64 availableAt(const QString& path);

// Tests answer in place of the disk to play a full one; an empty query restores the real answer.
void setQuery(Query query);

} // namespace FreeSpace
