#include "Unprivileged.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/TextCodec.h"
#include "platform/ValueText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class PlatformTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void valueText_dateTimes_useChineseFormAndDropMidnight();
    void valueText_numbersAndOtherKinds_giveDecimalText();
    void textCodec_chineseAndRareCharacters_roundTripWithoutLoss();
    void textCodec_lineBreaks_becomeCrLf();
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

void PlatformTest::textCodec_lineBreaks_becomeCrLf()
{
    QCOMPARE(TextCodec::toCrLf(u"a\nb\r\nc\rd"_s), u"a\r\nb\r\nc\r\nd"_s);
    QCOMPARE(TextCodec::toCrLf(QString()), QString());
}

void PlatformTest::fileName_separatorsDotsNulAndLength_areRefused()
{
    QVERIFY(FileSystem::isValidFileName(u"P01"_s, 4));
    QVERIFY(FileSystem::isValidFileName(u"261207_093005"_s, 4));
    QVERIFY(FileSystem::isValidFileName(u"项目 01"_s, 4));
    QVERIFY(!FileSystem::isValidFileName(QString(), 4));
    QVERIFY(!FileSystem::isValidFileName(u"a/b"_s, 4));
    QVERIFY(!FileSystem::isValidFileName(u"../x"_s, 4));
    QVERIFY(!FileSystem::isValidFileName(u".."_s, 4));
    QVERIFY(!FileSystem::isValidFileName(u"a"_s + QChar(0) + u"b"_s, 4));
    QVERIFY(FileSystem::isValidFileName(QString(251, u'x'), 4));
    QVERIFY(!FileSystem::isValidFileName(QString(252, u'x'), 4));
    // Each of these characters takes three bytes on disk.
    QVERIFY(!FileSystem::isValidFileName(QString(84, u'项'), 4));
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
