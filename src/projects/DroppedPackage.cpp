#include "projects/DroppedPackage.h"

#include <QFileInfo>

namespace DroppedPackage {

QString pathOf(const QList<QUrl>& urls)
{
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    const QString path = urls.constFirst().toLocalFile();
    return QFileInfo(path).isFile() ? path : QString();
}

QString suggestedName(const QString& path)
{
    return QFileInfo(path).completeBaseName();
}

} // namespace DroppedPackage
