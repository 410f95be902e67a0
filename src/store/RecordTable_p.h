#pragma once

// The state behind a RecordTable: one SQLite connection with the companion attached as "edt", the cursor, the
// cached statements and the fields of the current record read so far. Private to the engine.

#include "RecordTable.h"
#include "StatementUse.h"

#include <QHash>
#include <QList>

#include <optional>

struct RecordTable::Impl
{
    sqlite3* db = nullptr;
    QString absolutePath; // of the table file as opened
    QList<FieldDef> fields;
    bool hasBytes = false;
    std::optional<CatalogueNotice::Part> announces; // for the tables the windows list
    QList<int> unlisted;                            // fields whose own writes are not announced
    bool newerFormat = false; // the last open failed on a file format this program does not know yet
    int count = 0;
    int position = 1; // 1..count on a record, count + 1 past the last
    QHash<QByteArray, sqlite3_stmt*> statements;

    bool rowLoaded = false;
    bool rowDeleted = false;
    bool rowDeletedLoaded = false;
    QVariantList row;
    QList<bool> rowFieldLoaded;

    // The substring index (see RecordTable::indexTexts); the fields and the fold outlive a close.
    QList<int> indexedFields;
    QString (*foldText)(const QString&) = nullptr;
    bool indexReady = false; // the index is there, in step, and this SQLite can write it

    ~Impl() { close(); }

    void close();

    StatementUse statement(const QByteArray& sql);

    bool exec(const char* sql) { return db && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    QString textQuery(const QByteArray& sql);

    bool validField(int field) const { return field >= 1 && field <= fields.size(); }
    bool onRecord() const { return db && position >= 1 && position <= count; }
    void moveTo(int newPosition);

    QByteArray column(int field) const;
    QByteArray fromRecords() const;

    // Reads one field of the current record; the row keeps what it has read until the cursor moves or the
    // record changes, so a scan pays only for the fields it actually looks at.
    bool loadField(int field);

    bool loadDeleted();

    // Preparing a query over every field proves that each field's column is there.
    bool columnsPresent();

    // Runs body inside one transaction; any failure rolls back, so the files stay as they were.
    template <typename Body>
    bool transaction(Body body)
    {
        if (!exec("BEGIN IMMEDIATE"))
            return false;
        // Every write ends by saying the index is in step again: the table's triggers unsay it on any change
        // to a record, so a writer that does not keep the index leaves it marked out of step.
        if (body() && (!indexReady || stampTextIndex()) && exec("COMMIT"))
            return true;
        exec("ROLLBACK");
        return false;
    }

    bool step(const QByteArray& sql, const QVariantList& values);

    // Encodes values[i] for field i + 1; fails when any value does not fit its field.
    std::optional<QVariantList> encodeAll(const QVariantList& values) const;

    // Updates the given fields of the current record: fields are 1-based, stored values already encoded.
    bool update(const QList<int>& fieldNumbers, const QVariantList& stored);

    // Inserts one record (encoded values of fields 1..k) at the given number, inside the caller's transaction.
    bool insert(int number, const QVariantList& stored);

    // Finds the index in step, or builds it again in one transaction; without FTS5 or write access it stays
    // unusable and finds read every record.
    void openTextIndex();
    bool rebuildTextIndex();
    bool stampTextIndex();
    // The indexed fields of a record folded and joined by line breaks, as the index holds them.
    std::optional<QString> indexBody(int pos);
    QString indexBodyOf(sqlite3_stmt* row, int firstColumn) const;
    QByteArray indexedColumns() const;
    // Writes the index entry of a record after the record was inserted or changed, inside the caller's
    // transaction.
    bool indexRecord(int pos);
    bool touchesIndex(const QList<int>& fieldNumbers) const;
    // Drops the entries of the marked records, inside the caller's transaction, before they are removed.
    bool unindexMarked();

    bool openChecked(const QString& path, const QString& accessPassword);
    bool readFieldList();
    bool attachBytes(const QString& path, const QString& pairId);
    bool renumber(const char* table);
    // Removes every marked record and closes the gaps, inside the caller's transaction.
    bool removeMarked(int& removed);
};
