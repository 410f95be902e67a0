#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "WindowsSkips.h"
#include "app/AppSettings.h"
#include "app/LoginPassword.h"
#include "execution/WorkInProgress.h"
#include "platform/TextCodec.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "settings/ProjectTypes.h"
#include "settings/ui/CleanUpWindow.h"
#include "settings/ui/ColourButton.h"
#include "settings/ui/NewTypeWindow.h"
#include "settings/ui/SettingsWindow.h"
#include "store/DefaultTypeTable.h"
#include "store/IconFile.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/common/TypeCombo.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(QColor(200, 40, 40));
    return image;
}

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A PNG whose header claims a 20000×20000 picture: decoding it would take 1.6 GB.
QByteArray hugePng()
{
    QByteArray png = encoded(picture(32, 32), "PNG");
    QByteArray ihdr = png.mid(12, 17); // "IHDR" + 13 bytes
    const auto put32 = [](QByteArray& b, int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
    };
    put32(ihdr, 4, 20000);
    put32(ihdr, 8, 20000);
    png.replace(12, 17, ihdr);
    put32(png, 29, crc32(ihdr));
    return png;
}

// A 32×32 GIF in one colour, written by hand because Qt reads GIF but does not write it. The LZW stream
// clears its table every two pixels, so every code stays three bits wide.
QByteArray gif32()
{
    QByteArray gif("GIF89a\x20\x00\x20\x00\x80\x00\x00\xc8\x28\x28\xff\xff\xff"
                   "\x2c\x00\x00\x00\x00\x20\x00\x20\x00\x00\x02",
                   30);
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto emitCode = [&](quint32 code) {
        bits |= code << count;
        count += 3;
        while (count >= 8) {
            data.append(char(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    for (int i = 0; i < 512; ++i) {
        emitCode(4);
        emitCode(0);
        emitCode(0);
    }
    emitCode(5);
    if (count > 0)
        data.append(char(bits & 0xFF));
    for (qsizetype at = 0; at < data.size(); at += 255) {
        const QByteArray block = data.mid(at, 255);
        gif.append(char(block.size()));
        gif.append(block);
    }
    gif.append('\0');
    gif.append(';');
    return gif;
}

void click(QWidget* window, const QString& name)
{
    QTest::mouseClick(child<QPushButton>(window, name), Qt::LeftButton);
}

QStringList typeNames()
{
    QComboBox combo;
    fillTypeCombo(&combo);
    QStringList names;
    for (int i = 0; i < combo.count(); ++i)
        names << combo.itemText(i);
    return names;
}

} // namespace

// 系统设置 and its project types.
class SettingsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_fixture = std::make_unique<AppFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void controls_carryTheirNamesAndSpeakWhatIsSeen();
    void open_showsTheSettingsFile_data();
    void open_showsTheSettingsFile();
    void ok_writesEveryKeyFromItsControl_data();
    void ok_writesEveryKeyFromItsControl();
    void ok_executionDirInsideTheDataFolder_refusedAndNothingWritten_data();
    void ok_executionDirInsideTheDataFolder_refusedAndNothingWritten();
    void backgroundPath_blankOrEmpty_disablesTiling();
    void workInProgress_executionDirectoryKept();
    void password_changedAtOnce_failureAndUnreadableTableReported();
    void defaultsThenCloseBox_settingsUntouchedTypesReplaced_mainWindowReapplies();
    void choosePicture_only32By32Accepted_data();
    void choosePicture_only32By32Accepted();
    void createType_severalInARow_thenIncomplete();
    void deleteType_lastRefusedOthersAsked_projectIconsFollowTheRecords();
    void cleanUp_removesWhatTheUserChoseAndShowsTheRoomLeft_data();
    void cleanUp_removesWhatTheUserChoseAndShowsTheRoomLeft();

private:
    std::unique_ptr<AppFixture> m_fixture;
};

void SettingsTest::controls_carryTheirNamesAndSpeakWhatIsSeen()
{
    SettingsWindow settings{QString()};
    NewTypeWindow newType;
    const QList<std::tuple<QWidget*, QString, QString>> controls = {
        {&settings, u"SettingsWindow"_s, u"系统设置"_s},
        {&settings, u"标题编辑框"_s, u"程序标题"_s},
        {&settings, u"导入选择框"_s, u"不要求必须导入项目文件包"_s},
        {&settings, u"执行目录编辑框"_s, u"执行目录"_s},
        {&settings, u"浏览执行目录按钮"_s, u"..."_s},
        {&settings, u"登陆密码编辑框"_s, u"登陆密码"_s},
        {&settings, u"修改密码按钮"_s, u"修改"_s},
        {&settings, u"类型组合框"_s, u"窗口程序"_s},
        {&settings, u"新建类型按钮"_s, u"新建"_s},
        {&settings, u"删除类型按钮"_s, u"删除"_s},
        {&settings, u"文本背景色"_s, u"文本背景色"_s},
        {&settings, u"底图编辑框"_s, u"底图"_s},
        {&settings, u"底图方式选择框"_s, u"平铺"_s},
        {&settings, u"分组框2"_s, u"界面配置"_s},
        {&settings, u"版本数编辑框"_s, u"每个项目保留"_s},
        {&settings, u"历史大小编辑框"_s, u"总大小不超过"_s},
        {&settings, u"默认按钮"_s, u"默认"_s},
        {&settings, u"确定按钮"_s, u"确定"_s},
        {&newType, u"NewTypeWindow"_s, u"新建项目类型"_s},
        {&newType, u"名称编辑框"_s, u"名称"_s},
        {&newType, u"图标编辑框"_s, u"图标"_s},
        {&newType, u"选择图标按钮"_s, u"..."_s},
        {&newType, u"图标显示图片框"_s, u"图标显示图片框"_s},
        {&newType, u"确定按钮"_s, u"确定"_s},
    };
    // A combo box says its current item; on Linux, Qt leaves the label to the labelled-by relation.
    for (const auto& [window, name, spoken] : controls) {
        QWidget* control = window->objectName() == name ? window : child<QWidget>(window, name);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
#ifdef Q_OS_WIN
        // Windows names a combo box by the label beside it and says its current item as its value.
        if (qobject_cast<QComboBox*>(control)) {
            QCOMPARE(face->text(QAccessible::Name), u"项目类型"_s);
            QCOMPARE(face->text(QAccessible::Value), spoken);
            QCOMPARE(control->accessibleDescription(), name);
            continue;
        }
#endif
        QCOMPARE(face->text(QAccessible::Name), spoken);
        QCOMPARE(control->accessibleDescription(), name);
    }
}

void SettingsTest::open_showsTheSettingsFile_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("background");
    QTest::addColumn<QString>("executionDir"); // relative to appDir when not absolute
    QTest::addColumn<bool>("tiled");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("textBack");
    QTest::addColumn<QColor>("back");
    QTest::addColumn<bool>("flags");
    QTest::addColumn<int>("versions");
    QTest::addColumn<int>("megabytes");
    const QColor white(255, 255, 255);
    QTest::newRow("no file") << QByteArray() << QString() << u"run"_s << true << QColor(0, 0, 0) << white << white
                             << false << 10 << 2048;
    QTest::newRow("every key") << TextCodec::encode(
                                      u"[System]\r\nBag=/p/底.jpg\r\nBag2=1\r\nColor1=255\r\nColor2=65280\r\n"
                                      u"Color3=16711680.9\r\ndir=/x/运行\r\nInto=1\r\nNumber=1\r\n"
                                      u"HistoryCount=3\r\nHistorySize=100\r\n"_s)
                               << u"/p/底.jpg"_s << u"/x/运行"_s << false << QColor(255, 0, 0) << QColor(0, 255, 0)
                               << QColor(0, 0, 255) << true << 3 << 100;
    QTest::newRow("bag2 not exactly 1, flags not 1")
        << QByteArray("[System]\r\nBag=a.bmp\r\nBag2=01\r\nInto=yes\r\nNumber=true\r\n") << u"a.bmp"_s << u"run"_s
        << true << QColor(0, 0, 0) << white << white << false << 10 << 2048;
    QTest::newRow("invalid bytes, colours and limits not numbers or none")
        << QByteArray("\xff\xfe\x80\r\n[System]\r\nColor1=red\r\nColor2=\xff\r\nColor3=\r\nBag=\xc0\r\n"
                      "HistoryCount=many\r\nHistorySize=0\r\n")
        << TextCodec::decode("\xc0") << u"run"_s << true << QColor(0, 0, 0) << QColor(0, 0, 0) << QColor(0, 0, 0)
        << false << 10 << 2048;
}

void SettingsTest::open_showsTheSettingsFile()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, background);
    QFETCH(QString, executionDir);
    QFETCH(bool, tiled);
    QFETCH(QColor, text);
    QFETCH(QColor, textBack);
    QFETCH(QColor, back);
    QFETCH(bool, flags);
    QFETCH(int, versions);
    QFETCH(int, megabytes);
    if (!ini.isEmpty())
        m_fixture->app.writeFile(u"Install.ini"_s, ini);

    SettingsWindow window(u"当前标题"_s);
    QCOMPARE(child<QLineEdit>(&window, u"标题编辑框"_s)->text(), u"当前标题"_s);
    QCOMPARE(child<QLineEdit>(&window, u"底图编辑框"_s)->text(), background);
    const QString dir = executionDir.startsWith(u'/') ? executionDir : m_fixture->app.filePath(executionDir);
    QCOMPARE(child<QLineEdit>(&window, u"执行目录编辑框"_s)->text(), dir);
    QCOMPARE(child<QCheckBox>(&window, u"底图方式选择框"_s)->isChecked(), tiled);
    QCOMPARE(child<ColourButton>(&window, u"文本色"_s)->colour(), text);
    QCOMPARE(child<ColourButton>(&window, u"文本背景色"_s)->colour(), textBack);
    QCOMPARE(child<ColourButton>(&window, u"背景色"_s)->colour(), back);
    QCOMPARE(child<QCheckBox>(&window, u"导入选择框"_s)->isChecked(), flags);
    QCOMPARE(child<QCheckBox>(&window, u"编号选择框"_s)->isChecked(), flags);
    QCOMPARE(child<QLineEdit>(&window, u"登陆密码编辑框"_s)->text(), u"739"_s);
    QCOMPARE(child<QComboBox>(&window, u"类型组合框"_s)->currentText(), u"窗口程序"_s);
    QVERIFY(!child<QLabel>(&window, u"类型图片框"_s)->pixmap().isNull());
    QVERIFY(child<QLineEdit>(&window, u"执行目录编辑框"_s)->isEnabled());
    QCOMPARE(child<QSpinBox>(&window, u"版本数编辑框"_s)->value(), versions);
    QCOMPARE(child<QSpinBox>(&window, u"历史大小编辑框"_s)->value(), megabytes);
}

