#include "projects/DroppedPackage.h"

#include <QDir>
#include <QFileInfo>

namespace DroppedPackage {

QStringList pathsOf(const QList<QUrl>& urls)
{
    QStringList paths;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (info.isFile() || info.isDir())
            paths.append(path);
    }
    return paths;
}

QString suggestedName(const QString& path)
{
    const QFileInfo info(path);
    // A folder's name has no extension: "记账本 v1.2" is all name.
    return info.isDir() ? QDir(path).dirName() : info.completeBaseName();
}

} // namespace DroppedPackage
