#include "RecordTable.h"

#include "FieldCodec.h"
#include "SqliteFileProbe.h"
#include "TableFiles.h"

#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <sqlite3.h>

#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// Resets a cached statement when a use of it ends, so no read keeps a lock and no binding leaks into the
// next use.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse()
    {
        if (m_statement) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    int step() const { return sqlite3_step(m_statement); }

private:
    sqlite3_stmt* m_statement;
};

// A URI keeps SQLite from creating a missing file and lets ATTACH take the same care; "mode=rw" still opens a
// write-protected file for reading.
QByteArray readWriteUri(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?mode=rw";
}

} // namespace

struct RecordTable::Impl
{
    sqlite3* db = nullptr;
    QList<FieldDef> fields;
    bool hasBytes = false;
    int count = 0;
    int position = 1; // 1..count on a record, count + 1 past the last
    QHash<QByteArray, sqlite3_stmt*> statements;

    bool rowLoaded = false;
    bool rowDeleted = false;
    QVariantList row;

    ~Impl() { close(); }

    void close()
    {
        for (sqlite3_stmt* statement : std::as_const(statements))
            sqlite3_finalize(statement);
        statements.clear();
        if (db)
            sqlite3_close(db);
        db = nullptr;
        fields.clear();
        hasBytes = false;
        count = 0;
        position = 1;
        rowLoaded = false;
    }

    StatementUse statement(const QByteArray& sql)
    {
        if (!db)
            return StatementUse(nullptr);
        sqlite3_stmt*& cached = statements[sql];
        if (!cached && sqlite3_prepare_v3(db, sql.constData(), int(sql.size()), SQLITE_PREPARE_PERSISTENT, &cached,
                                          nullptr) != SQLITE_OK) {
            sqlite3_finalize(cached);
            cached = nullptr;
            statements.remove(sql);
        }
        return StatementUse(cached);
    }