void SettingsTest::ok_writesEveryKeyFromItsControl_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<QString>("flag");
    QTest::addColumn<QString>("bag2");
    QTest::newRow("ticked") << true << u"1"_s << u"0"_s;
    QTest::newRow("unticked") << false << u"0"_s << u"1"_s;
}

void SettingsTest::ok_writesEveryKeyFromItsControl()
{
    QFETCH(bool, ticked);
    QFETCH(QString, flag);
    QFETCH(QString, bag2);
    m_fixture->app.writeFile(u"Install.ini"_s, "; mine\r\n[Install]\r\nTs=2\r\n");
    SettingsWindow window{QString()};
    child<QLineEdit>(&window, u"标题编辑框"_s)->setText(u" 我的 目录𠀀"_s);
    child<QCheckBox>(&window, u"导入选择框"_s)->setChecked(ticked);
    child<QCheckBox>(&window, u"编号选择框"_s)->setChecked(ticked);
    child<QLineEdit>(&window, u"底图编辑框"_s)->setText(u"missing.gif"_s);
    child<QCheckBox>(&window, u"底图方式选择框"_s)->setChecked(ticked);
    child<ColourButton>(&window, u"文本色"_s)->setColour(QColor(255, 0, 0));
    child<ColourButton>(&window, u"文本背景色"_s)->setColour(QColor(1, 2, 3));
    child<ColourButton>(&window, u"背景色"_s)->setColour(QColor(0, 0, 255));
    child<QLineEdit>(&window, u"执行目录编辑框"_s)->setText(u"no such dir"_s);
    child<QSpinBox>(&window, u"版本数编辑框"_s)->setValue(25);
    child<QSpinBox>(&window, u"历史大小编辑框"_s)->setValue(512);
    click(&window, u"确定按钮"_s);
    QCOMPARE(window.result(), int(QDialog::Accepted));

    const QString expected = u"; mine\r\n[Install]\r\nTs=2\r\n\r\n[System]\r\nTitle= 我的 目录𠀀\r\nInto="_s + flag +
                             u"\r\nNumber="_s + flag + u"\r\nBag=missing.gif\r\nBag2="_s + bag2 +
                             u"\r\nColor1=255\r\nColor2=197121\r\nColor3=16711680\r\ndir=no such dir\r\n"
                             u"HistoryCount=25\r\nHistorySize=512\r\n"_s;
    QCOMPARE(m_fixture->app.readFile(u"Install.ini"_s), TextCodec::encode(expected));
}

