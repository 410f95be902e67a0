#pragma once

#include <QList>
#include <QString>

// The file-system steps of execute and update back. Each answers whether it did what was asked.
namespace WorkFiles {

// Creates exactly one folder: fails when it exists already, when its parent is missing or read-only.
bool createFolder(const QString& path);

// Creates an empty file; a file of that name (a package may hold its own) is left exactly as it is.
bool writeEmptyFile(const QString& path);

// A file of an unpacked package the user may choose to open.
struct Offered
{
    QString relativePath; // below the working folder, "/" between the parts, each part as the disk holds it
    QString shown;        // as a person reads it (NativeFs::readableName of each part)
};

// Most files a choice offers; a tree of thousands of files is opened through its folder.
constexpr qsizetype kMostOffered = 500;

// The files to choose from in an unpacked package's working folder, in the order a file manager shows them
// (natural order, letter case aside): the files directly in the folder but the marker; when it holds none, as
// nearly every package that keeps its content in one top folder, the files below it by their relative paths,
// the shallower first and each folder's files together, leaving out what a file manager hides (names starting
// with "."). At most `limit`: when there are more, each folder offers as many as the others, its first ones.
// Names the disk holds as bytes that are not UTF-8 are offered too.
QList<Offered> filesToOpen(const QString& workDir, qsizetype limit = kMostOffered);

} // namespace WorkFiles
