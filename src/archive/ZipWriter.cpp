#include "archive/ZipWriter.h"

#include "archive/ZipBytes.h"

#include <QDateTime>

#include <algorithm>

namespace {

constexpr quint32 kLocalSignature = 0x04034b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kEnd64Signature = 0x06064b50;
constexpr quint32 kEnd64LocatorSignature = 0x07064b50;
constexpr quint16 kUtf8Flag = 0x0800;
constexpr quint16 kMadeOnUnix = (3 << 8) | 63;
constexpr quint16 kNeedsDefault = 20;
constexpr quint16 kNeedsZip64 = 45;
constexpr quint16 kZip64Field = 0x0001;
constexpr quint16 kTimestampField = 0x5455;
constexpr quint32 kMax32 = 0xFFFFFFFFu;
constexpr quint16 kMax16 = 0xFFFF;
constexpr qsizetype kLocalFixedSize = 30;
// Deflate can grow data by a few bytes per block; an entry this close to 4 GiB gets 64-bit sizes from the start.
constexpr quint64 kZip64LocalFrom = 0xFF000000u;

using ZipBytes::put16;
using ZipBytes::put32;
using ZipBytes::put64;

quint32 clamp32(quint64 value)
{
    return value >= kMax32 ? kMax32 : quint32(value);
}

// DOS dates start in 1980 and count local time in two-second steps; the timestamp field keeps the exact second.
void putDosTime(QByteArray& out, qint64 seconds)
{
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds);
    const QDate date = local.date();
    const QTime time = local.time();
    if (date.year() < 1980) {
        put16(out, 0);
        put16(out, (1 << 5) | 1);
        return;
    }
    const int year = std::min(date.year(), 2107) - 1980;
    put16(out, quint16((time.hour() << 11) | (time.minute() << 5) | (time.second() / 2)));
    put16(out, quint16((year << 9) | (date.month() << 5) | date.day()));
}

void putTimestampField(QByteArray& out, qint64 seconds)
{
    put16(out, kTimestampField);
    put16(out, 5);
    out.append(char(0x01)); // modification time present
    put32(out, quint32(qint32(std::clamp<qint64>(seconds, INT32_MIN, INT32_MAX))));
}

} // namespace

ZipWriter::ZipWriter(const QString& path)
    : m_file(path)
{
}