// Work below data/ would go into every backup, and a restore would bring old work back to be listed again.
void SettingsTest::ok_executionDirInsideTheDataFolder_refusedAndNothingWritten_data()
{
    QTest::addColumn<QString>("dir"); // relative to appDir
    QTest::addColumn<bool>("refused");
    QTest::newRow("the data folder") << u"data"_s << true;
    QTest::newRow("a folder inside it, yet to be made") << u"data/run/new"_s << true;
    QTest::newRow("through a link to it") << u"link/run"_s << true;
    QTest::newRow("climbing back into it") << u"run/../data/run"_s << true;
    QTest::newRow("beside it") << u"run"_s << false;
    QTest::newRow("a name that starts like it") << u"data-work"_s << false;
}

void SettingsTest::ok_executionDirInsideTheDataFolder_refusedAndNothingWritten()
{
    QFETCH(QString, dir);
    QFETCH(bool, refused);
#ifdef Q_OS_WIN
    if (dir.startsWith(u"link/"))
        QSKIP(WindowsSkips::kLinks);
#else
    QVERIFY(QFile::link(m_fixture->app.filePath(u"data"_s), m_fixture->app.filePath(u"link"_s)));
#endif
    const QByteArray before = "; mine\r\n[System]\r\ndir=elsewhere\r\n";
    m_fixture->app.writeFile(u"Install.ini"_s, before);
    SettingsWindow window{QString()};
    child<QLineEdit>(&window, u"执行目录编辑框"_s)->setText(m_fixture->app.filePath(dir));
    click(&window, u"确定按钮"_s);

    if (refused) {
        QCOMPARE(m_fixture->prompt.texts(), QStringList{u"执行目录不能设在数据目录中，请重新指定！"_s});
        QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Warning);
        QCOMPARE(window.result(), int(QDialog::Rejected));
        QCOMPARE(m_fixture->app.readFile(u"Install.ini"_s), before);
    } else {
        QVERIFY(m_fixture->prompt.messages().isEmpty());
        QCOMPARE(window.result(), int(QDialog::Accepted));
        QCOMPARE(AppSettings().read(SettingsKeys::kExecutionDir), m_fixture->app.filePath(dir));
    }
}

