#include "archive/ZipEntryPlan.h"

#include "archive/InsideLink.h"
#include "archive/NativeFs.h"
#include "archive/ZipCentralDirectory.h"
#include "archive/ZipEntryName.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QtEndian>

namespace {

constexpr zip_uint32_t kUnixTypeMask = 0170000;
constexpr zip_uint32_t kUnixRegular = 0100000;
constexpr zip_uint32_t kUnixFolder = 0040000;
constexpr zip_uint32_t kUnixLink = 0120000;
// Windows archivers that record Unix modes (p7zip, 7-Zip) mark it with this bit of the DOS attributes.
constexpr zip_uint32_t kDosHasUnixMode = 0x8000;
// Longer than any path the system resolves; a bigger "link" is not one.
constexpr zip_uint64_t kMaxLinkTarget = 4095;
// Info-ZIP's extended timestamp: whole seconds in UTC, where the DOS time has two-second steps in local time.
constexpr zip_uint16_t kExtendedTimestamp = 0x5455;

#ifdef Q_OS_WIN
// Making a link needs privileges there, and a link unpacked as a plain file would be packed back as one.
constexpr bool kRestoresLinks = false;
// Names there are UTF-16 text: bytes of a Unix file system are read in the archive's code page like any other.
constexpr bool kKeepsNameBytes = false;
#else
constexpr bool kRestoresLinks = true;
constexpr bool kKeepsNameBytes = true;
#endif

struct RawEntry
{
    QByteArray name;
    bool knownUtf8 = false;
    // Made on Unix, unflagged and not UTF-8: the bytes of a file system that took them as they were (the name of
    // a file unpacked from a Windows archive), which go back to the file system as they are.
    bool fileSystemBytes = false;
};

struct EntryType
{
    std::optional<PlannedEntry::Kind> kind; // nothing: the name decides
    int mode = -1;
};

// A device or pipe is never project content; a link is, but only where links can be made.
std::optional<EntryType> typeOf(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) {
        return std::nullopt;
    }
    const bool hasUnixMode =
        system == ZIP_OPSYS_UNIX || system == ZIP_OPSYS_OS_X || (attributes & kDosHasUnixMode) != 0;
    const zip_uint32_t unixMode = attributes >> 16;
    if (!hasUnixMode || unixMode == 0) {
        return EntryType{};
    }
    EntryType type;
    type.mode = int(unixMode) & NativeFs::kPermissionMask;
    switch (unixMode & kUnixTypeMask) {
    case 0:
        break;
    case kUnixRegular:
        type.kind = PlannedEntry::Kind::File;
        break;
    case kUnixFolder:
        type.kind = PlannedEntry::Kind::Folder;
        break;
    case kUnixLink:
        if (!kRestoresLinks) {
            return std::nullopt;
        }
        type.kind = PlannedEntry::Kind::Link;
        break;
    default:
        return std::nullopt;
    }
    return type;
}

bool isReadable(const zip_stat_t& stat, const ZipCentralEntry& central)
{
    if (central.isEncrypted() || ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)) {
        return false;
    }
    return (stat.valid & ZIP_STAT_COMP_METHOD) && (stat.valid & ZIP_STAT_SIZE) &&
           zip_compression_method_supported(stat.comp_method, 0) != 0;
}

bool endsWithSeparator(const QString& name)
{
    return name.endsWith(u'/') || name.endsWith(u'\\');
}

std::optional<qint64> modificationTime(zip_t* archive, zip_uint64_t index, const zip_stat_t& stat)
{
    zip_uint16_t length = 0;
    const zip_uint8_t* field =
        zip_file_extra_field_get_by_id(archive, index, kExtendedTimestamp, 0, &length, ZIP_FL_CENTRAL);
    if (field && length >= 5 && (field[0] & 0x01) != 0) {
        return qint64(qFromLittleEndian<qint32>(field + 1));
    }
    if (stat.valid & ZIP_STAT_MTIME) {
        return qint64(stat.mtime);
    }
    return std::nullopt;
}

// Read whole, so that a damaged link refuses the archive before anything is written.
std::optional<QByteArray> readLinkTarget(zip_t* archive, zip_uint64_t index, zip_uint64_t size)
{
    if (size == 0 || size > kMaxLinkTarget) {
        return std::nullopt;
    }
    zip_file_t* data = zip_fopen_index(archive, index, 0);
    if (!data) {
        return std::nullopt;
    }
    // libzip compares the checksum only when a read finds the end, and a read that got bytes before that drops
    // the error: the content is read by its size, and a read of its own must then find the end, cleanly.
    QByteArray target(qsizetype(size), Qt::Uninitialized);
    const zip_int64_t read = zip_fread(data, target.data(), size);
    char beyond = 0;
    const bool ended = read == zip_int64_t(size) && zip_fread(data, &beyond, 1) == 0;
    const bool closed = zip_fclose(data) == 0;
    if (!closed || !ended) {
        return std::nullopt;
    }
    if (target.contains('\0')) {
        return std::nullopt;
    }
    return target;
}

