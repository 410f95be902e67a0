#include "Unprivileged.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Gb18030.h"
#include "platform/TextCodec.h"
#include "platform/ValueText.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

using namespace Qt::StringLiterals;

class PlatformTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueText_dateTimes_useChineseFormAndDropMidnight();
    void valueText_numbersAndOtherKinds_giveDecimalText();
    void textCodec_chineseAndRareCharacters_roundTripWithoutLoss();
    void textCodec_chineseCodePage_sameBytesOnEverySystem_data();
    void textCodec_chineseCodePage_sameBytesOnEverySystem();
    void textCodec_ownTable_agreesWithTheSystemConverter();
    void textCodec_dosCodePage_sameTextOnEverySystem();
    void textCodec_lineBreaks_becomeCrLf();
    void fileName_separatorsDotsNulAndLength_areRefused_data();
    void fileName_separatorsDotsNulAndLength_areRefused();
    void copyFile_goodSource_givesIdenticalBytes();
    void copyFile_badSourceOrTarget_failsAndLeavesNothing();
    void copyFile_unreadableSource_failsAndLeavesNothing();
    void keepAs_secondName_keepsTheBytesWhenTheFirstIsReplaced();
};

void PlatformTest::valueText_dateTimes_useChineseFormAndDropMidnight()
{
    QCOMPARE(ValueText::dateTime(QDateTime(QDate(2026, 12, 7), QTime(9, 30, 5))), u"2026年12月7日9时30分5秒"_s);
    QCOMPARE(ValueText::dateTime(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 0))), u"2026年1月2日"_s);
    QCOMPARE(ValueText::dateTime(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 1))), u"2026年1月2日0时0分1秒"_s);
    QCOMPARE(ValueText::date(QDate(2026, 12, 7)), u"2026年12月7日"_s);
    QCOMPARE(ValueText::of(QVariant(QDateTime(QDate(2026, 3, 4), QTime(23, 5, 0)))), u"2026年3月4日23时5分0秒"_s);
    QCOMPARE(ValueText::of(QVariant(QDateTime())), QString());
}

void PlatformTest::valueText_numbersAndOtherKinds_giveDecimalText()
{
    QCOMPARE(ValueText::number(1205.63), u"1205.63"_s);
    QCOMPARE(ValueText::number(1.5), u"1.5"_s);
    QCOMPARE(ValueText::number(2.0), u"2"_s);
    QCOMPARE(ValueText::number(-3.25), u"-3.25"_s);
    QCOMPARE(ValueText::number(0.1 + 0.2), u"0.3"_s);
    QCOMPARE(ValueText::of(QVariant(-7)), u"-7"_s);
    QCOMPARE(ValueText::of(QVariant(u"文本"_s)), u"文本"_s);
    QCOMPARE(ValueText::of(QVariant()), QString());
    QCOMPARE(ValueText::of(QVariant(QMetaType::fromType<QString>())), QString());
}

void PlatformTest::textCodec_chineseAndRareCharacters_roundTripWithoutLoss()
{
    const QString text = u"项目管理 ü € 😀 𠀀"_s; // the last two lie outside GBK
    const QByteArray bytes = TextCodec::encode(text);
    QVERIFY(!bytes.contains('?'));
    QCOMPARE(TextCodec::decode(bytes), text);
    // GBK characters keep their GBK bytes.
    QCOMPARE(TextCodec::encode(u"中"_s), QByteArray("\xD6\xD0"));
    QVERIFY(!TextCodec::isValidUtf8(QByteArray("\xD6\xD0")));
    QVERIFY(TextCodec::isValidUtf8(u"中"_s.toUtf8()));
}

