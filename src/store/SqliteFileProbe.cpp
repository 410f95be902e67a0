#include "SqliteFileProbe.h"

#include <QFile>

#include <array>
#include <cstring>

namespace {

constexpr qint64 kHeaderSize = 100;

std::uint32_t bigEndian32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t(u[0]) << 24) | (std::uint32_t(u[1]) << 16) | (std::uint32_t(u[2]) << 8) | std::uint32_t(u[3]);
}

std::uint32_t bigEndian16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return (std::uint32_t(u[0]) << 8) | std::uint32_t(u[1]);
}

} // namespace

bool SqliteFileProbe::isTableFile(const QString& path, std::uint32_t applicationId)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    std::array<char, kHeaderSize> header{};
    if (size < 512 || file.read(header.data(), kHeaderSize) != kHeaderSize)
        return false;

    static constexpr char kMagic[] = "SQLite format 3";
    if (std::memcmp(header.data(), kMagic, sizeof kMagic) != 0)
        return false;
    // Write and read versions 1 mean a rollback journal; 2 would be WAL, which we never write and which
    // SQLite would answer with side files even for a read.
    if (header[18] != 1 || header[19] != 1)
        return false;

    std::uint32_t pageSize = bigEndian16(header.data() + 16);
    if (pageSize == 1)
        pageSize = 65536;
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return false;
    if (size % pageSize != 0)
        return false;

    // The page count in the header is only trustworthy when its "valid-for" stamp matches the change counter.
    const std::uint32_t changeCounter = bigEndian32(header.data() + 24);
    const std::uint32_t pageCount = bigEndian32(header.data() + 28);
    const std::uint32_t validFor = bigEndian32(header.data() + 92);
    if (changeCounter == validFor && (pageCount == 0 || qint64(pageCount) * pageSize > size))
        return false;

    return bigEndian32(header.data() + 68) == applicationId;
}
