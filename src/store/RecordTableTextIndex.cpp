// The substring index of a record table: an FTS5 table with the trigram tokenizer over the folded texts of each
// record, written beside every record write in the same transaction.
//
// Why beside the writes and not by triggers filling it: the index holds the texts folded (full-width to half-width,
// Latin letters to lower case) as find compares them, which SQL alone cannot do, and the tables refuse to run
// functions of ours from their schema; FTS5 tables are not allowed in triggers of an untrusted schema either. The
// triggers the index does have only write the table's own meta: any change to a record takes away the mark that
// the index is in step, and each of our writes puts it back at its end. So a writer that does not know the index
// leaves it marked out of step, and the next open builds it again.
//
// FTS5 row ids stay fixed while record numbers shift down at a pack, so textkeys maps record numbers to them and is
// renumbered with the records, which costs one small row per record instead of indexing every later text again.

#include "FieldCodec.h"
#include "RecordTable_p.h"
#include "SqliteFileProbe.h"
#include "TableFiles.h"

#include <QFileInfo>
#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The layout of the index; another value (or none) makes the next open build it again.
constexpr char kIndexStamp[] = "trigram 2";

// A trigram index finds what it holds as a phrase of three-character pieces; a shorter text is searched for.
bool longEnoughForTrigrams(const QString& folded)
{
    qsizetype characters = 0;
    for (qsizetype i = 0; i < folded.size() && characters < 3; ++i) {
        if (!folded.at(i).isLowSurrogate())
            ++characters;
    }
    return characters >= 3;
}

QByteArray ftsPhrase(const QString& folded)
{
    QString quoted = folded;
    quoted.replace(u'"', u"\"\""_s);
    return (u'"' + quoted + u'"').toUtf8();
}

constexpr char kTrigramQuery[] = "SELECT k.pos FROM main.textindex JOIN main.textkeys k ON k.id = textindex.rowid "
                                 "WHERE textindex MATCH ?1 ORDER BY k.pos";
// A text of one or two characters is no trigram of its own, but every place it occurs starts one: each indexed
// text ends in two line breaks. So the records holding it are those holding a trigram that begins with it, which
// the index's own term list finds without reading the texts.
constexpr char kShortQuery[] = "SELECT k.pos FROM main.textkeys k WHERE k.id IN "
                               "(SELECT doc FROM temp.textterms WHERE term >= ?1 AND term < ?2) ORDER BY k.pos";
constexpr char kTermList[] =
    "CREATE VIRTUAL TABLE IF NOT EXISTS temp.textterms USING fts5vocab(main, textindex, instance)";

// Runs one of the two queries above on a prepared statement.
std::optional<QList<int>> runIndexQuery(sqlite3_stmt* query, const QString& folded)
{
    const QByteArray bound = longEnoughForTrigrams(folded) ? ftsPhrase(folded) : folded.toUtf8();
    sqlite3_bind_text(query, 1, bound.constData(), int(bound.size()), SQLITE_TRANSIENT);
    if (!longEnoughForTrigrams(folded)) {
        // Above every term that starts with the text: no UTF-8 sequence holds the byte 0xFF.
        const QByteArray above = bound + '\xff';
        sqlite3_bind_text(query, 2, above.constData(), int(above.size()), SQLITE_TRANSIENT);
    }
    QList<int> found;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(query)) == SQLITE_ROW)
        found.append(int(sqlite3_column_int64(query, 0)));
    if (rc != SQLITE_DONE)
        return std::nullopt;
    return found;
}

QList<int> allRecords(int count)
{
    QList<int> records;
    records.reserve(count);
    for (int i = 1; i <= count; ++i)
        records.append(i);
    return records;
}

} // namespace

void RecordTable::indexTexts(const QList<int>& fields, QString (*fold)(const QString&))
{
    d->indexedFields = fields;
    d->foldText = fold;
}

bool RecordTable::hasTextIndex() const
{
    return d->indexReady;
}

QByteArray RecordTable::Impl::indexedColumns() const
{
    QByteArray columns;
    for (int field : indexedFields)
        columns += (columns.isEmpty() ? "" : ", ") + TableFiles::columnName(field).toUtf8();
    return columns;
}

