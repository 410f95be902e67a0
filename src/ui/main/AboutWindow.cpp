#include "ui/main/AboutWindow.h"

#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/main/Banner.h"
#include "ui/main/MakerInfo.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>

using namespace Qt::StringLiterals;

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, u"AboutWindow"_s);
    setWindowTitle(u"关于"_s);
    setFixedSize(373, 229);

    Banner::place(this, QPoint(8, 8));

    auto* credit = named(new QLabel(MakerInfo::creditLine(), this), u"标签1"_s);
    credit->setGeometry(16, 144, 304, 24);

    auto* link = named(new QLabel(this), u"超级链接框1"_s);
    link->setGeometry(13, 164, 128, 24);
    link->setTextFormat(Qt::RichText);
    // The box is narrow: it shows the host and opens the whole address.
    const QString address = MakerInfo::webAddress();
    link->setText(u"<a href=\"%1\">%2</a>"_s.arg(address, QUrl(address).host()));
    link->setToolTip(address);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [](const QString& target) { Prompt::openWithShell(target); });

    auto* ok = named(new QPushButton(u"确定(&O)"_s, this), u"确定按钮"_s);
    ok->setGeometry(264, 168, 96, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    speakAsSeen(this);
}
