#pragma once

#include <QDialog>

class QLineEdit;

// The window every run begins with: the login password, or 取消, which ends the program before the main window
// is ever shown. It leaves only by those two ways; a close request is refused.
class LoginWindow : public QDialog
{
    Q_OBJECT

public:
    explicit LoginWindow(QWidget* parent = nullptr);

    // Shows the window modally; true once the right password was given, false when the program is to end.
    static bool login();

    // Ends the login without a password: 取消, or the system ending the program.
    void endProgram();

    void reject() override; // Escape: refused like the close box

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void confirm();

    QLineEdit* m_password;
    bool m_ending = false;
};