QString RecordTable::Impl::indexBodyOf(sqlite3_stmt* record, int firstColumn) const
{
    QString body;
    for (qsizetype i = 0; i < indexedFields.size(); ++i) {
        if (i > 0)
            body += u'\n';
        const QString text = FieldCodec::decode(FieldKind::Text, record, firstColumn + int(i)).toString();
        body += foldText ? foldText(text) : text;
    }
    return body + u"\n\n"_s;
}

std::optional<QString> RecordTable::Impl::indexBody(int pos)
{
    StatementUse record = statement("SELECT " + indexedColumns() + " FROM main.records WHERE pos = ?1");
    if (!record)
        return std::nullopt;
    sqlite3_bind_int(record.get(), 1, pos);
    if (record.step() != SQLITE_ROW)
        return std::nullopt;
    return indexBodyOf(record.get(), 0);
}

bool RecordTable::Impl::touchesIndex(const QList<int>& fieldNumbers) const
{
    return std::any_of(fieldNumbers.cbegin(), fieldNumbers.cend(),
                       [&](int field) { return indexedFields.contains(field); });
}

bool RecordTable::Impl::indexRecord(int pos)
{
    const std::optional<QString> body = indexBody(pos);
    if (!body)
        return false;
    qint64 id = 0;
    {
        StatementUse key = statement("SELECT id FROM main.textkeys WHERE pos = ?1");
        if (!key)
            return false;
        sqlite3_bind_int(key.get(), 1, pos);
        const int rc = key.step();
        if (rc == SQLITE_ROW)
            id = sqlite3_column_int64(key.get(), 0);
        else if (rc != SQLITE_DONE)
            return false;
    }
    if (id != 0)
        return step("UPDATE main.textindex SET body = ?1 WHERE rowid = ?2", {*body, id});
    return step("INSERT INTO main.textindex(body) VALUES(?1)", {*body}) &&
           step("INSERT INTO main.textkeys(pos, id) VALUES(?1, ?2)", {qlonglong(pos), sqlite3_last_insert_rowid(db)});
}

bool RecordTable::Impl::unindexMarked()
{
    return step("DELETE FROM main.textindex WHERE rowid IN (SELECT k.id FROM main.textkeys k JOIN main.records r ON "
                "r.pos = k.pos WHERE r.deleted <> 0)",
                {}) &&
           step("DELETE FROM main.textkeys WHERE pos IN (SELECT pos FROM main.records WHERE deleted <> 0)", {});
}

bool RecordTable::Impl::stampTextIndex()
{
    return step("INSERT OR REPLACE INTO main.meta(key, value) VALUES('textindex', ?1)",
                {QString::fromLatin1(kIndexStamp)});
}

bool RecordTable::Impl::rebuildTextIndex()
{
    const QByteArray columns = indexedColumns();
    const QByteArray unmark = " ON records BEGIN DELETE FROM meta WHERE key = 'textindex'; END";
    const auto trigger = [&](const QByteArray& when) {
        return exec(
            QByteArray("CREATE TRIGGER main.textindex_" + when.split(' ').first().toLower() + " AFTER " + when + unmark)
                .constData());
    };
    if (!exec("DROP TRIGGER IF EXISTS main.textindex_insert") ||
        !exec("DROP TRIGGER IF EXISTS main.textindex_update") ||
        !exec("DROP TRIGGER IF EXISTS main.textindex_delete") || !exec("DROP TABLE IF EXISTS main.textindex") ||
        !exec("DROP TABLE IF EXISTS main.textkeys") ||
        !exec("CREATE VIRTUAL TABLE main.textindex USING fts5(body, tokenize='trigram case_sensitive 1')") ||
        !exec("CREATE TABLE main.textkeys(pos INTEGER PRIMARY KEY, id INTEGER NOT NULL UNIQUE)") ||
        !trigger("INSERT") || !trigger("DELETE") || !trigger("UPDATE OF pos, " + columns))
        return false;
    StatementUse rows = statement("SELECT pos, " + columns + " FROM main.records ORDER BY pos");
    if (!rows)
        return false;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW) {
        if (!step("INSERT INTO main.textindex(body) VALUES(?1)", {indexBodyOf(rows.get(), 1)}) ||
            !step("INSERT INTO main.textkeys(pos, id) VALUES(?1, ?2)",
                  {sqlite3_column_int64(rows.get(), 0), sqlite3_last_insert_rowid(db)}))
            return false;
    }
    return rc == SQLITE_DONE;
}

