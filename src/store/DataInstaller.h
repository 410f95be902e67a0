#pragma once

#include <QString>

// Lays out the data folder of an installation: appDir/data with an empty project table, the built-in type
// table, an empty tool table and the password table holding the initial login password. Only missing tables
// are made; an existing file is never touched. A type table whose .edb is missing while its .edt is present is
// left alone (making it would overwrite the .edt) and counts as a failure.
//
// Returns true when every table is present afterwards. Needs a QGuiApplication for the type icons.
bool installMissingData(const QString& appDir);