void SettingsTest::backgroundPath_blankOrEmpty_disablesTiling()
{
    SettingsWindow window{QString()};
    auto* path = child<QLineEdit>(&window, u"底图编辑框"_s);
    auto* tiled = child<QCheckBox>(&window, u"底图方式选择框"_s);
    QVERIFY(!tiled->isEnabled());
    QTest::keyClicks(path, u"a"_s);
    QVERIFY(tiled->isEnabled());
    path->setText(u"   "_s);
    QVERIFY(!tiled->isEnabled());

    m_fixture->prompt.queueOpenFile(m_fixture->app.filePath(u"b.jpg"_s));
    click(&window, u"选择底图按钮"_s);
    QCOMPARE(path->text(), m_fixture->app.filePath(u"b.jpg"_s));
    QVERIFY(tiled->isEnabled());
    m_fixture->prompt.queueOpenFile(QString()); // cancelled: the path stays
    click(&window, u"选择底图按钮"_s);
    QCOMPARE(path->text(), m_fixture->app.filePath(u"b.jpg"_s));
    QVERIFY(QDir::current() == QDir(m_fixture->app.path()));
}

void SettingsTest::workInProgress_executionDirectoryKept()
{
    AppSettings().write(SettingsKeys::kExecutionDir, u"/work/在用"_s);
    WorkInProgress::instance().add({u"/work/在用/X1(zip)"_s});
    {
        SettingsWindow window{QString()};
        QVERIFY(!child<QLineEdit>(&window, u"执行目录编辑框"_s)->isEnabled());
        QVERIFY(!child<QPushButton>(&window, u"浏览执行目录按钮"_s)->isEnabled());
        click(&window, u"默认按钮"_s);
        QCOMPARE(child<QLineEdit>(&window, u"执行目录编辑框"_s)->text(), u"/work/在用"_s);
        click(&window, u"确定按钮"_s);
    }
    QCOMPARE(AppSettings().read(SettingsKeys::kExecutionDir), u"/work/在用"_s);
    WorkInProgress::instance().clear();

    SettingsWindow window{QString()};
    m_fixture->prompt.queueFolder(u"/chosen"_s);
    click(&window, u"浏览执行目录按钮"_s);
    QCOMPARE(child<QLineEdit>(&window, u"执行目录编辑框"_s)->text(), u"/chosen"_s);
    click(&window, u"默认按钮"_s);
    QCOMPARE(child<QLineEdit>(&window, u"执行目录编辑框"_s)->text(), m_fixture->app.filePath(u"run"_s));
}

