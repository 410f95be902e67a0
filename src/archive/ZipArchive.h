#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Packs a directory into a ZIP archive and unpacks one into a directory.
namespace ZipArchive {

// Called now and then during long work with the bytes done so far and the total. Answer false to cancel.
using Progress = std::function<bool(qint64 done, qint64 total)>;

enum class Outcome {
    // The source or the archive could not be read, the archive was refused or not written, or the work was
    // cancelled; nothing is left half done.
    Failed,
    Ok,
    // A file kept changing while it was packed, try after try: another program is still writing into the tree.
    Changing,
    // The tree holds what no archive can carry back (see Packing::unpackable); nothing was written.
    Unpackable,
};

struct PackOptions
{
    // A file (relative to the source) that is left out while it holds no bytes.
    QString leftOutWhenEmpty;
    // Whether a tree holding links that lead out or are absolute, pipes, sockets or devices is refused instead
    // of packed without them.
    bool refuseUnpackable = false;
};

struct Packing
{
    Outcome status = Outcome::Failed;
    // Relative names of what was left out (or, refused, what could not be packed), in name order.
    QStringList unpackable;
};

// Every file below sourceDir is stored with its path relative to sourceDir ("/" separators, UTF-8 names).
// The archive is replaced only once the new one is complete.
//
// Every file is read from one open handle and checked afterwards, with the whole tree, against what it was when
// packing began; a tree that changed meanwhile is packed again, a few times at most. The new archive is read back
// whole (every entry's checksum) before it replaces anything.
Outcome compress(const QString& sourceDir, const QString& archivePath, const Progress& progress = {});
Packing pack(const QString& sourceDir, const QString& archivePath, const PackOptions& options,
             const Progress& progress = {});

// Writes every entry below targetDir (created when missing; existing files are overwritten). Refuses the whole
// archive before writing anything when an entry would land outside targetDir, is a link or a device, when the
// archive is corrupt or encrypted, or when its content would not fit on the target's disk.
Outcome extract(const QString& archivePath, const QString& targetDir, const Progress& progress = {});

} // namespace ZipArchive
