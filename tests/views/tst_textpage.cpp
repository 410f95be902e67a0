#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Modal.h"
#include "platform/TextCodec.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"
#include "views/ui/TextPage.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

using namespace Qt::StringLiterals;

namespace {

const QString kRule(66, u'-');
const QString kStamp = u"2026年12月7日9时30分5秒"_s; // the fixture's clock

QString stored(int record, int field)
{
    ProjectTable table;
    table.open();
    table.goTo(record);
    return table.readField(field).toString();
}

// Types any text, as an input method delivers it: one key event per character (QTest only types Latin-1).
void type(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
        const QString character = text.mid(i, n);
        i += n - 1;
        const int key = character == u"\n"_s ? int(Qt::Key_Return) : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, character);
        QCoreApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, character);
        QCoreApplication::sendEvent(widget, &release);
    }
}

} // namespace

// The text page: a project's three texts edited in place, the details report, the write-out to a text file.
class TextPageTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void details_reportsFieldsTypeAndPackageSize_data();
    void details_reportsFieldsTypeAndPackageSize();
    void textModes_everyChangeWritesTheModesFieldOnly_data();
    void textModes_everyChangeWritesTheModesFieldOnly();
    void save_typedTextReachesTheTableOnEveryWayOut_data();
    void save_typedTextReachesTheTableOnEveryWayOut();
    void save_earlierProjectDeletedMeanwhile_followsTheProjectNotTheRecordNumber();
    void show_tableUnreadable_reportsAndKeepsSavingWhereItWas();
    void writeToFile_chineseCodePageWithRuleAndStamp_data();
    void writeToFile_chineseCodePageWithRuleAndStamp();
    void writeToFile_emptyCancelledOrUnwritable_writesNothing();

private:
    void select(int row);
    QPushButton* button(const QString& name) const { return child<QPushButton>(m_window.get(), name); }

    std::unique_ptr<AppFixture> m_fixture;
    std::unique_ptr<MainWindow> m_window;
    TextPage* m_page = nullptr;
    QPlainTextEdit* m_editor = nullptr;
};

void TextPageTest::init()
{
    m_fixture = std::make_unique<AppFixture>();
    CatalogBuilder::addProject({u"P01"_s, u"Alpha"_s, 1, u"1.0"_s});
    CatalogBuilder::addProject({u"P02"_s, u"贝塔"_s, 0, u"2.5"_s});
    m_window = std::make_unique<MainWindow>();
    m_window->startUp();
    m_window->resize(900, 640);
    m_window->show();
    m_page = child<TextPage>(m_window.get());
    m_editor = m_page->editor();
}

void TextPageTest::cleanup()
{
    m_window.reset();
    m_fixture.reset();
}

void TextPageTest::select(int row)
{
    ProjectListView* list = child<ProjectListView>(m_window.get());
    list->clearSelection();
    list->setCurrentRow(row);
    list->item(row)->setSelected(true);
}

void TextPageTest::details_reportsFieldsTypeAndPackageSize_data()
{
    QTest::addColumn<int>("bytes"); // -1: no package file
    QTest::addColumn<QString>("sizeLine");
    QTest::newRow("no package") << -1 << u"文件尺寸：0字节 (0字节)"_s;
    QTest::newRow("empty package") << 0 << u"文件尺寸：0字节 (0字节)"_s;
    QTest::newRow("1024 stays bytes") << 1024 << u"文件尺寸：1024字节 (1,024字节)"_s;
    QTest::newRow("1025 is 1KB") << 1025 << u"文件尺寸：1KB (1,025字节)"_s;
    QTest::newRow("MB from rounded KB") << 1234567 << u"文件尺寸：1.18MB (1,234,567字节)"_s;
    QTest::newRow("1048576 stays KB") << 1048576 << u"文件尺寸：1024KB (1,048,576字节)"_s;
}

