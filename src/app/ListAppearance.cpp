#include "app/ListAppearance.h"

#include "app/AppSettings.h"
#include "store/IconFile.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

using namespace Qt::StringLiterals;

QIcon defaultProjectIcon()
{
    static const QIcon s_icon(u":/icons/project.svg"_s);
    return s_icon;
}

namespace {

// A type's picture: the stored bytes of an icon, bitmap, GIF or JPEG file, shown at 32×32. Anything that is
// not a picture gives the default project icon, so one bad record never empties the list.
QIcon typePicture(const QVariant& bytes)
{
    if (bytes.metaType().id() != QMetaType::QByteArray)
        return defaultProjectIcon();
    // IconFile applies the transparency mask of icon files (Qt's own reader drops it for 24-bit images) and
    // picks the 32×32 picture of a file that holds several sizes; other picture kinds go to Qt.
    QImage image = IconFile::read(bytes.toByteArray(), 32);
    if (image.isNull())
        return defaultProjectIcon();
    if (image.size() != QSize(32, 32))
        image = image.scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

ListAppearance ListAppearance::read()
{
    const AppSettings settings;
    ListAppearance look;
    look.title = settings.read(SettingsKeys::kTitle, defaultTitle());

    look.icons.append(defaultProjectIcon());
    {
        TypeTable types;
        types.open();
        const QList<QVariant> pictures = types.readColumn(int(TypeField::Icon));
        for (const QVariant& picture : pictures)
            look.icons.append(typePicture(picture));
    }

    look.text = settings.readColour(SettingsKeys::kTextColour, SettingsKeys::kTextColour.defaultValue());
    look.textBackground =
        settings.readColour(SettingsKeys::kTextBackColour, SettingsKeys::kTextBackColour.defaultValue());
    look.background = settings.readColour(SettingsKeys::kBackColour, SettingsKeys::kBackColour.defaultValue());

    const QString picture = settings.read(SettingsKeys::kBackground);
    if (!picture.isEmpty() && QFileInfo::exists(picture))
        look.picture = picture;
    look.tiled = !settings.readFlag(SettingsKeys::kBackgroundOnce);
    return look;
}