// The bytes of the Chinese code page do not depend on the converter: ICU on Linux, code page 54936 on Windows,
// the program's own table under Wine. Rows with text both ways; rows without it only decode.
void PlatformTest::textCodec_chineseCodePage_sameBytesOnEverySystem_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("GBK characters") << QByteArray("\xD6\xD0\xCE\xC4 1.0") << u"中文 1.0"_s << true;
    QTest::newRow("GBK punctuation and Cyrillic") << QByteArray("\xA1\xA4\xA1\xAA\xA7\xD1") << u"·—а"_s << true;
    QTest::newRow("Latin letter GBK holds") << QByteArray("\xA8\xB9") << u"ü"_s << true;
    QTest::newRow("euro sign, two bytes") << QByteArray("\xA2\xE3") << u"€"_s << true;
    QTest::newRow("first four-byte code") << QByteArray("\x81\x30\x81\x30") << u"\u0080"_s << true;
    QTest::newRow("yen sign, four bytes") << QByteArray("\x81\x30\x84\x36") << u"¥"_s << true;
    QTest::newRow("Hangul, four bytes") << QByteArray("\x83\x36\x84\x33") << u"한"_s << true;
    QTest::newRow("moved by GB18030-2005") << QByteArray("\xA8\xBC\x81\x35\xF4\x37") << u"\u1E3F\uE7C7"_s << true;
    QTest::newRow("last BMP code") << QByteArray("\x84\x31\xA4\x39") << u"\uFFFF"_s << true;
    QTest::newRow("emoji") << QByteArray("\x94\x39\xFC\x36") << u"😀"_s << true;
    QTest::newRow("CJK extension B") << QByteArray("\x95\x32\x82\x36") << u"𠀀"_s << true;
    QTest::newRow("last code of all") << QByteArray("\xE3\x32\x9A\x35") << QString::fromUcs4(U"\U0010FFFF") << true;
    QTest::newRow("bytes no lead byte can be") << QByteArray("a\x80z\xFF") << u"a\uFFFDz\uFFFD"_s << false;
    QTest::newRow("lead byte before a blank") << QByteArray("\x81 x") << u"\uFFFD x"_s << false;
    QTest::newRow("four-byte start broken off")
        << QByteArray("\x81\x30\x81\x41") << u"\uFFFD0\u4E04"_s << false; // 8141 is a character of its own
    QTest::newRow("four-byte code of no character") << QByteArray("\x84\x31\xA5\x30!") << u"\uFFFD!"_s << false;
    QTest::newRow("beyond the last character") << QByteArray("\xE3\x32\x9A\x36") << u"\uFFFD"_s << false;
}

void PlatformTest::textCodec_chineseCodePage_sameBytesOnEverySystem()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(TextCodec::decode(bytes), text);
    QCOMPARE(TextCodec::isValidGb18030(bytes), valid);
    if (valid)
        QCOMPARE(TextCodec::encode(text), bytes);
}

namespace {

// The system's own converter of the Chinese code page, when it has one: ICU under Qt, code page 54936 on Windows.
struct SystemConverter
{
    std::optional<QString> decode(const QByteArray& bytes) const
    {
#ifdef Q_OS_WIN
        if (IsValidCodePage(54936)) {
            const int length = MultiByteToWideChar(54936, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
            QString text(length, Qt::Uninitialized);
            MultiByteToWideChar(54936, 0, bytes.constData(), int(bytes.size()), reinterpret_cast<wchar_t*>(text.data()),
                                length);
            return text;
        }
#endif
        QStringDecoder decoder("GB18030");
        if (!decoder.isValid())
            return std::nullopt;
        return QString(decoder.decode(bytes));
    }
    std::optional<QByteArray> encode(const QString& text) const
    {
#ifdef Q_OS_WIN
        if (IsValidCodePage(54936)) {
            const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
            const int length = WideCharToMultiByte(54936, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
            QByteArray bytes(length, Qt::Uninitialized);
            WideCharToMultiByte(54936, 0, wide, int(text.size()), bytes.data(), length, nullptr, nullptr);
            return bytes;
        }
#endif
        QStringEncoder encoder("GB18030");
        if (!encoder.isValid())
            return std::nullopt;
        return QByteArray(encoder.encode(text));
    }
};

} // namespace

// The program's own table stands in where the system has no converter; wherever one exists, the two agree on every
// character, every two-byte code and on broken bytes.
void PlatformTest::textCodec_ownTable_agreesWithTheSystemConverter()
{
    const SystemConverter system;
    if (!system.encode(u"中"_s))
        QSKIP("this system has no GB18030 converter to compare the program's table with (Wine has no code page "
              "54936); the fixed bytes of the Chinese code page still hold it");

    QString everyBmpCharacter;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (c < 0xD800 || c > 0xDFFF)
            everyBmpCharacter += QChar(char16_t(c));
    }
    for (char32_t c = 0x10000; c <= 0x10FFFF; c += 0x3E9)
        everyBmpCharacter += QString::fromUcs4(&c, 1);
    QCOMPARE(Gb18030::encode(everyBmpCharacter).toHex(), system.encode(everyBmpCharacter)->toHex());

