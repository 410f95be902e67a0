#pragma once

#include <QByteArray>
#include <QString>

// Names as the file system holds them. On Linux a name is any bytes: one that is not valid UTF-8 (a GBK name
// left by unzip of a Windows archive) is carried in a QString with each stray byte b as the lone surrogate
// U+DC00 + b, so that it reaches the system again byte for byte. Every NativeFs call takes paths in that form;
// Qt's own calls would turn such a name into U+FFFD and could no longer reach the file.
//
// Such names are nearly always in the Chinese code page (GBK), whose two-byte characters may end in 0x5C, the
// byte of "\\" ("誠" is D5 5C). A stray byte 0x81-0xFE opens such a character, and its trail byte goes with it:
// a trail 0x5C is carried as the stray byte U+DC5C too, so nothing that splits paths at backslashes (an archive's
// entry names, Windows paths) ever cuts the character in two.
namespace NativeFs {

QByteArray encodeName(const QString& name);
QString decodeName(const QByteArray& bytes);
// Whether a name decoded from the file system needs the stray-byte form (it is not valid UTF-8).
bool hasStrayBytes(const QString& name);
// The name as a person reads it: one in the stray-byte form decoded as GB18030 where all of it decodes, as
// UTF-8 with U+FFFD for what does not otherwise. Only for showing: the file is reached by the name itself.
QString readableName(const QString& name);

} // namespace NativeFs