bool RecordTable::canIndexTexts()
{
    return sqlite3_compileoption_used("ENABLE_FTS5") != 0;
}

void RecordTable::Impl::openTextIndex()
{
    indexReady = false;
    // A SQLite built without FTS5 (the Windows build's, for one) searches every record instead.
    if (indexedFields.isEmpty() || !sqlite3_compileoption_used("ENABLE_FTS5"))
        return;
    if (textQuery("SELECT value FROM main.meta WHERE key = 'textindex'") == QLatin1StringView(kIndexStamp)) {
        // In step; it is usable only where this SQLite has FTS5 (a table carried from another build may hold one).
        StatementUse probe = statement("SELECT rowid FROM main.textindex LIMIT 0");
        indexReady = probe && probe.step() == SQLITE_DONE;
        return;
    }
    // Missing or out of step: built again from the records in one transaction, so a kill leaves the old index
    // (still marked out of step) and the next open starts over. A table that cannot be written keeps none.
    indexReady = true;
    if (!transaction([&] { return rebuildTextIndex(); }))
        indexReady = false;
}

std::optional<QList<int>> RecordTable::recordsContaining(const QString& folded) const
{
    if (!d->db)
        return std::nullopt;
    if (folded.isEmpty())
        return allRecords(d->count);
    if (!d->indexReady)
        return scanRecordsContaining(folded);
    if (!longEnoughForTrigrams(folded) && !d->exec(kTermList))
        return scanRecordsContaining(folded);
    StatementUse query = d->statement(longEnoughForTrigrams(folded) ? kTrigramQuery : kShortQuery);
    if (!query)
        return scanRecordsContaining(folded);
    return runIndexQuery(query.get(), folded);
}

std::optional<QList<int>> RecordTable::indexedRecordsContaining(const QString& path, const QString& folded)
{
    if (folded.isEmpty() || !sqlite3_compileoption_used("ENABLE_FTS5") || TableFiles::hasJournal(path) ||
        !SqliteFileProbe::isTableFile(path, SqliteFileProbe::kTableApplicationId))
        return std::nullopt;
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?mode=ro";
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return std::nullopt;
    }
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    std::optional<QList<int>> found;
    // The mark and the index are read in one snapshot, so a write between them cannot slip through.
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stamp = nullptr;
        bool inStep = false;
        if (sqlite3_prepare_v2(db, "SELECT value FROM main.meta WHERE key = 'textindex'", -1, &stamp, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(stamp) == SQLITE_ROW)
            inStep = FieldCodec::decode(FieldKind::Text, stamp, 0).toString() == QLatin1StringView(kIndexStamp);
        sqlite3_finalize(stamp);
        sqlite3_stmt* query = nullptr;
        if (inStep && !longEnoughForTrigrams(folded))
            inStep = sqlite3_exec(db, kTermList, nullptr, nullptr, nullptr) == SQLITE_OK;
        if (inStep && sqlite3_prepare_v2(db, longEnoughForTrigrams(folded) ? kTrigramQuery : kShortQuery, -1, &query,
                                         nullptr) == SQLITE_OK)
            found = runIndexQuery(query, folded);
        sqlite3_finalize(query);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return found;
}

std::optional<QList<int>> RecordTable::scanRecordsContaining(const QString& folded) const
{
    if (!d->db || d->indexedFields.isEmpty())
        return std::nullopt;
    StatementUse rows = d->statement("SELECT pos, " + d->indexedColumns() + " FROM main.records ORDER BY pos");
    if (!rows)
        return std::nullopt;
    QList<int> found;
    int rc = SQLITE_ROW;
    while ((rc = rows.step()) == SQLITE_ROW) {
        if (d->indexBodyOf(rows.get(), 1).contains(folded))
            found.append(int(sqlite3_column_int64(rows.get(), 0)));
    }
    if (rc != SQLITE_DONE)
        return std::nullopt;
    return found;
}
