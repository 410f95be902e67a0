#include "archive/CompressionChoice.h"
#include "archive/InsideLink.h"
#include "archive/NativeFs.h"
#include "archive/ParallelDeflate.h"
#include "archive/ZipArchive.h"
#include "archive/ZipReadBack.h"
#include "archive/ZipWriter.h"
#include "platform/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

using CompressionChoice::kPieceSize;
constexpr quint32 kUnixFile = 0100000;
constexpr quint32 kUnixFolder = 0040000;
constexpr quint32 kUnixLink = 0120000;
constexpr quint32 kDosReadOnly = 0x01;
constexpr quint32 kDosFolder = 0x10;
constexpr int kOwnerWrite = 0200;
// Packing again after a change; a tree still changing after that is in the middle of another program's work.
constexpr int kAttempts = 3;
constexpr std::chrono::milliseconds kPauseBeforeAttempt{150};

struct SourceEntry
{
    QString path;
    QString name; // relative, "/" separators; a folder's ends with "/"
    NativeFs::Status status;
    QByteArray linkTarget;
    bool stored = false; // a file whose content is already compressed

    NativeFs::Kind kind() const { return status.kind; }
    qint64 size() const
    {
        switch (status.kind) {
        case NativeFs::Kind::File:
            return status.size;
        case NativeFs::Kind::Link:
            return linkTarget.size();
        default:
            return 0;
        }
    }
    qint64 pieces() const
    {
        return kind() == NativeFs::Kind::File ? std::max<qint64>(1, (size() + kPieceSize - 1) / kPieceSize) : 0;
    }
    bool sameAs(const SourceEntry& other) const
    {
        return name == other.name && status.sameAs(other.status) && linkTarget == other.linkTarget;
    }
};

// What a walk of the tree found: what goes into the archive, and everything seen, to tell later whether the tree
// changed meanwhile (a folder's time moves when a file inside is made, renamed or deleted).
struct Listing
{
    QList<SourceEntry> entries;
    QList<SourceEntry> seen;
    QStringList unpackable;
    bool unreadable = false; // a folder that cannot be listed: its files would be missing without a word
    bool vanished = false;   // something went between being listed and being looked at

    bool sameAs(const Listing& other) const
    {
        return unpackable == other.unpackable && unreadable == other.unreadable && !vanished && !other.vanished &&
               std::equal(seen.begin(), seen.end(), other.seen.begin(), other.seen.end(),
                          [](const SourceEntry& a, const SourceEntry& b) { return a.sameAs(b); });
    }
};

// Every file and inside link below root, and every folder that would otherwise vanish (nothing inside it is stored)
// or come back with another mode (one a new folder would not get anyway).
Listing collectEntries(const QString& root, const QSet<QString>& skippedFiles, const QString& leftOutWhenEmpty,
                       bool chooseMethods)
{
    Listing listing;
    const int usualFolderMode = NativeFs::kDefaultFolderMode & ~NativeFs::umask();
    QList<SourceEntry> folders;
    QSet<QString> foldersWithContent;
    const auto noteParents = [&](const QString& name) {
        for (qsizetype slash = name.lastIndexOf(u'/'); slash > 0; slash = name.lastIndexOf(u'/', slash - 1)) {
            foldersWithContent.insert(name.left(slash));
        }
    };
    const InsideLink::Lookup linkOnDisk = [&](const QString& relative) -> std::optional<QString> {
        const std::optional<QByteArray> target = NativeFs::linkTarget(root + u'/' + relative);
        return target ? std::optional<QString>(NativeFs::decodeName(*target)) : std::nullopt;
    };

    // Links are never followed into: one to a folder would loop or pack a whole other tree. Names are taken from
    // the system as they are, so that one that is not UTF-8 is packed under its own bytes.
    QStringList pending{QString()};
    while (!pending.isEmpty()) {
        const QString folderName = pending.takeLast();
        const QString folderPath = folderName.isEmpty() ? root : root + u'/' + folderName;
        const std::optional<QStringList> names = NativeFs::listFolder(folderPath);
        if (!names) {
            if (NativeFs::statusOf(folderPath).kind != NativeFs::Kind::Folder) {
                listing.vanished = true;
            } else {
                listing.unreadable = true; // its files would be missing without a word
                listing.unpackable.append(folderName + u'/');
            }
            continue;
        }
        for (const QString& leaf : *names) {
            const QString name = folderName.isEmpty() ? leaf : folderName + u'/' + leaf;
            const QString path = root + u'/' + name;
            SourceEntry entry{path, name, NativeFs::statusOf(path), {}, false};
            switch (entry.kind()) {
            case NativeFs::Kind::Folder:
                folders.append(entry);
                noteParents(name);
                pending.append(name);
                break;
            case NativeFs::Kind::File:
                if (skippedFiles.contains(path)) {
                    continue; // the archive itself, when it is written into the tree
                }
                if (path == leftOutWhenEmpty && entry.status.size == 0) {
                    break;
                }
                entry.stored = chooseMethods && CompressionChoice::isAlreadyCompressed(path, entry.status.size);
                listing.entries.append(entry);
                noteParents(name);
                break;
            case NativeFs::Kind::Link: {
                // A link that is absolute or leads out would be refused when unpacked: it is never followed or
                // stored.
                const std::optional<QByteArray> target = NativeFs::linkTarget(path);
                if (target && InsideLink::staysInside(name, NativeFs::decodeName(*target), linkOnDisk)) {
                    entry.linkTarget = *target;
                    listing.entries.append(entry);
                    noteParents(name);
                } else if (target) {
                    listing.unpackable.append(name);
                } else {
                    listing.vanished = true;
                }
                break;
            }
            case NativeFs::Kind::Missing:
                listing.vanished = true;
                break;
            case NativeFs::Kind::Other:
                listing.unpackable.append(name); // a pipe, socket or device
                break;
            }
            listing.seen.append(entry);
        }
    }
    for (SourceEntry& folder : folders) {
        if (!foldersWithContent.contains(folder.name) || folder.status.mode != usualFolderMode) {
            folder.name += u'/';
            listing.entries.append(folder);
        }
    }
    const auto byName = [](const SourceEntry& a, const SourceEntry& b) { return a.name < b.name; };
    std::sort(listing.entries.begin(), listing.entries.end(), byName);
    std::sort(listing.seen.begin(), listing.seen.end(), byName);
    listing.unpackable.sort();
    return listing;
}

