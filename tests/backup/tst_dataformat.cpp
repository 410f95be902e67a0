#include "CatalogBuilder.h"
#include "FolderSnapshot.h"
#include "TempAppDir.h"
#include "app/AppSettings.h"
#include "app/StartRecovery.h"
#include "backup/DataBackup.h"
#include "store/DataFormat.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <optional>

using namespace Qt::StringLiterals;

// Data this program wrote opens in a later one that added a field, and data a later program wrote is never read by
// halves here. The later program is this one with one more project field, listed in the test alone.
namespace {

const QString kFormat1 = QStringLiteral(TALLYRA_FORMAT1_DATA);

QList<TableSchemas::Table> laterTables()
{
    QList<TableSchemas::Table> tables = TableSchemas::tables();
    tables[0].fields.append({u"reviewer"_s, FieldKind::Text});
    return tables;
}

// Acts as the later program while it lives.
struct LaterProgram
{
    LaterProgram() { TableSchemas::setTablesForTest(laterTables()); }
    ~LaterProgram() { TableSchemas::setTablesForTest({}); }
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void setTableVersion(const QString& path, int version)
{
    sqlite3* db = nullptr;
    QVERIFY(sqlite3_open(path.toUtf8().constData(), &db) == SQLITE_OK);
    const QByteArray sql = "UPDATE meta SET value = '" + QByteArray::number(version) + "' WHERE key = 'version'";
    QCOMPARE(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

class TestDataFormat : public QObject
{
    Q_OBJECT

private slots:
    // The table and the backup this program wrote: a start opens the table, an 导入 takes the backup, and every record
    // reads as it was written, the added field empty and writable.
    void writtenByThisProgram_readInALaterOne_data()
    {
        QTest::addColumn<bool>("backup");
        QTest::addColumn<bool>("later");
        QTest::newRow("table, this program") << false << false;
        QTest::newRow("table, a field added") << false << true;
        QTest::newRow("backup, this program") << true << false;
        QTest::newRow("backup, a field added") << true << true;
    }
    void writtenByThisProgram_readInALaterOne()
    {
        QFETCH(bool, backup);
        QFETCH(bool, later);
        const TempAppDir app;
        std::optional<LaterProgram> program;
        if (later)
            program.emplace();

        if (backup) {
            QCOMPARE(DataBackup::restore(kFormat1 + u"/backup.fd2"_s), DataBackup::RestoreOutcome::Restored);
            QCOMPARE(app.readFile(u"data/P001.fd1"_s), QByteArray("package of P001"));
        } else {
            app.writeFile(u"data/DB.EDB"_s, fileBytes(kFormat1 + u"/DB.EDB"_s));
        }
        const StartRecovery::Outcome started = StartRecovery::run();
        QCOMPARE(started.data, later && !backup ? DataFormat::Outcome::Upgraded : DataFormat::Outcome::Current);

        ProjectTable table;
        QVERIFY(table.open());
        QCOMPARE(table.fields(), TableSchemas::tables().constFirst().fields);
        QCOMPARE(table.recordCount(), 2);
        for (const QString& number : {u"P001"_s, u"P002"_s}) {
            QVERIFY(table.findProjectByNumber(number));
            QCOMPARE(table.readProject(), CatalogBuilder::fullRecord(number));
            if (later) {
                QCOMPARE(table.readField(15), QVariant(QString()));
                QVERIFY(table.writeField(15, u"王五"_s));
                QCOMPARE(table.readField(15), QVariant(u"王五"_s));
            }
        }
    }

    // Data a later program wrote is refused whole at a start and stays byte for byte as it was (tst_backup refuses
    // its backup).
    void writtenByALaterProgram_refusedAndLeftAsItWas_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("table with a field more") << u"field"_s;
        QTest::newRow("table of a later file format") << u"format"_s;
        QTest::newRow("Install.ini of a later format") << u"ini"_s;
    }
    void writtenByALaterProgram_refusedAndLeftAsItWas()
    {
        QFETCH(QString, what);
        const TempAppDir app;
        QVERIFY(CatalogBuilder::addProject({u"P001"_s, u"甲"_s}));
        if (what == u"field") {
            const LaterProgram later;
            QCOMPARE(DataFormat::upgrade(app.filePath(u"data"_s)), DataFormat::Outcome::Upgraded);
        } else if (what == u"format") {
            setTableVersion(app.filePath(u"data/DB.EDB"_s), 2);
        } else {
            app.writeFile(u"Install.ini"_s, "[Install]\r\nFormat=2\r\nTL=1\r\n");
        }

        const FolderSnapshot before = FolderSnapshot::of(app.path());
        QCOMPARE(StartRecovery::run().data, DataFormat::Outcome::Newer);
        if (what == u"ini")
            QVERIFY(!AppSettings().writeNumber(SettingsKeys::kListArrangement, 2));
        QCOMPARE(FolderSnapshot::of(app.path()), before);
    }
};

QTEST_MAIN(TestDataFormat)
#include "tst_dataformat.moc"
