#include "app/AppSettings.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class AppSettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void read_missingFileSectionOrKey_givesDefault();
    void read_presentButEmptyTitle_isEmptyNotDefault();
    void read_messyFile_answersLikeThePlatformReader();
    void read_invalidBytesAndHugeFile_stillAnswer();
    void write_newFile_isChineseCodePageWithCrLf();
    void write_existingFile_keepsEveryOtherLineByteForByte();
    void write_duplicateKeys_replacesTheOneReadsSee();
    void write_unreadableTarget_failsAndKeepsFile();
    void numbers_emptyTextFractionsAndJunk_followTheNumberRule();
    void flagsAndColours_followTheirRules();

private:
    QString writeRaw(const QByteArray& bytes);
    QByteArray readRaw() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void AppSettingsTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(u"Install.ini"_s);
}

QString AppSettingsTest::writeRaw(const QByteArray& bytes)
{
    QFile f(m_path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return m_path;
}

QByteArray AppSettingsTest::readRaw() const
{
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void AppSettingsTest::read_missingFileSectionOrKey_givesDefault()
{
    AppSettings s(m_path);
    QCOMPARE(s.read(SettingsKeys::kTitle, u"默认"_s), u"默认"_s);
    QCOMPARE(s.read(SettingsKeys::kExecutionDir), QString());
    QCOMPARE(s.readNumber(SettingsKeys::kNavigationPage, u"0"_s), 0);
    writeRaw("[Install]\r\nTs=2\r\n");
    QCOMPARE(s.read(SettingsKeys::kTitle, u"默认"_s), u"默认"_s);
    QCOMPARE(s.read(SettingsKeys::kListArrangement), QString());
    QCOMPARE(s.readNumber(SettingsKeys::kNavigationPage, u"0"_s), 2);
    QVERIFY(!QFile::exists(m_dir->filePath(u"other.ini"_s)));
}

void AppSettingsTest::read_presentButEmptyTitle_isEmptyNotDefault()
{
    writeRaw("[System]\r\nTitle=\r\n");
    AppSettings s(m_path);
    QVERIFY(s.contains(SettingsKeys::kTitle));
    QCOMPARE(s.read(SettingsKeys::kTitle, defaultTitle()), QString());
}

void AppSettingsTest::read_messyFile_answersLikeThePlatformReader()
{
    writeRaw(TextCodec::encode(u"Title=before any section\r\n"
                               "no equals sign here\r\n"
                               "[system]\r\n"
                               "  title  =  第一  \r\n"
                               "Title=第二\r\n"
                               "=orphan value\r\n"
                               "; Title=comment\r\n"
                               "[Install]\n"
                               "Ts=1\n"
                               "[System]\r\n"
                               "dir=D:\\work\r\n"
                               "Bag=\"C:\\pic.jpg\"\r\n"_s));
    AppSettings s(m_path);
    QCOMPARE(s.read(SettingsKeys::kTitle), u"第一"_s);            // case-insensitive names, first key wins, trimmed
    QCOMPARE(s.read(SettingsKeys::kExecutionDir), u"D:\\work"_s); // a later section of the same name
    QCOMPARE(s.read(SettingsKeys::kBackground), u"C:\\pic.jpg"_s);
    QCOMPARE(s.readNumber(SettingsKeys::kNavigationPage), 1);
}

void AppSettingsTest::read_invalidBytesAndHugeFile_stillAnswer()
{
    QByteArray bytes("[System]\r\nColor1=\xff\xfe\x80\r\nTitle=\xD6\xD0\xCE\xC4\r\n");
    bytes += QByteArray(10 * 1024 * 1024, 'x'); // one enormous line without "="
    bytes += "\r\n[Install]\r\nTL=1\r\n";
    writeRaw(bytes);
    AppSettings s(m_path);
    QCOMPARE(s.read(SettingsKeys::kTitle), u"中文"_s);
    QCOMPARE(s.readNumber(SettingsKeys::kTextColour), 0);
    QCOMPARE(s.readNumber(SettingsKeys::kListArrangement), 1);
    QVERIFY(s.writeNumber(SettingsKeys::kNavigationPage, 2));
    QCOMPARE(s.readNumber(SettingsKeys::kNavigationPage), 2);
    QVERIFY(readRaw().contains("Color1=\xff\xfe\x80\r\n"));
}

void AppSettingsTest::write_newFile_isChineseCodePageWithCrLf()
{
    AppSettings s(m_path);
    QVERIFY(s.write(SettingsKeys::kTitle, u"我的项目 😀"_s));
    QVERIFY(s.writeNumber(SettingsKeys::kNavigationPage, 1));
    QCOMPARE(readRaw(), QByteArray("[System]\r\nTitle=") + TextCodec::encode(u"我的项目 😀"_s) +
                            QByteArray("\r\n\r\n[Install]\r\nTs=1\r\n"));
    QCOMPARE(s.read(SettingsKeys::kTitle), u"我的项目 😀"_s);
}

void AppSettingsTest::write_existingFile_keepsEveryOtherLineByteForByte()
{
    const QByteArray before("; hand-written note \xB1\xB8\xD7\xA2\r\n"
                            "[System]\r\n"
                            "Title=old\r\n"
                            "Unknown=kept\r\n"
                            "\r\n"
                            "[Other]\r\n"
                            "x = 1\r\n");
    writeRaw(before);
    AppSettings s(m_path);
    QVERIFY(s.write(SettingsKeys::kTitle, u"new"_s));
    QVERIFY(s.write(SettingsKeys::kExecutionDir, u"/tmp/run"_s));
    QByteArray expected = before;
    expected.replace("Title=old", "Title=new");
    expected.replace("Unknown=kept\r\n", "Unknown=kept\r\ndir=/tmp/run\r\n");
    QCOMPARE(readRaw(), expected);
    QVERIFY(!QFile::exists(m_path + u".tmp"_s));
}

void AppSettingsTest::write_duplicateKeys_replacesTheOneReadsSee()
{
    writeRaw("[Install]\r\nTs=1\r\nTs=2\r\n");
    AppSettings s(m_path);
    QVERIFY(s.writeNumber(SettingsKeys::kNavigationPage, 0));
    QCOMPARE(readRaw(), QByteArray("[Install]\r\nTs=0\r\nTs=2\r\n"));
    QCOMPARE(s.readNumber(SettingsKeys::kNavigationPage), 0);
}

void AppSettingsTest::write_unreadableTarget_failsAndKeepsFile()
{
    // A folder where the file should be: nothing can be read or replaced, and nothing is.
    QVERIFY(QDir().mkpath(m_path));
    AppSettings s(m_path);
    QVERIFY(!s.write(SettingsKeys::kTitle, u"x"_s));
    QVERIFY(QFileInfo(m_path).isDir());
}

void AppSettingsTest::numbers_emptyTextFractionsAndJunk_followTheNumberRule()
{
    QCOMPARE(AppSettings::toNumber(QString()), 0);
    QCOMPARE(AppSettings::toNumber(u"abc"_s), 0);
    QCOMPARE(AppSettings::toNumber(u"12"_s), 12);
    QCOMPARE(AppSettings::toNumber(u"-12"_s), -12);
    QCOMPARE(AppSettings::toNumber(u"3.9"_s), 3);
    QCOMPARE(AppSettings::toNumber(u"-3.9"_s), -3);
    QCOMPARE(AppSettings::toNumber(u"1e99"_s), std::numeric_limits<int>::max());
    QCOMPARE(AppSettings::toNumber(u"nan"_s), 0);
}

void AppSettingsTest::flagsAndColours_followTheirRules()
{
    writeRaw("[System]\r\nInto=true\r\nNumber=1\r\nColor1=255\r\nColor2=65280\r\nColor3=16711680\r\n");
    AppSettings s(m_path);
    QVERIFY(!s.readFlag(SettingsKeys::kImportOptional));
    QVERIFY(s.readFlag(SettingsKeys::kManualNumbering));
    QCOMPARE(s.readColour(SettingsKeys::kTextColour, u"0"_s), QColor(Qt::red));
    QCOMPARE(s.readColour(SettingsKeys::kTextBackColour, u"0"_s), QColor(Qt::green));
    QCOMPARE(s.readColour(SettingsKeys::kBackColour, u"0"_s), QColor(Qt::blue));
    QCOMPARE(AppSettings::fromColour(QColor(Qt::red)), 255);
    QCOMPARE(AppSettings::fromColour(QColor(Qt::white)), 16777215);
}

QTEST_GUILESS_MAIN(AppSettingsTest)
#include "tst_appsettings.moc"
