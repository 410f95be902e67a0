#pragma once

#include <QString>

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

// appDir + "/" + number + ".fd1": where update back builds the new package before it replaces the stored one.
QString temporaryPackage(const QString& number);

bool isZipType(const QString& type);

} // namespace ExecutionPaths
