#include "settings/ProjectTypes.h"

#include "platform/ValueText.h"
#include "store/IconFile.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

namespace {

// No 32×32 picture file comes near this; anything larger is not read into memory at all.
constexpr qint64 kLargestPictureFile = 4 * 1024 * 1024;
const QSize kTypePictureSize(32, 32);

} // namespace

namespace ProjectTypes {

QByteArray loadTypePicture(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestPictureFile)
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty())
        return {};

    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (!format.isEmpty() && format != "ico") {
        // Every accepted kind states its size in its header: a picture that says otherwise is never decoded.
        if (reader.size() != kTypePictureSize)
            return {};
        if (reader.read().size() != kTypePictureSize)
            return {}; // damaged beyond its header
        return bytes;
    }
    return IconFile::read(bytes, kTypePictureSize.width()).size() == kTypePictureSize ? bytes : QByteArray();
}

bool appendType(const QString& name, const QByteArray& picture)
{
    TypeTable table;
    return table.open() && table.appendRecord({name, picture});
}

bool deleteType(int index)
{
    TypeTable table;
    return table.open() && table.deleteRecords({index + 1});
}

QStringList typeNames()
{
    TypeTable types;
    types.open();
    QStringList names;
    for (types.goFirst(); !types.pastLast(); types.skip())
        names << ValueText::of(types.readField(int(TypeField::Name)));
    return names;
}

QByteArray typePicture(int index)
{
    TypeTable table;
    if (!table.open() || index < 0 || !table.goTo(index + 1))
        return {};
    return table.readField(TypeField::Icon).toByteArray();
}

} // namespace ProjectTypes
