#include "app/ui/LoginWindow.h"

#include "app/LoginPassword.h"
#include "platform/TerminationSignals.h"
#include "store/TableSchemas.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/main/Banner.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

LoginWindow::LoginWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint)
{
    named(this, u"LoginWindow"_s);
    setFixedSize(360, 213);

    Banner::place(this, QPoint(5, 5));

    auto* frame = named(new QFrame(this), u"外形框1"_s);
    frame->setGeometry(5, 129, 350, 79);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    auto* prompt = named(new QLabel(u"请输入登陆密码："_s, frame), u"透明标签1"_s);
    prompt->setGeometry(11, 12, 112, 16);
    m_password = named(new QLineEdit(frame), u"密码框"_s);
    m_password->setGeometry(123, 9, 184, 20);
    // Password mode is what keeps the text from being copied or dragged out and from a screen reader's echo.
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setStyleSheet(u"lineedit-password-character: 42;"_s); // "*"
    auto* ok = named(new QPushButton(u"确  定"_s, frame), u"确定按钮"_s);
    ok->setGeometry(123, 41, 104, 32);
    ok->setDefault(true);
    auto* cancel = named(new QPushButton(u"取  消"_s, frame), u"取消按钮"_s);
    cancel->setGeometry(234, 41, 104, 32);
    auto* initial = named(new QLabel(u"初始密码："_s + TableSchemas::initialLoginPassword(), frame), u"透明标签2"_s);
    initial->setGeometry(11, 54, 88, 16);
    labelFor(prompt, m_password);

    connect(ok, &QPushButton::clicked, this, &LoginWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &LoginWindow::endProgram);
    m_password->setFocus();
    speakAsSeen(this);
}

bool LoginWindow::login()
{
    LoginWindow window;
    TerminationSignals termination;
    connect(&termination, &TerminationSignals::terminationRequested, &window, &LoginWindow::endProgram);
    return window.exec() == QDialog::Accepted;
}

void LoginWindow::confirm()
{
    if (checkLoginPassword(m_password->text())) {
        accept();
        return;
    }
    Prompt::error(this, u"密码错误！"_s);
    m_password->selectAll();
    m_password->setFocus();
}

void LoginWindow::endProgram()
{
    m_ending = true;
    done(QDialog::Rejected);
}

void LoginWindow::reject()
{
    if (m_ending)
        QDialog::reject();
}

void LoginWindow::closeEvent(QCloseEvent* event)
{
    if (m_ending)
        QDialog::closeEvent(event);
    else
        event->ignore();
}
