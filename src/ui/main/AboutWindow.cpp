#include "ui/main/AboutWindow.h"

#include "ui/common/Naming.h"
#include "ui/common/Prompt.h"
#include "ui/main/Banner.h"
#include "ui/main/MakerInfo.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>

AboutWindow::AboutWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    named(this, QStringLiteral("AboutWindow"));
    setWindowTitle(QStringLiteral("关于"));
    setFixedSize(373, 229);

    auto* banner = named(new QLabel(this), QStringLiteral("图片框1"));
    banner->setGeometry(8, 8, 350, 120);
    banner->setPixmap(Banner::pixmap());

    auto* version = named(new QLabel(banner), QStringLiteral("版本标签"));
    version->setGeometry(3, 99, 336, 16);
    version->setAttribute(Qt::WA_TranslucentBackground);
    version->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    version->setText(QStringLiteral("版本：") + MakerInfo::version());

    auto* credit = named(new QLabel(MakerInfo::creditLine(), this), QStringLiteral("标签1"));
    credit->setGeometry(16, 144, 304, 24);

    auto* link = named(new QLabel(this), QStringLiteral("超级链接框1"));
    link->setGeometry(13, 164, 128, 24);
    link->setTextFormat(Qt::RichText);
    // The box is narrow: it shows the host and opens the whole address.
    const QString address = MakerInfo::webAddress();
    link->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(address, QUrl(address).host()));
    link->setToolTip(address);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [](const QString& target) { Prompt::openWithShell(target); });

    auto* ok = named(new QPushButton(QStringLiteral("确定(&O)"), this), QStringLiteral("确定按钮"));
    ok->setGeometry(264, 168, 96, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    speakAsSeen(this);
}
