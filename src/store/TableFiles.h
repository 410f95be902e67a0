#pragma once

#include "store/RecordTable.h"

#include <QList>
#include <QString>

// The on-disk layout shared by creating and opening a table: one SQLite file with the tables "meta",
// "fields" and "records", and, for a table with a Bytes field, a companion SQLite file with "meta" and
// "bytes". Field n lives in column "f<n>", in "records" or, for a Bytes field, in "bytes"; both keep the
// record number as their rowid, so a record is found by an indexed lookup and the two files line up row
// for row. A "pair" id in both metas keeps a table from being opened with another table's companion.
class TableFiles
{
public:
    static constexpr int kFormatVersion = 1;

    static QString companionPath(const QString& tablePath);
    static QString columnName(int field);
    static bool hasBytesField(const QList<FieldDef>& fields);

    // SQLite's rollback journal of a table file: while it exists, the file may hold half a commit.
    static QString journalPath(const QString& path);
    static bool hasJournal(const QString& path);
    // Lets SQLite play back the journal beside a file, so the file holds its last commit and no journal is
    // left to be played into anything else later. True when no journal is left.
    static bool recover(const QString& path);

    // Writes a new table (and its companion when needed) at the given paths, which must not exist yet.
    static bool writeEmpty(const QString& tablePath, const QString& bytesPath, const QList<FieldDef>& fields,
                           const QString& accessPassword);

    // Moves a freshly written table into place and syncs the folder. With replace, existing files are swapped out so
    // that a failure midway puts the old pair back; without it, the move fails when either target exists.
    static bool moveIntoPlace(const QString& fromTable, const QString& fromBytes, const QString& toTable,
                              const QString& toBytes, bool replace);

    // Like DurableFile::temporaryBeside, but keeps the extension, so the companion of the temporary table is the
    // temporary companion and the pair can be filled through RecordTable before it is moved into place.
    static QString temporaryTablePath(const QString& tablePath);
};
