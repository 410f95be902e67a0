#pragma once

#include <QByteArray>
#include <QString>

// Texts on disk are in the Chinese code page with CR LF line breaks. GB18030 is written: it is byte-identical
// to GBK for every GBK character and also encodes every other character, so nothing a user typed is lost.
namespace TextCodec {

QString decode(const QByteArray& bytes); // invalid sequences become U+FFFD, never an error
QByteArray encode(const QString& text);
bool isValidUtf8(const QByteArray& bytes);

// Every line break ("\n", "\r\n" or a lone "\r") becomes "\r\n".
QString toCrLf(const QString& text);

} // namespace TextCodec
