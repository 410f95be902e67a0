#pragma once

#include <QByteArray>
#include <QList>

// Builds small ZIP packages byte by byte (stored entries), so a test can make exactly the archive it needs:
// names in the Chinese code page without the UTF-8 flag, an entry marked encrypted, a damaged checksum.
class StoredZip
{
public:
    static constexpr quint16 kEncrypted = 0x0001;
    static constexpr quint16 kUtf8Names = 0x0800;

    struct Entry
    {
        QByteArray rawName;
        QByteArray data;
        quint16 flags = 0;
        bool wrongChecksum = false;
    };

    StoredZip& add(const QByteArray& rawName, const QByteArray& data, quint16 flags = 0);
    StoredZip& add(const Entry& entry);
    QByteArray bytes() const;

    static QByteArray emptyArchive();

private:
    QList<Entry> m_entries;
};
