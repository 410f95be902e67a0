#include "archive/ZipEntryName.h"

#include "platform/TextCodec.h"

#include <QStringDecoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool decodesCleanly(QStringDecoder& decoder, const QByteArray& raw)
{
    decoder.resetState();
    const QString text = decoder.decode(raw);
    return !decoder.hasError() && !text.contains(QChar::ReplacementCharacter);
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

namespace ZipEntryName {

LegacyEncoding chooseLegacyEncoding(const QList<QByteArray>& unflaggedNames)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const bool allUtf8 = std::all_of(unflaggedNames.begin(), unflaggedNames.end(),
                                     [&](const QByteArray& raw) { return decodesCleanly(utf8, raw); });
    const bool allChinese = std::all_of(unflaggedNames.begin(), unflaggedNames.end(), &TextCodec::isValidGb18030);
    if (allUtf8 && allChinese) {
        // Chinese in UTF-8 takes three bytes a character. Names whose UTF-8 reading holds only two-byte characters
        // (GBK "目录" reads as "Ŀ¼") are far more likely GBK from Windows than accented Latin without the flag.
        const bool hasThreeByteCharacter =
            std::any_of(unflaggedNames.begin(), unflaggedNames.end(), [](const QByteArray& raw) {
                const QString text = QString::fromUtf8(raw);
                return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x800; });
            });
        return hasThreeByteCharacter ? LegacyEncoding::Utf8 : LegacyEncoding::Gb18030;
    }
    if (allUtf8) {
        return LegacyEncoding::Utf8;
    }
    return allChinese ? LegacyEncoding::Gb18030 : LegacyEncoding::Cp437;
}

QString decodeUtf8(const QByteArray& raw)
{
    return QString::fromUtf8(raw);
}

QString decode(const QByteArray& raw, LegacyEncoding encoding)
{
    switch (encoding) {
    case LegacyEncoding::Utf8:
        return decodeUtf8(raw);
    case LegacyEncoding::Gb18030:
        return TextCodec::decode(raw);
    case LegacyEncoding::Cp437:
        // The ZIP format's own default.
        return TextCodec::decodeDos(raw);
    }
    return {};
}

std::optional<QString> safeRelativePath(const QString& name)
{
    if (name.isEmpty() || name.contains(QChar(u'\0'))) {
        return std::nullopt;
    }
    QString path = name;
    path.replace(u'\\', u'/');
    if (path.startsWith(u'/')) {
        return std::nullopt;
    }
    if (path.size() >= 2 && isAsciiLetter(path.at(0)) && path.at(1) == u':') {
        return std::nullopt;
    }
    QStringList parts;
    const QStringList pieces = path.split(u'/');
    for (const QString& piece : pieces) {
        if (piece.isEmpty() || piece == "."_L1) {
            continue;
        }
        if (piece == ".."_L1) {
            return std::nullopt;
        }
#ifdef Q_OS_WIN
        // A colon opens an alternate data stream there; trailing dots and spaces are silently dropped.
        if (piece.contains(u':') || piece.endsWith(u'.') || piece.endsWith(u' ')) {
            return std::nullopt;
        }
#endif
        parts.append(piece);
    }
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return parts.join(u'/');
}

} // namespace ZipEntryName