void TextPageTest::details_reportsFieldsTypeAndPackageSize()
{
    QFETCH(int, bytes);
    QFETCH(QString, sizeLine);
    {
        ProjectTable table;
        QVERIFY(table.open() && table.goTo(1));
        QVERIFY(table.writeField(ProjectField::Notes, u"第一行\r\n第二行"_s));
        QVERIFY(table.writeField(ProjectField::StartTime, QDateTime(QDate(2025, 3, 1), QTime(0, 0))));
    }
    if (bytes >= 0)
        m_fixture->app.writeFile(u"data/P01.fd1"_s, QByteArray(bytes, 'x'));

    select(0);
    button(u"详细信息按钮"_s)->click();

    const QString package = m_fixture->app.path() + u"/data/P01.fd1"_s;
    const QString report = u"\n项目编号：P01\n项目包路径："_s + package +
                           u"\n项目名称：Alpha\n项目类型：DLL动态链接库\n版本：1.0\n"_s + kRule +
                           u"\n开始时间：2025年3月1日\n最后更新："_s + kStamp + u"\n\n备注：\n第一行\n第二行\n\n"_s +
                           kRule + u'\n' + sizeLine;
    QCOMPARE(m_editor->toPlainText(), report);
    QVERIFY(m_editor->isReadOnly());
    QCOMPARE(m_page->caption()->text(), u"详细信息："_s);
    QCOMPARE(m_page->textViewMode(), ProjectTexts::Details);
    QCOMPARE(child<QTabWidget>(m_window.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::TextViewTab));
    QCOMPARE(m_page->proposedFileName(), u"Alpha 1.0 详细信息"_s);
}

void TextPageTest::textModes_everyChangeWritesTheModesFieldOnly_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("field");
    QTest::newRow("design plan") << int(ProjectTexts::DesignPlan) << u"设计规划："_s << int(ProjectField::DesignPlan);
    QTest::newRow("bug report") << int(ProjectTexts::BugReport) << u"BUG报告："_s << int(ProjectField::BugReport);
    QTest::newRow("upgrade history") << int(ProjectTexts::UpgradeHistory) << u"升级历史："_s
                                     << int(ProjectField::UpgradeHistory);
}

void TextPageTest::textModes_everyChangeWritesTheModesFieldOnly()
{
    QFETCH(int, mode);
    QFETCH(QString, caption);
    QFETCH(int, field);
    const QStringList buttons = {u"设计规划按钮"_s, u"bug按钮"_s, u"升级历史按钮"_s};
    const QList<int> fields = {ProjectField::DesignPlan, ProjectField::BugReport, ProjectField::UpgradeHistory};
    {
        ProjectTable table;
        QVERIFY(table.open() && table.goTo(2));
        for (int f : fields)
            QVERIFY(table.writeField(f, QString(u"旧\r\n"_s + QString::number(f))));
    }
    // Typed before any text was shown, the box belongs to no project; without a selection only the caption changes.
    child<QTabWidget>(m_window.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::TextViewTab);
    type(m_editor, u"a"_s);
    child<QTabWidget>(m_window.get(), u"选择夹1"_s)->setCurrentIndex(MainWindow::ProjectListTab);
    button(u"详细信息按钮"_s)->click(); // (warns: nothing selected)
    button(buttons.at(mode))->click();
    QCOMPARE(m_fixture->prompt.texts(), QStringList(2, u"请选择您要操作的项目！"_s));
    QCOMPARE(m_page->caption()->text(), caption);
    QCOMPARE(child<QTabWidget>(m_window.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));

    select(1);
    button(buttons.at(mode))->click();
    QCOMPARE(child<QTabWidget>(m_window.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::TextViewTab));
    QCOMPARE(m_page->viewRecordNumber(), 2);
    QCOMPARE(m_editor->toPlainText(), u"旧\n"_s + QString::number(field));
    QVERIFY(!m_editor->isReadOnly());

    // Typing in the middle of the text: the cursor and the view stay put, and the text is written once typing
    // pauses.
    m_editor->appendPlainText(QString(u"行\n"_s).repeated(200));
    QTextCursor cursor = m_editor->textCursor();
    cursor.setPosition(1);
    m_editor->setTextCursor(cursor);
    type(m_editor, u"新字𠀀"_s);
    QCOMPARE(m_editor->textCursor().position(), 1 + 4);
    cursor.setPosition(m_editor->document()->findBlockByLineNumber(150).position());
    m_editor->setTextCursor(cursor);
    m_editor->ensureCursorVisible();
    const int at = cursor.position();
    const int scrolled = m_editor->verticalScrollBar()->value();
    QVERIFY(scrolled > 0);
    type(m_editor, u"中"_s);
    QCOMPARE(m_editor->textCursor().position(), at + 1);
    QCOMPARE(m_editor->verticalScrollBar()->value(), scrolled);
    const QString expected = TextCodec::toCrLf(m_editor->toPlainText());
    QVERIFY(expected.startsWith(u"旧新字𠀀\r\n"_s));
    QTRY_COMPARE(stored(2, field), expected);
    for (int other : fields) {
        if (other != field)
            QCOMPARE(stored(2, other), u"旧\r\n"_s + QString::number(other));
    }
    QCOMPARE(stored(1, field), QString()); // the other project is untouched

    // Back to the list keeps the text where it was written; nothing else to save.
    QTest::mouseClick(m_page->backButton(), Qt::LeftButton);
    QCOMPARE(child<QTabWidget>(m_window.get(), u"选择夹1"_s)->currentIndex(), int(MainWindow::ProjectListTab));
    QCOMPARE(stored(2, field), expected);
    QCOMPARE(m_page->textViewMode(), ProjectTexts::Mode(mode));
}

