#include "ui/main/Banner.h"

#include "ui/common/Naming.h"
#include "ui/main/MakerInfo.h"

#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>

using namespace Qt::StringLiterals;

namespace Banner {

QPixmap pixmap()
{
    QPixmap pm(350, 120);
    pm.fill(Qt::transparent);
    QSvgRenderer renderer(u":/icons/banner.svg"_s);
    QPainter painter(&pm);
    renderer.render(&painter, QRectF(0, 0, 350, 120));
    return pm;
}

QLabel* place(QWidget* window, QPoint topLeft)
{
    auto* banner = named(new QLabel(window), u"图片框1"_s);
    banner->setGeometry(QRect(topLeft, QSize(350, 120)));
    banner->setPixmap(pixmap());
    auto* version = named(new QLabel(banner), u"版本标签"_s);
    version->setGeometry(3, 99, 336, 16);
    version->setAttribute(Qt::WA_TranslucentBackground);
    version->setStyleSheet(u"color: white; background: transparent;"_s);
    version->setText(u"版本："_s + MakerInfo::version());
    return banner;
}

} // namespace Banner
