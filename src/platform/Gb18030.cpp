#include "platform/Gb18030.h"

#include <QFile>

#include <array>
#include <vector>

namespace {

constexpr int kTrailCount = 190; // 0x40-0x7E and 0x80-0xFE
constexpr int kTwoByteCount = 126 * kTrailCount;
constexpr quint32 kBmpFourByteCount = 39420;    // 0x81308130 up to 0x8431A439 (U+FFFF)
constexpr quint32 kSupplementaryStart = 189000; // the linear number of 0x90308130, U+10000
constexpr char16_t kReplacement = 0xFFFD;

// GB18030-2005 gave A8BC to U+1E3F and U+1E3F's old four-byte code to U+E7C7, outside the order of the rest.
constexpr char16_t kMovedToTwoBytes = 0x1E3F;
constexpr char16_t kTookItsFourBytes = 0xE7C7;

struct Tables
{
    std::array<char16_t, kTwoByteCount> twoByte{};               // by (lead - 0x81) * 190 + trail index
    std::vector<char16_t> fourByte;                              // BMP character by linear number
    std::vector<quint32> codeOf = std::vector<quint32>(0x10000); // two-byte code, or 0x80000000 | linear number
};

constexpr quint32 kFourByteFlag = 0x80000000;

int trailIndex(unsigned char trail)
{
    if (trail >= 0x40 && trail <= 0x7E)
        return trail - 0x40;
    if (trail >= 0x80 && trail <= 0xFE)
        return trail - 0x41;
    return -1;
}

Tables makeTables()
{
    Tables t;
    QFile file(QStringLiteral(":/codec/gb18030-two-byte.bin"));
    if (file.open(QIODevice::ReadOnly) && file.size() == qint64(sizeof(char16_t)) * kTwoByteCount) {
        const QByteArray bytes = file.readAll();
        for (int i = 0; i < kTwoByteCount; ++i) {
            const auto low = static_cast<unsigned char>(bytes.at(2 * i));
            const auto high = static_cast<unsigned char>(bytes.at(2 * i + 1));
            t.twoByte[size_t(i)] = char16_t(low | (high << 8));
        }
    }
    std::vector<bool> hasTwoBytes(0x10000, false);
    for (int i = 0; i < kTwoByteCount; ++i) {
        const char16_t c = t.twoByte[size_t(i)];
        if (c == 0)
            continue;
        const int lead = 0x81 + i / kTrailCount;
        const int index = i % kTrailCount;
        const int trail = index < 0x3F ? 0x40 + index : 0x41 + index;
        hasTwoBytes[c] = true;
        t.codeOf[c] = quint32(lead << 8 | trail);
    }
    t.fourByte.reserve(kBmpFourByteCount);
    for (quint32 c = 0x80; c <= 0xFFFF; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || c == kTookItsFourBytes)
            continue;
        const char16_t owner = c == kMovedToTwoBytes ? kTookItsFourBytes : char16_t(c);
        if (hasTwoBytes[c] && c != kMovedToTwoBytes)
            continue;
        t.codeOf[owner] = kFourByteFlag | quint32(t.fourByte.size());
        t.fourByte.push_back(owner);
    }
    return t;
}

const Tables& tables()
{
    static const Tables t = makeTables();
    return t;
}

void appendFourBytes(QByteArray& out, quint32 linear)
{
    char bytes[4];
    bytes[3] = char(0x30 + linear % 10);
    linear /= 10;
    bytes[2] = char(0x81 + linear % 126);
    linear /= 126;
    bytes[1] = char(0x30 + linear % 10);
    bytes[0] = char(0x81 + linear / 10);
    out.append(bytes, 4);
}

} // namespace

namespace Gb18030 {

QString decode(const QByteArray& bytes, bool* clean)
{
    const Tables& t = tables();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    bool allClean = true;
    const auto replace = [&] {
        out += QChar(kReplacement);
        allClean = false;
    };
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b1 = p[i];
        if (b1 < 0x80) {
            out += QLatin1Char(char(b1));
            ++i;
            continue;
        }
        // A lead byte whose character is cut off by the end of the bytes.
        const bool fourByteStart = i + 1 < n && p[i + 1] >= 0x30 && p[i + 1] <= 0x39;
        const bool cutOff =
            b1 != 0x80 && b1 != 0xFF &&
            (i + 1 >= n || (fourByteStart && (i + 2 >= n || (p[i + 2] >= 0x81 && p[i + 2] <= 0xFE && i + 3 >= n))));
        if (cutOff) {
            replace();
            break;
        }
        if (b1 == 0x80 || b1 == 0xFF) {
            replace();
            ++i;
            continue;
        }
        const int trail = trailIndex(p[i + 1]);
        if (trail >= 0) {
            const char16_t c = t.twoByte[size_t((b1 - 0x81) * kTrailCount + trail)];
            if (c == 0)
                replace();
            else
                out += QChar(c);
            i += 2;
            continue;
        }
        // 0xFF, which nothing can be, goes with the lead byte before it.
        if (p[i + 1] == 0xFF) {
            replace();
            i += 2;
            continue;
        }
        // Other bytes that cannot continue the character: the lead byte alone is replaced, the rest read again.
        if (!fourByteStart || p[i + 2] < 0x81 || p[i + 2] > 0xFE || p[i + 3] < 0x30 || p[i + 3] > 0x39) {
            replace();
            ++i;
            continue;
        }
        const quint32 linear =
            (((b1 - 0x81) * 10u + (p[i + 1] - 0x30)) * 126u + (p[i + 2] - 0x81)) * 10u + (p[i + 3] - 0x30);
        if (linear < t.fourByte.size()) {
            out += QChar(t.fourByte[linear]);
        } else if (linear >= kSupplementaryStart && linear - kSupplementaryStart <= 0xFFFFF) {
            const char32_t c = char32_t(0x10000 + linear - kSupplementaryStart);
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            replace(); // a four-byte code no character has
        }
        i += 4;
    }
    if (clean)
        *clean = allClean;
    return out;
}

QByteArray encode(const QString& text)
{
    const Tables& t = tables();
    QByteArray out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            const char32_t full = QChar::surrogateToUcs4(c, text.at(i + 1).unicode());
            appendFourBytes(out, kSupplementaryStart + quint32(full - 0x10000));
            ++i;
            continue;
        }
        const quint32 code = QChar::isSurrogate(c) ? 0 : t.codeOf[c];
        if (code == 0) {
            out += '?';
        } else if (code & kFourByteFlag) {
            appendFourBytes(out, code & ~kFourByteFlag);
        } else {
            out += char(code >> 8);
            out += char(code & 0xFF);
        }
    }
    return out;
}

} // namespace Gb18030
