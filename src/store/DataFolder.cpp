#include "store/DataFolder.h"

#include "app/AppDir.h"
#include "store/TableSchemas.h"

using namespace Qt::StringLiterals;

namespace DataFolder {

QString path()
{
    return AppDir::filePath(TableSchemas::dataFolderName());
}

QString packagePath(const QString& number)
{
    return path() + u'/' + TableSchemas::packageFileOf(number);
}

QString historyIn(const QString& dataFolder)
{
    return dataFolder + u"/history"_s;
}

QString historyRoot()
{
    return historyIn(path());
}

QString historyOf(const QString& number)
{
    return historyRoot() + u'/' + TableSchemas::packageFileOf(number);
}

QString trashRoot()
{
    return path() + u"/trash"_s;
}

QString placingSuffix()
{
    return u".placing"_s;
}

QString placingPath(const QString& number, const QString& packageType)
{
    return packagePath(number) + u'.' + packageType + placingSuffix();
}

bool parsePlacing(const QString& fileName, Placing& placing)
{
    if (!fileName.endsWith(placingSuffix()))
        return false;
    const QString stem = fileName.chopped(placingSuffix().size());
    const qsizetype dot = stem.lastIndexOf(u'.');
    const QString fd1 = TableSchemas::packageSuffix();
    if (dot < 0 || !stem.left(dot).endsWith(fd1))
        return false;
    placing.packageType = stem.mid(dot + 1);
    placing.number = stem.left(dot).chopped(fd1.size());
    return true;
}

} // namespace DataFolder
