#include "FieldCodec.h"
#include "RecordTable_p.h"
#include "SqliteFileProbe.h"
#include "TableFiles.h"

#include <QFileInfo>
#include <QUrl>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

// A URI keeps SQLite from creating a missing file and lets ATTACH take the same care; "mode=rw" still opens a
// write-protected file for reading.
QByteArray readWriteUri(const QString& path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?mode=rw";
}

} // namespace

void RecordTable::Impl::close()
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
    indexReady = false;
}

StatementUse RecordTable::Impl::statement(const QByteArray& sql)
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

QString RecordTable::Impl::textQuery(const QByteArray& sql)
{
    StatementUse query = statement(sql);
    if (!query || query.step() != SQLITE_ROW)
        return {};
    return FieldCodec::decode(FieldKind::Text, query.get(), 0).toString();
}

void RecordTable::Impl::moveTo(int newPosition)
{
    position = newPosition;
    rowLoaded = false;
}

QByteArray RecordTable::Impl::column(int field) const
{
    const QString table = fields.at(field - 1).kind == FieldKind::Bytes ? u"b."_s : u"r."_s;
    return (table + TableFiles::columnName(field)).toUtf8();
}

QByteArray RecordTable::Impl::fromRecords() const
{
    return hasBytes ? "FROM main.records r LEFT JOIN edt.bytes b ON b.pos = r.pos" : "FROM main.records r";
}

bool RecordTable::Impl::loadField(int field)
{
    if (!rowLoaded) {
        row = QVariantList(fields.size());
        rowFieldLoaded = QList<bool>(fields.size(), false);
        rowDeletedLoaded = false;
        rowLoaded = true;
    }
    if (rowFieldLoaded.at(field - 1))
        return true;
    const bool inBytes = fields.at(field - 1).kind == FieldKind::Bytes;
    StatementUse query = statement("SELECT " + TableFiles::columnName(field).toUtf8() +
                                   (inBytes ? " FROM edt.bytes" : " FROM main.records") + " WHERE pos = ?1");
    if (!query)
        return false;
    sqlite3_bind_int(query.get(), 1, position);
    if (query.step() != SQLITE_ROW)
        return false;
    row[field - 1] = FieldCodec::decode(fields.at(field - 1).kind, query.get(), 0);
    rowFieldLoaded[field - 1] = true;
    return true;
}

bool RecordTable::Impl::loadDeleted()
{
    if (rowLoaded && rowDeletedLoaded)
        return true;
    StatementUse query = statement("SELECT deleted FROM main.records WHERE pos = ?1");
    if (!query)
        return false;
    sqlite3_bind_int(query.get(), 1, position);
    if (query.step() != SQLITE_ROW)
        return false;
    if (!rowLoaded) {
        row = QVariantList(fields.size());
        rowFieldLoaded = QList<bool>(fields.size(), false);
        rowLoaded = true;
    }
    rowDeleted = sqlite3_column_int(query.get(), 0) != 0;
    rowDeletedLoaded = true;
    return true;
}

bool RecordTable::Impl::columnsPresent()
{
    QByteArray sql = "SELECT r.deleted";
    for (int field = 1; field <= fields.size(); ++field)
        sql += ", " + column(field);
    sql += ' ' + fromRecords() + " LIMIT 0";
    StatementUse query = statement(sql);
    return query && query.step() == SQLITE_DONE;
}

bool RecordTable::Impl::step(const QByteArray& sql, const QVariantList& values)
{
    StatementUse use = statement(sql);
    if (!use)
        return false;
    for (int i = 0; i < values.size(); ++i)
        FieldCodec::bind(use.get(), i + 1, values.at(i));
    return use.step() == SQLITE_DONE;
}

std::optional<QVariantList> RecordTable::Impl::encodeAll(const QVariantList& values) const
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