ZipWriter::Entry headerOf(const SourceEntry& entry)
{
    ZipWriter::Entry header;
    header.name = NativeFs::encodeName(entry.name);
    header.utf8 = !NativeFs::hasStrayBytes(entry.name);
    header.modified = entry.status.modified;
    header.size = quint64(entry.size());
    const quint32 mode = quint32(entry.status.mode & NativeFs::kPermissionMask);
    switch (entry.kind()) {
    case NativeFs::Kind::Folder:
        header.externalAttributes = ((kUnixFolder | mode) << 16) | kDosFolder;
        break;
    case NativeFs::Kind::Link:
        header.externalAttributes = (kUnixLink | 0777) << 16;
        break;
    default:
        header.externalAttributes = ((kUnixFile | mode) << 16) | ((mode & kOwnerWrite) ? 0 : kDosReadOnly);
        break;
    }
    return header;
}

QList<ParallelDeflate::Job> jobsOf(const QList<SourceEntry>& entries, QList<std::shared_ptr<SourceFile>>& files)
{
    QList<ParallelDeflate::Job> jobs;
    for (const SourceEntry& entry : entries) {
        const qint64 pieces = entry.pieces();
        if (pieces == 0) {
            continue;
        }
        auto file = std::make_shared<SourceFile>(entry.path, entry.status, pieces);
        files.append(file);
        const qint64 size = entry.size();
        for (qint64 piece = 0; piece < pieces; ++piece) {
            const qint64 offset = piece * kPieceSize;
            jobs.append({file, offset, std::min(kPieceSize, size - offset), size > 0 && !entry.stored,
                         piece == pieces - 1, pieces == 1});
        }
    }
    return jobs;
}

bool writeEntries(const QList<SourceEntry>& entries, ParallelDeflate& deflater, const QString& path,
                  const ZipArchive::Progress& progress);

enum class Written { Complete, Changed, Failed };

Written writeArchive(const QList<SourceEntry>& entries, const QString& path, const ZipArchive::Progress& progress)
{
    QList<std::shared_ptr<SourceFile>> files;
    ParallelDeflate deflater(jobsOf(entries, files), CompressionChoice::deflater());
    const auto changed = [&] {
        return std::any_of(files.cbegin(), files.cend(), [](const auto& file) { return file->changed(); });
    };
    const bool written = writeEntries(entries, deflater, path, progress);
    if (changed()) {
        return Written::Changed;
    }
    return written ? Written::Complete : Written::Failed;
}