    QByteArray everyTwoByteCode;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail != 0x7F)
                everyTwoByteCode += char(lead) + QByteArray(1, char(trail));
        }
    }
    QCOMPARE(Gb18030::decode(everyTwoByteCode), *system.decode(everyTwoByteCode));

    // Broken bytes end in a line break, so no converter is left holding the start of a character.
    QRandomGenerator random(18030);
    for (int round = 0; round < 20000; ++round) {
        QByteArray bytes;
        for (int i = random.bounded(1, 12); i > 0; --i) {
            static const char kBytes[] = "\x80\x81\x84\x90\xE3\xFE\xFF\x30\x31\x39\x41\x7F\xA1";
            bytes += kBytes[random.bounded(int(sizeof(kBytes) - 1))];
        }
        bytes += '\n';
        QVERIFY2(Gb18030::decode(bytes) == *system.decode(bytes), bytes.toHex().constData());
    }
}

void PlatformTest::textCodec_dosCodePage_sameTextOnEverySystem()
{
    QCOMPARE(TextCodec::decodeDos(QByteArray("\x80\x81\xB0\xE1 readme.txt")), u"Çü░ß readme.txt"_s);
}

void PlatformTest::textCodec_lineBreaks_becomeCrLf()
{
    QCOMPARE(TextCodec::toCrLf(u"a\nb\r\nc\rd"_s), u"a\r\nb\r\nc\r\nd"_s);
    QCOMPARE(TextCodec::toCrLf(QString()), QString());
}

// A name must be one file name where the program runs: Linux counts the UTF-8 bytes of a name, Windows its
// UTF-16 units, and Windows also refuses its reserved characters, device names and a trailing dot or blank.
void PlatformTest::fileName_separatorsDotsNulAndLength_areRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("onLinux");
    QTest::addColumn<bool>("onWindows");
    QTest::newRow("plain") << u"P01"_s << true << true;
    QTest::newRow("automatic number") << u"261207_093005"_s << true << true;
    QTest::newRow("Chinese and a blank") << u"项目 01"_s << true << true;
    QTest::newRow("empty") << QString() << false << false;
    QTest::newRow("slash") << u"a/b"_s << false << false;
    QTest::newRow("climbing out") << u"../x"_s << false << false;
    QTest::newRow("parent folder") << u".."_s << false << false;
    QTest::newRow("NUL") << u"a"_s + QChar(0) + u"b"_s << false << false;
    QTest::newRow("255 with the suffix") << QString(251, u'x') << true << true;
    QTest::newRow("256 with the suffix") << QString(252, u'x') << false << false;
    // Three bytes each in UTF-8, one unit each in UTF-16.
    QTest::newRow("84 Chinese characters") << QString(84, u'项') << false << true;
    QTest::newRow("251 Chinese characters") << QString(251, u'项') << false << true;
    QTest::newRow("252 Chinese characters") << QString(252, u'项') << false << false;
    // Four bytes in UTF-8, two units in UTF-16.
    QTest::newRow("125 emoji") << u"😀"_s.repeated(125) << false << true;
    QTest::newRow("126 emoji") << u"😀"_s.repeated(126) << false << false;
    QTest::newRow("backslash") << u"a\\b"_s << true << false;
    QTest::newRow("drive letter") << u"C:"_s << true << false;
    QTest::newRow("stream colon") << u"a:b"_s << true << false;
    QTest::newRow("wildcards") << u"a*b?"_s << true << false;
    QTest::newRow("angle brackets and bar") << u"<a|b>"_s << true << false;
    QTest::newRow("quote") << u"a\"b"_s << true << false;
    QTest::newRow("control character") << u"a\tb"_s << true << false;
    QTest::newRow("device name") << u"CON"_s << true << false;
    QTest::newRow("device name with a type") << u"com1.txt"_s << true << false;
    QTest::newRow("trailing dot") << u"P01."_s << true << false;
    QTest::newRow("trailing blank") << u"P01 "_s << true << false;
}

