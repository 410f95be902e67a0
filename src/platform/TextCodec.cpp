#include "platform/TextCodec.h"

#include "platform/Gb18030.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {

#ifdef Q_OS_WIN

constexpr UINT kGb18030CodePage = 54936;
constexpr UINT kDosCodePage = 437;

bool systemHas(UINT codePage)
{
    return IsValidCodePage(codePage) != FALSE;
}

// Nothing when the bytes hold a sequence the code page has no character for.
std::optional<QString> systemDecode(UINT codePage, const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int size = int(bytes.size());
    const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.constData(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.constData(), size,
                        reinterpret_cast<wchar_t*>(text.data()), length);
    return text;
}

std::optional<QByteArray> systemEncode(UINT codePage, const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size = int(text.size());
    // Code page 54936 takes no flags and no default character: it has a code for every character.
    const int length = WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::nullopt;
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(codePage, 0, wide, size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

#endif

// ICU's converter, where Qt has one.
bool qtHasGb18030()
{
    static const bool has = QStringDecoder("GB18030").isValid();
    return has;
}

} // namespace

namespace TextCodec {

QString decode(const QByteArray& bytes)
{
#ifdef Q_OS_WIN
    if (systemHas(kGb18030CodePage)) {
        // Windows turns invalid bytes into its own choice of characters; the table replaces them as ICU does.
        if (const std::optional<QString> text = systemDecode(kGb18030CodePage, bytes))
            return *text;
        return Gb18030::decode(bytes);
    }
#endif
    if (qtHasGb18030()) {
        QStringDecoder decoder("GB18030");
        return decoder.decode(bytes);
    }
    return Gb18030::decode(bytes);
}

QByteArray encode(const QString& text)
{
#ifdef Q_OS_WIN
    if (systemHas(kGb18030CodePage)) {
        if (const std::optional<QByteArray> bytes = systemEncode(kGb18030CodePage, text))
            return *bytes;
        return Gb18030::encode(text);
    }
#endif
    if (qtHasGb18030()) {
        QStringEncoder encoder("GB18030");
        return encoder.encode(text);
    }
    return Gb18030::encode(text);
}

bool isValidGb18030(const QByteArray& bytes)
{
#ifdef Q_OS_WIN
    if (systemHas(kGb18030CodePage)) {
        const std::optional<QString> text = systemDecode(kGb18030CodePage, bytes);
        return text && !text->contains(QChar::ReplacementCharacter);
    }
#endif
    if (qtHasGb18030()) {
        QStringDecoder decoder("GB18030", QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(bytes);
        return !decoder.hasError() && !text.contains(QChar::ReplacementCharacter);
    }
    bool clean = false;
    const QString text = Gb18030::decode(bytes, &clean);
    return clean && !text.contains(QChar::ReplacementCharacter);
}

QString decodeDos(const QByteArray& bytes)
{
#ifdef Q_OS_WIN
    // Every byte has a character in code page 437.
    if (systemHas(kDosCodePage)) {
        if (const std::optional<QString> text = systemDecode(kDosCodePage, bytes))
            return *text;
    }
#endif
    QStringDecoder dos("IBM437");
    return dos.isValid() ? QString(dos.decode(bytes)) : QString::fromLatin1(bytes);
}

bool isValidUtf8(const QByteArray& bytes)
{
    // Strict: no overlong forms, no surrogates, nothing above U+10FFFF, no cut-off sequence.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned int min = 0;
        unsigned int code = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString toCrLf(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += u"\r\n";
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else if (c == u'\n') {
            out += u"\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace TextCodec
