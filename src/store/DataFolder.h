#pragma once

#include <QString>

// Where everything in the data folder lies: the tables, each project's package, the history of earlier packages,
// the trash, and the name a package gets while it is being put in place. No other file spells these paths, as
// ExecutionPaths alone spells the working folders.
namespace DataFolder {

// <appDir>/data
QString path();
// data/<package file name>: the stored package of the project with this number (see TableSchemas::packageFileOf).
QString packagePath(const QString& number);

// data/history, and in it one folder per project holding its earlier packages; historyIn gives the same folder
// of another folder laid out as the data folder (a restore's stage).
QString historyRoot();
QString historyIn(const QString& dataFolder);
QString historyOf(const QString& number);

// data/trash, one folder per delete command.
QString trashRoot();

// A new package waits beside the stored one under "<package file name>.<package type>.placing" until its record
// names it. The package type, the text after the last dot of a file name, holds no dot itself, so the name says
// both.
QString placingPath(const QString& number, const QString& packageType);
QString placingSuffix();
struct Placing
{
    QString number;
    QString packageType;
};
// What a placing name in the data folder says; nothing for any other name.
bool parsePlacing(const QString& fileName, Placing& placing);

} // namespace DataFolder
