#pragma once

#include <QIcon>
#include <QString>

// Icons the desktop itself knows for a path. Both answer a null icon when they have none, so the caller can
// fall back to the next source.
namespace FileIcons {

// The file's own icon. Windows: the first icon inside the file. Elsewhere: the icon a .desktop file names, or
// the picture itself when the file is an image the program can read.
QIcon ownIcon(const QString& path);

// The icon registered for the path's file type. Windows: HKEY_CLASSES_ROOT\<extension> names a class whose
// DefaultIcon value "file,number" points at the icon. Elsewhere: the MIME type of the path and its theme icon.
QIcon registeredIcon(const QString& path);

} // namespace FileIcons