void TextPageTest::save_typedTextReachesTheTableOnEveryWayOut_data()
{
    QTest::addColumn<QString>("way");
    for (const char* way : {"typing pauses", "focus leaves the box", "another project's text", "details",
                            "back to the list", "window closed", "window destroyed"})
        QTest::newRow(way) << QString::fromUtf8(way);
}

void TextPageTest::save_typedTextReachesTheTableOnEveryWayOut()
{
    QFETCH(QString, way);
    select(1);
    button(u"升级历史按钮"_s)->click();
    m_editor->setFocus();
    type(m_editor, u"版本𠀀\n二"_s);
    // A keystroke does not wait for the disk.
    QCOMPARE(stored(2, ProjectField::UpgradeHistory), QString());

    if (way == u"typing pauses") {
        QTRY_COMPARE(stored(2, ProjectField::UpgradeHistory), u"版本𠀀\r\n二"_s);
        return;
    }
    if (way == u"focus leaves the box") {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(m_editor, &out);
    } else if (way == u"another project's text") {
        select(0);
        button(u"升级历史按钮"_s)->click();
        QCOMPARE(m_page->viewRecordNumber(), 1);
    } else if (way == u"details") {
        button(u"详细信息按钮"_s)->click();
    } else if (way == u"back to the list") {
        QTest::mouseClick(m_page->backButton(), Qt::LeftButton);
    } else if (way == u"window closed") {
        m_window->close();
    } else {
        m_window.reset();
    }
    QCOMPARE(stored(2, ProjectField::UpgradeHistory), u"版本𠀀\r\n二"_s);
    QCOMPARE(stored(1, ProjectField::UpgradeHistory), QString());
}

void TextPageTest::save_earlierProjectDeletedMeanwhile_followsTheProjectNotTheRecordNumber()
{
    CatalogBuilder::addProject({u"P03"_s, u"Gamma"_s, 0, u"3.0"_s});
    child<ProjectListView>(m_window.get())->loadProjectList();
    select(1);
    button(u"bug按钮"_s)->click();
    {
        ProjectTable table;
        QVERIFY(table.open() && table.goTo(1) && table.deleteRecord() && table.pack());
    }
    type(m_editor, u"x"_s);
    QTRY_COMPARE(stored(1, ProjectField::BugReport), u"x"_s); // P02, now record 1
    QCOMPARE(stored(1, ProjectField::Number), u"P02"_s);
    QCOMPARE(stored(2, ProjectField::BugReport), QString());

    {
        ProjectTable table;
        QVERIFY(table.open() && table.goTo(1) && table.deleteRecord() && table.pack());
    }
    type(m_editor, u"y"_s);
    QTRY_COMPARE(m_fixture->prompt.lastText(), u"此项目已被删除，文本无法再保存到项目中！"_s);
    QCOMPARE(stored(1, ProjectField::BugReport), QString()); // P03 keeps its own text
    QVERIFY(m_editor->isReadOnly());
}

