#pragma once

#include <QString>

#include <functional>

// Packs a directory into a ZIP archive and unpacks one into a directory.
namespace ZipArchive {

// Called now and then during long work with the bytes done so far and the total. Answer false to cancel.
using Progress = std::function<bool(qint64 done, qint64 total)>;

constexpr int kOk = 1;

// Every file below sourceDir is stored with its path relative to sourceDir ("/" separators, UTF-8 names).
// The archive is replaced only once the new one is complete. Returns kOk on success.
int compress(const QString& sourceDir, const QString& archivePath, const Progress& progress = {});

// Writes every entry below targetDir (created when missing; existing files are overwritten). Refuses the whole
// archive before writing anything when an entry would land outside targetDir, is a link or a device, when the
// archive is corrupt or encrypted, or when its content would not fit on the target's disk. Returns kOk on success.
int extract(const QString& archivePath, const QString& targetDir, const Progress& progress = {});

} // namespace ZipArchive