bool ZipWriter::open()
{
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

QByteArray ZipWriter::localHeader(const Record& record) const
{
    const Entry& entry = record.entry;
    QByteArray extra;
    if (record.zip64Local) {
        put16(extra, kZip64Field);
        put16(extra, 16);
        put64(extra, entry.size);
        put64(extra, record.compressedSize);
    }
    putTimestampField(extra, entry.modified);

    QByteArray out;
    out.reserve(kLocalFixedSize + entry.name.size() + extra.size());
    put32(out, kLocalSignature);
    put16(out, record.zip64Local ? kNeedsZip64 : kNeedsDefault);
    put16(out, entry.utf8 ? kUtf8Flag : 0);
    put16(out, entry.method);
    putDosTime(out, entry.modified);
    put32(out, record.crc);
    put32(out, record.zip64Local ? kMax32 : quint32(record.compressedSize));
    put32(out, record.zip64Local ? kMax32 : quint32(entry.size));
    put16(out, quint16(entry.name.size()));
    put16(out, quint16(extra.size()));
    out.append(entry.name);
    out.append(extra);
    return out;
}

bool ZipWriter::writeEntry(const Entry& entry, quint32 crc, const QByteArray& data)
{
    if (entry.name.size() > kMax16) {
        return false;
    }
    Record record;
    record.entry = entry;
    record.crc = crc;
    record.compressedSize = quint64(data.size());
    record.offset = m_position;
    record.zip64Local = entry.size >= kZip64LocalFrom || record.compressedSize >= kZip64LocalFrom;
    m_records.append(record);
    return writeData(localHeader(record)) && writeData(data);
}

bool ZipWriter::beginEntry(const Entry& entry)
{
    if (entry.name.size() > kMax16) {
        return false;
    }
    Record record;
    record.entry = entry;
    record.offset = m_position;
    record.zip64Local = entry.size >= kZip64LocalFrom;
    const QByteArray header = localHeader(record);
    m_records.append(record);
    m_dataStart = m_position + quint64(header.size());
    return writeData(header);
}

bool ZipWriter::writeData(const QByteArray& data)
{
    if (m_file.write(data) != data.size()) {
        return false;
    }
    m_position += quint64(data.size());
    return true;
}

bool ZipWriter::patchLocalHeader(const Record& record)
{
    const QByteArray header = localHeader(record);
    return m_file.seek(qint64(record.offset)) && m_file.write(header) == header.size() &&
           m_file.seek(qint64(m_position));
}

bool ZipWriter::finishEntry(quint32 crc)
{
    Record& record = m_records.last();
    record.crc = crc;
    record.compressedSize = m_position - m_dataStart;
    if (!record.zip64Local && (record.compressedSize >= kMax32 || record.entry.size >= kMax32)) {
        return false; // the header has no room for the sizes; kZip64LocalFrom leaves a wide margin against this
    }
    // Both are known only now; the header already holds their places.
    return patchLocalHeader(record);
}

QByteArray ZipWriter::centralHeader(const Record& record) const
{
    const Entry& entry = record.entry;
    QByteArray zip64;
    if (entry.size >= kMax32) {
        put64(zip64, entry.size);
    }
    if (record.compressedSize >= kMax32) {
        put64(zip64, record.compressedSize);
    }
    if (record.offset >= kMax32) {
        put64(zip64, record.offset);
    }
    QByteArray extra;
    if (!zip64.isEmpty()) {
        put16(extra, kZip64Field);
        put16(extra, quint16(zip64.size()));
        extra.append(zip64);
    }
    putTimestampField(extra, entry.modified);

    QByteArray out;
    put32(out, kCentralSignature);
    put16(out, kMadeOnUnix);
    put16(out, zip64.isEmpty() && !record.zip64Local ? kNeedsDefault : kNeedsZip64);
    put16(out, entry.utf8 ? kUtf8Flag : 0);
    put16(out, entry.method);
    putDosTime(out, entry.modified);
    put32(out, record.crc);
    put32(out, clamp32(record.compressedSize));
    put32(out, clamp32(entry.size));
    put16(out, quint16(entry.name.size()));
    put16(out, quint16(extra.size()));
    put16(out, 0); // comment
    put16(out, 0); // disk
    put16(out, 0); // internal attributes
    put32(out, entry.externalAttributes);
    put32(out, clamp32(record.offset));
    out.append(entry.name);
    out.append(extra);
    return out;
}

bool ZipWriter::finish()
{
    const quint64 directoryStart = m_position;
    QByteArray directory;
    for (const Record& record : std::as_const(m_records)) {
        directory += centralHeader(record);
        if (directory.size() >= (1 << 20) && !writeData(std::exchange(directory, {}))) {
            return false;
        }
    }
    if (!writeData(directory)) {
        return false;
    }
    const quint64 directorySize = m_position - directoryStart;
    const quint64 count = quint64(m_records.size());
    const bool zip64 = count >= kMax16 || directoryStart >= kMax32 || directorySize >= kMax32;

    QByteArray end;
    if (zip64) {
        const quint64 end64Start = m_position;
        put32(end, kEnd64Signature);
        put64(end, 44); // the size of the rest of this record
        put16(end, kMadeOnUnix);
        put16(end, kNeedsZip64);
        put32(end, 0);
        put32(end, 0);
        put64(end, count);
        put64(end, count);
        put64(end, directorySize);
        put64(end, directoryStart);
        put32(end, kEnd64LocatorSignature);
        put32(end, 0);
        put64(end, end64Start);
        put32(end, 1);
    }
    put32(end, kEndSignature);
    put16(end, 0);
    put16(end, 0);
    put16(end, zip64 ? kMax16 : quint16(count));
    put16(end, zip64 ? kMax16 : quint16(count));
    put32(end, clamp32(directorySize));
    put32(end, clamp32(directoryStart));
    put16(end, 0);
    if (!writeData(end) || !m_file.flush()) {
        return false;
    }
    m_file.close();
    return m_file.error() == QFileDevice::NoError;
}
