#include "projects/PackageChanges.h"

#include "archive/NativeFs.h"
#include "archive/ZipListing.h"
#include "platform/FileSystem.h"
#include "projects/FileMoves.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <zlib.h>

using namespace Qt::StringLiterals;

namespace PackageChanges {

namespace {

using Entry = ZipListing::Entry;

constexpr qint64 kReadChunk = 1 << 20;

// What one side holds: its files (and links) by path, and its folders, every one and the empty ones.
struct Side
{
    QHash<QString, Entry> files;
    QSet<QString> folders;
    QStringList emptyFolders;
};

void addParents(const QString& path, QSet<QString>& folders)
{
    for (qsizetype slash = path.lastIndexOf(u'/'); slash > 0; slash = path.lastIndexOf(u'/', slash - 1))
        folders.insert(path.left(slash));
}

bool isLeftOut(const Entry& entry, const QString& leftOutWhenEmpty)
{
    return !leftOutWhenEmpty.isEmpty() && entry.path == leftOutWhenEmpty && entry.kind == Entry::Kind::File &&
           entry.size == 0;
}

Side sideOf(const QList<Entry>& entries, const QString& leftOutWhenEmpty = {})
{
    Side side;
    QSet<QString> parents;
    QStringList explicitFolders;
    for (const Entry& entry : entries) {
        if (isLeftOut(entry, leftOutWhenEmpty))
            continue;
        addParents(entry.path, parents);
        if (entry.kind == Entry::Kind::Folder)
            explicitFolders.append(entry.path);
        else
            side.files.insert(entry.path, entry);
    }
    side.folders = parents;
    for (const QString& folder : std::as_const(explicitFolders)) {
        side.folders.insert(folder);
        // A folder with nothing below it is there only by its own entry; one with files shows through them.
        if (!parents.contains(folder))
            side.emptyFolders.append(folder);
    }
    return side;
}

// Empty folders that one side has and the other has not at all; a folder that holds files on the other side is
// told by its files.
void compareFolders(const Side& before, const Side& after, Changes& changes)
{
    for (const QString& folder : after.emptyFolders) {
        if (!before.folders.contains(folder) && !before.files.contains(folder))
            changes.added.append(folder + u'/');
    }
    for (const QString& folder : before.emptyFolders) {
        if (!after.folders.contains(folder) && !after.files.contains(folder))
            changes.removed.append(folder + u'/');
    }
}

void sortLists(Changes& changes)
{
    changes.added.sort();
    changes.changed.sort();
    changes.removed.sort();
}

Changes compareSides(const Side& before, const Side& after, const std::function<bool(const Entry&, const Entry&)>& same)
{
    Changes changes;
    for (auto file = after.files.cbegin(); file != after.files.cend(); ++file) {
        const auto earlier = before.files.constFind(file.key());
        if (earlier == before.files.cend())
            changes.added.append(file.key());
        else if (earlier->kind != file->kind || earlier->size != file->size || !same(*earlier, *file))
            changes.changed.append(file.key());
    }
    for (auto file = before.files.cbegin(); file != before.files.cend(); ++file) {
        if (!after.files.contains(file.key()))
            changes.removed.append(file.key());
    }
    compareFolders(before, after, changes);
    sortLists(changes);
    return changes;
}

// CRC-32 of a file's bytes, read from one open handle that never follows a link; nothing when it cannot be read.
std::optional<quint32> crcOfFile(const QString& path, qint64 size, const std::function<void(qint64)>& read)
{
    NativeFs::OpenedFile file;
    if (!file.open(path))
        return std::nullopt;
    uLong crc = crc32(0L, Z_NULL, 0);
    QByteArray buffer;
    for (qint64 done = 0; done < size;) {
        const qint64 length = std::min(kReadChunk, size - done);
        if (!file.readAt(done, length, buffer))
            return std::nullopt;
        crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.constData()), uInt(length));
        done += length;
        if (read)
            read(length);
    }
    return quint32(crc);
}

// Whether two files of `size` bytes hold the same ones, read side by side; false when one cannot be read.
bool sameContent(const QString& a, const QString& b, qint64 size, const std::function<void(qint64)>& read)
{
    if (FileSystem::sameFile(a, b))
        return true;
    NativeFs::OpenedFile one;
    NativeFs::OpenedFile other;
    if (!one.open(a) || !other.open(b))
        return false;
    QByteArray first;
    QByteArray second;
    for (qint64 done = 0; done < size;) {
        const qint64 length = std::min(kReadChunk, size - done);
        if (!one.readAt(done, length, first) || !other.readAt(done, length, second) || first != second)
            return false;
        done += length;
        if (read)
            read(length);
    }
    return true;
}

