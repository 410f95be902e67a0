#include "archive/ZipListing.h"

#include "archive/LibzipPath.h"
#include "archive/ZipEntryPlan.h"

#include <QFileInfo>

#include <zip.h>

#include <algorithm>
#include <memory>

namespace ZipListing {

namespace {

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

ArchiveHandle openArchive(const QString& archivePath)
{
    if (!QFileInfo(archivePath).isFile())
        return {};
    int error = 0;
    // Only the central directory is read: a listing looks at no entry's data.
    return ArchiveHandle(zip_open(libzipPath(archivePath).constData(), ZIP_RDONLY, &error));
}

Entry::Kind kindOf(PlannedEntry::Kind kind)
{
    switch (kind) {
    case PlannedEntry::Kind::Folder:
        return Entry::Kind::Folder;
    case PlannedEntry::Kind::Link:
        return Entry::Kind::Link;
    case PlannedEntry::Kind::File:
        break;
    }
    return Entry::Kind::File;
}

} // namespace

std::optional<QList<Entry>> read(const QString& archivePath)
{
    const ArchiveHandle archive = openArchive(archivePath);
    if (!archive)
        return std::nullopt;
    // The names are decided as extract decides them, so a path here is the path the unpacked file has.
    const std::optional<QList<PlannedEntry>> planned = ZipEntryPlan::plan(archive.get(), archivePath);
    if (!planned)
        return std::nullopt;
    QList<Entry> entries;
    entries.reserve(planned->size());
    for (const PlannedEntry& entry : *planned) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), entry.index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_CRC))
            return std::nullopt;
        entries.append({entry.path, kindOf(entry.kind), qint64(entry.size), quint32(stat.crc), entry.modified});
    }
    return entries;
}

std::optional<QByteArray> readEntry(const QString& archivePath, const QString& path, qint64 maxBytes)
{
    const ArchiveHandle archive = openArchive(archivePath);
    if (!archive)
        return std::nullopt;
    const std::optional<QList<PlannedEntry>> planned = ZipEntryPlan::plan(archive.get(), archivePath);
    if (!planned)
        return std::nullopt;
    const auto entry = std::find_if(planned->cbegin(), planned->cend(), [&path](const PlannedEntry& e) {
        return e.path == path && e.kind != PlannedEntry::Kind::Folder;
    });
    if (entry == planned->cend() || qint64(entry->size) > maxBytes)
        return std::nullopt;
    zip_file_t* data = zip_fopen_index(archive.get(), entry->index, 0);
    if (!data)
        return std::nullopt;
    // One byte more than the entry should hold tells a damaged size from the right one.
    QByteArray content(qsizetype(entry->size) + 1, Qt::Uninitialized);
    const zip_int64_t read = zip_fread(data, content.data(), zip_uint64_t(content.size()));
    // Closing checks the CRC of what was read to the end.
    if (zip_fclose(data) != 0 || read != zip_int64_t(entry->size))
        return std::nullopt;
    content.truncate(qsizetype(entry->size));
    return content;
}

} // namespace ZipListing
