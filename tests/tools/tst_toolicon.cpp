#include "TempAppDir.h"
#include "platform/FileIcons.h"
#include "tools/ToolIcon.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

#ifdef Q_OS_WIN
#include <QDir>
#include <QScopeGuard>
#include <QSettings>
#include <qt_windows.h>

#include <shellapi.h>
#endif

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
#ifdef Q_OS_WIN
    void registeredIcon_defaultIconOfTheFileType_data();
    void registeredIcon_defaultIconOfTheFileType();
#endif
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

#ifdef Q_OS_WIN

namespace {

// A library of Windows itself that holds many icons.
QString systemIcons()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    return QDir::fromNativeSeparators(QString::fromWCharArray(folder, int(length))) + u"/shell32.dll"_s;
}

// The picture of icon `index` inside `file`, as the system hands it out.
QImage iconInFile(const QString& file, int index)
{
    HICON icon = nullptr;
    if (ExtractIconExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(file).utf16()), index, &icon, nullptr, 1) !=
            1 ||
        !icon)
        return {};
    const QImage image = QImage::fromHICON(icon);
    DestroyIcon(icon);
    return image;
}

} // namespace

#endif

void ToolIconTest::iconOf_pictureOrDesktopEntryOnDisk_ownIcon()
{
#ifdef Q_OS_WIN
    // Windows: the icon inside the file (an icon file, a program, a library); a picture is no icon of its own.
    TempAppDir dir(false);
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    const QString iconFile = dir.filePath(u"logo.ico"_s);
    QVERIFY(image.save(iconFile, "ICO"));
    const QString picture = dir.filePath(u"logo.png"_s);
    QVERIFY(image.save(picture));
    const QString plain = dir.writeFile(u"plain.bin"_s, QByteArray(100, '\0'));

    const ToolIcon icons;
    ToolIcon::Kind kind{};
    const QIcon own = icons.iconOf(iconFile, &kind);
    QCOMPARE(kind, ToolIcon::Kind::Own);
    QCOMPARE(QColor(own.pixmap(32, 32).toImage().pixel(16, 16)), QColor(Qt::blue));
    icons.iconOf(systemIcons(), &kind);
    QCOMPARE(kind, ToolIcon::Kind::Own);
    icons.iconOf(picture, &kind);
    QVERIFY(kind != ToolIcon::Kind::Own);
    icons.iconOf(plain, &kind);
    QVERIFY(kind != ToolIcon::Kind::Own);
    icons.iconOf(dir.filePath(u"missing.com"_s), &kind);
    QCOMPARE(kind, ToolIcon::Kind::WebAddress);
#else
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
#endif
}

#ifdef Q_OS_WIN

// HKEY_CLASSES_ROOT\.ext names a class, whose DefaultIcon "file,number" names the icon. The keys are written
// for the current user, whose classes Windows shows in HKEY_CLASSES_ROOT too.
void ToolIconTest::registeredIcon_defaultIconOfTheFileType_data()
{
    QTest::addColumn<QString>("defaultIcon"); // "%1": the system's library of icons
    QTest::addColumn<int>("index");           // the icon expected from it; -1: none
    QTest::newRow("file and number") << u"%1,3"_s << 3;
    QTest::newRow("number with a fraction") << u"%1,4.7"_s << 4;
    QTest::newRow("first icon") << u"%1,0"_s << 0;
    QTest::newRow("no comma") << u"%1"_s << -1;
    QTest::newRow("no such file") << u"C:\\nowhere\\icons.dll,0"_s << -1;
    QTest::newRow("no DefaultIcon") << QString() << -1;
}

void ToolIconTest::registeredIcon_defaultIconOfTheFileType()
{
    QFETCH(QString, defaultIcon);
    QFETCH(int, index);
    // Windows shows the current user's classes in HKEY_CLASSES_ROOT; Wine does not, and there the keys go into
    // HKEY_CLASSES_ROOT itself.
    QStringList roots{u"HKEY_CURRENT_USER\\Software\\Classes"_s};
    const auto removeKeys = [&] {
        for (const QString& root : std::as_const(roots)) {
            QSettings(root, QSettings::NativeFormat).remove(u".tallyratest"_s);
            QSettings(root, QSettings::NativeFormat).remove(u"Tallyra.TestFile"_s);
        }
    };
    const auto writeKeys = [&](const QString& root) {
        QSettings(root + u"\\.tallyratest"_s, QSettings::NativeFormat).setValue(u"Default"_s, u"Tallyra.TestFile"_s);
        if (!defaultIcon.isEmpty()) {
            QSettings(root + u"\\Tallyra.TestFile\\DefaultIcon"_s, QSettings::NativeFormat)
                .setValue(u"Default"_s, QString(defaultIcon).replace(u"%1"_s, QDir::toNativeSeparators(systemIcons())));
        }
    };
    const auto cleanup = qScopeGuard(removeKeys);
    writeKeys(roots.constFirst());
    const QSettings classesRoot(u"HKEY_CLASSES_ROOT\\.tallyratest"_s, QSettings::NativeFormat);
    if (classesRoot.value(u"Default"_s).toString().isEmpty()) {
        roots.append(u"HKEY_CLASSES_ROOT"_s);
        writeKeys(roots.constLast());
    }

    const QIcon icon = FileIcons::registeredIcon(u"C:/docs/plan.tallyratest"_s);
    const ToolIcon::Kind expectedKind = index < 0 ? ToolIcon::Kind::Default : ToolIcon::Kind::FileType;
    ToolIcon::Kind kind{};
    ToolIcon().iconOf(u"C:/docs/plan.tallyratest"_s, &kind);
    QCOMPARE(kind, expectedKind);
    if (index < 0) {
        QVERIFY(icon.isNull());
        return;
    }
    const QImage expected = iconInFile(systemIcons(), index);
    QVERIFY(!expected.isNull());
    QCOMPARE(icon.pixmap(expected.size()).toImage().convertToFormat(QImage::Format_ARGB32),
             expected.convertToFormat(QImage::Format_ARGB32));
    // Another icon of the same library looks otherwise, or the comparison proves nothing.
    QVERIFY(iconInFile(systemIcons(), index + 1) != expected);
}

#endif

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