quint32 crcOfBytes(const QByteArray& bytes)
{
    return quint32(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

// The folder as its package would list it. Each file keeps its status, for the time and for reading its content.
struct Walked
{
    bool complete = true;
    QList<Entry> entries;
    QHash<QString, NativeFs::Status> statuses;
    QSet<QString> unlisted; // pipes, sockets, devices: no package holds them, so they always count
};

Walked walk(const QString& folder)
{
    Walked walked;
    if (NativeFs::statusOf(folder).kind != NativeFs::Kind::Folder) {
        walked.complete = false;
        return walked;
    }
    QStringList pending{QString()};
    while (!pending.isEmpty()) {
        const QString relative = pending.takeLast();
        const QString absolute = relative.isEmpty() ? folder : folder + u'/' + relative;
        const std::optional<QStringList> names = NativeFs::listFolder(absolute);
        if (!names) {
            walked.complete = false;
            return walked;
        }
        if (!relative.isEmpty())
            walked.entries.append({relative, Entry::Kind::Folder, 0, 0, {}});
        for (const QString& name : *names) {
            const QString path = relative.isEmpty() ? name : relative + u'/' + name;
            const NativeFs::Status status = NativeFs::statusOf(absolute + u'/' + name);
            switch (status.kind) {
            case NativeFs::Kind::Folder:
                pending.append(path);
                continue;
            case NativeFs::Kind::File:
                walked.entries.append({path, Entry::Kind::File, status.size, 0, status.modified});
                break;
            case NativeFs::Kind::Link:
                walked.entries.append({path, Entry::Kind::Link, status.size, 0, status.modified});
                break;
            case NativeFs::Kind::Missing: // gone between the listing and the look: it is not there
                continue;
            case NativeFs::Kind::Other:
                walked.entries.append({path, Entry::Kind::File, status.size, 0, status.modified});
                walked.unlisted.insert(path);
                break;
            }
            walked.statuses.insert(path, status);
        }
    }
    return walked;
}

QList<Entry> entriesOf(const Package& package, bool& readable)
{
    readable = true;
    if (package.path.isEmpty() || !QFileInfo::exists(package.path))
        return {};
    if (package.zip) {
        const std::optional<QList<Entry>> listed = ZipListing::read(package.path);
        readable = listed.has_value();
        return listed.value_or(QList<Entry>());
    }
    return {{package.fileName, Entry::Kind::File, QFileInfo(package.path).size(), 0, {}}};
}

} // namespace

Comparison ofFolder(const QString& folder, const QString& package, const QString& leftOutWhenEmpty,
                    const Progress& progress, Check check)
{
    Comparison comparison;
    bool readable = true;
    const QList<Entry> stored = entriesOf({package, true, {}}, readable);
    if (!readable)
        return comparison;
    const Walked walked = walk(folder);
    if (!walked.complete)
        return comparison;
    const Side before = sideOf(stored, leftOutWhenEmpty);
    const Side after = sideOf(walked.entries, leftOutWhenEmpty);

    // Files of the same size whose time says nothing are read afterwards, all at once, so the reading can show
    // how far it is.
    QStringList toRead;
    qint64 bytesToRead = 0;
    comparison.changes = compareSides(before, after, [&](const Entry& entry, const Entry& file) {
        if (walked.unlisted.contains(file.path))
            return false;
        if (file.kind == Entry::Kind::Link) {
            const std::optional<QByteArray> target = NativeFs::linkTarget(folder + u'/' + file.path);
            return target && crcOfBytes(*target) == entry.crc;
        }
        if (check == Check::SizeAndTime && entry.modified && file.modified && *entry.modified == *file.modified)
            return true;
        toRead.append(file.path);
        bytesToRead += file.size;
        return true;
    });
    qint64 done = 0;
    if (progress)
        progress(0, bytesToRead);
    for (const QString& path : std::as_const(toRead)) {
        const std::optional<quint32> crc =
            crcOfFile(folder + u'/' + path, walked.statuses.value(path).size, [&](qint64 read) {
                done += read;
                if (progress)
                    progress(done, bytesToRead);
            });
        if (!crc || *crc != before.files.value(path).crc)
            comparison.changes.changed.append(path);
    }
    sortLists(comparison.changes);
    comparison.outcome = Outcome::Compared;
    return comparison;
}

Comparison ofFile(const QString& file, const Package& package)
{
    Comparison comparison;
    comparison.outcome = Outcome::Compared;
    const bool stored = QFileInfo(package.path).isFile();
    if (!QFileInfo(file).isFile()) {
        if (stored)
            comparison.changes.removed.append(package.fileName);
        return comparison;
    }
    if (!stored)
        comparison.changes.added.append(package.fileName);
    else if (!FileMoves::sameBytes(file, package.path))
        comparison.changes.changed.append(package.fileName);
    return comparison;
}

Comparison between(const Package& before, const Package& after, const Progress& progress)
{
    Comparison comparison;
    bool beforeReadable = true;
    bool afterReadable = true;
    const QList<Entry> earlier = entriesOf(before, beforeReadable);
    const QList<Entry> later = entriesOf(after, afterReadable);
    if (!beforeReadable || !afterReadable)
        return comparison;
    // Only single files are read (a package of some gigabytes takes its time); entries of an archive compare by the
    // checksums its listing holds.
    qint64 total = 0;
    for (const Package* package : {&before, &after}) {
        if (!package->zip && !package->path.isEmpty())
            total += QFileInfo(package->path).size();
    }
    qint64 done = 0;
    const auto read = [&](qint64 length) {
        done += length;
        if (progress)
            progress(std::min(done, total), total);
    };
    if (progress)
        progress(0, total);
    comparison.changes = compareSides(sideOf(earlier), sideOf(later), [&](const Entry& a, const Entry& b) {
        if (!before.zip && !after.zip)
            return sameContent(before.path, after.path, a.size, [&](qint64 length) { read(2 * length); });
        // A single file against an entry of the same name and size: its checksum is reckoned to compare.
        const auto crcOf = [&read](const Package& package, const Entry& entry) -> std::optional<quint32> {
            if (package.zip)
                return entry.crc;
            return crcOfFile(package.path, entry.size, read);
        };
        const std::optional<quint32> first = crcOf(before, a);
        return first && first == crcOf(after, b);
    });
    comparison.outcome = Outcome::Compared;
    return comparison;
}

std::optional<QByteArray> contentOf(const Package& package, const QString& path, qint64 maxBytes)
{
    if (package.zip)
        return ZipListing::readEntry(package.path, path, maxBytes);
    if (path != package.fileName || QFileInfo(package.path).size() > maxBytes)
        return std::nullopt;
    QFile file(package.path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace PackageChanges
