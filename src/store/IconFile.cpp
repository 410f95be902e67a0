#include "IconFile.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageReader>
#include <QtEndian>

#include <cstring>

namespace {

constexpr quint32 kDirectorySize = 6;
constexpr quint32 kEntrySize = 16;
constexpr quint32 kInfoHeaderSize = 40;

int paddedRowBytes(int bits)
{
    return ((bits + 31) / 32) * 4;
}

struct Dib
{
    quint16 bitCount = 0;
    quint8 colourCount = 0; // as the directory entry spells it: 0 for 256 or more
    QByteArray bytes;
};

// Icons keep the colour of transparent pixels black, so that the XOR image shows nothing through the mask.
QImage opaqueCopy(const QImage& argb)
{
    QImage rgb(argb.size(), QImage::Format_RGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            rgb.setPixel(x, y, qAlpha(pixel) < 128 ? qRgb(0, 0, 0) : (pixel | 0xff000000u));
        }
    }
    return rgb;
}

QByteArray andMask(const QImage& argb)
{
    const int rowBytes = paddedRowBytes(argb.width());
    QByteArray mask(rowBytes * argb.height(), '\0');
    for (int y = 0; y < argb.height(); ++y) {
        char* row = mask.data() + (argb.height() - 1 - y) * rowBytes;
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
    }
    return mask;
}

Dib makeDib(const IconFile::Picture& picture)
{
    const QImage argb = picture.image.convertToFormat(QImage::Format_ARGB32);
    const QImage rgb = opaqueCopy(argb);
    const int width = argb.width();
    const int height = argb.height();
    const bool palette = picture.depth == IconFile::ColourDepth::Palette8;

    Dib dib;
    dib.bitCount = palette ? 8 : 24;
    QByteArray pixels;
    QList<QRgb> colours;
    if (palette) {
        const QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
        colours = indexed.colorTable();
        colours.resize(256, qRgb(0, 0, 0));
        const int rowBytes = paddedRowBytes(width * 8);
        pixels.fill('\0', rowBytes * height);
        for (int y = 0; y < height; ++y)
            std::memcpy(pixels.data() + (height - 1 - y) * rowBytes, indexed.constScanLine(y), size_t(width));
    } else {
        const int rowBytes = paddedRowBytes(width * 24);
        pixels.fill('\0', rowBytes * height);
        for (int y = 0; y < height; ++y) {
            char* row = pixels.data() + (height - 1 - y) * rowBytes;
            for (int x = 0; x < width; ++x) {
                const QRgb pixel = rgb.pixel(x, y);
                row[x * 3] = char(qBlue(pixel));
                row[x * 3 + 1] = char(qGreen(pixel));
                row[x * 3 + 2] = char(qRed(pixel));
            }
        }
    }
    const QByteArray mask = andMask(argb);

    QBuffer buffer(&dib.bytes);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setByteOrder(QDataStream::LittleEndian);
    // The DIB height counts the colour image and the mask together.
    out << kInfoHeaderSize << qint32(width) << qint32(height * 2) << quint16(1) << dib.bitCount << quint32(0)
        << quint32(pixels.size() + mask.size()) << qint32(0) << qint32(0) << quint32(palette ? 256 : 0) << quint32(0);
    for (const QRgb colour : std::as_const(colours))
        out << quint8(qBlue(colour)) << quint8(qGreen(colour)) << quint8(qRed(colour)) << quint8(0);
    out.writeRawData(pixels.constData(), int(pixels.size()));
    out.writeRawData(mask.constData(), int(mask.size()));
    return dib;
}

} // namespace

namespace IconFile {

QByteArray encode(const QList<Picture>& pictures)
{
    QList<Dib> dibs;
    for (const Picture& picture : pictures) {
        if (picture.image.isNull() || picture.image.width() > 256 || picture.image.height() > 256)
            return {};
        dibs.append(makeDib(picture));
    }
    if (dibs.isEmpty())
        return {};

    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    QDataStream out(&buffer);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(dibs.size());
    quint32 offset = kDirectorySize + kEntrySize * quint32(dibs.size());
    for (qsizetype i = 0; i < dibs.size(); ++i) {
        const QImage& image = pictures.at(i).image;
        // A side of 256 is written as 0, as the format asks.
        out << quint8(image.width() & 0xff) << quint8(image.height() & 0xff) << dibs.at(i).colourCount << quint8(0)
            << quint16(1) << dibs.at(i).bitCount << quint32(dibs.at(i).bytes.size()) << offset;
        offset += quint32(dibs.at(i).bytes.size());
    }
    for (const Dib& dib : std::as_const(dibs))
        out.writeRawData(dib.bytes.constData(), int(dib.bytes.size()));
    return file;
}

} // namespace IconFile

namespace {

struct Entry
{
    int width = 0;
    quint32 size = 0;
    quint32 offset = 0;
};

quint32 le32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 le16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

QList<Entry> iconEntries(const QByteArray& bytes)
{
    if (bytes.size() < qsizetype(kDirectorySize) || le16(bytes, 0) != 0 || le16(bytes, 2) != 1)
        return {};
    const int count = le16(bytes, 4);
    if (bytes.size() < qsizetype(kDirectorySize + kEntrySize * quint32(count)))
        return {};
    QList<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const qsizetype at = kDirectorySize + kEntrySize * quint32(i);
        const int width = quint8(bytes.at(at));
        entries.append({width == 0 ? 256 : width, le32(bytes, at + 8), le32(bytes, at + 12)});
    }
    return entries;
}

// Applies the AND mask of a 16- or 24-bit DIB entry, which Qt's reader leaves out.
QImage withMask(QImage image, const QByteArray& bytes, const Entry& entry)
{
    const qsizetype start = entry.offset;
    if (start + qsizetype(kInfoHeaderSize) > bytes.size() || bytes.mid(start, 4) == "\x89PNG")
        return image;
    const quint32 headerSize = le32(bytes, start);
    const int bits = le16(bytes, start + 14);
    const quint32 paletteColours = le32(bytes, start + 32);
    if (bits != 16 && bits != 24)
        return image;
    const int width = image.width();
    const int height = image.height();
    const qsizetype maskStart = start + qsizetype(headerSize) + qsizetype(paletteColours) * 4 +
                                qsizetype(paddedRowBytes(width * bits)) * height;
    const int maskRow = paddedRowBytes(width);
    if (maskStart + qsizetype(maskRow) * height > bytes.size())
        return image;
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        const char* row = bytes.constData() + maskStart + qsizetype(height - 1 - y) * maskRow;
        for (int x = 0; x < width; ++x) {
            if (row[x / 8] & (0x80 >> (x % 8)))
                image.setPixel(x, y, 0);
        }
    }
    return image;
}

} // namespace

namespace IconFile {

QImage read(const QByteArray& bytes, int preferredSize)
{
    const QList<Entry> entries = iconEntries(bytes);
    if (entries.isEmpty())
        return QImage::fromData(bytes);

    qsizetype chosen = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const int best = entries.at(chosen).width;
        const int width = entries.at(i).width;
        if (width == preferredSize || (best != preferredSize && width > best))
            chosen = i;
    }
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    if (!reader.jumpToImage(int(chosen)))
        return {};
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return withMask(image, bytes, entries.at(chosen));
}

} // namespace IconFile
