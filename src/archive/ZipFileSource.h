#pragma once

#include <QString>

#include <zip.h>

// Opens an archive for libzip to read. libzip's own file source goes through stdio, which asks the system for the
// position before every read and reads in steps of 4 KiB: five or more system calls for each small entry, more
// than inflating it costs. This source hands libzip the same bytes through positioned reads with a read-ahead
// buffer, so an entry's local header and its data usually come with one call. libzip still does all the reading
// of the archive's structure and all its checks.
namespace ZipFileSource {

// The archive read-only, with libzip's zip_open flags (ZIP_RDONLY is implied); nothing when it cannot be opened.
// Close it with zip_discard.
zip_t* open(const QString& path, int flags);

} // namespace ZipFileSource
