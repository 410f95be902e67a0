#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// libzip takes file names as UTF-8 on Windows (it widens them itself) and as the local 8-bit form elsewhere.
inline QByteArray libzipPath(const QString& path)
{
#ifdef Q_OS_WIN
    return path.toUtf8();
#else
    return QFile::encodeName(path);
#endif
}
