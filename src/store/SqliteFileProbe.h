#pragma once

#include <QString>

#include <cstdint>

// Looks at the first bytes of a file before SQLite is allowed near it. SQLite happily "opens" a zero-byte
// file as an empty database, reads a truncated one until it meets the missing page, and creates -wal/-shm
// files beside a WAL database; checking the header first keeps such files untouched and fails them early.
class SqliteFileProbe
{
public:
    // The application ids our table files carry in their SQLite header.
    static constexpr std::uint32_t kTableApplicationId = 0x54614c79; // "TaLy"
    static constexpr std::uint32_t kBytesApplicationId = 0x54614c62; // "TaLb"

    // True when the file is a complete rollback-journal SQLite database stamped with the given application id.
    static bool isTableFile(const QString& path, std::uint32_t applicationId);
};
