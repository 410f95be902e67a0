#include "StoredZip.h"

#include <QtEndian>

#include <array>

namespace {

quint32 crc32(const QByteArray& data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void put16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void put32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

} // namespace

StoredZip& StoredZip::add(const QByteArray& rawName, const QByteArray& data, quint16 flags)
{
    return add(Entry{rawName, data, flags, false});
}

StoredZip& StoredZip::add(const Entry& entry)
{
    m_entries.append(entry);
    return *this;
}

QByteArray StoredZip::bytes() const
{
    QByteArray out;
    QByteArray central;
    for (const Entry& entry : m_entries) {
        const quint32 offset = quint32(out.size());
        const quint32 crc = crc32(entry.data) ^ (entry.wrongChecksum ? 0x5A5A5A5Au : 0u);
        const auto common = [&](QByteArray& header) {
            put16(header, 20);          // version needed
            put16(header, entry.flags); // general purpose flags
            put16(header, 0);           // stored
            put16(header, 0);           // time
            put16(header, 0x21);        // date: 1980-01-01
            put32(header, crc);
            put32(header, quint32(entry.data.size()));
            put32(header, quint32(entry.data.size()));
            put16(header, quint16(entry.rawName.size()));
            put16(header, 0); // extra length
        };
        put32(out, 0x04034b50);
        common(out);
        out.append(entry.rawName);
        out.append(entry.data);

        put32(central, 0x02014b50);
        put16(central, 20); // made by
        common(central);
        put16(central, 0); // comment length
        put16(central, 0); // disk
        put16(central, 0); // internal attributes
        put32(central, 0); // external attributes
        put32(central, offset);
        central.append(entry.rawName);
    }
    const quint32 centralOffset = quint32(out.size());
    out.append(central);
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(m_entries.size()));
    put16(out, quint16(m_entries.size()));
    put32(out, quint32(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return out;
}

QByteArray StoredZip::emptyArchive()
{
    return StoredZip().bytes();
}
