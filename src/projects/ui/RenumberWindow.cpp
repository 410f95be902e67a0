#include "projects/ui/RenumberWindow.h"

#include "platform/Clock.h"
#include "projects/ProjectNumber.h"
#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

RenumberWindow::RenumberWindow(const QString& name, const QString& number, bool numberInvalid, QSet<QString> taken,
                               QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_taken(std::move(taken))
{
    named(this, u"RenumberWindow"_s);
    setWindowTitle(u"还原项目"_s);
    setFixedSize(340, 132);

    const QString shown = name.isEmpty() ? number : u"“%1”"_s.arg(name);
    const QString why = numberInvalid ? u"编号“%1”不能用作文件名，"_s.arg(number) : u"编号“%1”已被使用，"_s.arg(number);
    auto* reason = placedLabel(this, u"标签1"_s, u"%1%2请为它输入新的编号："_s.arg(shown, why), QRect(12, 10, 316, 40));
    reason->setWordWrap(true);
    auto* label = placedLabel(this, u"标签2"_s, u"项目编号："_s, QRect(12, 58, 64, 20));
    m_number = placed(new QLineEdit(this), u"编号编辑框"_s, QRect(80, 56, 248, 22));
    labelFor(label, m_number);

    // The next automatic number that is free, a second later for each one already given.
    QDateTime at = Clock::now();
    QString offered = ProjectNumber::generate(at);
    while (m_taken.contains(offered)) {
        at = at.addSecs(1);
        offered = ProjectNumber::generate(at);
    }
    m_number->setText(offered);
    m_number->selectAll();

    auto* ok = placed(new QPushButton(u"确  定"_s, this), u"确定按钮"_s, QRect(136, 92, 96, 30));
    auto* cancel = placed(new QPushButton(u"取  消"_s, this), u"取消按钮"_s, QRect(232, 92, 96, 30));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &RenumberWindow::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    speakAsSeen(this);
}

std::optional<QString> RenumberWindow::askNumber(QWidget* parent, const QString& name, const QString& number,
                                                 bool numberInvalid, const QSet<QString>& taken)
{
    RenumberWindow window(name, number, numberInvalid, taken, parent);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.number();
}

QString RenumberWindow::number() const
{
    return m_number->text();
}

void RenumberWindow::confirm()
{
    const QString typed = m_number->text();
    if (typed.isEmpty()) {
        Prompt::warning(this, u"填写不完整！"_s);
        return;
    }
    if (!ProjectNumber::isValid(typed)) {
        Prompt::error(this, u"编号不能用作文件名，请重新输入！"_s);
        return;
    }
    if (m_taken.contains(typed)) {
        Prompt::error(this, u"已存在相同编号！"_s);
        return;
    }
    accept();
}
