#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The project types as the settings window manages them. A type is addressed by its index (record - 1).
namespace ProjectTypes {

// The bytes of a picture file fit to be a type's picture: exactly 32×32 pixels, as an icon (the image a
// reader shows by default), bitmap, GIF, JPEG or PNG. Empty for anything else: another size, a damaged or
// empty file, no picture at all. The size is read from the file's header before anything is decoded, so a
// huge picture is refused at once.
QByteArray loadTypePicture(const QString& path);

bool appendType(const QString& name, const QByteArray& picture);

// Removes the type; the later types move up one index. Projects keep their type numbers.
bool deleteType(int index);

// The names of every type, in index order.
QStringList typeNames();

// The stored picture bytes of the type; empty when there is none.
QByteArray typePicture(int index);

} // namespace ProjectTypes
