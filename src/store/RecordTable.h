#pragma once

#include "store/CatalogueNotice.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

// The kinds a field can hold. Every value read from a table is a QVariant of the field's kind:
// Text -> QString, Integer -> int, DateTime -> QDateTime, Bytes -> QByteArray.
enum class FieldKind { Text, Integer, DateTime, Bytes };

struct FieldDef
{
    QString name;
    FieldKind kind = FieldKind::Text;

    bool operator==(const FieldDef&) const = default;
};

// One record table file. Records are addressed by 1-based numbers in append order; fields by their
// 1-based position. The table is positioned on one record at a time, like a cursor.
//
// After a failed open every answer is the empty one: recordCount() 0, pastLast() true, find() false,
// readField() an invalid QVariant, and every write fails. Nothing ever writes to a file that failed to open.
//
// delete only marks a record: it keeps its place and number until pack() removes every marked record and
// the later ones shift down, so numbers taken before a series of deletes stay valid until the pack.
class RecordTable
{
public:
    RecordTable();
    ~RecordTable(); // closes
    RecordTable(const RecordTable&) = delete;
    RecordTable& operator=(const RecordTable&) = delete;

    // Creates a new, empty table with the given fields; fails when the file exists already.
    // A table with a Bytes field gets its companion file (same name, extension ".edt").
    static bool create(const QString& path, const QList<FieldDef>& fields, const QString& accessPassword = {});

    bool open(const QString& path, const QString& accessPassword = {});

    // How a table's fields stand to the fields this program gives it. A table made before a field was added holds
    // the program's first fields and lacks the rest (Older); one a later program made holds them and more, or
    // carries a later file format (Newer), and is never opened for writing.
    enum class Shape { Current, Older, Newer, Other };
    static Shape shapeOf(const QString& path, const QString& accessPassword, const QList<FieldDef>& fields);
    enum class Upgrade { Current, Upgraded, Newer, Other, Failed };
    // Adds the fields an Older table lacks, empty in every record, in one transaction: a kill leaves the table as
    // it was or with every field added. A Bytes field the companion cannot take (a table without one) fails.
    static Upgrade upgrade(const QString& path, const QString& accessPassword, const QList<FieldDef>& fields);
    void close();
    bool isOpen() const;

    QList<FieldDef> fields() const;
    int fieldCount() const;
    FieldKind fieldKind(int field) const;

    int recordCount() const;
    int currentRecordNumber() const; // 0 when not positioned on a record
    bool goTo(int recordNumber);
    bool goFirst();
    bool skip();
    bool pastLast() const;
    bool isDeleted() const; // the current record carries a delete mark

    // The value of a field of the current record; an empty field reads as a null value of the field's kind.
    QVariant readField(int field) const;
    // Reads one field of every record, in record order, without moving the cursor (for filling long lists).
    QList<QVariant> readColumn(int field) const;
    // The same as the stored text, undecoded (a date-time as "yyyy-MM-ddTHH:mm:ss"), for lists that only show
    // and sort it; an empty field reads as "".
    QStringList readColumnText(int field) const;

    bool writeField(int field, const QVariant& value);
    // values[i] goes to field i + 1; missing values leave the field empty (append) or unchanged (modify).
    bool appendRecord(const QVariantList& values);
    // Appends several records in one transaction: all of them or, on any failure, none. Positioned on the
    // last new record.
    bool appendRecords(const QList<QVariantList>& records);
    bool modifyRecord(const QVariantList& values);
    bool deleteRecord();
    bool pack();
    // Packs marks that a run which ended between a delete and its pack left behind, looking only once per table
    // and run (a table replaced under the same name by a restore comes packed).
    bool packLeftoverMarks();
    // Deletes the records with these numbers (taken before the call) and packs, in one transaction: after a
    // crash or a failure the table holds all of them or none, and no record is left marked. Numbers outside
    // the table are passed over. Positioned on the first record afterwards.
    bool deleteRecords(const QList<int>& recordNumbers);

    // Keeps a substring index over these text fields beside the records, each field folded by `fold`: every write
    // made through this object changes it in the same transaction, and open() builds it again from the records
    // when it is missing or out of step (a table an earlier program made or wrote to). Set before open().
    void indexTexts(const QList<int>& fields, QString (*fold)(const QString&));
    // The numbers of the records one of whose indexed fields, folded, contains `folded`, in record order; nothing
    // when the table cannot be read. Without a usable index (a SQLite without FTS5, a write-protected table that
    // could not be given one) every record is read and searched, which gives the same answer more slowly.
    std::optional<QList<int>> recordsContaining(const QString& folded) const;
    // The same answer from the index alone, through a read-only connection of its own that checks neither the
    // records nor their numbers, so a search per keystroke does not pay for reading every record as open()
    // does. Nothing when the index cannot answer (missing, out of step, no FTS5, a journal to play back): then
    // open the table and ask recordsContaining().
    static std::optional<QList<int>> indexedRecordsContaining(const QString& path, const QString& folded);
    // The same answer, always by reading every record.
    std::optional<QList<int>> scanRecordsContaining(const QString& folded) const;
    bool hasTextIndex() const;
    // Whether this build's SQLite can keep a text index at all (FTS5); without, find reads every record.
    static bool canIndexTexts();

    // From the current record on, moves to the first record for which the condition holds.
    bool find(const std::function<bool(const RecordTable&)>& condition);
    // find() with the condition "field equals value exactly" (byte for byte for text).
    bool findEqual(int field, const QVariant& value);

protected:
    // A table the windows list announces each write it commits after this call (see CatalogueNotice), except a
    // write of one of `unlisted` alone: a field no list shows (a text typed on the text page) fills no list again.
    // Called once the table is open, so the repairs of opening it announce nothing.
    void announceWritesAs(CatalogueNotice::Part part, const QList<int>& unlisted = {});

private:
    void written();

    struct Impl;
    std::unique_ptr<Impl> d;
};
