#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QFile;

// What it takes for a finished file to survive a crash or power loss once it has replaced an older one.
namespace DurableFile {

bool syncFile(const QString& path);

// Makes a rename inside the folder durable; a no-op where the platform has no such call.
bool syncFolder(const QString& path);

// Moves from over to, replacing an existing file in one step. A link at `to` is itself replaced, never
// the file it points to.
bool replace(const QString& from, const QString& to);

// Replaces `target` by a file that `fill` writes: the bytes go to a temporary file beside the target, which
// is synced, renamed over the target, and the folder synced. Until it answers true the target is as it was;
// on any failure (fill answering false included) no temporary is left behind.
bool write(const QString& target, const std::function<bool(QFile& out)>& fill);
bool write(const QString& target, const QByteArray& bytes);

// Gives the file at `existing` a second name `link` (a hard link), so its bytes stay under `link` when
// `existing` is later replaced or removed, and not one byte is copied. The new name is synced into its folder.
// False, with nothing made, where the file system has no such links, `link` exists, or the two lie on
// different disks.
bool keepAs(const QString& existing, const QString& link);

// An unused name beside `path` (same folder, so a rename to `path` stays on one file system).
QString temporaryBeside(const QString& path);

// Removes the temporaries of writes that were cut off (a kill or a power cut before their rename) directly in
// `folder`. Only the start may call it: a write running meanwhile would lose its temporary.
void removeLeftovers(const QString& folder);

} // namespace DurableFile