void PlatformTest::fileName_separatorsDotsNulAndLength_areRefused()
{
    QFETCH(QString, name);
#ifdef Q_OS_WIN
    QFETCH(bool, onWindows);
    QCOMPARE(FileSystem::isValidFileName(name, 4), onWindows);
#else
    QFETCH(bool, onLinux);
    QCOMPARE(FileSystem::isValidFileName(name, 4), onLinux);
#endif
}

void PlatformTest::copyFile_goodSource_givesIdenticalBytes()
{
    QTemporaryDir dir;
    QByteArray bytes(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31 % 251);
    QFile src(dir.filePath(u"src.bin"_s));
    QVERIFY(src.open(QIODevice::WriteOnly));
    src.write(bytes);
    src.close();
    const QString target = dir.filePath(u"out.fd1"_s);
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    int calls = 0;
    QVERIFY(FileSystem::copyFile(src.fileName(), target, [&](qint64, qint64) { return ++calls > 0; }));
    QFile out(target);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), bytes);
    QVERIFY(calls >= 3);
}

void PlatformTest::copyFile_badSourceOrTarget_failsAndLeavesNothing()
{
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(u"folder"_s));
    QFile src(dir.filePath(u"src.bin"_s));
    QVERIFY(src.open(QIODevice::WriteOnly));
    src.write("content");
    src.close();
    const QString target = dir.filePath(u"out.fd1"_s);

    QVERIFY(!FileSystem::copyFile(dir.filePath(u"missing"_s), target));
    QVERIFY(!FileSystem::copyFile(dir.filePath(u"folder"_s), target));
    QVERIFY(!FileSystem::copyFile(src.fileName(), dir.filePath(u"no/such/folder/out.fd1"_s)));
    QVERIFY(!FileSystem::copyFile(src.fileName(), target, [](qint64, qint64) { return false; }));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"src.bin"_s});
}

void PlatformTest::copyFile_unreadableSource_failsAndLeavesNothing()
{
    QTemporaryDir dir;
    const QString target = dir.filePath(u"out/pkg.fd1"_s);
    QVERIFY(QDir().mkpath(dir.filePath(u"out"_s)));
    QFile src(dir.filePath(u"secret.zip"_s));
    QVERIFY(src.open(QIODevice::WriteOnly));
    src.write("only root may read this");
    src.close();
    QVERIFY(Unprivileged::makeReachable(dir.path()));
    QVERIFY(src.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(QFile(dir.filePath(u"out"_s)).setPermissions(QFileDevice::Permissions(0x7777)));

    const Unprivileged::Result result = Unprivileged::run([&] {
        if (FileSystem::copyFile(src.fileName(), target))
            return 1;
        return QDir(dir.filePath(u"out"_s)).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ? 0 : 2;
    });
    if (!result.ran)
        QSKIP(qPrintable(result.skipReason));
    QCOMPARE(result.exitCode, 0);
}

QTEST_GUILESS_MAIN(PlatformTest)
void PlatformTest::keepAs_secondName_keepsTheBytesWhenTheFirstIsReplaced()
{
    QTemporaryDir dir;
    const QString stored = dir.filePath(u"1.fd1"_s);
    const QString kept = dir.filePath(u"kept"_s);
    QVERIFY(DurableFile::write(stored, QByteArray("old")));
    QVERIFY(DurableFile::keepAs(stored, kept));
    QVERIFY(FileSystem::sameFile(stored, kept));
    QVERIFY(!DurableFile::keepAs(stored, kept)); // never over an existing name

    QVERIFY(DurableFile::write(stored, QByteArray("new")));
    QVERIFY(!FileSystem::sameFile(stored, kept));
    QFile file(kept);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old"));
    QVERIFY(!FileSystem::sameFile(stored, dir.filePath(u"missing"_s)));
}

#include "tst_platform.moc"
