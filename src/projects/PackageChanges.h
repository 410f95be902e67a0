#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What differs between a package and a working folder, a worked file or another package: the files added,
// changed (other size or other content) and removed. Nothing is unpacked: a ZIP package is read through its listing.
namespace PackageChanges {

struct Changes
{
    // Relative paths with "/" separators, in path order; an empty folder is named with a "/" at its end. Names the
    // disk holds in bytes that are not UTF-8 are in NativeFs's stray-byte form.
    QStringList added;
    QStringList changed;
    QStringList removed;

    bool isEmpty() const { return added.isEmpty() && changed.isEmpty() && removed.isEmpty(); }
};

enum class Outcome {
    Compared,
    Unreadable, // a package is no archive that could be unpacked, or the folder could not be read whole
};

struct Comparison
{
    Outcome outcome = Outcome::Unreadable;
    Changes changes;
};

using Progress = std::function<bool(qint64 done, qint64 total)>;

// One side of a comparison. A package that does not exist holds nothing: compared with it, everything is added.
struct Package
{
    QString path;
    bool zip = false;
    QString fileName; // a single-file package's one file, as the lists name it ("P01.e")
};

// How far a file of the same size as its entry is trusted.
enum class Check {
    SizeAndTime, // the same modification time (to the second) says unchanged: what a question shows
    Content,     // every file is read: what decides that work may go without being stored
};

// A working folder against the ZIP package it was unpacked from. A file of another size is changed; one of the same
// size is read and its CRC-32 compared with the entry's, unless `check` lets a matching modification time answer.
// `leftOutWhenEmpty` (the marker) counts on neither side while it holds no bytes. Links compare by their targets; a
// pipe or another thing no package holds always counts.
Comparison ofFolder(const QString& folder, const QString& package, const QString& leftOutWhenEmpty,
                    const Progress& progress = {}, Check check = Check::SizeAndTime);

// A worked file against a single-file package: changed unless they hold the same bytes.
Comparison ofFile(const QString& file, const Package& package);

// `after` against `before`: what was added, changed and removed on the way from one to the other. Entries of two
// ZIP packages compare by size and CRC-32; only single files are read, with progress in bytes.
Comparison between(const Package& before, const Package& after, const Progress& progress = {});

// The content of the file at `path` in the package (a single-file package holds one, its fileName), when it holds
// at most maxBytes; nothing when there is no such file, it is larger, or it cannot be read.
std::optional<QByteArray> contentOf(const Package& package, const QString& path, qint64 maxBytes);

} // namespace PackageChanges
