#include "AppFixture.h"
#include "platform/TextCodec.h"
#include "views/ui/DesignWizardWindow.h"

#include <QAccessible>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kBoxes = {u"基本信息框"_s, u"目的框"_s, u"架构框"_s, u"步骤框"_s, u"规划框"_s, u"规则定义框"_s};

QByteArray gb18030(const QString& text)
{
    return TextCodec::encode(text);
}

} // namespace

class DesignWizardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void buttons_stepThroughTheSixPages();
    void save_writesTheDocumentBytes_data();
    void save_writesTheDocumentBytes();
    void save_nameWithoutExtension_savedAsTxt_data();
    void save_nameWithoutExtension_savedAsTxt();
    void save_cancelledOrUnwritable_staysOnTheLastPageWithItsTexts();
    void insertDate_twice_appendsTwoDatesWithoutBreaks();
    void leave_typedTextGoesOnlyAfterAQuestion_data();
    void leave_typedTextGoesOnlyAfterAQuestion();

private:
    QPlainTextEdit* box(int page) const { return m_wizard->findChild<QPlainTextEdit*>(kBoxes.at(page)); }
    QPushButton* button(const QString& name) const { return m_wizard->findChild<QPushButton*>(name); }
    QTabWidget* pages() const { return m_wizard->findChild<QTabWidget*>(u"选择夹1"_s); }
    void pressNext(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(button(u"下一步按钮"_s), Qt::LeftButton);
    }

    std::unique_ptr<AppFixture> m_fixture;
    QWidget m_owner;
    QPointer<DesignWizardWindow> m_wizard;
};

void DesignWizardTest::init()
{
    m_fixture = std::make_unique<AppFixture>();
    m_wizard = DesignWizardWindow::open(&m_owner);
}

void DesignWizardTest::cleanup()
{
    delete m_wizard;
    m_fixture.reset();
}

void DesignWizardTest::buttons_stepThroughTheSixPages()
{
    QVERIFY(m_wizard->isVisible() && !m_wizard->isModal());
    QCOMPARE(m_wizard->windowTitle(), u"设计向导"_s);
    QCOMPARE(pages()->currentIndex(), 0);
    QCOMPARE(button(u"下一步按钮"_s)->text(), u"下一步 (&N)"_s);
    QCOMPARE(QAccessible::queryAccessibleInterface(box(2))->text(QAccessible::Name), u"整体架构"_s);
    QCOMPARE(QAccessible::queryAccessibleInterface(button(u"上一步按钮"_s))->text(QAccessible::Name), u"上一步"_s);

    QTest::mouseClick(button(u"上一步按钮"_s), Qt::LeftButton);
    QCOMPARE(pages()->currentIndex(), 0);
    pressNext(5);
    QCOMPARE(pages()->currentIndex(), 5);
    QCOMPARE(button(u"下一步按钮"_s)->text(), u"保存 (&S)"_s);
    QVERIFY(button(u"上一步按钮"_s)->isEnabled());
    QTest::mouseClick(button(u"上一步按钮"_s), Qt::LeftButton);
    QCOMPARE(pages()->currentIndex(), 4);
    QCOMPARE(button(u"下一步按钮"_s)->text(), u"下一步 (&N)"_s);
    QCOMPARE(m_wizard->focusWidget(), box(4));
    pressNext(1);
    // A tab chosen by hand does not refresh the buttons; the next press acts on the page it shows.
    pages()->setCurrentIndex(0);
    QCOMPARE(button(u"下一步按钮"_s)->text(), u"保存 (&S)"_s);
    QTest::mouseClick(button(u"上一步按钮"_s), Qt::LeftButton);
    QCOMPARE(pages()->currentIndex(), 0);
    m_fixture->prompt.queueSaveFile(u""_s);
    pressNext();
    QCOMPARE(pages()->currentIndex(), 1);
    QCOMPARE(button(u"下一步按钮"_s)->text(), u"下一步 (&N)"_s);
    QTest::mouseClick(button(u"上一步按钮"_s), Qt::LeftButton);
    QCOMPARE(pages()->currentIndex(), 0);
    QVERIFY(!button(u"上一步按钮"_s)->isEnabled());
}

void DesignWizardTest::save_writesTheDocumentBytes_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("expected");
    const QString sep = u"\r\n"_s + QString(45, u'-') + u"\r\n\r\n"_s;
    const QString end = u"\r\n\r\n\r\n"_s + QString(45, u'-') + u"\r\n创建时间：2026年12月7日"_s;
    QTest::newRow("every page empty") << QStringList(6)
                                      << u"基本信息"_s + sep + u"\r\n\r\n目的与对象"_s + sep + u"\r\n\r\n整体架构"_s +
                                             sep + u"\r\n\r\n步骤"_s + sep + u"\r\n\r\n时间规划"_s + sep +
                                             u"\r\n\r\n规则定义"_s + sep + end;
    // Every page is written, the rules of the last one too.
    QTest::newRow("filled pages") << QStringList{u"名称：账本"_s,     u"记账\n对账"_s, u"三层"_s,
                                                 u"1. 表\n2. 窗口"_s, u"十二月"_s,     u"金额\n保留两位"_s}
                                  << u"基本信息"_s + sep + u"名称：账本\r\n\r\n目的与对象"_s + sep +
                                         u"记账\r\n对账\r\n\r\n整体架构"_s + sep + u"三层\r\n\r\n步骤"_s + sep +
                                         u"1. 表\r\n2. 窗口\r\n\r\n时间规划"_s + sep + u"十二月\r\n\r\n规则定义"_s +
                                         sep + u"金额\r\n保留两位"_s + end;
}

