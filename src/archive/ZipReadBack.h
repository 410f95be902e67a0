#pragma once

#include <QString>

// Reads a finished archive back before it replaces anything: every entry is inflated to its end, where libzip
// compares its checksum and size with the central directory. What a writer fault or a bad disk spoiled is found
// while the old archive is still there.
namespace ZipReadBack {

bool everyEntryReadsBack(const QString& archivePath);

} // namespace ZipReadBack