void SettingsTest::password_changedAtOnce_failureAndUnreadableTableReported()
{
    {
        SettingsWindow window{QString()};
        child<QLineEdit>(&window, u"登陆密码编辑框"_s)->setText(u"新密码 "_s);
        click(&window, u"修改密码按钮"_s);
        QCOMPARE(m_fixture->prompt.lastText(), u"修改密码成功！"_s);
        QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Information);
        QVERIFY(checkLoginPassword(u"新密码 "_s)); // stored without 确定
    }
    QVERIFY(QFile::remove(TableSchemas::passwordTablePath()));
    SettingsWindow window{QString()};
    QCOMPARE(m_fixture->prompt.lastText(), u"数据库操作失败！"_s);
    QCOMPARE(child<QLineEdit>(&window, u"登陆密码编辑框"_s)->text(), QString());
    click(&window, u"修改密码按钮"_s);
    QCOMPARE(m_fixture->prompt.lastText(), u"修改密码失败！"_s);
    QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Error);
}

void SettingsTest::defaultsThenCloseBox_settingsUntouchedTypesReplaced_mainWindowReapplies()
{
    const QByteArray ini = TextCodec::encode(u"[System]\r\nTitle=旧标题\r\nInto=1\r\nColor1=255\r\n"_s);
    m_fixture->app.writeFile(u"Install.ini"_s, ini);
    QVERIFY(CatalogBuilder::makeTypes(5));
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s, 4}));
    MainWindow main;
    main.startUp();
    QCOMPARE(child<ProjectListView>(&main)->count(), 1);
    QCOMPARE(main.windowTitle(), u"旧标题"_s);

    bool ran = false;
    whenModal<SettingsWindow>([&](SettingsWindow* window) {
        child<QSpinBox>(window, u"版本数编辑框"_s)->setValue(3);
        click(window, u"默认按钮"_s);
        QCOMPARE(child<QSpinBox>(window, u"版本数编辑框"_s)->value(), 10);
        QCOMPARE(child<QLineEdit>(window, u"标题编辑框"_s)->text(), defaultTitle());
        QVERIFY(!child<QCheckBox>(window, u"导入选择框"_s)->isChecked());
        QCOMPARE(child<ColourButton>(window, u"文本色"_s)->colour(), QColor(0, 0, 0));
        QCOMPARE(child<QComboBox>(window, u"类型组合框"_s)->count(), 3);
        // Behind the window's back, so the main window can show it re-reads the file when the window goes.
        AppSettings().write(SettingsKeys::kTitle, u"新标题"_s);
        CatalogBuilder::addProject({u"P02"_s, u"乙"_s, 0});
        window->close();
        ran = true;
    });
    child<QPushButton>(&main, u"系统配置按钮"_s)->click();
    QVERIFY(ran);

    QCOMPARE(m_fixture->app.readFile(u"Install.ini"_s),
             TextCodec::encode(TextCodec::decode(ini).replace(u"旧标题"_s, u"新标题"_s)));
    QCOMPARE(typeNames(), (QStringList{u"窗口程序"_s, u"DLL动态链接库"_s, u"模块"_s}));
    QCOMPARE(main.windowTitle(), u"新标题"_s);
    QCOMPARE(child<ProjectListView>(&main)->count(), 2);
    // The project of type 4 has no type now and shows the default project icon.
    QCOMPARE(child<ProjectListView>(&main)->item(0)->icon().pixmap(32).toImage(),
             child<ProjectListView>(&main)->typeIcon(0).pixmap(32).toImage());
}