void DesignWizardTest::save_writesTheDocumentBytes()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, expected);
    for (int p = 0; p < 6; ++p)
        box(p)->setPlainText(texts.at(p));
    const QString path = m_fixture->app.writeFile(u"docs/设计.txt"_s, "an older document, longer than the new one");
    m_fixture->prompt.queueSaveFile(path);
    pressNext(6);

    const QByteArray written = m_fixture->app.readFile(u"docs/设计.txt"_s);
    QCOMPARE(written, gb18030(expected));
    QVERIFY(written.startsWith("\xbb\xf9\xb1\xbe\xd0\xc5\xcf\xa2")); // 基本信息 in the Chinese code page
    QVERIFY(!written.endsWith('\n'));
    QTRY_VERIFY(!m_wizard);
    QCOMPARE(QDir::currentPath(), m_fixture->app.path());
}

void DesignWizardTest::save_nameWithoutExtension_savedAsTxt_data()
{
    QTest::addColumn<QString>("chosen"); // below appDir
    QTest::addColumn<QString>("written");
    QTest::newRow("no extension") << u"docs/设计"_s << u"docs/设计.txt"_s;
    QTest::newRow("a dot in the folder only") << u"v1.2/设计"_s << u"v1.2/设计.txt"_s;
    QTest::newRow("ends with a dot") << u"docs/设计."_s << u"docs/设计.txt"_s;
    QTest::newRow("an extension of its own") << u"docs/设计.md"_s << u"docs/设计.md"_s;
}

void DesignWizardTest::save_nameWithoutExtension_savedAsTxt()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QVERIFY(QDir().mkpath(m_fixture->app.filePath(QFileInfo(chosen).path())));
    box(0)->setPlainText(u"账本"_s);
    m_fixture->prompt.queueSaveFile(m_fixture->app.filePath(chosen));
    pressNext(6);

    QTRY_VERIFY(!m_wizard);
    QVERIFY(m_fixture->app.readFile(written).startsWith(gb18030(u"基本信息"_s)));
    QCOMPARE(QFileInfo::exists(m_fixture->app.filePath(chosen)), chosen == written);
    QCOMPARE(m_fixture->prompt.fileDialogs.constLast().defaultSuffix, u"txt"_s);
}

void DesignWizardTest::save_cancelledOrUnwritable_staysOnTheLastPageWithItsTexts()
{
    box(0)->setPlainText(u"保留"_s);
    pressNext(5);
    m_fixture->prompt.queueSaveFile(u""_s);
    pressNext();
    QCOMPARE(pages()->currentIndex(), 5);
    QCOMPARE(button(u"下一步按钮"_s)->text(), u"保存 (&S)"_s);

    m_fixture->prompt.queueSaveFile(m_fixture->app.filePath(u"no/such/folder/a.txt"_s));
    pressNext();
    QCOMPARE(m_fixture->prompt.texts(), QStringList{u"设计文档保存失败！"_s});
    QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Error);
    QVERIFY(m_wizard && m_wizard->isVisible());
    QCOMPARE(box(0)->toPlainText(), u"保留"_s);
    QCOMPARE(pages()->currentIndex(), 5);
}

void DesignWizardTest::insertDate_twice_appendsTwoDatesWithoutBreaks()
{
    pressNext(4);
    box(4)->setPlainText(u"完成："_s);
    m_wizard->findChild<QDateEdit*>(u"日期框1"_s)->setDate(QDate(2027, 1, 15));
    auto* add = button(u"加入日期按钮"_s);
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(box(4)->toPlainText(), u"完成：2027年1月15日2027年1月15日"_s);
}

void DesignWizardTest::leave_typedTextGoesOnlyAfterAQuestion_data()
{
    QTest::addColumn<bool>("closeBox"); // otherwise Esc
    QTest::addColumn<int>("page");      // where the text is typed; -1: nowhere
    QTest::addColumn<bool>("discard");  // the answer, when asked
    QTest::newRow("Esc, every box empty") << false << -1 << true;
    QTest::newRow("Esc, text, kept") << false << 0 << false;
    QTest::newRow("Esc, text, discarded") << false << 3 << true;
    QTest::newRow("Esc, only the rules page") << false << 5 << false;
    QTest::newRow("close box, every box empty") << true << -1 << true;
    QTest::newRow("close box, text, kept") << true << 4 << false;
    QTest::newRow("close box, text, discarded") << true << 1 << true;
}

void DesignWizardTest::leave_typedTextGoesOnlyAfterAQuestion()
{
    QFETCH(bool, closeBox);
    QFETCH(int, page);
    QFETCH(bool, discard);
    if (page >= 0) {
        box(page)->setPlainText(u"草稿"_s);
        m_fixture->prompt.queueAnswer(discard ? Prompt::Answer::Yes : Prompt::Answer::No);
    }
    if (closeBox)
        m_wizard->close();
    else
        QTest::keyClick(m_wizard, Qt::Key_Escape);
    if (page >= 0) {
        QCOMPARE(m_fixture->prompt.texts(), QStringList{u"是否放弃已输入的内容？"_s});
        QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Question);
    }
    if (discard) {
        QTRY_VERIFY(!m_wizard);
        return;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_wizard && m_wizard->isVisible());
    QCOMPARE(box(page)->toPlainText(), u"草稿"_s);
}

QTEST_MAIN(DesignWizardTest)
#include "tst_designwizard.moc"
