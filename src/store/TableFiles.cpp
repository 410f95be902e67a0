#include "TableFiles.h"

#include "FieldCodec.h"
#include "SqliteFileProbe.h"
#include "platform/DurableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QUuid>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

// SQLite takes file names as UTF-8 on Windows, whatever the code page; elsewhere as the system spells them.
QByteArray sqliteFileName(const QString& path)
{
#ifdef Q_OS_WIN
    return path.toUtf8();
#else
    return QFile::encodeName(path);
#endif
}

class Connection
{
public:
    explicit Connection(const QString& path)
    {
        if (sqlite3_open_v2(sqliteFileName(path).constData(), &m_db,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
        }
    }
    ~Connection() { close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    bool exec(const QString& sql)
    {
        return m_db && sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    bool insert(const char* sql, const QVariantList& values)
    {
        sqlite3_stmt* statement = nullptr;
        if (!m_db || sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
            return false;
        for (int i = 0; i < values.size(); ++i)
            FieldCodec::bind(statement, i + 1, values.at(i));
        const bool ok = sqlite3_step(statement) == SQLITE_DONE;
        sqlite3_finalize(statement);
        return ok;
    }
    bool close()
    {
        const bool ok = !m_db || sqlite3_close(m_db) == SQLITE_OK;
        m_db = nullptr;
        return ok;
    }

private:
    sqlite3* m_db = nullptr;
};

bool writeMeta(Connection& db, const char* format, const QString& pairId)
{
    return db.exec(u"CREATE TABLE meta(key TEXT PRIMARY KEY, value) WITHOUT ROWID"_s) &&
           db.insert("INSERT INTO meta VALUES('format', ?1)", {QString::fromLatin1(format)}) &&
           db.insert("INSERT INTO meta VALUES('version', ?1)", {qlonglong(TableFiles::kFormatVersion)}) &&
           db.insert("INSERT INTO meta VALUES('pair', ?1)", {pairId});
}

bool prepareFile(Connection& db, std::uint32_t applicationId)
{
    return db.isOpen() && db.exec(u"PRAGMA journal_mode=DELETE"_s) && db.exec(u"PRAGMA synchronous=FULL"_s) &&
           db.exec(u"PRAGMA application_id=%1"_s.arg(applicationId)) &&
           db.exec(u"PRAGMA user_version=%1"_s.arg(TableFiles::kFormatVersion));
}

bool writeTableFile(const QString& path, const QList<FieldDef>& fields, const QString& accessPassword,
                    const QString& pairId)
{
    Connection db(path);
    if (!prepareFile(db, SqliteFileProbe::kTableApplicationId) || !db.exec(u"BEGIN"_s) ||
        !writeMeta(db, "tallyra.records", pairId) ||
        !db.insert("INSERT INTO meta VALUES('password', ?1)", {accessPassword}) ||
        !db.exec(u"CREATE TABLE fields(position INTEGER PRIMARY KEY, name TEXT NOT NULL, kind TEXT NOT NULL)"_s))
        return false;
    QString columns;
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef& field = fields.at(i);
        if (!db.insert("INSERT INTO fields VALUES(?1, ?2, ?3)",
                       {qlonglong(i + 1), field.name, FieldCodec::kindName(field.kind)}))
            return false;
        if (field.kind != FieldKind::Bytes)
            columns += u", "_s + TableFiles::columnName(i + 1);
    }
    return db.exec(u"CREATE TABLE records(pos INTEGER PRIMARY KEY, deleted INTEGER NOT NULL DEFAULT 0"_s + columns +
                   u')') &&
           db.exec(u"COMMIT"_s) && db.close();
}

bool writeBytesFile(const QString& path, const QList<FieldDef>& fields, const QString& pairId)
{
    Connection db(path);
    if (!prepareFile(db, SqliteFileProbe::kBytesApplicationId) || !db.exec(u"BEGIN"_s) ||
        !writeMeta(db, "tallyra.bytes", pairId))
        return false;
    QString columns;
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).kind == FieldKind::Bytes)
            columns += u", "_s + TableFiles::columnName(i + 1);
    }
    return db.exec(u"CREATE TABLE bytes(pos INTEGER PRIMARY KEY"_s + columns + u')') && db.exec(u"COMMIT"_s) &&
           db.close();
}

} // namespace

