#include "archive/FreeSpace.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace {

FreeSpace::Query& currentQuery()
{
    static FreeSpace::Query query;
    return query;
}

QString nearestExistingFolder(const QString& path)
{
    QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (!info.exists()) {
        const QString parent = info.absolutePath();
        if (parent == info.absoluteFilePath()) {
            break;
        }
        info.setFile(parent);
    }
    return info.absoluteFilePath();
}

} // namespace

namespace FreeSpace {

qint64 availableAt(const QString& path)
{
    const QString folder = nearestExistingFolder(path);
    if (currentQuery()) {
        return currentQuery()(folder);
    }
    const QStorageInfo storage(folder);
    return storage.isValid() ? storage.bytesAvailable() : -1;
}

void setQuery(Query query)
{
    currentQuery() = std::move(query);
}

} // namespace FreeSpace
