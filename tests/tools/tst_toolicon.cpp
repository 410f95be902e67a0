#include "TempAppDir.h"
#include "tools/ToolIcon.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ToolIcon::Kind)

class ToolIconTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isWebAddress_data();
    void isWebAddress();
    void iconOf_firstSourceWithAnIconWins_data();
    void iconOf_firstSourceWithAnIconWins();
    void iconOf_pictureOrDesktopEntryOnDisk_ownIcon();
    void shellTarget_addressWithoutSchemeOpensAsHttp_data();
    void shellTarget_addressWithoutSchemeOpensAsHttp();
};

void ToolIconTest::isWebAddress_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("web");
    const QList<std::pair<QString, bool>> cases = {
        {u"http://example.org/a"_s, true},
        {u"HTTPS://x"_s, true},
        {u"Www.example"_s, true},
        {u"example.com"_s, true},
        {u"example.NET"_s, true},
        {u"a.cn"_s, true},
        {u"a.org"_s, true},
        {u"page.htm"_s, true},
        {u"page.HTML"_s, true},
        {u"x.asp"_s, true},
        {u"x.php"_s, true},
        {u"x.com/"_s, true},
        {u"x.net/"_s, true},
        {u"x.CN/"_s, true},
        {u"x.aspx"_s, true},
        {u"/usr/bin/command.com"_s, true},
        {u"/opt/tool/run.exe"_s, false},
        {u"C:\\docs\\a.txt"_s, false},
        {u"ww.example"_s, false},
        {u"htt"_s, false},
        {u""_s, false},
        {u"x.cn.bak"_s, false},
        {u"/home/u/folder/"_s, false},
    };
    for (const auto& [path, web] : cases)
        QTest::addRow("%s", qPrintable(path.isEmpty() ? u"(empty)"_s : path)) << path << web;
}

void ToolIconTest::isWebAddress()
{
    QFETCH(QString, path);
    QFETCH(bool, web);
    QCOMPARE(ToolIcon::isWebAddress(path), web);
}

void ToolIconTest::iconOf_firstSourceWithAnIconWins_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("hasOwn");
    QTest::addColumn<bool>("hasFileType");
    QTest::addColumn<ToolIcon::Kind>("kind");
    using K = ToolIcon::Kind;
    QTest::newRow("own icon before everything") << u"http://a.com"_s << true << true << K::Own;
    QTest::newRow("web address before the file type") << u"run.com"_s << false << true << K::WebAddress;
    QTest::newRow("file type") << u"notes.txt"_s << false << true << K::FileType;
    QTest::newRow("nothing: default") << u"notes.txt"_s << false << false << K::Default;
    QTest::newRow("web address without sources") << u"www.x"_s << false << false << K::WebAddress;
}

void ToolIconTest::iconOf_firstSourceWithAnIconWins()
{
    QFETCH(QString, path);
    QFETCH(bool, hasOwn);
    QFETCH(bool, hasFileType);
    QFETCH(ToolIcon::Kind, kind);
    QPixmap picture(32, 32);
    picture.fill(Qt::red);
    QStringList asked;
    const auto fake = [&](const QString& source, bool has) {
        return [&asked, source, has, picture](const QString& p) {
            asked.append(source + u':' + p);
            return has ? QIcon(picture) : QIcon();
        };
    };
    const ToolIcon icons(ToolIcon::Source{fake(u"own"_s, hasOwn), fake(u"type"_s, hasFileType)});
    ToolIcon::Kind found{};
    const QIcon icon = icons.iconOf(path, &found);
    QCOMPARE(found, kind);
    QVERIFY(!icon.isNull());
    QCOMPARE(asked.first(), u"own:"_s + path);
    // The file type is asked only when neither the file nor the address look gave an icon.
    QCOMPARE(asked.contains(u"type:"_s + path), !hasOwn && !ToolIcon::isWebAddress(path));
}

void ToolIconTest::iconOf_pictureOrDesktopEntryOnDisk_ownIcon()
{
    TempAppDir dir(false);
    QImage image(64, 48, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    const QString picture = dir.filePath(u"logo.png"_s);
    QVERIFY(image.save(picture));
    const QString entry =
        dir.writeFile(u"editor.desktop"_s, "[Desktop Entry]\nName=Editor\nIcon=" + picture.toUtf8() + "\nExec=ed\n");
    const QString plain = dir.writeFile(u"plain.bin"_s, QByteArray(100, '\0'));

    const ToolIcon icons;
    ToolIcon::Kind kind{};
    QVERIFY(!icons.iconOf(picture, &kind).isNull());
    QCOMPARE(kind, ToolIcon::Kind::Own);
    icons.iconOf(entry, &kind);
    QCOMPARE(kind, ToolIcon::Kind::Own);
    icons.iconOf(plain, &kind);
    QVERIFY(kind != ToolIcon::Kind::Own);
    icons.iconOf(dir.filePath(u"missing.com"_s), &kind);
    QCOMPARE(kind, ToolIcon::Kind::WebAddress);
}

void ToolIconTest::shellTarget_addressWithoutSchemeOpensAsHttp_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("opened");
    const QList<std::pair<QString, QString>> cases = {
        {u"www.example.org"_s, u"http://www.example.org"_s},
        {u"WWW.Example.org/a?b=1"_s, u"http://WWW.Example.org/a?b=1"_s},
        {u"example.com"_s, u"http://example.com"_s},
        {u"example.cn:8080/x.aspx"_s, u"http://example.cn:8080/x.aspx"_s},
        {u"http://example.org"_s, u"http://example.org"_s},
        {u"https://example.org"_s, u"https://example.org"_s},
        {u"ftp://example.com"_s, u"ftp://example.com"_s},
        {u"/usr/bin/command.com"_s, u"/usr/bin/command.com"_s},
        {u"C:\\dos\\command.com"_s, u"C:\\dos\\command.com"_s},
        {u"\\\\server\\page.htm"_s, u"\\\\server\\page.htm"_s},
        {u"./page.htm"_s, u"./page.htm"_s},
        {u"present.com"_s, u"present.com"_s}, // a file of that name beside the program
        {u"notes.txt"_s, u"notes.txt"_s},
    };
    for (const auto& [path, opened] : cases)
        QTest::addRow("%s", qPrintable(path)) << path << opened;
}

void ToolIconTest::shellTarget_addressWithoutSchemeOpensAsHttp()
{
    QFETCH(QString, path);
    QFETCH(QString, opened);
    TempAppDir dir(false);
    dir.writeFile(u"present.com"_s, "MZ");
    QCOMPARE(ToolIcon::shellTarget(path), opened);
}

QTEST_MAIN(ToolIconTest)
#include "tst_toolicon.moc"
