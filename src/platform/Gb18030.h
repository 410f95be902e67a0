#pragma once

#include <QByteArray>
#include <QString>

// GB18030 carried by the program itself, for systems that have no converter of their own (Wine has no code page
// 54936, and a Qt built without ICU has no GB18030). Two-byte codes come from a table in the resources, four-byte
// codes follow from it: the BMP characters without a two-byte code take the four-byte codes in order, and the
// other planes take theirs from 0x90308130 on. TextCodec chooses the converter; this is only one of them.
namespace Gb18030 {

// What is no GB18030 character becomes U+FFFD, as ICU replaces it: a code no character has as a whole, a lead
// byte that the next bytes cannot continue alone (they are read again), a character cut off at the end once.
// `clean` tells whether nothing was replaced.
QString decode(const QByteArray& bytes, bool* clean = nullptr);

// Every character has a code; a lone surrogate, which is no character, becomes "?".
QByteArray encode(const QString& text);

} // namespace Gb18030
