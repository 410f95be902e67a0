// Files a user might have instead of a good table, and writes that the file system refuses: the engine must
// answer with the empty answers, never crash, and never change a byte on disk.

#include "FolderSnapshot.h"
#include "Unprivileged.h"
#include "store/RecordTable.h"
#include "store/SqliteFileProbe.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace {

enum class Damage {
    MissingFile,
    ZeroBytes,
    RandomBytes,
    TruncatedAtPage,
    TruncatedMidPage,
    GarbageAfterFirstPage,
    ForeignSchema,
    ForeignSchemaWithOurStamp,
    WrongPassword,
    MissingCompanion,
    ZeroByteCompanion,
    CompanionOfAnotherTable,
};

const QString kPassword = u"739"_s;

QList<FieldDef> typeLikeFields()
{
    return {{u"name"_s, FieldKind::Text}, {u"icon"_s, FieldKind::Bytes}};
}

// A table big enough to span many pages, with its companion.
bool writeGoodTable(const QString& path)
{
    RecordTable table;
    if (!RecordTable::create(path, typeLikeFields(), kPassword) || !table.open(path, kPassword))
        return false;
    QList<QVariantList> records;
    for (int i = 0; i < 40; ++i)
        records.append({QString(2000, QChar(u'a' + i % 26)), QByteArray(3000, char(i))});
    return table.appendRecords(records);
}

