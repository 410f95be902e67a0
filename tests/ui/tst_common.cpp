#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "Spoken.h"
#include "archive/NativeName.h"
#include "projects/ui/CatalogueCheckWindow.h"
#include "projects/ui/NewProjectWindow.h"
#include "projects/ui/UpdateProjectWindow.h"
#include "tools/ui/ToolEditorWindow.h"
#include "ui/common/DesktopPromptBackend.h"
#include "ui/common/Prompt.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectItemDelegate.h"
#include "ui/main/ProjectListView.h"
#include "views/ui/DesignWizardWindow.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QtEndian>

using namespace Qt::StringLiterals;

// What the shared window pieces show and say: file dialog filters, spoken names.
class CommonTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void qtFilter_eachPatternShownOnce_data();
    void qtFilter_eachPatternShownOnce();
    void spokenName_followsItsCaption_data();
    void spokenName_followsItsCaption();
    void mainWindowTitle_shownAsWritten_data();
    void mainWindowTitle_shownAsWritten();
    void projectCaption_longInTwoLinesAndWholeAsTooltip_data();
    void projectCaption_longInTwoLinesAndWholeAsTooltip();
    void keyboard_tabGoesThroughTheRowsAndOutOfTheNotes_data();
    void keyboard_tabGoesThroughTheRowsAndOutOfTheNotes();
    void shellUrl_nameInOtherBytesReachesTheDesktopAsThoseBytes_data();
    void shellUrl_nameInOtherBytesReachesTheDesktopAsThoseBytes();
#ifdef Q_OS_WIN
    void sounds_playedFromMemoryWithoutWaiting();
#endif
};

void CommonTest::qtFilter_eachPatternShownOnce_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("shown");
#ifdef Q_OS_WIN
    const QString every = u"*.*"_s;
#else
    const QString every = u"*"_s; // "*.*" would hide every name without a dot
#endif
    QTest::newRow("full-width brackets") << u"备份文件（*.fd2）|*.fd2"_s << u"备份文件 (*.fd2)"_s;
    QTest::newRow("ASCII brackets") << u"项目文件包(*.zip;*.rar)|*.zip;*.rar|DLL(*.dll)|*.dll"_s
                                    << u"项目文件包 (*.zip *.rar);;DLL (*.dll)"_s;
    QTest::newRow("label without pattern") << u"文本文件|*.txt"_s << u"文本文件 (*.txt)"_s;
    QTest::newRow("every file") << u"文本文件(*.TXT)|*.txt|*.*|*.*"_s << u"文本文件 (*.txt);;"_s + every;
    QTest::newRow("every file, named") << u"所有文件(*.*)|*.*|应用程序(*.exe)|*.exe"_s
                                       << u"所有文件 ("_s + every + u");;应用程序 (*.exe)"_s;
}

void CommonTest::qtFilter_eachPatternShownOnce()
{
    QFETCH(QString, filter);
    QFETCH(QString, shown);
    QCOMPARE(Prompt::qtFilter(filter), shown);
}

void CommonTest::spokenName_followsItsCaption_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("presses"); // of the wizard's 下一步 and then 上一步 (negative)
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("spoken");
    QTest::newRow("wizard, next on the last page") << u"wizard"_s << 5 << u"下一步按钮"_s << u"保存"_s;
    QTest::newRow("wizard, next back from it") << u"wizard"_s << -6 << u"下一步按钮"_s << u"下一步"_s;
    QTest::newRow("wizard, date picker") << u"wizard"_s << 0 << u"日期框1"_s << u"日期"_s;
    QTest::newRow("text page, box of another text") << u"text page"_s << 0 << u"辅助项目框"_s << u"BUG报告"_s;
    QTest::newRow("check, count in a label") << u"check"_s << 0 << u"标签2"_s << u"没有项目使用的文件包（1个）："_s;
    QTest::newRow("check, list named by it")
        << u"check"_s << 0 << u"多余文件列表框"_s << u"没有项目使用的文件包（1个）"_s;
}

