#include "archive/ZipEntryPlan.h"

#include "archive/ZipCentralDirectory.h"
#include "archive/ZipEntryName.h"

#include <QSet>

namespace {

constexpr zip_uint32_t kUnixTypeMask = 0170000;
constexpr zip_uint32_t kUnixRegular = 0100000;
constexpr zip_uint32_t kUnixFolder = 0040000;
// Windows archivers that record Unix modes (p7zip, 7-Zip) mark it with this bit of the DOS attributes.
constexpr zip_uint32_t kDosHasUnixMode = 0x8000;

struct RawEntry
{
    QByteArray name;
    bool knownUtf8 = false;
};

// A link extracted as a link could point anywhere; a device or pipe is never project content.
bool isPlainFileOrFolder(zip_t* archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) {
        return false;
    }
    const bool hasUnixMode =
        system == ZIP_OPSYS_UNIX || system == ZIP_OPSYS_OS_X || (attributes & kDosHasUnixMode) != 0;
    if (!hasUnixMode) {
        return true;
    }
    const zip_uint32_t type = (attributes >> 16) & kUnixTypeMask;
    return type == 0 || type == kUnixRegular || type == kUnixFolder;
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

// Two entries for one path, or a file where another entry needs a folder, cannot both be extracted.
bool clashes(const QList<PlannedEntry>& entries)
{
    QSet<QString> files;
    QSet<QString> folders;
    for (const PlannedEntry& entry : entries) {
        if (entry.isFolder) {
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
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        const ZipCentralEntry& record = central->at(qsizetype(i));
        const char* name = zip_get_name(archive, i, ZIP_FL_ENC_RAW);
        zip_stat_init(&stats[qsizetype(i)]);
        if (!name || record.rawName.contains('\0') ||
            zip_stat_index(archive, i, ZIP_FL_ENC_RAW, &stats[qsizetype(i)]) != 0 ||
            !isReadable(stats.at(qsizetype(i)), record) || !isPlainFileOrFolder(archive, i)) {
            return std::nullopt;
        }
        // libzip hands over the Info-ZIP Unicode Path field in place of the stored bytes; that is UTF-8 too.
        const QByteArray bytes(name);
        const bool knownUtf8 = record.nameIsUtf8() || bytes != record.rawName;
        raw.append({bytes, knownUtf8});
        if (!knownUtf8) {
            unflagged.append(bytes);
        }
    }

    const ZipEntryName::LegacyEncoding legacy = ZipEntryName::chooseLegacyEncoding(unflagged);
    QList<PlannedEntry> entries;
    entries.reserve(count);
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        const RawEntry& entry = raw.at(qsizetype(i));
        const QString name =
            entry.knownUtf8 ? ZipEntryName::decodeUtf8(entry.name) : ZipEntryName::decode(entry.name, legacy);
        const std::optional<QString> path = ZipEntryName::safeRelativePath(name);
        if (!path) {
            return std::nullopt;
        }
        const bool isFolder = endsWithSeparator(name);
        const zip_uint64_t size = stats.at(qsizetype(i)).size;
        if (isFolder && size != 0) {
            return std::nullopt;
        }
        const zip_stat_t& stat = stats.at(qsizetype(i));
        const QDateTime modified =
            (stat.valid & ZIP_STAT_MTIME) ? QDateTime::fromSecsSinceEpoch(stat.mtime) : QDateTime();
        entries.append({i, *path, size, isFolder, modified});
    }
    if (clashes(entries)) {
        return std::nullopt;
    }
    return entries;
}

} // namespace ZipEntryPlan