    bool exec(const char* sql) { return db && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    QString textQuery(const QByteArray& sql)
    {
        StatementUse query = statement(sql);
        if (!query || query.step() != SQLITE_ROW)
            return {};
        return FieldCodec::decode(FieldKind::Text, query.get(), 0).toString();
    }

    bool validField(int field) const { return field >= 1 && field <= fields.size(); }
    bool onRecord() const { return db && position >= 1 && position <= count; }
    void moveTo(int newPosition)
    {
        position = newPosition;
        rowLoaded = false;
    }

    QByteArray column(int field) const
    {
        const QString table = fields.at(field - 1).kind == FieldKind::Bytes ? u"b."_s : u"r."_s;
        return (table + TableFiles::columnName(field)).toUtf8();
    }
    QByteArray fromRecords() const
    {
        return hasBytes ? "FROM main.records r LEFT JOIN edt.bytes b ON b.pos = r.pos" : "FROM main.records r";
    }

    bool loadRow()
    {
        if (rowLoaded)
            return true;
        QByteArray sql = "SELECT r.deleted";
        for (int field = 1; field <= fields.size(); ++field)
            sql += ", " + column(field);
        sql += ' ' + fromRecords() + " WHERE r.pos = ?1";
        StatementUse query = statement(sql);
        if (!query)
            return false;
        sqlite3_bind_int(query.get(), 1, position);
        if (query.step() != SQLITE_ROW)
            return false;
        rowDeleted = sqlite3_column_int(query.get(), 0) != 0;
        row.clear();
        for (int field = 1; field <= fields.size(); ++field)
            row.append(FieldCodec::decode(fields.at(field - 1).kind, query.get(), field));
        rowLoaded = true;
        return true;
    }

    // Runs body inside one transaction; any failure rolls back, so the files stay as they were.
    template <typename Body> bool transaction(Body body)
    {
        if (!exec("BEGIN IMMEDIATE"))
            return false;
        if (body() && exec("COMMIT"))
            return true;
        exec("ROLLBACK");
        return false;
    }

    bool step(const QByteArray& sql, const QVariantList& values)
    {
        StatementUse use = statement(sql);
        if (!use)
            return false;
        for (int i = 0; i < values.size(); ++i)
            FieldCodec::bind(use.get(), i + 1, values.at(i));
        return use.step() == SQLITE_DONE;
    }

    // Encodes values[i] for field i + 1; fails when any value does not fit its field.
    std::optional<QVariantList> encodeAll(const QVariantList& values) const
    {
        if (values.size() > fields.size())
            return std::nullopt;
        QVariantList stored;
        for (int i = 0; i < values.size(); ++i) {
            const std::optional<QVariant> value = FieldCodec::encode(fields.at(i).kind, values.at(i));
            if (!value)
                return std::nullopt;
            stored.append(*value);
        }
        return stored;
    }

    // Updates the given fields of the current record: fields are 1-based, stored values already encoded.
    bool update(const QList<int>& fieldNumbers, const QVariantList& stored)
    {
        QByteArray recordSet;
        QByteArray bytesSet;
        QVariantList recordValues{qlonglong(position)};
        QVariantList bytesValues{qlonglong(position)};
        for (int i = 0; i < fieldNumbers.size(); ++i) {
            const int field = fieldNumbers.at(i);
            const bool inBytes = fields.at(field - 1).kind == FieldKind::Bytes;
            QVariantList& values = inBytes ? bytesValues : recordValues;
            QByteArray& set = inBytes ? bytesSet : recordSet;
            values.append(stored.at(i));
            set += (set.isEmpty() ? "" : ", ") + TableFiles::columnName(field).toUtf8() + " = ?" +
                   QByteArray::number(values.size());
        }
        return transaction([&] {
            return (recordSet.isEmpty() ||
                    step("UPDATE main.records SET " + recordSet + " WHERE pos = ?1", recordValues)) &&
                   (bytesSet.isEmpty() || step("UPDATE edt.bytes SET " + bytesSet + " WHERE pos = ?1", bytesValues));
        });
    }

    bool openChecked(const QString& path, const QString& accessPassword);
    bool readFieldList();
    bool attachBytes(const QString& path, const QString& pairId);
    bool renumber(const char* table);
};

bool RecordTable::Impl::openChecked(const QString& path, const QString& accessPassword)
{
    if (!SqliteFileProbe::isTableFile(path, SqliteFileProbe::kTableApplicationId))
        return false;
    if (sqlite3_open_v2(readWriteUri(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
        return false;
    // The files are data, not code: no triggers or views of a foreign file may run functions on our behalf.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    if (!exec("PRAGMA cell_size_check=ON"))
        return false;

    if (textQuery("SELECT value FROM main.meta WHERE key = 'format'") != u"tallyra.records"_s ||
        textQuery("SELECT value FROM main.meta WHERE key = 'version'") != QString::number(TableFiles::kFormatVersion))
        return false;
    // Compared exactly: the access password is a lock against opening the wrong table, not a secret.
    if (textQuery("SELECT value FROM main.meta WHERE key = 'password'") != accessPassword)
        return false;
    if (!readFieldList())
        return false;
    hasBytes = TableFiles::hasBytesField(fields);
    if (hasBytes && !attachBytes(path, textQuery("SELECT value FROM main.meta WHERE key = 'pair'")))
        return false;
    if (!exec("PRAGMA main.journal_mode=DELETE") || !exec("PRAGMA main.synchronous=FULL"))
        return false;
    if (hasBytes && (!exec("PRAGMA edt.journal_mode=DELETE") || !exec("PRAGMA edt.synchronous=FULL")))
        return false;

    // Numbers are positions only while the rowids run 1..count without a gap; a file that breaks this is
    // refused rather than shown with holes. Reading every row once also meets a damaged page now, not later.
    StatementUse shape = statement("SELECT count(*), coalesce(min(pos), 1), coalesce(max(pos), 0) FROM main.records");
    if (!shape || shape.step() != SQLITE_ROW)
        return false;
    const qint64 rows = sqlite3_column_int64(shape.get(), 0);
    if (rows > std::numeric_limits<int>::max() - 1 || sqlite3_column_int64(shape.get(), 1) != 1 ||
        sqlite3_column_int64(shape.get(), 2) != rows)
        return false;
    count = int(rows);
    if (hasBytes) {
        StatementUse bytesShape = statement("SELECT count(*), coalesce(max(pos), 0) FROM edt.bytes");
        if (!bytesShape || bytesShape.step() != SQLITE_ROW || sqlite3_column_int64(bytesShape.get(), 0) != rows ||
            sqlite3_column_int64(bytesShape.get(), 1) != rows)
            return false;
    }
    // Preparing the row query proves that every field's column is there.
    return count == 0 || loadRow();
}

bool RecordTable::Impl::readFieldList()
{
    StatementUse query = statement("SELECT position, name, kind FROM main.fields ORDER BY position");
    if (!query)
        return false;
    int expected = 1;
    int rc = SQLITE_ROW;
    while ((rc = query.step()) == SQLITE_ROW) {
        const std::optional<FieldKind> kind =
            FieldCodec::kindFromName(FieldCodec::decode(FieldKind::Text, query.get(), 2).toString());
        if (sqlite3_column_int64(query.get(), 0) != expected || !kind)
            return false;
        fields.append({FieldCodec::decode(FieldKind::Text, query.get(), 1).toString(), *kind});
        ++expected;
    }
    return rc == SQLITE_DONE && !fields.isEmpty();
}

bool RecordTable::Impl::attachBytes(const QString& path, const QString& pairId)
{
    const QString bytesPath = TableFiles::companionPath(path);
    if (!SqliteFileProbe::isTableFile(bytesPath, SqliteFileProbe::kBytesApplicationId))
        return false;
    {
        StatementUse attach = statement("ATTACH ?1 AS edt");
        if (!attach)
            return false;
        const QByteArray uri = readWriteUri(bytesPath);
        sqlite3_bind_text(attach.get(), 1, uri.constData(), int(uri.size()), SQLITE_TRANSIENT);
        if (attach.step() != SQLITE_DONE)
            return false;
    }
    return textQuery("SELECT value FROM edt.meta WHERE key = 'format'") == u"tallyra.bytes"_s && !pairId.isEmpty() &&
           textQuery("SELECT value FROM edt.meta WHERE key = 'pair'") == pairId;
}

bool RecordTable::Impl::renumber(const char* table)
{
    // Positions only move down and are visited in ascending order, so each target rowid is already free.
    QList<qint64> remaining;
    {
        StatementUse query = statement(QByteArray("SELECT pos FROM ") + table + " ORDER BY pos");
        if (!query)
            return false;
        int rc = SQLITE_ROW;
        while ((rc = query.step()) == SQLITE_ROW)
            remaining.append(sqlite3_column_int64(query.get(), 0));
        if (rc != SQLITE_DONE)
            return false;
    }
    const QByteArray move = QByteArray("UPDATE ") + table + " SET pos = ?1 WHERE pos = ?2";
    for (qsizetype i = 0; i < remaining.size(); ++i) {
        if (remaining.at(i) != i + 1 && !step(move, {qlonglong(i + 1), qlonglong(remaining.at(i))}))
            return false;
    }
    return true;
}

RecordTable::RecordTable() : d(std::make_unique<Impl>()) {}

RecordTable::~RecordTable() = default;

bool RecordTable::create(const QString& path, const QList<FieldDef>& fields, const QString& accessPassword)
{
    const bool withBytes = TableFiles::hasBytesField(fields);
    const QString bytesPath = TableFiles::companionPath(path);
    if (fields.isEmpty() || QFileInfo::exists(path) || (withBytes && QFileInfo::exists(bytesPath)))
        return false;
    // Written under temporary names and renamed, so a failure leaves no half-made table at the real name.
    const QString tempTable = TableFiles::temporarySibling(path);
    const QString tempBytes = withBytes ? TableFiles::temporarySibling(bytesPath) : QString();
    if (!TableFiles::writeEmpty(tempTable, tempBytes, fields, accessPassword))
        return false;
    if (TableFiles::moveIntoPlace(tempTable, tempBytes, path, withBytes ? bytesPath : QString(), false))
        return true;
    QFile::remove(tempTable);
    if (withBytes)
        QFile::remove(tempBytes);
    return false;
}

bool RecordTable::open(const QString& path, const QString& accessPassword)
{
    d->close();
    if (d->openChecked(path, accessPassword)) {
        d->moveTo(1);
        return true;
    }
    d->close();
    return false;
}

void RecordTable::close()
{
    d->close();
}

bool RecordTable::isOpen() const
{
    return d->db != nullptr;
}

QList<FieldDef> RecordTable::fields() const
{
    return d->fields;
}

int RecordTable::fieldCount() const
{
    return int(d->fields.size());
}

FieldKind RecordTable::fieldKind(int field) const
{
    return d->validField(field) ? d->fields.at(field - 1).kind : FieldKind::Text;
}

int RecordTable::recordCount() const
{
    return d->count;
}

int RecordTable::currentRecordNumber() const
{
    return d->onRecord() ? d->position : 0;
}

bool RecordTable::goTo(int recordNumber)
{
    // A number outside the table leaves it past the last record, so a following read yields an empty value
    // rather than the value of whatever record happened to be current.
    if (!d->db)
        return false;
    const bool valid = recordNumber >= 1 && recordNumber <= d->count;
    d->moveTo(valid ? recordNumber : d->count + 1);
    return valid;
}

bool RecordTable::goFirst()
{
    return goTo(1);
}

bool RecordTable::skip()
{
    if (!d->onRecord())
        return false;
    d->moveTo(d->position + 1);
    return d->onRecord();
}

bool RecordTable::pastLast() const
{
    return !d->onRecord();
}

bool RecordTable::isDeleted() const
{
    return d->onRecord() && d->loadRow() && d->rowDeleted;
}

QVariant RecordTable::readField(int field) const
{
    if (!d->db || !d->validField(field))
        return {};
    if (!d->onRecord())
        return FieldCodec::nullOf(d->fields.at(field - 1).kind);
    if (!d->loadRow())
        return {};
    return d->row.at(field - 1);
}

QList<QVariant> RecordTable::readColumn(int field) const
{
    if (!d->db || !d->validField(field))
        return {};
    StatementUse query = d->statement("SELECT " + d->column(field) + ' ' + d->fromRecords() + " ORDER BY r.pos");
    if (!query)
        return {};
    const FieldKind kind = d->fields.at(field - 1).kind;
    QList<QVariant> values;
    values.reserve(d->count);
    int rc = SQLITE_ROW;
    while ((rc = query.step()) == SQLITE_ROW)
        values.append(FieldCodec::decode(kind, query.get(), 0));
    return rc == SQLITE_DONE ? values : QList<QVariant>();
}

bool RecordTable::writeField(int field, const QVariant& value)
{
    if (!d->onRecord() || !d->validField(field))
        return false;
    const std::optional<QVariant> stored = FieldCodec::encode(d->fields.at(field - 1).kind, value);
    if (!stored || !d->update({field}, {*stored}))
        return false;
    d->rowLoaded = false;
    return true;
}

bool RecordTable::appendRecord(const QVariantList& values)
{
    if (!d->db)
        return false;
    const std::optional<QVariantList> stored = d->encodeAll(values);
    if (!stored)
        return false;
    const int number = d->count + 1;
    QByteArray recordColumns = "pos";
    QByteArray recordParams = "?1";
    QByteArray bytesColumns = "pos";
    QByteArray bytesParams = "?1";
    QVariantList recordValues{qlonglong(number)};
    QVariantList bytesValues{qlonglong(number)};
    for (int i = 0; i < stored->size(); ++i) {
        const bool inBytes = d->fields.at(i).kind == FieldKind::Bytes;
        QVariantList& target = inBytes ? bytesValues : recordValues;
        target.append(stored->at(i));
        (inBytes ? bytesColumns : recordColumns) += ", " + TableFiles::columnName(i + 1).toUtf8();
        (inBytes ? bytesParams : recordParams) += ", ?" + QByteArray::number(target.size());
    }
    const bool ok = d->transaction([&] {
        return d->step("INSERT INTO main.records(" + recordColumns + ") VALUES(" + recordParams + ')', recordValues) &&
               (!d->hasBytes ||
                d->step("INSERT INTO edt.bytes(" + bytesColumns + ") VALUES(" + bytesParams + ')', bytesValues));
    });
    if (!ok)
        return false;
    d->count = number;
    d->moveTo(number);
    return true;
}

bool RecordTable::modifyRecord(const QVariantList& values)
{
    if (!d->onRecord())
        return false;
    const std::optional<QVariantList> stored = d->encodeAll(values);
    if (!stored)
        return false;
    if (stored->isEmpty())
        return true;
    QList<int> fieldNumbers;
    for (int i = 0; i < stored->size(); ++i)
        fieldNumbers.append(i + 1);
    if (!d->update(fieldNumbers, *stored))
        return false;
    d->rowLoaded = false;
    return true;
}

bool RecordTable::deleteRecord()
{
    if (!d->onRecord())
        return false;
    const bool ok = d->transaction(
        [&] { return d->step("UPDATE main.records SET deleted = 1 WHERE pos = ?1", {qlonglong(d->position)}); });
    d->rowLoaded = false;
    return ok;
}

bool RecordTable::pack()
{
    if (!d->db)
        return false;
    int removed = 0;
    const bool ok = d->transaction([&] {
        if (d->hasBytes &&
            !d->step("DELETE FROM edt.bytes WHERE pos IN (SELECT pos FROM main.records WHERE deleted <> 0)", {}))
            return false;
        if (!d->step("DELETE FROM main.records WHERE deleted <> 0", {}))
            return false;
        removed = sqlite3_changes(d->db);
        return removed == 0 || (d->renumber("main.records") && (!d->hasBytes || d->renumber("edt.bytes")));
    });
    if (!ok)
        return false;
    d->count -= removed;
    d->moveTo(1);
    return true;
}

bool RecordTable::find(const std::function<bool(const RecordTable&)>& condition)
{
    while (d->onRecord()) {
        if (condition(*this))
            return true;
        d->moveTo(d->position + 1);
    }
    return false;
}

bool RecordTable::findEqual(int field, const QVariant& value)
{
    if (!d->onRecord() || !d->validField(field))
        return false;
    const std::optional<QVariant> stored = FieldCodec::encode(d->fields.at(field - 1).kind, value);
    if (!stored) {
        d->moveTo(d->count + 1);
        return false;
    }
    // IS compares NULL with NULL and text byte for byte (BINARY collation), which is the exactness we want.
    StatementUse query = d->statement("SELECT r.pos " + d->fromRecords() + " WHERE r.pos >= ?1 AND " +
                                      d->column(field) + " IS ?2 ORDER BY r.pos LIMIT 1");
    if (!query)
        return false;
    sqlite3_bind_int(query.get(), 1, d->position);
    FieldCodec::bind(query.get(), 2, *stored);
    if (query.step() == SQLITE_ROW) {
        d->moveTo(int(sqlite3_column_int64(query.get(), 0)));
        return true;
    }
    d->moveTo(d->count + 1);
    return false;
}
