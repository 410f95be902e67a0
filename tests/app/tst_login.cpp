#include "AppFixture.h"
#include "app/LoginPassword.h"
#include "app/ui/LoginWindow.h"
#include "store/RecordTable.h"
#include "store/TableSchemas.h"

#include <QAccessible>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The login password: what is let in, the login window, and changing the password.
class LoginTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_fixture = std::make_unique<AppFixture>(); }
    void cleanup() { m_fixture.reset(); }

    void check_comparesExactly_data();
    void check_comparesExactly();
    void check_tableMissingOrEmpty_refusesEverything();
    void write_anyText_isRequiredFromThenOn();
    void window_wrongPasswordSelectsAllRightOneAccepts();
    void window_closeBoxAndEscapeRefused_cancelEnds();

private:
    std::unique_ptr<AppFixture> m_fixture;
};

void LoginTest::check_comparesExactly_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("installed 739") << u"739"_s << u"739"_s << true;
    QTest::newRow("trailing blank") << u"739"_s << u"739 "_s << false;
    QTest::newRow("leading blank") << u"739"_s << u" 739"_s << false;
    QTest::newRow("letter case") << u"Secret"_s << u"secret"_s << false;
    QTest::newRow("empty stored, empty typed") << QString() << QString() << true;
    QTest::newRow("empty stored, blank typed") << QString() << u" "_s << false;
    QTest::newRow("Chinese and outside GBK") << u"密码𠀀"_s << u"密码𠀀"_s << true;
    QTest::newRow("full-width digits") << u"739"_s << u"７３９"_s << false;
}

void LoginTest::check_comparesExactly()
{
    QFETCH(QString, stored);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    if (stored != u"739"_s)
        QVERIFY(writeLoginPassword(stored));
    QCOMPARE(checkLoginPassword(typed), accepted);
    QCOMPARE(readLoginPassword(), std::optional<QString>(stored));
}

void LoginTest::check_tableMissingOrEmpty_refusesEverything()
{
    {
        RecordTable table;
        QVERIFY(table.open(TableSchemas::passwordTablePath(), TableSchemas::passwordTableAccessPassword()));
        QVERIFY(table.goFirst() && table.deleteRecord() && table.pack());
    }
    // No record: not even the empty password gets in, and nothing can be stored.
    QVERIFY(!checkLoginPassword(QString()));
    QVERIFY(!writeLoginPassword(u"new"_s));

    QVERIFY(QFile::remove(TableSchemas::passwordTablePath()));
    QVERIFY(!checkLoginPassword(u"739"_s));
    QVERIFY(!checkLoginPassword(QString()));
    QCOMPARE(readLoginPassword(), std::nullopt);
    QVERIFY(!writeLoginPassword(u"739"_s));
    QVERIFY(!QFile::exists(TableSchemas::passwordTablePath()));
}

void LoginTest::write_anyText_isRequiredFromThenOn()
{
    QVERIFY(writeLoginPassword(u"新 密码"_s));
    QVERIFY(!checkLoginPassword(u"739"_s));
    QVERIFY(checkLoginPassword(u"新 密码"_s));
    QVERIFY(writeLoginPassword(QString()));
    QVERIFY(checkLoginPassword(QString()));
}

void LoginTest::window_wrongPasswordSelectsAllRightOneAccepts()
{
    LoginWindow window;
    window.show();
    auto* box = window.findChild<QLineEdit*>(u"密码框"_s);
    QCOMPARE(box->echoMode(), QLineEdit::Password);
    QCOMPARE(window.findChild<QLabel*>(u"透明标签2"_s)->text(), u"初始密码：739"_s);
    QCOMPARE(window.findChild<QLabel*>(u"版本标签"_s)->text(), u"版本：1.2"_s);
    QCOMPARE(window.size(), QSize(360, 213));
    // A screen reader hears the label beside the box, never what was typed.
    QTest::keyClicks(box, u"wrong"_s);
    QCOMPARE(box->displayText(), u"*****"_s);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
    QCOMPARE(face->text(QAccessible::Name), u"请输入登陆密码"_s);
    QVERIFY(!face->text(QAccessible::Value).contains(u"wrong"_s));

    auto* ok = window.findChild<QPushButton*>(u"确定按钮"_s);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(m_fixture->prompt.lastText(), u"密码错误！"_s);
    QCOMPARE(m_fixture->prompt.lastForm(), Prompt::Form::Error);
    QCOMPARE(box->selectedText(), u"wrong"_s);
    QVERIFY(window.isVisible());

    QTest::keyClicks(box, u"739"_s); // replaces the selected text
    QCOMPARE(box->text(), u"739"_s);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!window.isVisible());
    QCOMPARE(m_fixture->prompt.messages().size(), 1);
}

void LoginTest::window_closeBoxAndEscapeRefused_cancelEnds()
{
    LoginWindow window;
    window.show();
    QVERIFY(!window.close());
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    QTest::mouseClick(window.findChild<QPushButton*>(u"取消按钮"_s), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
}

QTEST_MAIN(LoginTest)
#include "tst_login.moc"
