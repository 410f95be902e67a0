#pragma once

#include <QString>

// Reads a finished archive back before it replaces anything: every entry is inflated to its end and its checksum
// and size compared with the central directory. What a writer fault or a bad disk spoiled is found
// while the old archive is still there.
namespace ZipReadBack {

bool everyEntryReadsBack(const QString& archivePath);

} // namespace ZipReadBack