bool writeEntries(const QList<SourceEntry>& entries, ParallelDeflate& deflater, const QString& path,
                  const ZipArchive::Progress& progress)
{
    ZipWriter writer(path);
    if (!writer.open()) {
        return false;
    }
    qint64 total = 0;
    for (const SourceEntry& entry : entries) {
        total += entry.size();
    }
    qint64 done = 0;
    const auto advance = [&](qint64 bytes) {
        done += bytes;
        return !progress || progress(done, total);
    };
    if (!advance(0)) {
        return false;
    }

    for (const SourceEntry& entry : entries) {
        ZipWriter::Entry header = headerOf(entry);
        if (entry.kind() == NativeFs::Kind::Folder) {
            if (!writer.writeEntry(header, 0, {})) {
                return false;
            }
            continue;
        }
        if (entry.kind() == NativeFs::Kind::Link) {
            const quint32 crc = quint32(
                crc32(0, reinterpret_cast<const Bytef*>(entry.linkTarget.constData()), uInt(entry.linkTarget.size())));
            if (!writer.writeEntry(header, crc, entry.linkTarget) || !advance(entry.size())) {
                return false;
            }
            continue;
        }
        const qint64 pieces = entry.pieces();
        ParallelDeflate::Piece piece = deflater.next();
        if (!piece.ok) {
            return false;
        }
        if (pieces == 1) {
            header.method = piece.stored ? ZipWriter::kStored : ZipWriter::kDeflated;
            if (!writer.writeEntry(header, piece.crc, piece.data) || !advance(piece.length)) {
                return false;
            }
            continue;
        }
        header.method = entry.stored ? ZipWriter::kStored : ZipWriter::kDeflated;
        if (!writer.beginEntry(header)) {
            return false;
        }
        uLong crc = piece.crc;
        for (qint64 number = 1;; ++number) {
            if (!writer.writeData(piece.data) || !advance(piece.length)) {
                return false;
            }
            if (number == pieces) {
                break;
            }
            piece = deflater.next();
            if (!piece.ok) {
                return false;
            }
            crc = crc32_combine(crc, piece.crc, z_off_t(piece.length));
        }
        if (!writer.finishEntry(quint32(crc))) {
            return false;
        }
    }
    return writer.finish();
}

// A fresh name next to the archive, so that the final rename stays inside one file system.
QString reserveTemporaryName(const QString& folder)
{
    QTemporaryFile reservation(folder + u"/.tallyra-zip-XXXXXX.tmp"_s);
    reservation.setAutoRemove(false);
    if (!reservation.open()) {
        return {};
    }
    return reservation.fileName();
}

} // namespace

namespace ZipArchive {

Outcome compress(const QString& sourceDir, const QString& archivePath, const Progress& progress)
{
    return pack(sourceDir, archivePath, PackOptions{}, progress).status;
}

Packing pack(const QString& sourceDir, const QString& archivePath, const PackOptions& options, const Progress& progress)
{
    Packing packing;
    const QFileInfo source(sourceDir);
    const QFileInfo target(archivePath);
    if (sourceDir.isEmpty() || archivePath.isEmpty() || !source.isDir() || target.isDir()) {
        return packing;
    }
    const QString root = source.absoluteFilePath();
    const QString targetPath = target.absoluteFilePath();
    const QString targetFolder = target.absolutePath();
    const QString leftOut = options.leftOutWhenEmpty.isEmpty() ? QString() : root + u'/' + options.leftOutWhenEmpty;

    // A replaced archive keeps its mode; a new one gets what any saved file gets, not a temporary file's 0600.
    const NativeFs::Status old = NativeFs::statusOf(targetPath);
    const int mode = old.kind == NativeFs::Kind::File ? old.mode : NativeFs::kDefaultFileMode & ~NativeFs::umask();
    const QString temporary = reserveTemporaryName(targetFolder);
    if (temporary.isEmpty()) {
        return packing;
    }
    const QSet<QString> skipped{targetPath, temporary};
    const auto fail = [&](Outcome status) {
        QFile::remove(temporary);
        packing.status = status;
        return packing;
    };

    bool unchanged = false;
    for (int attempt = 1; attempt <= kAttempts && !unchanged; ++attempt) {
        if (attempt > 1) {
            // A program saving its file is usually done a moment later.
            std::this_thread::sleep_for(kPauseBeforeAttempt * (attempt - 1));
        }
        const Listing listing = collectEntries(root, skipped, leftOut, true);
        packing.unpackable = listing.unpackable;
        if (listing.unreadable || (options.refuseUnpackable && !listing.unpackable.isEmpty())) {
            return fail(options.refuseUnpackable ? Outcome::Unpackable : Outcome::Failed);
        }
        if (listing.vanished) {
            continue;
        }
        const Written written = writeArchive(listing.entries, temporary, progress);
        if (written == Written::Failed) {
            return fail(Outcome::Failed);
        }
        unchanged = written == Written::Complete && collectEntries(root, skipped, leftOut, false).sameAs(listing);
    }
    if (!unchanged) {
        return fail(Outcome::Changing);
    }
    if (!ZipReadBack::everyEntryReadsBack(temporary) || !NativeFs::setMode(temporary, mode) ||
        !DurableFile::syncFile(temporary) || !DurableFile::replace(temporary, targetPath)) {
        return fail(Outcome::Failed);
    }
    // The archive is complete either way; a folder that cannot be synced only weakens the crash guarantee.
    DurableFile::syncFolder(targetFolder);
    packing.status = Outcome::Ok;
    return packing;
}

} // namespace ZipArchive