// Two entries for one path, or a file or link where another entry needs a folder (writing through a link could
// reach anywhere), cannot both be extracted.
bool clashes(const QList<PlannedEntry>& entries)
{
    QSet<QString> files;
    QSet<QString> folders;
    for (const PlannedEntry& entry : entries) {
        if (entry.isFolder()) {
            folders.insert(entry.path);
        } else if (files.contains(entry.path)) {
            return true;
        } else {
            files.insert(entry.path);
        }
        for (qsizetype slash = entry.path.lastIndexOf(u'/'); slash > 0;
             slash = entry.path.lastIndexOf(u'/', slash - 1)) {
            folders.insert(entry.path.left(slash));
        }
    }
    return std::any_of(files.begin(), files.end(), [&](const QString& file) { return folders.contains(file); });
}

} // namespace

namespace ZipEntryPlan {

std::optional<QList<PlannedEntry>> plan(zip_t* archive, const QString& archivePath)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    const std::optional<QList<ZipCentralEntry>> central = ZipCentralDirectory::read(archivePath);
    if (count < 0 || !central || central->size() != count) {
        return std::nullopt;
    }

    QList<RawEntry> raw;
    QList<QByteArray> unflagged;
    QList<zip_stat_t> stats(count);
    QList<EntryType> types;
    types.reserve(count);
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        const ZipCentralEntry& record = central->at(qsizetype(i));
        const char* name = zip_get_name(archive, i, ZIP_FL_ENC_RAW);
        zip_stat_init(&stats[qsizetype(i)]);
        const std::optional<EntryType> type = typeOf(archive, i);
        if (!name || record.rawName.contains('\0') ||
            zip_stat_index(archive, i, ZIP_FL_ENC_RAW, &stats[qsizetype(i)]) != 0 ||
            !isReadable(stats.at(qsizetype(i)), record) || !type) {
            return std::nullopt;
        }
        types.append(*type);
        // libzip hands over the Info-ZIP Unicode Path field in place of the stored bytes; that is UTF-8 too.
        const QByteArray bytes(name);
        const bool knownUtf8 = record.nameIsUtf8() || bytes != record.rawName;
        const bool fileSystemBytes = kKeepsNameBytes && !knownUtf8 && record.madeOnUnix() &&
                                     NativeFs::hasStrayBytes(NativeFs::decodeName(bytes));
        raw.append({bytes, knownUtf8, fileSystemBytes});
        if (!knownUtf8 && !fileSystemBytes) {
            unflagged.append(bytes);
        }
    }

    const ZipEntryName::LegacyEncoding legacy = ZipEntryName::chooseLegacyEncoding(unflagged);
    QList<PlannedEntry> entries;
    entries.reserve(count);
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        const RawEntry& entry = raw.at(qsizetype(i));
        const QString name = entry.fileSystemBytes ? NativeFs::decodeName(entry.name)
                             : entry.knownUtf8     ? ZipEntryName::decodeUtf8(entry.name)
                                                   : ZipEntryName::decode(entry.name, legacy);
        const std::optional<QString> path = ZipEntryName::safeRelativePath(name);
        if (!path) {
            return std::nullopt;
        }
        const zip_stat_t& stat = stats.at(qsizetype(i));
        const EntryType& type = types.at(qsizetype(i));
        const bool namedAsFolder = endsWithSeparator(name);
        if (namedAsFolder && type.kind == PlannedEntry::Kind::Link) {
            return std::nullopt;
        }
        PlannedEntry planned{i, *path, stat.size, PlannedEntry::Kind::File, type.mode, {}, {}};
        planned.kind = namedAsFolder ? PlannedEntry::Kind::Folder : type.kind.value_or(PlannedEntry::Kind::File);
        if (planned.isFolder() && planned.size != 0) {
            return std::nullopt;
        }
        if (planned.kind == PlannedEntry::Kind::Link) {
            const std::optional<QByteArray> target = readLinkTarget(archive, i, planned.size);
            if (!target) {
                return std::nullopt;
            }
            planned.linkTarget = *target;
        }
        planned.modified = modificationTime(archive, i, stat);
        planned.stat = stat;
        entries.append(planned);
    }
    if (clashes(entries)) {
        return std::nullopt;
    }
    return entries;
}

bool linksStayInside(const QList<PlannedEntry>& entries, const QString& targetDir)
{
    QHash<QString, QString> links;
    QSet<QString> plain; // paths the archive fills with a file or folder, whatever the target holds there now
    for (const PlannedEntry& entry : entries) {
        if (entry.kind == PlannedEntry::Kind::Link) {
            links.insert(entry.path, QFile::decodeName(entry.linkTarget));
        } else {
            plain.insert(entry.path);
        }
        for (qsizetype slash = entry.path.lastIndexOf(u'/'); slash > 0;
             slash = entry.path.lastIndexOf(u'/', slash - 1)) {
            plain.insert(entry.path.left(slash));
        }
    }
    if (links.isEmpty()) {
        return true;
    }
    const InsideLink::Lookup lookup = [&](const QString& path) -> std::optional<QString> {
        if (const auto link = links.constFind(path); link != links.cend()) {
            return *link;
        }
        if (plain.contains(path)) {
            return std::nullopt;
        }
        const std::optional<QByteArray> onDisk = NativeFs::linkTarget(targetDir + u'/' + path);
        return onDisk ? std::optional<QString>(QFile::decodeName(*onDisk)) : std::nullopt;
    };
    for (auto link = links.cbegin(); link != links.cend(); ++link) {
        if (!InsideLink::staysInside(link.key(), link.value(), lookup)) {
            return false;
        }
    }
    return true;
}

} // namespace ZipEntryPlan