void CommonTest::spokenName_followsItsCaption()
{
    QFETCH(QString, window);
    QFETCH(int, presses);
    QFETCH(QString, control);
    QFETCH(QString, spoken);
    AppFixture fixture;
    std::unique_ptr<QWidget> shown;
    if (window == u"wizard") {
        shown = std::make_unique<DesignWizardWindow>();
        shown->show();
        auto* next = shown->findChild<QPushButton*>(u"下一步按钮"_s);
        for (int i = 0; i < std::abs(presses); ++i)
            QTest::mouseClick(i < 5 ? next : shown->findChild<QPushButton*>(u"上一步按钮"_s), Qt::LeftButton);
    } else if (window == u"text page") {
        CatalogBuilder::addProject({u"P01"_s, u"Alpha"_s, 0, u"1.0"_s});
        auto main = std::make_unique<MainWindow>();
        main->startUp();
        main->show();
        child<ProjectListView>(main.get())->setCurrentRow(0);
        child<QPushButton>(main.get(), u"bug按钮"_s)->click();
        shown = std::move(main);
    } else {
        fixture.app.writeFile(u"data/orphan.fd1"_s, "PK");
        auto check = std::make_unique<CatalogueCheckWindow>();
        check->show();
        QVERIFY(check->refresh());
        shown = std::move(check);
    }
    auto* target = shown->findChild<QWidget*>(control);
    QVERIFY(target);
    QTRY_COMPARE(spokenName(target), spoken);
}

void CommonTest::mainWindowTitle_shownAsWritten_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shown"); // what the platform is given
    QTest::newRow("empty") << QByteArray("[System]\r\nTitle=\r\n") << QString() << u" "_s;
    QTest::newRow("a title") << QByteArray("[System]\r\nTitle=\xd5\xcb\xb1\xbe\r\n") << u"账本"_s << u"账本"_s;
}

void CommonTest::mainWindowTitle_shownAsWritten()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, title);
    QFETCH(QString, shown);
    AppFixture fixture;
    fixture.app.writeFile(u"Install.ini"_s, ini);
    MainWindow window;
    window.startUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(window.windowHandle()->title(), shown);
    QCOMPARE(spokenName(&window), title);
}

void CommonTest::projectCaption_longInTwoLinesAndWholeAsTooltip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("cut");
    QTest::newRow("short") << u"Alpha"_s << 1 << false;
    // Clearly too long for one line and short enough for two, whatever the font engine rounds.
    QTest::newRow("two lines of Chinese") << u"一个名字很长的"_s << 2 << false;
    QTest::newRow("long Chinese") << u"一个名字很长很长的项目用来看两行显示"_s << 2 << true;
    QTest::newRow("long Latin word") << u"AVeryLongLatinProjectNameWithoutAnyBreaks"_s << 2 << true;
    QTest::newRow("emoji") << u"表情😀🎉"_s << 1 << false;
}

void CommonTest::projectCaption_longInTwoLinesAndWholeAsTooltip()
{
    QFETCH(QString, name);
    QFETCH(int, lines);
    QFETCH(bool, cut);
    AppFixture fixture;
    CatalogBuilder::addProject({u"P01"_s, name, 0, u"1.0"_s});
    MainWindow window;
    window.startUp();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ProjectListView* list = child<ProjectListView>(&window);
    const QString caption = name + u" 1.0"_s;
    QCOMPARE(list->item(0)->text(), caption);

    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.font = list->font();
    option.rect = list->visualItemRect(list->item(0));
    const ProjectItemDelegate::Caption shown = ProjectItemDelegate::fitCaption(caption, option);
    QCOMPARE(shown.lines.size(), lines);
    QCOMPARE(shown.whole, !cut);
    QCOMPARE(shown.lines.constLast().endsWith(u'…'), cut);
    for (const QString& line : shown.lines)
        QVERIFY(QFontMetrics(option.font).horizontalAdvance(line) <= option.rect.width());

    QToolTip::hideText();
    const QPoint at = option.rect.center();
    QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list->viewport(), &help);
    QCOMPARE(QToolTip::text(), cut ? caption : QString());
    QToolTip::hideText();
}

// Tab walks a form row by row; a box of notes lets it pass instead of typing it, and Ctrl+Tab types a tab.
void CommonTest::keyboard_tabGoesThroughTheRowsAndOutOfTheNotes_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("chain"); // the controls Tab reaches, from the first
    QTest::newRow("tool editor") << u"ToolEditorWindow"_s
                                 << QStringList{u"名称编辑框"_s, u"浏览目录按钮"_s, u"路径编辑框"_s, u"备注编辑框"_s,
                                                u"确定按钮"_s};
    QTest::newRow("新建项目") << u"NewProjectWindow"_s
                              << QStringList{u"文件包编辑框"_s, u"浏览文件按钮"_s, u"备注编辑框"_s, u"确定按钮"_s,
                                             u"取消按钮"_s};
    QTest::newRow("更新项目") << u"UpdateProjectWindow"_s
                              << QStringList{u"文件包编辑框"_s, u"浏览按钮"_s, u"备注编辑框"_s, u"确定按钮"_s,
                                             u"取消按钮"_s};
}

