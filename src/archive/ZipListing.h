#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What an archive holds, entry by entry, under the names extract would give the entries below its target, with the
// sizes and checksums the archive records: enough to tell which files of a folder or of another archive differ,
// without unpacking anything.
namespace ZipListing {

struct Entry
{
    enum class Kind { File, Folder, Link };

    QString path; // relative, "/" separators, no trailing "/"
    Kind kind = Kind::File;
    qint64 size = 0;
    quint32 crc = 0;                // CRC-32 of the content (a link's: of its target)
    std::optional<qint64> modified; // seconds since the epoch, when the archive says
};

// Every entry in archive order; nothing when the file is no archive extract would unpack.
std::optional<QList<Entry>> read(const QString& archivePath);

// The content of the entry extract would write at `path`, when it holds at most maxBytes; nothing when there is no
// such entry, it is larger, or it does not read back whole.
std::optional<QByteArray> readEntry(const QString& archivePath, const QString& path, qint64 maxBytes);

} // namespace ZipListing
