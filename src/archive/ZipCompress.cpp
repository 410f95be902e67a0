#include "archive/CompressionChoice.h"
#include "archive/InsideLink.h"
#include "archive/NativeFs.h"
#include "archive/ParallelDeflate.h"
#include "archive/ZipArchive.h"
#include "archive/ZipWriter.h"
#include "platform/DurableFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSet>
#include <QTemporaryFile>

#include <algorithm>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFailed = 0;
// On the benchmark tree level 4 packs in about 60 % of the time of zlib's default level 6 for an archive about 1 %
// larger; level 1 saves little more time and loses twice as much size.
constexpr int kDeflateLevel = 4;
// Small enough that a few large files keep both cores busy, large enough that priming each piece with the 32 KiB
// before it costs nothing noticeable in size.
constexpr qint64 kPieceSize = 512 * 1024;
constexpr quint32 kUnixFile = 0100000;
constexpr quint32 kUnixFolder = 0040000;
constexpr quint32 kUnixLink = 0120000;
constexpr quint32 kDosReadOnly = 0x01;
constexpr quint32 kDosFolder = 0x10;
constexpr int kOwnerWrite = 0200;

struct SourceEntry
{
    QString path;
    QString name; // relative, "/" separators; a folder's ends with "/"
    NativeFs::Kind kind = NativeFs::Kind::File;
    int mode = 0;
    qint64 size = 0;
    qint64 modified = 0;
    QByteArray linkTarget;
    bool stored = false; // a file whose content is already compressed

    qint64 pieces() const
    {
        return kind == NativeFs::Kind::File ? std::max<qint64>(1, (size + kPieceSize - 1) / kPieceSize) : 0;
    }
};

// Every file and inside link below root, and every folder that would otherwise vanish (nothing inside it is stored)
// or come back with another mode (one a new folder would not get anyway).
bool collectEntries(const QString& root, const QString& skippedFile, QList<SourceEntry>& entries)
{
    const QDir rootDir(root);
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
        return target ? std::optional<QString>(QFile::decodeName(*target)) : std::nullopt;
    };

    // Links are never followed into: one to a folder would loop or pack a whole other tree.
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = rootDir.relativeFilePath(path);
        const NativeFs::Status status = NativeFs::statusOf(path);
        SourceEntry entry{path, name, status.kind, status.mode, status.size, status.modified, {}, false};
        switch (status.kind) {
        case NativeFs::Kind::Folder:
            if (!QFileInfo(path).isReadable() || !QFileInfo(path).isExecutable()) {
                return false; // its files would be missing without a word
            }
            entry.size = 0;
            folders.append(entry);
            noteParents(name);
            break;
        case NativeFs::Kind::File:
            if (path == skippedFile) {
                break;
            }
            entry.stored = CompressionChoice::isAlreadyCompressed(path, status.size);
            entries.append(entry);
            noteParents(name);
            break;
        case NativeFs::Kind::Link: {
            // A link that is absolute or leads out would be refused when unpacked; it is left out, never followed.
            const std::optional<QByteArray> target = NativeFs::linkTarget(path);
            if (target && InsideLink::staysInside(name, QFile::decodeName(*target), linkOnDisk)) {
                entry.linkTarget = *target;
                entry.size = target->size();
                entries.append(entry);
                noteParents(name);
            }
            break;
        }
        case NativeFs::Kind::Missing:
        case NativeFs::Kind::Other:
            break; // gone meanwhile, or a pipe, socket or device: nothing that could be packed
        }
    }
    for (SourceEntry& folder : folders) {
        if (!foldersWithContent.contains(folder.name) || folder.mode != usualFolderMode) {
            folder.name += u'/';
            entries.append(folder);
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const SourceEntry& a, const SourceEntry& b) { return a.name < b.name; });
    return true;
}

ZipWriter::Entry headerOf(const SourceEntry& entry)
{
    ZipWriter::Entry header;
    header.name = entry.name.toUtf8();
    header.modified = entry.modified;
    header.size = quint64(entry.size);
    const quint32 mode = quint32(entry.mode & NativeFs::kPermissionMask);
    switch (entry.kind) {
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

QList<ParallelDeflate::Job> jobsOf(const QList<SourceEntry>& entries)
{
    QList<ParallelDeflate::Job> jobs;
    for (const SourceEntry& entry : entries) {
        const qint64 pieces = entry.pieces();
        for (qint64 piece = 0; piece < pieces; ++piece) {
            const qint64 offset = piece * kPieceSize;
            jobs.append({entry.path, offset, std::min(kPieceSize, entry.size - offset), entry.size > 0 && !entry.stored,
                         piece == pieces - 1, pieces == 1});
        }
    }
    return jobs;
}

bool writeArchive(const QList<SourceEntry>& entries, const QString& path, const ZipArchive::Progress& progress)
{
    ZipWriter writer(path);
    if (!writer.open()) {
        return false;
    }
    qint64 total = 0;
    for (const SourceEntry& entry : entries) {
        total += entry.size;
    }
    qint64 done = 0;
    const auto advance = [&](qint64 bytes) {
        done += bytes;
        return !progress || progress(done, total);
    };
    if (!advance(0)) {
        return false;
    }

    ParallelDeflate deflater(jobsOf(entries), kDeflateLevel);
    for (const SourceEntry& entry : entries) {
        ZipWriter::Entry header = headerOf(entry);
        if (entry.kind == NativeFs::Kind::Folder) {
            if (!writer.writeEntry(header, 0, {})) {
                return false;
            }
            continue;
        }
        if (entry.kind == NativeFs::Kind::Link) {
            const quint32 crc = quint32(
                crc32(0, reinterpret_cast<const Bytef*>(entry.linkTarget.constData()), uInt(entry.linkTarget.size())));
            if (!writer.writeEntry(header, crc, entry.linkTarget) || !advance(entry.size)) {
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

int compress(const QString& sourceDir, const QString& archivePath, const Progress& progress)
{
    const QFileInfo source(sourceDir);
    const QFileInfo target(archivePath);
    if (sourceDir.isEmpty() || archivePath.isEmpty() || !source.isDir() || target.isDir()) {
        return kFailed;
    }
    const QString targetPath = target.absoluteFilePath();
    const QString targetFolder = target.absolutePath();

    QList<SourceEntry> entries;
    if (!collectEntries(source.absoluteFilePath(), targetPath, entries)) {
        return kFailed;
    }
    // A replaced archive keeps its mode; a new one gets what any saved file gets, not a temporary file's 0600.
    const NativeFs::Status old = NativeFs::statusOf(targetPath);
    const int mode = old.kind == NativeFs::Kind::File ? old.mode : NativeFs::kDefaultFileMode & ~NativeFs::umask();
    const QString temporary = reserveTemporaryName(targetFolder);
    if (temporary.isEmpty()) {
        return kFailed;
    }
    if (!writeArchive(entries, temporary, progress) || !NativeFs::setMode(temporary, mode) ||
        !DurableFile::syncFile(temporary) || !DurableFile::replace(temporary, targetPath)) {
        QFile::remove(temporary);
        return kFailed;
    }
    // The archive is complete either way; a folder that cannot be synced only weakens the crash guarantee.
    DurableFile::syncFolder(targetFolder);
    return kOk;
}

} // namespace ZipArchive
