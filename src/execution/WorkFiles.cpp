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
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

} // namespace WorkFiles