void TextPageTest::show_tableUnreadable_reportsAndKeepsSavingWhereItWas()
{
    select(1);
    button(u"bug按钮"_s)->click();
    const QString table = m_fixture->app.filePath(u"data/DB.EDB"_s);
    QVERIFY(QFile::rename(table, table + u".away"_s));
    button(u"设计规划按钮"_s)->click();
    QCOMPARE(m_fixture->prompt.lastText(), u"数据库操作失败！"_s);
    QCOMPARE(m_page->textViewMode(), ProjectTexts::BugReport);
    QVERIFY(QFile::rename(table + u".away"_s, table));
    type(m_editor, u"z"_s);
    QTRY_COMPARE(stored(2, ProjectField::BugReport), u"z"_s);
    QCOMPARE(stored(2, ProjectField::DesignPlan), QString());
}

void TextPageTest::writeToFile_chineseCodePageWithRuleAndStamp_data()
{
    QTest::addColumn<bool>("details");
    QTest::addColumn<QString>("text");
    QTest::newRow("design plan, outside GBK") << false << u"计划\n€ 与 𠀀"_s;
    QTest::newRow("details") << true << QString();
}

void TextPageTest::writeToFile_chineseCodePageWithRuleAndStamp()
{
    QFETCH(bool, details);
    QFETCH(QString, text);
    select(0);
    if (details) {
        button(u"详细信息按钮"_s)->click();
        text = m_editor->toPlainText();
    } else {
        button(u"设计规划按钮"_s)->click();
        type(m_editor, text);
        QTRY_COMPARE(stored(1, ProjectField::DesignPlan), u"计划\r\n€ 与 𠀀"_s); // whole in the table
        QCOMPARE(m_page->proposedFileName(), u"Alpha 1.0 设计规划"_s);
    }
    const QString path = m_fixture->app.filePath(u"写出.txt"_s);
    m_fixture->app.writeFile(u"写出.txt"_s, "old content that is longer than nothing");
    m_fixture->prompt.queueSaveFile(path);
    QTest::mouseClick(m_page->writeButton(), Qt::LeftButton);

    const QByteArray bytes = m_fixture->app.readFile(u"写出.txt"_s);
    const QString content = TextCodec::toCrLf(text) + u"\r\n\r\n\r\n"_s + kRule + u"\r\n"_s + kStamp;
    QCOMPARE(TextCodec::decode(bytes), content);
    QCOMPARE(bytes, TextCodec::encode(content));
    QVERIFY(!bytes.contains('?'));
    if (!details) {
        QVERIFY(bytes.contains("\xbc\xc6\xbb\xae\r\n")); // 计划 in GBK
        QVERIFY(bytes.contains("\x95\x32\x82\x36"));     // U+20000 as its GB18030 four-byte code
    }
    QVERIFY(QDir::current() == QDir(m_fixture->app.path()));
}

void TextPageTest::writeToFile_emptyCancelledOrUnwritable_writesNothing()
{
    select(0);
    button(u"升级历史按钮"_s)->click();
    QTest::mouseClick(m_page->writeButton(), Qt::LeftButton);
    QCOMPARE(m_fixture->prompt.lastText(), u"无可保存内容！"_s);
    QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Warning);

    type(m_editor, u"历史"_s);
    m_fixture->prompt.queueSaveFile(QString());
    QTest::mouseClick(m_page->writeButton(), Qt::LeftButton);
    m_fixture->prompt.queueSaveFile(m_fixture->app.filePath(u"no/such/folder/a.txt"_s));
    QTest::mouseClick(m_page->writeButton(), Qt::LeftButton);
    QCOMPARE(m_fixture->prompt.texts(), (QStringList{u"无可保存内容！"_s, u"写到文件失败！"_s}));
    QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Error);
    QVERIFY(!QFileInfo::exists(m_fixture->app.filePath(u"no"_s)));
}

QTEST_MAIN(TextPageTest)
#include "tst_textpage.moc"
