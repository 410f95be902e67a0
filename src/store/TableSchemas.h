#pragma once

#include "store/RecordTable.h"

#include <QList>
#include <QString>

// The program's four record tables: where they lie and what fields they have.
//
// Paths are relative to the current directory, which the program keeps at the application folder; the
// folder is spelled "data" on disk. Field numbers are given as plain enums inside a namespace, so
// `ProjectField::Name` reads well and still passes as the int field number that RecordTable takes.
namespace TableSchemas {

QString dataFolderName();        // "data"
QString projectTableFileName();  // "DB.EDB"
QString typeTableFileName();     // "type.edb"
QString typeBytesFileName();     // "type.edt"
QString toolTableFileName();     // "tool.edb"
QString passwordTableFileName(); // "np.edb"

QString projectTablePath();  // "data/DB.EDB"
QString typeTablePath();     // "data/type.edb"
QString toolTablePath();     // "data/tool.edb"
QString passwordTablePath(); // "data/np.edb"

// A project's package is stored in the data folder under its number: number + ".fd1".
QString packageSuffix(); // ".fd1"
QString packageFileOf(const QString& number);
// True when packageFileOf(number) is one file name on every system; a table made elsewhere may hold any
// text as a number, and such a number names no package.
bool hasPackageFile(const QString& number);
// True for a name that packageFileOf gives for some number.
bool isPackageFileName(const QString& fileName);

// Every open of the password table passes this access password.
QString passwordTableAccessPassword(); // "739"
// The login password an installation starts with.
QString initialLoginPassword(); // "739"

// A table of the data folder as this program lays it out: its file, the access password it opens with, its fields.
struct Table
{
    QString fileName;
    QString accessPassword;
    QList<FieldDef> fields;
};
// The project, type, tool and password tables.
QList<Table> tables();
// Tests stand in a later program here, whose tables have a field more; an empty list brings back this program's.
void setTablesForTest(const QList<Table>& tables);

QList<FieldDef> projectFields();  // 14 fields, see ProjectField
QList<FieldDef> typeFields();     // 名称 (text), 图标 (bytes)
QList<FieldDef> toolFields();     // name, path, description (texts)
QList<FieldDef> passwordFields(); // password (text)

} // namespace TableSchemas

namespace ProjectField {
enum Field : int {
    Number = 1,      // text, the project's unique key, compared byte for byte
    Name,            // text
    Type,            // integer, 0-based index into the type table
    Version,         // text
    StartTime,       // date-time
    LastUpdate,      // date-time
    RelatedProjects, // long text, numbers each followed by CR LF
    Reserved8,       // unused, kept so the later fields keep their numbers
    PackageType,     // text, extension of the stored package without the dot
    UpgradeHistory,  // long text
    BugReport,       // long text
    Reserved12,      // unused
    Notes,           // long text
    DesignPlan,      // long text
};
}

namespace TypeField {
enum Field : int {
    Name = 1, // text
    Icon,     // bytes: a complete picture file, 32x32
};
}

namespace ToolField {
enum Field : int {
    Name = 1,    // text
    Path,        // text: file, folder, program or web address
    Description, // multi-line text
};
}

namespace PasswordField {
enum Field : int {
    Password = 1, // text, the login password
};
}
