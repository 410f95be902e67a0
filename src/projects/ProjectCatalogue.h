#pragma once

#include "store/ProjectRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The reads of the project table that the windows share: one project, the columns the lists show, the
// related projects. Each opens the table, reads and closes it again, so a window never holds it open.
namespace ProjectCatalogue {

// The project the record holds; an empty record when the table cannot be read or has no such record.
ProjectRecord readProject(int recordNumber);

// appDir + "/data/" + number + ".fd1": where the project's package is stored, whether or not it is there.
QString packagePath(const QString& number);

// The path of the project's stored package; empty when it was lost or never imported.
QString storedPackage(const ProjectRecord& project);

// True when a file written at `target` would replace one of the catalogue's own files (a table, a
// package), also through a link.
bool isInsideDataFolder(const QString& target);

// The columns a list of projects shows, one entry per record in record order. Text columns are as
// ValueText shows them; the type stays as stored, since a table made elsewhere may hold no number there.
enum Column { Number = 1, Name = 2, Version = 4, Type = 8, PackageType = 16 };
struct Columns
{
    bool tableRead = false;
    qsizetype count = 0; // records that have every column asked for
    QStringList numbers;
    QStringList names;
    QStringList versions;
    QList<QVariant> types;
    QStringList packageTypes;
};
Columns readColumns(int columns);

// The records whose notes, design plan, bug report or upgrade history contains `text` (as find compares), in
// record order; nothing when the table cannot be read.
std::optional<QList<int>> recordsWithText(const QString& text);

// How many project types there are.
int typeCount();

// The project number each record holds now, in the order asked (none for a record that is gone); nothing
// when the table cannot be read. Many records cost one read of the column, one record one record read.
std::optional<QList<std::optional<QString>>> numbersOf(const QList<int>& recordNumbers);

// The record's last update as ValueText shows it; nothing when the table cannot be read.
std::optional<QString> lastUpdateText(int recordNumber);

// The record of the first project with this number, or 0.
int recordOf(const QString& number);

// The projects related to the record's project, in stored order: each number with the name of the project
// that has it, or no name when none has.
// The related-project list as stored: numbers each followed by CR LF. Pieces that are blank are dropped; the
// others keep their blanks (they name no project then, and the user sees that).
QStringList parseRelated(const QString& stored);
QString joinRelated(const QStringList& numbers);

struct Related
{
    QString number;
    std::optional<QString> name;
};
QList<Related> readRelated(int recordNumber);
// Stores the related list of the record's project; false when it could not be written.
bool writeRelated(int recordNumber, const QStringList& numbers);

} // namespace ProjectCatalogue
