#include "execution/WorkFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace WorkFiles {

bool createFolder(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.exists() || info.isSymLink())
        return false;
    return QDir().mkdir(path);
}

bool removeFolder(const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isDir() || info.isRoot())
        return false;
    return QDir(path).removeRecursively();
}

bool durableCopy(const QString& from, const QString& to)
{
    QFile source(from);
    if (!QFileInfo(from).isFile() || !source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kChunk = 1 << 20;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(kChunk);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError) {
            target.cancelWriting();
            break;
        }
        if (target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            break;
        }
    }
    // commit() syncs the temporary file before it takes the target's name, and fails after a cancel.
    return source.error() == QFileDevice::NoError && target.commit();
}

bool copyForWork(const QString& from, const QString& to)
{
    if (!QFile::copy(from, to))
        return false;
    QFile copy(to);
    copy.setPermissions(copy.permissions() | QFileDevice::WriteOwner);
    return true;
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
