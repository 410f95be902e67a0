#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes ZIP files byte by byte, so that tests can make the archives no well-behaved tool would: names that
// climb out, links, devices, encrypted entries, wrong checksums, names in the Chinese code page without a flag.
class ZipBuilder
{
public:
    static constexpr quint16 kStored = 0;
    static constexpr quint16 kDeflated = 8;
    static constexpr quint16 kUtf8Flag = 0x0800;
    static constexpr quint16 kEncryptedFlag = 0x0001;
    static constexpr quint8 kMadeOnDos = 0;
    static constexpr quint8 kMadeOnUnix = 3;

    struct Entry
    {
        QByteArray name;
        QByteArray data;
        quint16 method = kStored;
        quint16 flags = 0;
        quint8 madeOn = kMadeOnDos;
        quint32 externalAttributes = 0;
        bool wrongCrc = false;
    };

    ZipBuilder& add(const Entry& entry);
    ZipBuilder& addFile(const QByteArray& name, const QByteArray& data, quint16 method = kDeflated);
    // A Unix entry with the given mode, e.g. 0120777 for a link or 0010644 for a pipe.
    ZipBuilder& addUnix(const QByteArray& name, const QByteArray& data, quint32 mode);

    // A symbolic link as Info-ZIP's "zip -y" stores it: the target is the entry's data.
    ZipBuilder& addLink(const QByteArray& name, const QByteArray& target);

    // End records in the ZIP64 form, as written for archives past 4 GiB or 65535 entries.
    ZipBuilder& useZip64End();

    QByteArray bytes() const;
    bool writeTo(const QString& path) const;

    static quint32 crc32(const QByteArray& data);
    static QByteArray rawDeflate(const QByteArray& data);

private:
    QList<Entry> m_entries;
    bool m_zip64End = false;
};
