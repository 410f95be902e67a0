#include "execution/ExecutionPaths.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace ExecutionPaths {

QString executionDir()
{
    return executionDirFrom(AppSettings().read(SettingsKeys::kExecutionDir));
}

QString executionDirFrom(const QString& configured)
{
    if (configured.trimmed().isEmpty())
        return {};
    return configured.endsWith(u'/') || configured.endsWith(QDir::separator()) ? configured : configured + u'/';
}

QString workDir(const QString& executionDir, const QString& number)
{
    return executionDir + number;
}

QString workFile(const QString& executionDir, const QString& number, const QString& type)
{
    // A package stored from a file without a type is worked on under the number alone, not as "number.".
    const QString name = type.isEmpty() ? number : number + u'.' + type;
    return workDir(executionDir, number) + u'/' + name;
}

QString markerName()
{
    return u"P_zip.TMP"_s;
}

QString markerPath(const QString& workDir)
{
    return workDir + u'/' + markerName();
}

QString temporaryPackage(const QString& number)
{
    return AppDir::path() + u'/' + number + u".fd1";
}

bool isZipType(const QString& type)
{
    return type.toLower() == u"zip";
}

} // namespace ExecutionPaths
