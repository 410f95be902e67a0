#pragma once

#include <QByteArray>
#include <QString>

// Texts on disk are in the Chinese code page with CR LF line breaks. GB18030 is written: it is byte-identical
// to GBK for every GBK character and also encodes every other character, so nothing a user typed is lost.
// Every conversion from and to the Chinese code page goes through here. The converter is the system's: ICU
// under Qt, code page 54936 on Windows (whose Qt has no ICU); where the system has none (Wine) the program's
// own table (Gb18030) gives the same bytes.
namespace TextCodec {

QString decode(const QByteArray& bytes); // invalid sequences become U+FFFD, never an error
QByteArray encode(const QString& text);
// Whether every byte belongs to a GB18030 character, so decode() replaces nothing.
bool isValidGb18030(const QByteArray& bytes);
bool isValidUtf8(const QByteArray& bytes);

// The ZIP format's own old code page (IBM PC 437) for names an archive holds without the UTF-8 flag; where no
// converter for it exists, Latin-1, which still keeps every byte apart.
QString decodeDos(const QByteArray& bytes);

// Every line break ("\n", "\r\n" or a lone "\r") becomes "\r\n".
QString toCrLf(const QString& text);

} // namespace TextCodec