void SettingsTest::choosePicture_only32By32Accepted_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    const QImage p32 = picture(32, 32);
    QTest::newRow("ico 32") << IconFile::encode({{p32, IconFile::ColourDepth::Rgb24}}) << true;
    QTest::newRow("ico 16+32") << defaultTypes().constFirst().icon << true;
    QTest::newRow("bmp 32") << encoded(p32, "BMP") << true;
    QTest::newRow("gif 32") << gif32() << true;
    QTest::newRow("jpeg 32") << encoded(p32, "JPEG") << true;
    QTest::newRow("png 32") << encoded(p32, "PNG") << true;
    QTest::newRow("32x64") << encoded(picture(32, 64), "PNG") << false;
    QTest::newRow("64x32") << encoded(picture(64, 32), "BMP") << false;
    QTest::newRow("16x16") << encoded(picture(16, 16), "JPEG") << false;
    QTest::newRow("ico 48") << IconFile::encode({{picture(48, 48), IconFile::ColourDepth::Rgb24}}) << false;
    QTest::newRow("20000x20000 png") << hugePng() << false;
    QTest::newRow("damaged png") << encoded(p32, "PNG").left(60) << false;
    QTest::newRow("empty file") << QByteArray() << false;
    QTest::newRow("no picture") << QByteArray("just some text, not a picture\r\n") << false;
}

void SettingsTest::choosePicture_only32By32Accepted()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    const QString previous = m_fixture->app.writeFile(u"ok.png"_s, encoded(picture(32, 32), "PNG"));
    const QString chosen = m_fixture->app.writeFile(u"图/chosen.bin"_s, bytes);
    NewTypeWindow window;
    auto* path = child<QLineEdit>(&window, u"图标编辑框"_s);
    auto* shown = child<QLabel>(&window, u"图标显示图片框"_s);
    m_fixture->prompt.queueOpenFile(previous);
    click(&window, u"选择图标按钮"_s);
    m_fixture->prompt.queueOpenFile(chosen);
    click(&window, u"选择图标按钮"_s);

    QCOMPARE(path->text(), accepted ? chosen : previous);
    QCOMPARE(shown->pixmap().size(), QSize(32, 32));
    if (!accepted) {
        QCOMPARE(m_fixture->prompt.lastText(), u"载入图片失败！类型图片的大小必须为32*32像素。"_s);
        QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Error);
    }
    child<QLineEdit>(&window, u"名称编辑框"_s)->setText(u"新类型"_s);
    click(&window, u"确定按钮"_s);
    QCOMPARE(m_fixture->prompt.lastText(), u"新建类型成功！"_s);
    QCOMPARE(ProjectTypes::typePicture(3), accepted ? bytes : m_fixture->app.readFile(u"ok.png"_s));
}

