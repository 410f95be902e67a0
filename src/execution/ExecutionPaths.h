#pragma once

#include <QString>
#include <QStringList>

// Where the work of an executed project lies. Every path of execute, update back and the restart scan is built
// here, so the working directory, the worked file and the list lines always agree with one another.
namespace ExecutionPaths {

// The configured execution directory with a separator at its end, or empty text when the setting is blank.
// Read afresh on every call, since the settings window may change it at any time.
QString executionDir();
// The same rule applied to a given value (the value is used as it stands; only blankness is judged trimmed).
QString executionDirFrom(const QString& configured);

QString workDir(const QString& executionDir, const QString& number);
// The copy of a single-file package: workDir + "/" + number + "." + type, or workDir + "/" + number when the
// type is empty.
QString workFile(const QString& executionDir, const QString& number, const QString& type);

// The empty file that tells an unpacked ZIP package's working directory from any other folder.
QString markerName();
QString markerPath(const QString& workDir);

// Where update back packs the work before it replaces the stored package: beside data/, under
// number + "." + type + ".update", or with "(2)", "(3)", ... after the type when that name is taken by work an
// earlier update back could not store. Only complete packages ever bear such a name.
QString pendingPackage(const QString& number, const QString& type);
// Whether a file name is one of those, and for which project and package type.
struct PendingName
{
    bool valid = false;
    QString number;
    QString type;
};
PendingName parsePendingName(const QString& fileName);

// What packing and copying leave beside data/ while they write (a killed update back leaves one behind).
QStringList partialPackagePatterns();

// Where the cleaning up of an updated working folder moves it first, so that a folder half deleted is never
// taken for work.
QString removalFolder(const QString& executionDir, const QString& number);
QString removalFolderPattern();

bool isZipType(const QString& type);

} // namespace ExecutionPaths