QString TableFiles::companionPath(const QString& tablePath)
{
    const qsizetype slash = tablePath.lastIndexOf(u'/');
    const qsizetype dot = tablePath.lastIndexOf(u'.');
    if (dot > slash + 1)
        return tablePath.left(dot) + u".edt"_s;
    return tablePath + u".edt"_s;
}

QString TableFiles::journalPath(const QString& path)
{
    return path + u"-journal"_s;
}

bool TableFiles::hasJournal(const QString& path)
{
    const QFileInfo journal(journalPath(path));
    return journal.exists() || journal.isSymLink();
}

bool TableFiles::recover(const QString& path)
{
    if (!hasJournal(path))
        return true;
    sqlite3* db = nullptr;
    const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?mode=rw";
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr) ==
        SQLITE_OK) {
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return !hasJournal(path);
}

QString TableFiles::columnName(int field)
{
    return u"f"_s + QString::number(field);
}

bool TableFiles::hasBytesField(const QList<FieldDef>& fields)
{
    for (const FieldDef& field : fields) {
        if (field.kind == FieldKind::Bytes)
            return true;
    }
    return false;
}

bool TableFiles::writeEmpty(const QString& tablePath, const QString& bytesPath, const QList<FieldDef>& fields,
                            const QString& accessPassword)
{
    if (fields.isEmpty() || QFileInfo::exists(tablePath) || (hasBytesField(fields) && QFileInfo::exists(bytesPath)))
        return false;
    const QString pairId = QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = writeTableFile(tablePath, fields, accessPassword, pairId);
    if (ok && hasBytesField(fields))
        ok = writeBytesFile(bytesPath, fields, pairId);
    if (!ok) {
        QFile::remove(tablePath);
        QFile::remove(bytesPath);
    }
    return ok;
}

bool TableFiles::moveIntoPlace(const QString& fromTable, const QString& fromBytes, const QString& toTable,
                               const QString& toBytes, bool replace)
{
    const bool withBytes = !fromBytes.isEmpty();
    if (!replace) {
        // QFile::rename never replaces an existing file, which is exactly the "create only" promise.
        if (withBytes && !QFile::rename(fromBytes, toBytes))
            return false;
        if (!QFile::rename(fromTable, toTable)) {
            if (withBytes)
                QFile::rename(toBytes, fromBytes);
            return false;
        }
        return DurableFile::syncFolder(QFileInfo(toTable).absolutePath());
    }

    // The table file is the one readers look for, so it goes last; the old companion is kept aside until the
    // table has been replaced and is put back if that fails.
    const QString oldBytes =
        withBytes && QFileInfo::exists(toBytes) ? DurableFile::temporaryBeside(toBytes) : QString();
    if (!oldBytes.isEmpty() && !DurableFile::replace(toBytes, oldBytes))
        return false;
    if (withBytes && !DurableFile::replace(fromBytes, toBytes)) {
        if (!oldBytes.isEmpty())
            DurableFile::replace(oldBytes, toBytes);
        return false;
    }
    if (!DurableFile::replace(fromTable, toTable)) {
        if (withBytes)
            DurableFile::replace(toBytes, fromBytes);
        if (!oldBytes.isEmpty())
            DurableFile::replace(oldBytes, toBytes);
        return false;
    }
    if (!oldBytes.isEmpty())
        QFile::remove(oldBytes);
    return DurableFile::syncFolder(QFileInfo(toTable).absolutePath());
}

QString TableFiles::temporaryTablePath(const QString& tablePath)
{
    const qsizetype slash = tablePath.lastIndexOf(u'/');
    const qsizetype dot = tablePath.lastIndexOf(u'.');
    const qsizetype cut = dot > slash + 1 ? dot : tablePath.size();
    for (;;) {
        const QString candidate =
            tablePath.left(cut) + u".tmp-"_s + QUuid::createUuid().toString(QUuid::Id128).left(12) + tablePath.mid(cut);
        if (!QFileInfo::exists(candidate) && !QFileInfo::exists(companionPath(candidate)))
            return candidate;
    }
}
