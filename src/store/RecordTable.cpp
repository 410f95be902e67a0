#include "RecordTable.h"

#include "FieldCodec.h"
#include "RecordTable_p.h"
#include "TableFiles.h"
#include "platform/DurableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

RecordTable::RecordTable()
    : d(std::make_unique<Impl>())
{
}

RecordTable::~RecordTable() = default;

bool RecordTable::create(const QString& path, const QList<FieldDef>& fields, const QString& accessPassword)
{
    const bool withBytes = TableFiles::hasBytesField(fields);
    const QString bytesPath = TableFiles::companionPath(path);
    if (fields.isEmpty() || QFileInfo::exists(path) || (withBytes && QFileInfo::exists(bytesPath)))
        return false;
    // Written under temporary names and renamed, so a failure leaves no half-made table at the real name.
    const QString tempTable = DurableFile::temporaryBeside(path);
    const QString tempBytes = withBytes ? DurableFile::temporaryBeside(bytesPath) : QString();
    if (!TableFiles::writeEmpty(tempTable, tempBytes, fields, accessPassword))
        return false;
    if (TableFiles::moveIntoPlace(tempTable, tempBytes, path, withBytes ? bytesPath : QString(), false))
        return true;
    QFile::remove(tempTable);
    if (withBytes)
        QFile::remove(tempBytes);
    return false;
}

namespace {

// Tables this run has found, or left, without a marked record. Marks outlive a run only when it ended between
// a delete and its pack, so one look per table and run is enough: finding none costs a scan of every record.
QSet<QString>& packedTables()
{
    static QSet<QString> tables;
    return tables;
}

} // namespace

bool RecordTable::open(const QString& path, const QString& accessPassword)
{
    d->close();
    d->newerFormat = false;
    d->announces.reset(); // a table tells its writes once its opener says it is one the windows list
    d->unlisted.clear();
    if (d->openChecked(path, accessPassword)) {
        d->absolutePath = QFileInfo(path).absoluteFilePath();
        d->openTextIndex();
        d->moveTo(1);
        return true;
    }
    d->close();
    return false;
}

namespace {

bool startsWith(const QList<FieldDef>& fields, const QList<FieldDef>& first)
{
    return first.size() < fields.size() && std::equal(first.begin(), first.end(), fields.begin());
}

} // namespace

RecordTable::Shape RecordTable::shapeOf(const QString& path, const QString& accessPassword,
                                        const QList<FieldDef>& fields)
{
    RecordTable table;
    if (!table.open(path, accessPassword))
        return table.d->newerFormat ? Shape::Newer : Shape::Other;
    const QList<FieldDef> held = table.fields();
    if (held == fields)
        return Shape::Current;
    if (startsWith(fields, held))
        return Shape::Older;
    return startsWith(held, fields) ? Shape::Newer : Shape::Other;
}

RecordTable::Upgrade RecordTable::upgrade(const QString& path, const QString& accessPassword,
                                          const QList<FieldDef>& fields)
{
    switch (shapeOf(path, accessPassword, fields)) {
    case Shape::Current:
        return Upgrade::Current;
    case Shape::Newer:
        return Upgrade::Newer;
    case Shape::Other:
        return Upgrade::Other;
    case Shape::Older:
        break;
    }
    RecordTable table;
    if (!table.open(path, accessPassword))
        return Upgrade::Failed;
    const qsizetype held = table.fields().size();
    for (qsizetype i = held; i < fields.size(); ++i) {
        if (fields.at(i).kind == FieldKind::Bytes && !table.d->hasBytes)
            return Upgrade::Failed;
    }
    // The new columns and their entries in the field list go in one commit of the table and its companion.
    const bool ok = table.d->transaction([&] {
        for (qsizetype i = held; i < fields.size(); ++i) {
            const int field = int(i) + 1;
            const bool inBytes = fields.at(i).kind == FieldKind::Bytes;
            const QByteArray alter = QByteArray("ALTER TABLE ") + (inBytes ? "edt.bytes" : "main.records") +
                                     " ADD COLUMN " + TableFiles::columnName(field).toUtf8();
            if (!table.d->exec(alter.constData()) ||
                !table.d->step("INSERT INTO main.fields VALUES(?1, ?2, ?3)",
                               {qlonglong(field), fields.at(i).name, FieldCodec::kindName(fields.at(i).kind)}))
                return false;
        }
        return true;
    });
    return ok ? Upgrade::Upgraded : Upgrade::Failed;
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
    return d->onRecord() && d->loadDeleted() && d->rowDeleted;
}

