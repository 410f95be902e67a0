#pragma once

#include <QString>
#include <QStringList>

// Where the work of an executed project lies. Every path of execute, update back and the restart scan is built
// here, so the working directory, the worked file and the list lines always agree with one another.
namespace ExecutionPaths {

// The configured execution directory with a separator at its end, or empty text when the setting is blank.
// Without a setting it is the folder 系统设置 shows then, "run" beside the executable. Read afresh on every
// call, since the settings window may change it at any time.
QString executionDir();
// appDir + "/run": the execution directory of a new installation.
QString defaultExecutionDir();
// Makes the default execution directory when it is the one given and is missing; no other folder is ever made,
// since a mistyped path must not grow folders anywhere. False only when it was needed and could not be made.
bool makeDefaultExecutionDir(const QString& executionDir);
// The same rule applied to a given value (the value is used as it stands; only blankness is judged trimmed).
QString executionDirFrom(const QString& configured);

// Whether work below this execution directory would lie inside data/, also through a link or in folders yet to
// be made: a backup would carry the work, and a restore would bring old work back to be listed again.
bool isInsideDataFolder(const QString& executionDir);

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

// Where 放弃 packs the work it keeps in the project's history, beside data/. The start removes what a kill
// leaves there: the work is still in its folder then, or in the history already.
QString abandonedPackage(const QString& number);

// What packing and copying leave beside data/ while they write (a killed update back or 放弃 leaves one
// behind).
QStringList partialPackagePatterns();

// Where the cleaning up of an updated working folder moves it first, so that a folder half deleted is never
// taken for work.
QString removalFolder(const QString& executionDir, const QString& number);
QString removalFolderPattern();

bool isZipType(const QString& type);

} // namespace ExecutionPaths
