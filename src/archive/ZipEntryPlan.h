#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <zip.h>

#include <optional>

// One entry of an archive that passed every check, with the path it gets below the target.
struct PlannedEntry
{
    zip_uint64_t index = 0;
    QString path; // relative, "/" separators, no trailing "/"
    zip_uint64_t size = 0;
    bool isFolder = false;
    QDateTime modified; // invalid when the archive does not say
};

namespace ZipEntryPlan {

// Checks every entry before anything is written: nothing may land outside the target, be a link or a device,
// be encrypted, use a method libzip cannot inflate, or clash with another entry. Nothing when any entry fails.
std::optional<QList<PlannedEntry>> plan(zip_t* archive, const QString& archivePath);

} // namespace ZipEntryPlan
