#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Windows icon files (.ico). Writing gives an icon directory followed by one uncompressed DIB per picture,
// each with its 1-bit AND mask, which is the form every icon reader understands. Reading exists because Qt's
// own reader drops the AND mask of 16- and 24-bit images, which would put black corners round such icons.
namespace IconFile {

enum class ColourDepth {
    Rgb24,    // 24-bit colour
    Palette8, // 256-colour palette
};

struct Picture
{
    QImage image; // any format; alpha below one half becomes transparent in the mask
    ColourDepth depth = ColourDepth::Rgb24;
};

// An empty result when a picture is null or larger than 256 pixels on a side.
QByteArray encode(const QList<Picture>& pictures);

// The picture of an image file's bytes (icon, bitmap, GIF, JPEG, PNG). For an icon file, the image closest to
// preferredSize is taken and its AND mask applied as transparency. A null image when nothing can be decoded.
QImage read(const QByteArray& bytes, int preferredSize = 32);

} // namespace IconFile
