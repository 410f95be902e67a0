#include "app/ListAppearance.h"

#include "app/AppSettings.h"
#include "store/IconFile.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/ProjectListView.h"

#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

namespace AppFlags {

namespace {
bool s_importOptional = false;
bool s_manualNumbering = false;
} // namespace

bool importOptional()
{
    return s_importOptional;
}

bool manualNumbering()
{
    return s_manualNumbering;
}

static void set(bool importOptionalValue, bool manualNumberingValue)
{
    s_importOptional = importOptionalValue;
    s_manualNumbering = manualNumberingValue;
}

} // namespace AppFlags

QIcon defaultProjectIcon()
{
    static const QIcon s_icon(QStringLiteral(":/icons/project.svg"));
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

void applyListAppearance(QWidget* mainWindow, ProjectListView* list)
{
    const AppSettings settings;
    mainWindow->setWindowTitle(settings.read(SettingsKeys::kTitle, defaultTitle()));

    AppFlags::set(settings.read(SettingsKeys::kImportOptional) == u"1",
                  settings.read(SettingsKeys::kManualNumbering) == u"1");

    QList<QIcon> icons{defaultProjectIcon()};
    {
        TypeTable types;
        types.open();
        const QList<QVariant> pictures = types.readColumn(int(TypeField::Icon));
        for (const QVariant& picture : pictures)
            icons.append(typePicture(picture));
    }
    list->setTypeIcons(icons);

    const QString background = settings.read(SettingsKeys::kBackground);
    const bool tiled = settings.read(SettingsKeys::kBackgroundOnce) != u"1";

    const QString white = QString::fromUtf16(SettingsKeys::kWhite);
    list->setColours(settings.readColour(SettingsKeys::kTextColour, QStringLiteral("0")),
                     settings.readColour(SettingsKeys::kTextBackColour, white),
                     settings.readColour(SettingsKeys::kBackColour, white));

    if (!background.isEmpty() && QFileInfo::exists(background))
        list->setBackgroundImage(background, tiled);
    else
        list->clearBackgroundImage();
}
