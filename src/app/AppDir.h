#pragma once

#include <QString>

// The folder of the executable, without a trailing separator. The process makes it its current directory
// at start, and every record table is opened by a path relative to it.
namespace AppDir {

QString path();
void set(const QString& dir);              // start-up and the test fixture
QString filePath(const QString& relative); // path() + "/" + relative

} // namespace AppDir
