#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <zip.h>

#include <optional>

// One entry of an archive that passed every check, with the path it gets below the target.
struct PlannedEntry
{
    enum class Kind { File, Folder, Link };

    zip_uint64_t index = 0;
    QString path; // relative, "/" separators, no trailing "/"
    zip_uint64_t size = 0;
    Kind kind = Kind::File;
    int mode = -1;                  // permission bits (never set-id or sticky); -1 when the archive does not say
    std::optional<qint64> modified; // seconds since the epoch, when the archive says
    QByteArray linkTarget;          // a link's target as stored, read and checked before anything is written
    zip_stat_t stat{};              // what the central directory says of it; reading checks the content against it

    bool isFolder() const { return kind == Kind::Folder; }
};

namespace ZipEntryPlan {

// Checks every entry before anything is written: nothing may land outside the target, be a device, be encrypted,
// use a method libzip cannot inflate, clash with another entry or be written through a link of the archive.
// Nothing when any entry fails.
std::optional<QList<PlannedEntry>> plan(zip_t* archive, const QString& archivePath);

// Every link is relative and, followed through the links of the archive and those already in the target, ends
// inside targetDir.
bool linksStayInside(const QList<PlannedEntry>& entries, const QString& targetDir);

} // namespace ZipEntryPlan
