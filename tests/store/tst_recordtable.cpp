// The record-table engine as its callers see it: numbering, cursor, kinds, delete and pack, find.

#include "store/RecordTable.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

enum Field { Title = 1, Count, When, Picture };

QList<FieldDef> allKinds()
{
    return {{u"title"_s, FieldKind::Text},
            {u"count"_s, FieldKind::Integer},
            {u"when"_s, FieldKind::DateTime},
            {u"picture"_s, FieldKind::Bytes}};
}

QStringList titles(const RecordTable& table)
{
    QStringList result;
    for (const QVariant& value : table.readColumn(Title))
        result << value.toString();
    return result;
}

} // namespace

class RecordTableTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    // A fresh table with the four kinds; records "r1".."rN" with count i and picture bytes "p<i>".
    bool makeTable(RecordTable& table, int records)
    {
        m_path = m_dir.filePath(u"t%1.edb"_s.arg(++m_serial));
        if (!RecordTable::create(m_path, allKinds()) || !table.open(m_path))
            return false;
        for (int i = 1; i <= records; ++i) {
            if (!table.appendRecord({u"r%1"_s.arg(i), i, QVariant(), QByteArray("p" + QByteArray::number(i))}))
                return false;
        }
        return true;
    }
    int m_serial = 0;

private slots:
    void create_newTable_opensEmptyWithItsFieldsAndCompanion()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 0));
        QVERIFY(QFileInfo::exists(m_dir.filePath(u"t%1.edt"_s.arg(m_serial))));
        QCOMPARE(table.fieldCount(), 4);
        QCOMPARE(table.fields().at(0).name, u"title"_s);
        QCOMPARE(table.fieldKind(When), FieldKind::DateTime);
        QCOMPARE(table.recordCount(), 0);
        QCOMPARE(table.currentRecordNumber(), 0);
        QVERIFY(table.pastLast());
        QVERIFY(!table.goFirst());
        QVERIFY(!table.skip());
        QCOMPARE(table.readField(Title).typeId(), QMetaType::QString);
        QVERIFY(table.readColumn(Title).isEmpty());
    }

    void create_existingFileOrNoFields_refused()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 1));
        table.close();
        QVERIFY(!RecordTable::create(m_path, allKinds()));
        QVERIFY(table.open(m_path));
        QCOMPARE(table.recordCount(), 1);
        QVERIFY(!RecordTable::create(m_dir.filePath(u"none.edb"_s), {}));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(u"none.edb"_s)));
    }

    void append_records_numberedFromOneInAppendOrder()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 3));
        QCOMPARE(table.recordCount(), 3);
        QCOMPARE(table.currentRecordNumber(), 3); // positioned on the new record
        QCOMPARE(titles(table), (QStringList{u"r1"_s, u"r2"_s, u"r3"_s}));

        QVERIFY(table.goTo(2));
        QCOMPARE(table.readField(Title).toString(), u"r2"_s);
        QCOMPARE(table.readField(Picture).toByteArray(), QByteArray("p2"));
        QVERIFY(!table.goTo(4));
        QVERIFY(table.pastLast());
        QCOMPARE(table.currentRecordNumber(), 0);
        QVERIFY(!table.goTo(0));

        QStringList scanned;
        for (table.goFirst(); !table.pastLast(); table.skip())
            scanned << table.readField(Title).toString() + u'@' + QString::number(table.currentRecordNumber());
        QCOMPARE(scanned, (QStringList{u"r1@1"_s, u"r2@2"_s, u"r3@3"_s}));
    }

    void open_existingTable_positionedOnRecordOneWithValuesKept()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 2));
        table.close();
        QVERIFY(!table.isOpen());
        QCOMPARE(table.recordCount(), 0);
        QVERIFY(table.open(m_path));
        QCOMPARE(table.currentRecordNumber(), 1);
        QCOMPARE(table.readField(Count), QVariant(1));
        // Nothing but the table pair lies in the folder between uses: no journal is left behind.
        table.close();
        const QStringList left =
            QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).filter(u"t%1."_s.arg(m_serial));
        QCOMPARE(left, (QStringList{u"t%1.edb"_s.arg(m_serial), u"t%1.edt"_s.arg(m_serial)}));
    }

    void readField_emptyFields_nullValuesOfTheFieldKind()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 0));
        QVERIFY(table.appendRecord({}));
        const QList<QMetaType::Type> kinds{QMetaType::QString, QMetaType::Int, QMetaType::QDateTime,
                                           QMetaType::QByteArray};
        for (int field = 1; field <= 4; ++field) {
            const QVariant value = table.readField(field);
            QVERIFY2(value.isNull(), qPrintable(QString::number(field)));
            QCOMPARE(value.typeId(), kinds.at(field - 1));
        }
        QVERIFY(!table.readField(0).isValid());
        QVERIFY(!table.readField(5).isValid());
    }

    void readField_writtenValues_carryTheirKinds()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 0));
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 30, 5));
        QVERIFY(table.appendRecord({u"名称 x"_s, 42, when, QByteArray("\x00\x01\xff", 3)}));
        table.close();
        QVERIFY(table.open(m_path));
        QCOMPARE(table.readField(Title).typeId(), QMetaType::QString);
        QCOMPARE(table.readField(Title).toString(), u"名称 x"_s);
        QCOMPARE(table.readField(Count).typeId(), QMetaType::Int);
        QCOMPARE(table.readField(Count).toInt(), 42);
        QCOMPARE(table.readField(When).typeId(), QMetaType::QDateTime);
        QCOMPARE(table.readField(When).toDateTime(), when);
        QCOMPARE(table.readField(Picture).typeId(), QMetaType::QByteArray);
        QCOMPARE(table.readField(Picture).toByteArray(), QByteArray("\x00\x01\xff", 3));
    }

    void writeField_dateTimes_roundTripExactly_data()
    {
        QTest::addColumn<QDateTime>("written");
        QTest::addColumn<QDateTime>("expected");
        const QDateTime local(QDate(2026, 12, 7), QTime(9, 30, 5));
        QTest::newRow("local, seconds") << local << local;
        QTest::newRow("local, midnight") << QDate(2001, 1, 1).startOfDay() << QDate(2001, 1, 1).startOfDay();
        QTest::newRow("milliseconds") << local.addMSecs(123) << local.addMSecs(123);
        const QDateTime utc(QDate(2026, 6, 1), QTime(23, 59, 59), Qt::UTC);
        QTest::newRow("utc becomes the same local instant") << utc << utc.toLocalTime();
    }

    void writeField_dateTimes_roundTripExactly()
    {
        QFETCH(QDateTime, written);
        QFETCH(QDateTime, expected);
        RecordTable table;
        QVERIFY(makeTable(table, 1));
        QVERIFY(table.writeField(When, written));
        table.close();
        QVERIFY(table.open(m_path));
        const QDateTime read = table.readField(When).toDateTime();
        QCOMPARE(read, expected);
        QCOMPARE(read.timeSpec(), Qt::LocalTime);
        QCOMPARE(read.toString(Qt::ISODateWithMs), expected.toString(Qt::ISODateWithMs));
    }

    void writeField_integerField_acceptsNumbersAndNumericText_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("stored"); // invalid: the write is refused and the old 7 stays
        QTest::newRow("int") << QVariant(5) << QVariant(5);
        QTest::newRow("long long") << QVariant(qlonglong(-12)) << QVariant(-12);
        QTest::newRow("unsigned") << QVariant(9u) << QVariant(9);
        QTest::newRow("double") << QVariant(3.0) << QVariant(3);
        QTest::newRow("text") << QVariant(u" 42 "_s) << QVariant(42);
        QTest::newRow("empty text empties") << QVariant(u""_s) << QVariant(QMetaType::fromType<int>());
        QTest::newRow("null empties") << QVariant() << QVariant(QMetaType::fromType<int>());
        QTest::newRow("word refused") << QVariant(u"abc"_s) << QVariant();
        QTest::newRow("too large refused") << QVariant(qlonglong(1) << 40) << QVariant();
        QTest::newRow("bytes refused") << QVariant(QByteArray("1")) << QVariant();
    }

    void writeField_integerField_acceptsNumbersAndNumericText()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, stored);
        RecordTable table;
        QVERIFY(makeTable(table, 0));
        QVERIFY(table.appendRecord({u"x"_s, 7}));
        QCOMPARE(table.writeField(Count, value), stored.isValid());
        table.close();
        QVERIFY(table.open(m_path));
        const QVariant read = table.readField(Count);
        QCOMPARE(read.typeId(), QMetaType::Int);
        if (!stored.isValid())
            QCOMPARE(read, QVariant(7));
        else
            QCOMPARE(read, stored);
    }

    void writeField_wrongKinds_refusedAndRecordUnchanged()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 1));
        QVERIFY(!table.writeField(Title, QByteArray("raw")));
        QVERIFY(!table.writeField(When, u"not a date"_s));
        QVERIFY(!table.writeField(Picture, u"text"_s));
        QVERIFY(!table.writeField(5, u"x"_s));
        QVERIFY(!table.appendRecord({u"a"_s, 1, QVariant(), QByteArray("b"), u"one too many"_s}));
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.readField(Title).toString(), u"r1"_s);
        QCOMPARE(table.readField(Picture).toByteArray(), QByteArray("p1"));
    }

    void writeField_longTextWithLineBreaks_keptByteForByte()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 1));
        QString text = u"第一行\r\n  second line with trailing spaces  \r\n\r\n"_s;
        text += QString(100000, u'长');
        QVERIFY(table.writeField(Title, text));
        table.close();
        QVERIFY(table.open(m_path));
        QCOMPARE(table.readField(Title).toString(), text);
    }

    void modifyRecord_omittedValues_leaveLaterFieldsUnchanged()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 2));
        QVERIFY(table.goTo(1));
        QVERIFY(table.modifyRecord({u"new"_s, QVariant()}));
        QCOMPARE(table.readField(Title).toString(), u"new"_s);
        QVERIFY(table.readField(Count).isNull());                           // given as empty: emptied
        QCOMPARE(table.readField(Picture).toByteArray(), QByteArray("p1")); // not given: kept
        QVERIFY(table.goTo(2));
        QCOMPARE(table.readField(Title).toString(), u"r2"_s);
        QVERIFY(!table.modifyRecord({QVariant(), u"x"_s})); // a refused value changes nothing
        QCOMPARE(table.readField(Count).toInt(), 2);
    }

    void deleteRecord_marksOnlyUntilPack_numbersStayValid()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 5));
        // The way the delete commands work: positions taken before any pack, then one pack.
        for (const int number : {2, 4}) {
            QVERIFY(table.goTo(number));
            QVERIFY(table.deleteRecord());
        }
        QCOMPARE(table.recordCount(), 5);
        QVERIFY(table.goTo(4));
        QVERIFY(table.isDeleted());
        QCOMPARE(table.readField(Title).toString(), u"r4"_s);
        QVERIFY(table.goTo(5));
        QVERIFY(!table.isDeleted());
        QCOMPARE(titles(table).size(), 5);

        QVERIFY(table.pack());
        QCOMPARE(table.recordCount(), 3);
        QCOMPARE(table.currentRecordNumber(), 1);
        table.close();
        QVERIFY(table.open(m_path));
        QCOMPARE(titles(table), (QStringList{u"r1"_s, u"r3"_s, u"r5"_s}));
        QByteArrayList pictures;
        for (int number = 1; number <= 3; ++number) {
            QVERIFY(table.goTo(number));
            QVERIFY(!table.isDeleted());
            pictures << table.readField(Picture).toByteArray();
        }
        QCOMPARE(pictures, (QByteArrayList{"p1", "p3", "p5"}));
        QVERIFY(table.appendRecord({u"r6"_s}));
        QCOMPARE(table.currentRecordNumber(), 4);
    }

    void pack_everythingMarked_leavesAnEmptyTable()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 3));
        for (table.goFirst(); !table.pastLast(); table.skip())
            QVERIFY(table.deleteRecord());
        QVERIFY(table.pack());
        QCOMPARE(table.recordCount(), 0);
        QVERIFY(table.pastLast());
        QVERIFY(table.pack()); // nothing marked: nothing to do
        QVERIFY(table.appendRecord({u"again"_s, 1, QVariant(), QByteArray("x")}));
        QCOMPARE(table.currentRecordNumber(), 1);
    }

    void findEqual_text_matchesExactlyFromTheCurrentRecordOn()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 0));
        for (const QString& title : {u"abc"_s, u"ABC"_s, u"abc "_s, u""_s, u"abc"_s})
            QVERIFY(table.appendRecord({title}));
        QVERIFY(table.goFirst());
        QVERIFY(table.findEqual(Title, u"ABC"_s));
        QCOMPARE(table.currentRecordNumber(), 2);
        QVERIFY(table.findEqual(Title, u"abc "_s));
        QCOMPARE(table.currentRecordNumber(), 3);
        QVERIFY(table.findEqual(Title, u"abc"_s)); // from record 3 on: the fifth, not the first
        QCOMPARE(table.currentRecordNumber(), 5);
        QVERIFY(table.findEqual(Title, u"abc"_s)); // the current record counts
        QCOMPARE(table.currentRecordNumber(), 5);

        QVERIFY(table.goFirst());
        QVERIFY(table.findEqual(Title, QString()));
        QCOMPARE(table.currentRecordNumber(), 4);
        QVERIFY(table.goFirst());
        QVERIFY(!table.findEqual(Title, u"Abc"_s));
        QVERIFY(table.pastLast());
        QVERIFY(!table.findEqual(Title, u"abc"_s)); // past the last record nothing is found
    }

    void findEqual_otherKinds_compareValues()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 4));
        QVERIFY(table.goFirst());
        QVERIFY(table.findEqual(Count, u"3"_s));
        QCOMPARE(table.currentRecordNumber(), 3);
        QVERIFY(table.goFirst());
        QVERIFY(table.findEqual(Picture, QByteArray("p2")));
        QCOMPARE(table.currentRecordNumber(), 2);
        QVERIFY(table.goFirst());
        QVERIFY(!table.findEqual(Count, u"three"_s));
    }

    void find_condition_movesToFirstMatchOrPastLast()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 5));
        QVERIFY(table.goTo(2));
        const auto even = [](const RecordTable& t) { return t.readField(Count).toInt() % 2 == 0; };
        QVERIFY(table.find(even));
        QCOMPARE(table.currentRecordNumber(), 2);
        QVERIFY(table.skip());
        QVERIFY(table.find(even));
        QCOMPARE(table.currentRecordNumber(), 4);
        QVERIFY(table.skip());
        QVERIFY(!table.find(even));
        QVERIFY(table.pastLast());
    }

    void readColumn_keepsCursorAndIncludesMarkedRecords()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 3));
        QVERIFY(table.goTo(2));
        QVERIFY(table.deleteRecord());
        const QList<QVariant> pictures = table.readColumn(Picture);
        QCOMPARE(pictures, (QList<QVariant>{QByteArray("p1"), QByteArray("p2"), QByteArray("p3")}));
        QCOMPARE(table.readColumn(Count).at(0).typeId(), QMetaType::Int);
        QCOMPARE(table.currentRecordNumber(), 2);
        QVERIFY(table.readColumn(0).isEmpty());
    }

    void readColumn_tenThousandRecords_allInRecordOrder()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 0));
        QList<QVariantList> records;
        for (int i = 1; i <= 10000; ++i)
            records.append({u"n%1"_s.arg(i), i});
        QVERIFY(table.appendRecords(records));
        QCOMPARE(table.currentRecordNumber(), 10000);
        const QList<QVariant> names = table.readColumn(Title);
        QCOMPARE(names.size(), 10000);
        QCOMPARE(names.first().toString(), u"n1"_s);
        QCOMPARE(names.at(4999).toString(), u"n5000"_s);
        QVERIFY(table.goTo(9999));
        QCOMPARE(table.readField(Count).toInt(), 9999);
    }

    void appendRecords_oneValueRefused_appendsNone()
    {
        RecordTable table;
        QVERIFY(makeTable(table, 1));
        QVERIFY(!table.appendRecords({{u"a"_s, 1}, {u"b"_s, u"two"_s}}));
        QCOMPARE(table.recordCount(), 1);
        table.close();
        QVERIFY(table.open(m_path));
        QCOMPARE(titles(table), QStringList{u"r1"_s});
    }

    void open_accessPassword_mustMatchExactly()
    {
        const QString path = m_dir.filePath(u"locked.edb"_s);
        QVERIFY(RecordTable::create(path, {{u"password"_s, FieldKind::Text}}, u"739"_s));
        RecordTable table;
        QVERIFY(table.open(path, u"739"_s));
        QVERIFY(table.appendRecord({u"739"_s}));
        table.close();
        for (const QString& wrong : {QString(), u"738"_s, u"739 "_s, u"7390"_s}) {
            QVERIFY2(!table.open(path, wrong), qPrintable(wrong));
            QCOMPARE(table.recordCount(), 0);
            QVERIFY(!table.readField(1).isValid());
        }
        QVERIFY(table.open(path, u"739"_s));
        QCOMPARE(table.readField(1).toString(), u"739"_s);
        // A table without an access password refuses one given anyway.
        RecordTable plain;
        QVERIFY(makeTable(plain, 1));
        plain.close();
        QVERIFY(!plain.open(m_path, u"739"_s));
    }
};

QTEST_GUILESS_MAIN(RecordTableTest)
#include "tst_recordtable.moc"