void SettingsTest::createType_severalInARow_thenIncomplete()
{
    const QString png = m_fixture->app.writeFile(u"t.png"_s, encoded(picture(32, 32), "PNG"));
    bool ran = false;
    whenModal<NewTypeWindow>([&](NewTypeWindow* window) {
        auto* name = child<QLineEdit>(window, u"名称编辑框"_s);
        for (const QString& typed : {u"模块"_s, u"模块"_s}) {
            name->setText(typed);
            m_fixture->prompt.queueOpenFile(png);
            click(window, u"选择图标按钮"_s);
            click(window, u"确定按钮"_s);
            QCOMPARE(name->text(), QString());
            QCOMPARE(child<QLineEdit>(window, u"图标编辑框"_s)->text(), QString());
            QVERIFY(child<QLabel>(window, u"图标显示图片框"_s)->pixmap().isNull());
        }
        name->setText(u"无图"_s);
        click(window, u"确定按钮"_s); // the picture went with the last type
        window->close();
        ran = true;
    });
    SettingsWindow settings{QString()};
    auto* combo = child<QComboBox>(&settings, u"类型组合框"_s);
    combo->setCurrentIndex(2);
    click(&settings, u"新建类型按钮"_s);
    QVERIFY(ran);
    QCOMPARE(m_fixture->prompt.texts(), (QStringList{u"新建类型成功！"_s, u"新建类型成功！"_s, u"请填写完整！"_s}));
    QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Warning);
    QCOMPARE(combo->count(), 5);
    QCOMPARE(combo->itemText(4), u"模块"_s);
    QCOMPARE(combo->currentIndex(), 0);
}

void SettingsTest::deleteType_lastRefusedOthersAsked_projectIconsFollowTheRecords()
{
    for (int type = 0; type < 3; ++type)
        QVERIFY(CatalogBuilder::addProject({u"P%1"_s.arg(type), u"项目"_s, type}));
    MainWindow main;
    main.startUp();
    bool ran = false;
    whenModal<SettingsWindow>([&](SettingsWindow* window) {
        auto* combo = child<QComboBox>(window, u"类型组合框"_s);
        combo->setCurrentIndex(1);
        m_fixture->prompt.queueAnswer(Prompt::Answer::No);
        click(window, u"删除类型按钮"_s);
        QCOMPARE(combo->count(), 3);
        m_fixture->prompt.queueAnswer(Prompt::Answer::Yes);
        click(window, u"删除类型按钮"_s);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentIndex(), 0);
        window->close();
        ran = true;
    });
    child<QPushButton>(&main, u"系统配置按钮"_s)->click();
    QVERIFY(ran);
    QCOMPARE(m_fixture->prompt.texts(), QStringList(2, u"您确定要删除此项目类型吗？"_s));
    QCOMPARE(typeNames(), (QStringList{u"窗口程序"_s, u"模块"_s}));

    // Projects keep their type numbers: type 1 is now 模块, type 2 is past the end and shows the default icon.
    ProjectListView* list = child<ProjectListView>(&main);
    const auto iconOf = [&](int row) { return list->item(row)->icon().pixmap(32).toImage(); };
    const QImage module = QIcon(QPixmap::fromImage(IconFile::read(defaultTypes().at(2).icon))).pixmap(32).toImage();
    QCOMPARE(iconOf(1), list->typeIcon(2).pixmap(32).toImage());
    QCOMPARE(list->typeIcon(2).pixmap(32).toImage(), module);
    QCOMPARE(iconOf(2), list->typeIcon(0).pixmap(32).toImage());
    {
        ProjectTable table;
        QVERIFY(table.open() && table.goTo(3));
        QCOMPARE(table.readProject().type, 2);
    }

    QVERIFY(CatalogBuilder::makeTypes(1));
    SettingsWindow window{QString()};
    click(&window, u"删除类型按钮"_s);
    QCOMPARE(m_fixture->prompt.lastText(), u"您至少要保留一个项目类型！"_s);
    QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Plain);
    QCOMPARE(typeNames().size(), 1);
}

