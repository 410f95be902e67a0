#include "ZipBuilder.h"

#include "archive/ZipBytes.h"

#include <QFile>

#include <array>

namespace {

using ZipBytes::put16;
using ZipBytes::put32;
using ZipBytes::put64;

constexpr quint16 kDosTime = 0x6000; // 12:00:00
constexpr quint16 kDosDate = 0x5A21; // 2025-01-01

} // namespace

ZipBuilder& ZipBuilder::add(const Entry& entry)
{
    m_entries.append(entry);
    return *this;
}

ZipBuilder& ZipBuilder::addFile(const QByteArray& name, const QByteArray& data, quint16 method)
{
    return add({name, data, method, 0, kMadeOnDos, 0, false});
}

ZipBuilder& ZipBuilder::addUnix(const QByteArray& name, const QByteArray& data, quint32 mode)
{
    return add({name, data, kStored, 0, kMadeOnUnix, mode << 16, false});
}

ZipBuilder& ZipBuilder::addLink(const QByteArray& name, const QByteArray& target)
{
    return addUnix(name, target, 0120777);
}

ZipBuilder& ZipBuilder::useZip64End()
{
    m_zip64End = true;
    return *this;
}

quint32 ZipBuilder::crc32(const QByteArray& data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    }
    return crc ^ 0xFFFFFFFFu;
}

QByteArray ZipBuilder::rawDeflate(const QByteArray& data)
{
    // qCompress gives a 4-byte length, the 2-byte zlib header, the deflate stream and a 4-byte Adler checksum.
    const QByteArray zlib = qCompress(data, 6);
    return zlib.mid(6, zlib.size() - 10);
}

QByteArray ZipBuilder::bytes() const
{
    QByteArray out;
    QByteArray directory;
    for (const Entry& entry : m_entries) {
        const QByteArray payload = entry.method == kDeflated ? rawDeflate(entry.data) : entry.data;
        const quint32 crc = crc32(entry.data) ^ (entry.wrongCrc ? 0x1u : 0x0u);
        const quint32 offset = quint32(out.size());

        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, entry.flags);
        put16(out, entry.method);
        put16(out, kDosTime);
        put16(out, kDosDate);
        put32(out, crc);
        put32(out, quint32(payload.size()));
        put32(out, quint32(entry.data.size()));
        put16(out, quint16(entry.name.size()));
        put16(out, 0);
        out.append(entry.name);
        out.append(payload);

        put32(directory, 0x02014b50);
        put16(directory, quint16((entry.madeOn << 8) | 20));
        put16(directory, 20);
        put16(directory, entry.flags);
        put16(directory, entry.method);
        put16(directory, kDosTime);
        put16(directory, kDosDate);
        put32(directory, crc);
        put32(directory, quint32(payload.size()));
        put32(directory, quint32(entry.data.size()));
        put16(directory, quint16(entry.name.size()));
        put16(directory, 0); // extra
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, entry.externalAttributes);
        put32(directory, offset);
        directory.append(entry.name);
    }
    const quint32 directoryOffset = quint32(out.size());
    out.append(directory);
    if (m_zip64End) {
        const quint64 end64Offset = quint64(out.size());
        put32(out, 0x06064b50);
        put64(out, 44); // size of the rest of this record
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, quint64(m_entries.size()));
        put64(out, quint64(m_entries.size()));
        put64(out, quint64(directory.size()));
        put64(out, directoryOffset);
        put32(out, 0x07064b50);
        put32(out, 0);
        put64(out, end64Offset);
        put32(out, 1);
    }
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, m_zip64End ? 0xFFFF : quint16(m_entries.size()));
    put16(out, m_zip64End ? 0xFFFF : quint16(m_entries.size()));
    put32(out, m_zip64End ? 0xFFFFFFFF : quint32(directory.size()));
    put32(out, m_zip64End ? 0xFFFFFFFF : directoryOffset);
    put16(out, 0);
    return out;
}

bool ZipBuilder::writeTo(const QString& path) const
{
    QFile file(path);
    const QByteArray content = bytes();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}
