#include "execution/ExecutionPaths.h"

#include "app/AppDir.h"
#include "app/AppSettings.h"
#include "platform/FileSystem.h"
#include "store/DataFolder.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace ExecutionPaths {

QString executionDir()
{
    return executionDirFrom(AppSettings().read(SettingsKeys::kExecutionDir, defaultExecutionDir()));
}

QString defaultExecutionDir()
{
    return AppDir::filePath(u"run"_s);
}

bool makeDefaultExecutionDir(const QString& executionDir)
{
    const QString folder = QDir::cleanPath(QDir(AppDir::path()).absoluteFilePath(executionDir));
    if (folder != QDir::cleanPath(defaultExecutionDir()))
        return true;
    const QFileInfo info(folder);
    if (info.exists() || info.isSymLink())
        return true;
    return QDir().mkdir(folder);
}

QString executionDirFrom(const QString& configured)
{
    if (configured.trimmed().isEmpty())
        return {};
    return configured.endsWith(u'/') || configured.endsWith(QDir::separator()) ? configured : configured + u'/';
}

bool isInsideDataFolder(const QString& executionDir)
{
    const QString data = QFileInfo(DataFolder::path()).canonicalFilePath();
    if (data.isEmpty() || executionDir.trimmed().isEmpty())
        return false;
    // The nearest folder that exists decides, through its links, where the rest would be made.
    QString existing = QDir::cleanPath(QDir(AppDir::path()).absoluteFilePath(executionDir));
    QStringList rest;
    while (!QFileInfo::exists(existing)) {
        const QFileInfo missing(existing);
        if (missing.path() == existing)
            return false;
        rest.prepend(missing.fileName());
        existing = missing.path();
    }
    QString resolved = QFileInfo(existing).canonicalFilePath();
    for (const QString& part : std::as_const(rest))
        resolved += u'/' + part;
    return FileSystem::isInside(resolved, data);
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

namespace {

constexpr QStringView kPendingSuffix = u".update";

} // namespace

QString pendingPackage(const QString& number, const QString& type)
{
    const QString stem = AppDir::path() + u'/' + number + u'.' + type;
    QString path = stem + kPendingSuffix;
    for (int i = 2; QFileInfo::exists(path) || QFileInfo(path).isSymLink(); ++i)
        path = stem + u'(' + QString::number(i) + u')' + kPendingSuffix;
    return path;
}

PendingName parsePendingName(const QString& fileName)
{
    PendingName name;
    if (!fileName.endsWith(kPendingSuffix))
        return name;
    QString stem = fileName.chopped(kPendingSuffix.size());
    // A counter "(2)" that an earlier name taken added before the suffix.
    const qsizetype open = stem.endsWith(u')') ? stem.lastIndexOf(u'(') : -1;
    if (open >= 0) {
        const QStringView digits = QStringView(stem).sliced(open + 1, stem.size() - open - 2);
        if (!digits.isEmpty() &&
            std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
            stem.truncate(open);
    }
    const qsizetype dot = stem.lastIndexOf(u'.');
    if (dot <= 0)
        return name;
    name.valid = true;
    name.number = stem.left(dot);
    name.type = stem.mid(dot + 1);
    return name;
}

QString abandonedPackage(const QString& number)
{
    return AppDir::path() + u"/.tallyra-abandon-"_s + number + u".tmp"_s;
}

QStringList partialPackagePatterns()
{
    return {u".tallyra-zip-*.tmp"_s, u".tallyra-update-*.tmp"_s, u".tallyra-abandon-*.tmp"_s};
}

QString removalFolder(const QString& executionDir, const QString& number)
{
    return executionDir + u".tallyra-removing-"_s + number;
}

QString removalFolderPattern()
{
    return u".tallyra-removing-*"_s;
}

bool isZipType(const QString& type)
{
    return type.toLower() == u"zip";
}

} // namespace ExecutionPaths
