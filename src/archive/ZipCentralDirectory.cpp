#include "archive/ZipCentralDirectory.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr quint32 kEndSignature = 0x06054b50;
constexpr quint32 kEnd64LocatorSignature = 0x07064b50;
constexpr quint32 kEnd64Signature = 0x06064b50;
constexpr quint32 kCentralSignature = 0x02014b50;
constexpr qint64 kEndSize = 22;
constexpr qint64 kEnd64LocatorSize = 20;
constexpr qint64 kEnd64Size = 56;
constexpr qint64 kCentralHeaderSize = 46;
constexpr qint64 kMaxCommentSize = 0xFFFF;
// A directory this large would mean millions of entries; no package of ours comes near it.
constexpr quint64 kMaxDirectorySize = quint64(256) << 20;

template <typename T>
T littleEndian(const char* bytes)
{
    return qFromLittleEndian<T>(bytes);
}

struct DirectoryPlace
{
    quint64 offset = 0;
    quint64 size = 0;
    quint64 count = 0;
};

std::optional<DirectoryPlace> readZip64Place(QFile& file, qint64 endOffset)
{
    if (endOffset < kEnd64LocatorSize || !file.seek(endOffset - kEnd64LocatorSize)) {
        return std::nullopt;
    }
    const QByteArray locator = file.read(kEnd64LocatorSize);
    if (locator.size() != kEnd64LocatorSize || littleEndian<quint32>(locator.constData()) != kEnd64LocatorSignature) {
        return std::nullopt;
    }
    const quint64 end64Offset = littleEndian<quint64>(locator.constData() + 8);
    if (end64Offset > quint64(endOffset) || !file.seek(qint64(end64Offset))) {
        return std::nullopt;
    }
    const QByteArray end64 = file.read(kEnd64Size);
    if (end64.size() != kEnd64Size || littleEndian<quint32>(end64.constData()) != kEnd64Signature) {
        return std::nullopt;
    }
    return DirectoryPlace{littleEndian<quint64>(end64.constData() + 48), littleEndian<quint64>(end64.constData() + 40),
                          littleEndian<quint64>(end64.constData() + 32)};
}

std::optional<DirectoryPlace> findDirectory(QFile& file)
{
    const qint64 fileSize = file.size();
    if (fileSize < kEndSize) {
        return std::nullopt;
    }
    const qint64 tailSize = std::min(fileSize, kEndSize + kMaxCommentSize);
    const qint64 tailOffset = fileSize - tailSize;
    if (!file.seek(tailOffset)) {
        return std::nullopt;
    }
    const QByteArray tail = file.read(tailSize);
    if (tail.size() != tailSize) {
        return std::nullopt;
    }
    // The last end record whose comment fits the file is the one every reader takes.
    for (qint64 pos = tailSize - kEndSize; pos >= 0; --pos) {
        const char* end = tail.constData() + pos;
        if (littleEndian<quint32>(end) != kEndSignature) {
            continue;
        }
        if (pos + kEndSize + littleEndian<quint16>(end + 20) > tailSize) {
            continue;
        }
        DirectoryPlace place{littleEndian<quint32>(end + 16), littleEndian<quint32>(end + 12),
                             littleEndian<quint16>(end + 10)};
        if (place.count == 0xFFFF || place.size == 0xFFFFFFFF || place.offset == 0xFFFFFFFF) {
            return readZip64Place(file, tailOffset + pos);
        }
        return place;
    }
    return std::nullopt;
}

} // namespace

namespace ZipCentralDirectory {

std::optional<QList<ZipCentralEntry>> read(const QString& archivePath)
{
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const std::optional<DirectoryPlace> place = findDirectory(file);
    if (!place || place->size > kMaxDirectorySize || place->offset + place->size > quint64(file.size()) ||
        place->count > place->size / kCentralHeaderSize || !file.seek(qint64(place->offset))) {
        return std::nullopt;
    }
    const QByteArray directory = file.read(qint64(place->size));
    if (directory.size() != qint64(place->size)) {
        return std::nullopt;
    }

    QList<ZipCentralEntry> entries;
    entries.reserve(qsizetype(place->count));
    qint64 pos = 0;
    for (quint64 i = 0; i < place->count; ++i) {
        if (pos + kCentralHeaderSize > directory.size()) {
            return std::nullopt;
        }
        const char* header = directory.constData() + pos;
        if (littleEndian<quint32>(header) != kCentralSignature) {
            return std::nullopt;
        }
        const qint64 nameSize = littleEndian<quint16>(header + 28);
        const qint64 extraSize = littleEndian<quint16>(header + 30);
        const qint64 commentSize = littleEndian<quint16>(header + 32);
        const qint64 recordSize = kCentralHeaderSize + nameSize + extraSize + commentSize;
        if (pos + recordSize > directory.size()) {
            return std::nullopt;
        }
        ZipCentralEntry entry;
        entry.flags = littleEndian<quint16>(header + 8);
        entry.madeOn = quint8(header[5]);
        entry.rawName = QByteArray(header + kCentralHeaderSize, nameSize);
        entries.append(entry);
        pos += recordSize;
    }
    return entries;
}

} // namespace ZipCentralDirectory
