#pragma once

#include <QByteArray>
#include <QString>

// Names as the file system holds them. On Linux a name is any bytes: one that is not valid UTF-8 (a GBK name
// left by unzip of a Windows archive) is carried in a QString with each stray byte b as the lone surrogate
// U+DC00 + b, so that it reaches the system again byte for byte. Every NativeFs call takes paths in that form;
// Qt's own calls would turn such a name into U+FFFD and could no longer reach the file.
namespace NativeFs {

QByteArray encodeName(const QString& name);
QString decodeName(const QByteArray& bytes);
// Whether a name decoded from the file system needs the stray-byte form (it is not valid UTF-8).
bool hasStrayBytes(const QString& name);

} // namespace NativeFs