void CommonTest::keyboard_tabGoesThroughTheRowsAndOutOfTheNotes()
{
    QFETCH(QString, window);
    QFETCH(QStringList, chain);
    AppFixture fixture;
    QVERIFY(CatalogBuilder::addProject({u"P01"_s, u"甲"_s}));
    std::unique_ptr<QWidget> w;
    if (window == u"ToolEditorWindow")
        w = std::make_unique<ToolEditorWindow>(0);
    else if (window == u"NewProjectWindow")
        w = std::make_unique<NewProjectWindow>();
    else
        w = std::make_unique<UpdateProjectWindow>(1);
    w->show();
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));

    child<QWidget>(w.get(), chain.first())->setFocus();
    QStringList reached{QApplication::focusWidget()->objectName()};
    for (qsizetype i = 1; i < chain.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(reached, chain);

    auto* notes = child<QPlainTextEdit>(w.get(), u"备注编辑框"_s);
    notes->setFocus();
    QTest::keyClick(notes, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(notes->toPlainText(), u"\t"_s);
    QCOMPARE(QApplication::focusWidget(), notes);
    QTest::keyClick(notes, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), chain.at(chain.indexOf(u"备注编辑框"_s) - 1));
}

// A name the disk holds in bytes that are not UTF-8 opens by those bytes; any other path as a file URL.
void CommonTest::shellUrl_nameInOtherBytesReachesTheDesktopAsThoseBytes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("url"); // after file:///work
    QTest::newRow("GBK bytes with a 0x5C trail")
        << NativeFs::decodeName("/work/P01/\xd7\xd3\xc4\xbf\xc2\xbc/\xd5\x5c.ini")
        << QByteArray("/P01/%D7%D3%C4%BF%C2%BC/%D5%5C.ini");
    QTest::newRow("UTF-8") << u"/work/P01/子目录/说明.txt"_s
                           << QByteArray("/P01/%E5%AD%90%E7%9B%AE%E5%BD%95/%E8%AF%B4%E6%98%8E.txt");
}

void CommonTest::shellUrl_nameInOtherBytesReachesTheDesktopAsThoseBytes()
{
    QFETCH(QString, path);
#ifdef Q_OS_WIN
    if (NativeFs::hasStrayBytes(path))
        QSKIP("Windows holds every name in UTF-16: no name there is made of other bytes");
#endif
    QFETCH(QByteArray, url);
    // "/work" is a folder of the current drive on Windows: file:///Z:/work there.
    const QByteArray work = QUrl::fromLocalFile(QFileInfo(u"/work"_s).absoluteFilePath()).toEncoded();
    QCOMPARE(DesktopPromptBackend::urlFor(path).toEncoded(), work + url);
}
#ifdef Q_OS_WIN
// Windows plays the program's own sounds with PlaySound from memory: whole RIFF files of 16-bit PCM, handed over
// without waiting, one cutting off the other, silently here where Wine has no audio device.
void CommonTest::sounds_playedFromMemoryWithoutWaiting()
{
    for (const QString& resource : {u":/sounds/click.wav"_s, u":/sounds/delete.wav"_s}) {
        QFile file(resource);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray wav = file.readAll();
        QCOMPARE(wav.left(4), QByteArray("RIFF"));
        QCOMPARE(qFromLittleEndian<quint32>(wav.constData() + 4), quint32(wav.size() - 8));
        QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
        QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 20), quint16(1));  // PCM
        QCOMPARE(qFromLittleEndian<quint16>(wav.constData() + 34), quint16(16)); // bits a sample
    }
    DesktopPromptBackend desktop;
    QTimer later;
    bool eventsRan = false;
    later.callOnTimeout(&later, [&] { eventsRan = true; });
    later.start(0);
    desktop.play(Prompt::Sound::Click);
    desktop.play(Prompt::Sound::Delete);
    desktop.play(Prompt::Sound::Click);
    QVERIFY(!eventsRan);
    QTRY_VERIFY(eventsRan);
}
#endif

QTEST_MAIN(CommonTest)
#include "tst_common.moc"
