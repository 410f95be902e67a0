#include "execution/WorkFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace WorkFiles {

bool createFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.exists() || info.isSymLink())
        return false;
    return QDir().mkdir(path);
}

bool writeEmptyFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void removeIfEmpty(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        QFile::remove(path);
}

QString unusedPath(const QString& path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? path : path.chopped(suffix.size() + 1);
    for (int i = 2;; ++i) {
        const QString candidate =
            stem + u'(' + QString::number(i) + u')' + (suffix.isEmpty() ? QString() : u'.' + suffix);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

} // namespace WorkFiles
