#pragma once

class QString;
class QWidget;
struct ProjectRecord;

// Copies the stored package of the project with this record number to a file the user names, giving it back
// its file type. Answers true when the file was written; every failure has told the user already.
bool exportProject(int recordNumber, QWidget* parent);

// Copies `package`, a package of `packageType`, to a file the user names in the save dialog, which offers
// the project's name and version: the stored package as much as a version kept in its history.
bool exportPackage(const QString& package, const QString& packageType, const ProjectRecord& project, QWidget* parent);
// The same, offering `name` (the type's extension is added).
bool exportPackageAs(const QString& package, const QString& packageType, const QString& name, QWidget* parent);
