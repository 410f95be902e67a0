#include "ui/main/MainStatusBar.h"

#include "ui/common/Naming.h"
#include "ui/main/MakerInfo.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>

using namespace Qt::StringLiterals;

namespace {

QWidget* part(QWidget* parent, QLabel*& text, int width, const QString& iconPath)
{
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(4);
    if (!iconPath.isEmpty()) {
        auto* icon = new QLabel(box);
        icon->setPixmap(QIcon(iconPath).pixmap(16, 16));
        layout->addWidget(icon);
    }
    text = new QLabel(box);
    text->setTextFormat(Qt::PlainText);
    layout->addWidget(text, 1);
    if (width > 0)
        box->setFixedWidth(width);
    return box;
}

} // namespace

MainStatusBar::MainStatusBar(QWidget* parent)
    : QStatusBar(parent)
{
    named(this, u"状态条1"_s);
    setSizeGripEnabled(true);
    addWidget(part(this, m_text[0], 152, u":/icons/status-title.svg"_s));
    addWidget(part(this, m_text[1], 10, {}));
    addWidget(part(this, m_text[2], 160, {}));
    QWidget* maker = part(this, m_text[3], 22, u":/icons/status-maker.svg"_s);
    maker->layout()->setContentsMargins(3, 0, 0, 0);
    m_text[3]->hide(); // this part shows only its icon
    maker->setToolTip(MakerInfo::creditLine() + u' ' + MakerInfo::webAddress());
    addWidget(maker);
    addWidget(part(this, m_text[4], 0, {}), 1);
    m_text[4]->setText(u"就绪"_s);
}

void MainStatusBar::setPartText(int index, const QString& text)
{
    if (index >= 0 && index < kPartCount)
        m_text[index]->setText(text);
}

QString MainStatusBar::partText(int index) const
{
    return index >= 0 && index < kPartCount ? m_text[index]->text() : QString();
}