QByteArray randomBytes(qsizetype size)
{
    QRandomGenerator generator(7);
    QByteArray bytes(size, '\0');
    for (char& byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeForeignDatabase(const QString& path, bool withOurStamp)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES('hello');", nullptr, nullptr,
                           nullptr) == SQLITE_OK;
    if (ok && withOurStamp) {
        const QByteArray stamp = "PRAGMA application_id=" + QByteArray::number(SqliteFileProbe::kTableApplicationId);
        ok = sqlite3_exec(db, stamp.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return ok;
}

bool damage(Damage kind, const QString& path, const QString& companion, const QString& folder)
{
    switch (kind) {
    case Damage::MissingFile:
        return QFile::remove(path) && QFile::remove(companion);
    case Damage::ZeroBytes:
        return writeFile(path, {});
    case Damage::RandomBytes:
        return writeFile(path, randomBytes(8192));
    case Damage::TruncatedAtPage:
        return writeFile(path, readFile(path).left(4096 * 3));
    case Damage::TruncatedMidPage:
        return writeFile(path, readFile(path).left(4096 * 3 + 1000));
    case Damage::GarbageAfterFirstPage: {
        const QByteArray bytes = readFile(path);
        return writeFile(path, bytes.left(4096) + randomBytes(bytes.size() - 4096));
    }
    case Damage::ForeignSchema:
        return QFile::remove(path) && writeForeignDatabase(path, false);
    case Damage::ForeignSchemaWithOurStamp:
        return QFile::remove(path) && writeForeignDatabase(path, true);
    case Damage::WrongPassword:
        return true;
    case Damage::MissingCompanion:
        return QFile::remove(companion);
    case Damage::ZeroByteCompanion:
        return writeFile(companion, {});
    case Damage::CompanionOfAnotherTable: {
        const QString other = folder + u"/other.edb"_s;
        return writeGoodTable(other) && QFile::remove(companion) &&
               QFile::rename(folder + u"/other.edt"_s, companion) && QFile::remove(other);
    }
    }
    return false;
}

// The answers every caller relies on after a failed open; 0 when all hold, otherwise the first that did not.
int emptyAnswersFailure(RecordTable& table)
{
    int check = 0;
    const auto expect = [&check](bool holds) {
        ++check;
        return holds;
    };
    if (!expect(!table.isOpen()) || !expect(table.recordCount() == 0) || !expect(table.pastLast()) ||
        !expect(table.currentRecordNumber() == 0) || !expect(!table.goFirst()) || !expect(!table.goTo(1)) ||
        !expect(!table.skip()) || !expect(!table.isDeleted()) || !expect(!table.readField(1).isValid()) ||
        !expect(table.readColumn(1).isEmpty()) || !expect(!table.find([](const RecordTable&) { return true; })) ||
        !expect(!table.findEqual(1, u"x"_s)) || !expect(!table.writeField(1, u"x"_s)) ||
        !expect(!table.appendRecord({u"x"_s})) || !expect(!table.appendRecords({{u"x"_s}})) ||
        !expect(!table.modifyRecord({u"x"_s})) || !expect(!table.deleteRecord()) || !expect(!table.pack()) ||
        !expect(table.fieldCount() == 0))
        return check;
    return 0;
}

// Every write a caller can make; each must fail and leave the table as it was. Record 2 carries a delete
// mark beforehand, so that pack has work to refuse.
int refusedWritesFailure(const QString& path)
{
    RecordTable table;
    if (!table.open(path, kPassword))
        return 1;
    const QVariant firstName = (table.goTo(1), table.readField(1));
    const QVariant firstIcon = table.readField(2);
    if (firstName.toString().size() != 2000 || !table.goTo(2) || !table.isDeleted())
        return 2;
    table.goTo(1);
    if (table.writeField(1, u"changed"_s) || table.writeField(2, QByteArray("changed")))
        return 3;
    if (table.modifyRecord({u"changed"_s, QByteArray("changed")}) || table.deleteRecord())
        return 4;
    if (table.appendRecord({u"new"_s}) || table.appendRecords({{u"a"_s}, {u"b"_s}}) || table.pack())
        return 5;
    if (table.recordCount() != 40 || table.currentRecordNumber() != 1)
        return 6;
    if (table.readField(1) != firstName || table.readField(2) != firstIcon || table.isDeleted())
        return 7;
    table.close();
    if (!table.open(path, kPassword) || table.recordCount() != 40 || table.readField(1) != firstName ||
        !table.goTo(2) || !table.isDeleted())
        return 8;
    return 0;
}

} // namespace

class RecordTableDamageTest : public QObject
{
    Q_OBJECT

private slots:
    void open_damagedInput_failsWithEmptyAnswersAndFilesUntouched_data()
    {
        QTest::addColumn<Damage>("kind");
        QTest::newRow("missing file") << Damage::MissingFile;
        QTest::newRow("zero-byte file") << Damage::ZeroBytes;
        QTest::newRow("random bytes") << Damage::RandomBytes;
        QTest::newRow("truncated at a page boundary") << Damage::TruncatedAtPage;
        QTest::newRow("truncated inside a page") << Damage::TruncatedMidPage;
        QTest::newRow("garbage after the first page") << Damage::GarbageAfterFirstPage;
        QTest::newRow("SQLite file of another schema") << Damage::ForeignSchema;
        QTest::newRow("another schema carrying our stamp") << Damage::ForeignSchemaWithOurStamp;
        QTest::newRow("wrong access password") << Damage::WrongPassword;
        QTest::newRow("missing companion") << Damage::MissingCompanion;
        QTest::newRow("zero-byte companion") << Damage::ZeroByteCompanion;
        QTest::newRow("companion of another table") << Damage::CompanionOfAnotherTable;
    }

    void open_damagedInput_failsWithEmptyAnswersAndFilesUntouched()
    {
        QFETCH(Damage, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"t.edb"_s);
        const QString companion = dir.filePath(u"t.edt"_s);
        QVERIFY(writeGoodTable(path));
        QVERIFY(damage(kind, path, companion, dir.path()));
        const FolderSnapshot before = FolderSnapshot::of(dir.path());

        RecordTable table;
        QVERIFY(!table.open(path, kind == Damage::WrongPassword ? u"738"_s : kPassword));
        QCOMPARE(emptyAnswersFailure(table), 0);
        table.close();
        QCOMPARE(emptyAnswersFailure(table), 0);

        const FolderSnapshot after = FolderSnapshot::of(dir.path());
        QVERIFY2(after == before, qPrintable(after.differencesFrom(before)));
    }

    void open_afterFailedOpen_goodTableOpensAgain()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"t.edb"_s);
        QVERIFY(writeGoodTable(path));
        RecordTable table;
        QVERIFY(table.open(path, kPassword));
        QVERIFY(!table.open(dir.filePath(u"absent.edb"_s), kPassword)); // closes the first table
        QCOMPARE(table.recordCount(), 0);
        QVERIFY(table.open(path, kPassword));
        QCOMPARE(table.recordCount(), 40);
    }

    void writes_readOnlyFileAsUser_failAndLeaveTableAsItWas()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"t.edb"_s);
        QVERIFY(writeGoodTable(path));
        markSecondRecord(path);
        // The folder is open to everybody, so only the files' own protection stands in the way.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7777)));
        const FolderSnapshot before = FolderSnapshot::of(dir.path());

        const Unprivileged::Result result = Unprivileged::run([&] { return refusedWritesFailure(path); });
        if (!result.ran)
            QSKIP(qPrintable(result.skipReason));
        QCOMPARE(result.exitCode, 0);
        const FolderSnapshot after = FolderSnapshot::of(dir.path());
        QVERIFY2(after == before, qPrintable(after.differencesFrom(before)));
    }

    void writes_readOnlyFolderAsUser_failAndLeaveTableAsItWas()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"t.edb"_s);
        QVERIFY(writeGoodTable(path));
        markSecondRecord(path);
        // The files are writable by anyone, but no journal can be made beside them.
        const auto everybody = QFile::Permissions(0x6666);
        QVERIFY(QFile::setPermissions(path, everybody));
        QVERIFY(QFile::setPermissions(dir.filePath(u"t.edt"_s), everybody));
        QVERIFY(Unprivileged::makeReachable(dir.path()));
        const FolderSnapshot before = FolderSnapshot::of(dir.path());

        const Unprivileged::Result result = Unprivileged::run([&] {
            if (RecordTable::create(dir.filePath(u"new.edb"_s), typeLikeFields()))
                return 20;
            return refusedWritesFailure(path);
        });
        if (!result.ran)
            QSKIP(qPrintable(result.skipReason));
        QCOMPARE(result.exitCode, 0);
        const FolderSnapshot after = FolderSnapshot::of(dir.path());
        QVERIFY2(after == before, qPrintable(after.differencesFrom(before)));
    }

private:
    static void markSecondRecord(const QString& path)
    {
        RecordTable table;
        QVERIFY(table.open(path, kPassword));
        QVERIFY(table.goTo(2));
        QVERIFY(table.deleteRecord());
    }
};

QTEST_GUILESS_MAIN(RecordTableDamageTest)
#include "tst_recordtable_damage.moc"
