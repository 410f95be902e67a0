#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One record of the central directory as it stands in the file. libzip turns NUL bytes of a name into spaces and
// does not tell whether the name carries the UTF-8 flag, so extract reads both from here.
struct ZipCentralEntry
{
    QByteArray rawName;
    quint16 flags = 0;
    quint8 madeOn = 0; // the system of the tool that made the entry (3: Unix)

    bool nameIsUtf8() const { return (flags & 0x0800) != 0; }
    bool madeOnUnix() const { return madeOn == 3; }
    bool isEncrypted() const { return (flags & 0x0001) != 0; }
};

namespace ZipCentralDirectory {

// The records in directory order, or nothing when the end records or the directory cannot be read whole.
std::optional<QList<ZipCentralEntry>> read(const QString& archivePath);

} // namespace ZipCentralDirectory