bool RecordTable::Impl::update(const QList<int>& fieldNumbers, const QVariantList& stored)
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
               (bytesSet.isEmpty() || step("UPDATE edt.bytes SET " + bytesSet + " WHERE pos = ?1", bytesValues)) &&
               (!indexReady || !touchesIndex(fieldNumbers) || indexRecord(position));
    });
}

bool RecordTable::Impl::insert(int number, const QVariantList& stored)
{
    QByteArray recordColumns = "pos";
    QByteArray recordParams = "?1";
    QByteArray bytesColumns = "pos";
    QByteArray bytesParams = "?1";
    QVariantList recordValues{qlonglong(number)};
    QVariantList bytesValues{qlonglong(number)};
    for (int i = 0; i < stored.size(); ++i) {
        const bool inBytes = fields.at(i).kind == FieldKind::Bytes;
        QVariantList& target = inBytes ? bytesValues : recordValues;
        target.append(stored.at(i));
        (inBytes ? bytesColumns : recordColumns) += ", " + TableFiles::columnName(i + 1).toUtf8();
        (inBytes ? bytesParams : recordParams) += ", ?" + QByteArray::number(target.size());
    }
    return step("INSERT INTO main.records(" + recordColumns + ") VALUES(" + recordParams + ')', recordValues) &&
           (!hasBytes ||
            step("INSERT INTO edt.bytes(" + bytesColumns + ") VALUES(" + bytesParams + ')', bytesValues)) &&
           (!indexReady || indexRecord(number));
}

bool RecordTable::Impl::openChecked(const QString& path, const QString& accessPassword)
{
    // A table cut off in the middle of a commit looks damaged until SQLite has played its journal back, so
    // such a file is judged only once that is done.
    const bool recovering = TableFiles::hasJournal(path);
    if (!recovering && !SqliteFileProbe::isTableFile(path, SqliteFileProbe::kTableApplicationId))
        return false;
    if (sqlite3_open_v2(readWriteUri(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr) != SQLITE_OK)
        return false;
    // The files are data, not code: no triggers or views of a foreign file may run functions on our behalf.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    if (!exec("PRAGMA cell_size_check=ON"))
        return false;
    // The first read plays a hot journal back; what SQLite leaves is then judged like any other file.
    if (recovering && (!exec("PRAGMA main.schema_version") ||
                       !SqliteFileProbe::isTableFile(path, SqliteFileProbe::kTableApplicationId)))
        return false;

    if (textQuery("SELECT value FROM main.meta WHERE key = 'format'") != u"tallyra.records"_s)
        return false;
    // Format 1 is the first, so no older one is met; a later one is told apart, as the user is told it is newer.
    bool isNumber = false;
    const int version = textQuery("SELECT value FROM main.meta WHERE key = 'version'").toInt(&isNumber);
    newerFormat = isNumber && version > TableFiles::kFormatVersion;
    if (!isNumber || version != TableFiles::kFormatVersion)
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
    return columnsPresent();
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
    const bool recovering = TableFiles::hasJournal(bytesPath);
    if (!recovering && !SqliteFileProbe::isTableFile(bytesPath, SqliteFileProbe::kBytesApplicationId))
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
    if (recovering && (!exec("PRAGMA edt.schema_version") ||
                       !SqliteFileProbe::isTableFile(bytesPath, SqliteFileProbe::kBytesApplicationId)))
        return false;
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

bool RecordTable::Impl::removeMarked(int& removed)
{
    if (indexReady && !unindexMarked())
        return false;
    if (hasBytes && !step("DELETE FROM edt.bytes WHERE pos IN (SELECT pos FROM main.records WHERE deleted <> 0)", {}))
        return false;
    if (!step("DELETE FROM main.records WHERE deleted <> 0", {}))
        return false;
    removed = sqlite3_changes(db);
    return removed == 0 || (renumber("main.records") && (!hasBytes || renumber("edt.bytes")) &&
                            (!indexReady || renumber("main.textkeys")));
}
