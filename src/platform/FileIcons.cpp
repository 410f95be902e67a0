#include "platform/FileIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QPixmap>

#ifdef Q_OS_WIN
#include <QSettings>
#include <qt_windows.h>

#include <shellapi.h>
#else
#include <QFile>
#include <QMimeDatabase>
#endif

using namespace Qt::StringLiterals;

namespace {

#ifdef Q_OS_WIN

QIcon iconInFile(const QString& file, int index)
{
    HICON large = nullptr;
    const UINT found =
        ExtractIconExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(file).utf16()), index, &large, nullptr, 1);
    if (found == 0 || found == UINT(-1) || !large)
        return {};
    QIcon icon(QPixmap::fromImage(QImage::fromHICON(large)));
    DestroyIcon(large);
    return icon;
}

QString registryDefault(const QString& key)
{
    const QSettings registry(u"HKEY_CLASSES_ROOT\\"_s + key, QSettings::NativeFormat);
    return registry.value(u"Default"_s).toString();
}

#else

constexpr int kIconSize = 32;

QIcon pictureIcon(const QString& path)
{
    QImageReader reader(path);
    if (!reader.canRead())
        return {};
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kIconSize || size.height() > kIconSize))
        reader.setScaledSize(size.scaled(kIconSize, kIconSize, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

// The Icon= line of the [Desktop Entry] group: a theme name or a picture's path.
QIcon desktopEntryIcon(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inEntry = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
        if (line.startsWith(u'['))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Icon="))) {
            const QString name = line.mid(5).trimmed();
            if (QFileInfo(name).isAbsolute())
                return pictureIcon(name);
            return QIcon::fromTheme(name);
        }
    }
    return {};
}

#endif

} // namespace

namespace FileIcons {

QIcon ownIcon(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return {};
#ifdef Q_OS_WIN
    return iconInFile(path, 0);
#else
    if (info.suffix().compare(QLatin1String("desktop"), Qt::CaseInsensitive) == 0)
        return desktopEntryIcon(path);
    return pictureIcon(path);
#endif
}

QIcon registeredIcon(const QString& path)
{
#ifdef Q_OS_WIN
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString extension = dot < 0 ? path : path.mid(dot);
    const QString fileClass = registryDefault(extension);
    if (fileClass.isEmpty())
        return {};
    const QStringList pieces = registryDefault(fileClass + u"\\DefaultIcon"_s).split(u',');
    if (pieces.size() < 2)
        return {};
    // Negative numbers name an icon's resource id; the file name is passed as the registry holds it.
    return iconInFile(pieces.at(0), int(pieces.at(1).trimmed().toDouble()));
#else
    // A theme lookup walks the icon folders; the tool list asks for the same few types again and again.
    static QHash<QString, QIcon> byType;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid() || type.isDefault())
        return {};
    const auto known = byType.constFind(type.name());
    if (known != byType.constEnd())
        return *known;
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    // A theme can answer an icon without a picture at any size; that is no icon.
    if (icon.availableSizes().isEmpty())
        icon = QIcon();
    byType.insert(type.name(), icon);
    return icon;
#endif
}

} // namespace FileIcons
