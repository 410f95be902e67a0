#include "app/AppDir.h"

#include <QDir>

namespace AppDir {

namespace {
QString s_path;
}

QString path()
{
    return s_path;
}

void set(const QString& dir)
{
    s_path = QDir::cleanPath(dir);
}

QString filePath(const QString& relative)
{
    return s_path + u'/' + relative;
}

} // namespace AppDir