void SettingsTest::cleanUp_removesWhatTheUserChoseAndShowsTheRoomLeft_data()
{
    QTest::addColumn<bool>("history");
    QTest::addColumn<bool>("trash");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("roomLeft");
    QTest::newRow("the history") << true << false << true << u"历史版本 0 KB，回收站 3 KB"_s;
    QTest::newRow("the trash") << false << true << true << u"历史版本 2 KB，回收站 0 KB"_s;
    QTest::newRow("both") << true << true << true << u"历史版本 0 KB，回收站 0 KB"_s;
    QTest::newRow("said no") << true << true << false << u"历史版本 2 KB，回收站 3 KB"_s;
}

void SettingsTest::cleanUp_removesWhatTheUserChoseAndShowsTheRoomLeft()
{
    QFETCH(bool, history);
    QFETCH(bool, trash);
    QFETCH(bool, yes);
    QFETCH(QString, roomLeft);
    for (const QString& number : {u"P1"_s, u"P2"_s}) {
        QVERIFY(CatalogBuilder::addProject({number, number}));
        m_fixture->app.writeFile(u"data/"_s + number + u".fd1"_s, QByteArray(1500, 'p'));
    }
    for (int i = 0; i < 2; ++i) {
        const QString kept = m_fixture->app.writeFile(u"v%1.zip"_s.arg(i), QByteArray(700 + i, 'v'));
        QVERIFY(!PackageHistory::keepFileInto(kept, PackageHistory::folderOf(u"P1"_s), PackageHistory::Cause::Update,
                                              u"zip"_s, u"1.0"_s)
                     .isEmpty());
        m_fixture->clockTime = m_fixture->clockTime.addSecs(1);
    }
    QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);

    SettingsWindow window{QString()};
    auto* room = child<QLabel>(&window, u"占用标签"_s);
    QCOMPARE(room->text(), u"历史版本 2 KB，回收站 3 KB"_s);
    whenModal<CleanUpWindow>([&](CleanUpWindow* cleanUp) {
        QCOMPARE(child<QCheckBox>(cleanUp, u"历史选择框"_s)->text(), u"全部历史版本（2 KB，2 个版本）"_s);
        QCOMPARE(child<QCheckBox>(cleanUp, u"回收站选择框"_s)->text(), u"回收站中的全部项目（3 KB，1 个项目）"_s);
        QVERIFY(!child<QPushButton>(cleanUp, u"确定按钮"_s)->isEnabled());
        child<QCheckBox>(cleanUp, u"历史选择框"_s)->setChecked(history);
        child<QCheckBox>(cleanUp, u"回收站选择框"_s)->setChecked(trash);
        m_fixture->prompt.queueAnswer(yes ? Prompt::Answer::Yes : Prompt::Answer::No);
        child<QPushButton>(cleanUp, u"确定按钮"_s)->click();
        if (!yes)
            child<QPushButton>(cleanUp, u"取消按钮"_s)->click();
    });
    child<QPushButton>(&window, u"清理按钮"_s)->click();

    QStringList said{u"所选内容删除后无法恢复，确定要删除吗？"_s};
    if (yes)
        said.append(u"清理完成！"_s);
    QCOMPARE(m_fixture->prompt.texts(), said);
    QCOMPARE(room->text(), roomLeft);
    QCOMPARE(PackageHistory::versions(u"P1"_s).size(), history && yes ? 0 : 2);
    QCOMPARE(ProjectTrash::entries().size(), trash && yes ? 0 : 1);
    QCOMPARE(CatalogBuilder::allProjects().size(), 1); // the catalogue itself is never touched
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
