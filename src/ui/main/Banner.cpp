#include "ui/main/Banner.h"

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

} // namespace Banner