QVariant RecordTable::readField(int field) const
{
    if (!d->db || !d->validField(field))
        return {};
    if (!d->onRecord())
        return FieldCodec::nullOf(d->fields.at(field - 1).kind);
    if (!d->loadField(field))
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

QStringList RecordTable::readColumnText(int field) const
{
    if (!d->db || !d->validField(field))
        return {};
    StatementUse query = d->statement("SELECT " + d->column(field) + ' ' + d->fromRecords() + " ORDER BY r.pos");
    if (!query)
        return {};
    QStringList values;
    values.reserve(d->count);
    int rc = SQLITE_ROW;
    while ((rc = query.step()) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(query.get(), 0));
        values.append(QString::fromUtf8(text, sqlite3_column_bytes(query.get(), 0)));
    }
    return rc == SQLITE_DONE ? values : QStringList();
}

bool RecordTable::writeField(int field, const QVariant& value)
{
    if (!d->onRecord() || !d->validField(field))
        return false;
    const std::optional<QVariant> stored = FieldCodec::encode(d->fields.at(field - 1).kind, value);
    if (!stored || !d->update({field}, {*stored}))
        return false;
    d->rowLoaded = false;
    if (!d->unlisted.contains(field))
        written();
    return true;
}

bool RecordTable::appendRecord(const QVariantList& values)
{
    return appendRecords({values});
}

bool RecordTable::appendRecords(const QList<QVariantList>& records)
{
    if (!d->db)
        return false;
    QList<QVariantList> stored;
    for (const QVariantList& values : records) {
        std::optional<QVariantList> encoded = d->encodeAll(values);
        if (!encoded)
            return false;
        stored.append(std::move(*encoded));
    }
    if (stored.isEmpty())
        return true;
    const bool ok = d->transaction([&] {
        for (qsizetype i = 0; i < stored.size(); ++i) {
            if (!d->insert(d->count + 1 + int(i), stored.at(i)))
                return false;
        }
        return true;
    });
    if (!ok)
        return false;
    d->count += int(stored.size());
    d->moveTo(d->count);
    written();
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
    written();
    return true;
}

bool RecordTable::deleteRecord()
{
    if (!d->onRecord())
        return false;
    const bool ok = d->transaction(
        [&] { return d->step("UPDATE main.records SET deleted = 1 WHERE pos = ?1", {qlonglong(d->position)}); });
    d->rowLoaded = false;
    if (ok) {
        packedTables().remove(d->absolutePath);
        written();
    }
    return ok;
}

bool RecordTable::pack()
{
    if (!d->db)
        return false;
    { // Nothing marked: nothing to write, which also holds for a table on a write-protected file.
        StatementUse marked = d->statement("SELECT 1 FROM main.records WHERE deleted <> 0 LIMIT 1");
        if (!marked)
            return false;
        const int rc = marked.step();
        if (rc == SQLITE_DONE) {
            d->moveTo(1);
            return true;
        }
        if (rc != SQLITE_ROW)
            return false;
    }
    int removed = 0;
    if (!d->transaction([&] { return d->removeMarked(removed); }))
        return false;
    d->count -= removed;
    d->moveTo(1);
    written();
    return true;
}

bool RecordTable::packLeftoverMarks()
{
    if (!d->db)
        return false;
    if (packedTables().contains(d->absolutePath))
        return true;
    if (!pack())
        return false;
    packedTables().insert(d->absolutePath);
    return true;
}

bool RecordTable::deleteRecords(const QList<int>& recordNumbers)
{
    if (!d->db)
        return false;
    int removed = 0;
    const bool ok = d->transaction([&] {
        for (int number : recordNumbers) {
            if (number >= 1 && number <= d->count &&
                !d->step("UPDATE main.records SET deleted = 1 WHERE pos = ?1", {qlonglong(number)}))
                return false;
        }
        return d->removeMarked(removed);
    });
    d->moveTo(ok ? 1 : d->position);
    if (!ok)
        return false;
    d->count -= removed;
    written();
    return true;
}

void RecordTable::announceWritesAs(CatalogueNotice::Part part, const QList<int>& unlisted)
{
    d->announces = part;
    d->unlisted = unlisted;
}

void RecordTable::written()
{
    if (d->announces)
        CatalogueNotice::announce(*d->announces);
}

bool RecordTable::find(const std::function<bool(const RecordTable&)>& condition)
{
    if (!condition)
        return false;
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
