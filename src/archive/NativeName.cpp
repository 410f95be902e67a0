#include "archive/NativeName.h"

#include <QStringDecoder>

namespace NativeFs {

namespace {

constexpr char16_t kStrayByteBase = 0xDC00;
constexpr uchar kBackslash = 0x5C;

// The bytes carried in the stray form: every byte that is not UTF-8, and a backslash that ends a GBK character.
bool isStrayByte(char16_t c)
{
    return (c >= kStrayByteBase + 0x80 && c <= kStrayByteBase + 0xFF) || c == kStrayByteBase + kBackslash;
}

bool isGbkLead(uchar byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

bool isGbkTrail(uchar byte)
{
    return (byte >= 0x40 && byte <= 0xFE) && byte != 0x7F;
}

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at bytes[i], or 0.
qsizetype sequenceLength(const QByteArray& bytes, qsizetype i)
{
    const auto at = [&](qsizetype k) { return uchar(bytes.at(k)); };
    const uchar lead = at(i);
    qsizetype length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || at(i + 1) < low || at(i + 1) > high) {
        return 0;
    }
    for (qsizetype k = 2; k < length; ++k) {
        if (!isContinuation(at(i + k))) {
            return 0;
        }
    }
    return length;
}

} // namespace

QString decodeName(const QByteArray& bytes)
{
    QString name;
    name.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (uchar(bytes.at(i)) < 0x80) {
            ++i;
            continue;
        }
        const qsizetype length = sequenceLength(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        name += QString::fromUtf8(bytes.constData() + runStart, i - runStart);
        const uchar lead = uchar(bytes.at(i));
        name += QChar(char16_t(kStrayByteBase + lead));
        ++i;
        if (isGbkLead(lead) && i < bytes.size() && isGbkTrail(uchar(bytes.at(i)))) {
            const uchar trail = uchar(bytes.at(i));
            name +=
                trail >= 0x80 || trail == kBackslash ? QChar(char16_t(kStrayByteBase + trail)) : QChar(char16_t(trail));
            ++i;
        }
        runStart = i;
    }
    name += QString::fromUtf8(bytes.constData() + runStart, bytes.size() - runStart);
    return name;
}

bool hasStrayBytes(const QString& name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (isStrayByte(c)) {
            return true;
        }
    }
    return false;
}

QByteArray encodeName(const QString& name)
{
    if (!hasStrayBytes(name)) {
        return name.toUtf8();
    }
    QByteArray bytes;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (isStrayByte(c)) {
            bytes += QStringView(name).mid(runStart, i - runStart).toUtf8();
            bytes += char(c - kStrayByteBase);
            runStart = i + 1;
        }
    }
    bytes += QStringView(name).mid(runStart).toUtf8();
    return bytes;
}

QString readableName(const QString& name)
{
    if (!hasStrayBytes(name))
        return name;
    const QByteArray bytes = encodeName(name);
    QStringDecoder chinese("GB18030", QStringDecoder::Flag::Stateless);
    if (chinese.isValid()) {
        const QString decoded = chinese.decode(bytes);
        if (!chinese.hasError() && !decoded.contains(QChar::ReplacementCharacter))
            return decoded;
    }
    return QString::fromUtf8(bytes);
}

} // namespace NativeFs
