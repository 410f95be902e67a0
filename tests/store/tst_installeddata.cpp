// The built-in type table and the installed data folder, opened the way the program opens them.

#include "FolderSnapshot.h"
#include "Unprivileged.h"
#include "store/DataInstaller.h"
#include "store/DefaultTypeTable.h"
#include "store/IconFile.h"
#include "store/RecordTable.h"
#include "store/TableSchemas.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The sizes and directory bit counts of the images in an icon file, as Qt's reader sees them.
QList<QPair<QSize, int>> iconImages(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QList<QPair<QSize, int>> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        const int bits = quint8(bytes.at(6 + 16 * i + 6)) | (quint8(bytes.at(6 + 16 * i + 7)) << 8);
        images.append({image.size(), bits});
    }
    return images;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Colour tests that say what a pixel shows, loosely, so that the pictures may be redrawn.
bool bluish(QRgb c)
{
    return qBlue(c) > qRed(c) + 60 && qBlue(c) > qGreen(c) + 20;
}
bool greenish(QRgb c)
{
    return qGreen(c) > qRed(c) + 60 && qGreen(c) > qBlue(c) + 40;
}
bool reddish(QRgb c)
{
    return qRed(c) > qGreen(c) + 100 && qRed(c) > qBlue(c) + 100;
}
bool orangeish(QRgb c)
{
    return qRed(c) > 200 && qGreen(c) > 90 && qGreen(c) < 190 && qBlue(c) < 80;
}
bool yellowish(QRgb c)
{
    return qRed(c) > 180 && qGreen(c) > 140 && qBlue(c) < 90;
}
bool silvery(QRgb c)
{
    return qAbs(qRed(c) - qGreen(c)) < 25 && qAbs(qGreen(c) - qBlue(c)) < 25 && qGreen(c) > 120;
}

} // namespace

class InstalledDataTest : public QObject
{
    Q_OBJECT

private slots:
    void writeDefaultTypeTable_emptyFolder_threeNamedTypesWithIcons()
    {
        QTemporaryDir dir;
        QVERIFY(writeDefaultTypeTable(dir.path()));
        RecordTable table;
        QVERIFY(table.open(dir.filePath(u"type.edb"_s)));
        QCOMPARE(table.fields(), TableSchemas::typeFields());
        QCOMPARE(table.readColumn(TypeField::Name), (QList<QVariant>{u"窗口程序"_s, u"DLL动态链接库"_s, u"模块"_s}));
        const QList<QVariant> icons = table.readColumn(TypeField::Icon);
        QCOMPARE(icons.size(), 3);
        for (const QVariant& icon : icons)
            QCOMPARE(icon.typeId(), QMetaType::QByteArray);

        using Images = QList<QPair<QSize, int>>;
        QCOMPARE(iconImages(icons.at(0).toByteArray()), (Images{{QSize(16, 16), 24}, {QSize(32, 32), 24}}));
        QCOMPARE(iconImages(icons.at(1).toByteArray()), (Images{{QSize(32, 32), 24}}));
        QCOMPARE(iconImages(icons.at(2).toByteArray()), (Images{{QSize(32, 32), 8}}));
    }

    void defaultTypes_icons_showTheirPicturesWithTransparentCorners()
    {
        const QList<DefaultType> types = defaultTypes();
        QCOMPARE(types.size(), 3);
        QList<QImage> pictures;
        for (const DefaultType& type : types) {
            const QImage picture = IconFile::read(type.icon, 32);
            QCOMPARE(picture.size(), QSize(32, 32));
            // The AND mask makes the surroundings transparent, also for 24-bit images.
            QCOMPARE(qAlpha(picture.pixel(0, 31)), 0);
            pictures << picture;
            QIcon icon(QPixmap::fromImage(picture));
            QCOMPARE(icon.actualSize(QSize(32, 32)), QSize(32, 32));
        }
        const QImage small = IconFile::read(types.at(0).icon, 16);
        QCOMPARE(small.size(), QSize(16, 16));

        QVERIFY(greenish(pictures.at(0).pixel(8, 5))); // title bar of the window behind
        QVERIFY(bluish(pictures.at(0).pixel(18, 15))); // title bar of the window in front
        QCOMPARE(qAlpha(pictures.at(0).pixel(31, 0)), 0);
        QVERIFY(silvery(pictures.at(1).pixel(7, 22)));   // body of the large gear
        QVERIFY(yellowish(pictures.at(1).pixel(22, 8))); // body of the small gear
        QVERIFY(reddish(pictures.at(2).pixel(8, 9)));
        QVERIFY(bluish(pictures.at(2).pixel(23, 9)));
        QVERIFY(orangeish(pictures.at(2).pixel(16, 25)));
    }

    void writeDefaultTypeTable_overAnyContent_leavesExactlyTheDefaults()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"type.edb"_s);
        QVERIFY(RecordTable::create(path, TableSchemas::typeFields()));
        {
            RecordTable table;
            QVERIFY(table.open(path));
            QVERIFY(table.appendRecords({{u"a"_s, QByteArray("1")}, {u"b"_s}, {u"c"_s}, {u"d"_s}, {u"e"_s}}));
        }
        QVERIFY(writeDefaultTypeTable(dir.path()));
        RecordTable table;
        QVERIFY(table.open(path));
        QCOMPARE(table.recordCount(), 3);
        QCOMPARE(table.readField(TypeField::Name).toString(), u"窗口程序"_s);
        table.close();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{u"type.edb"_s, u"type.edt"_s}));
    }

    void writeDefaultTypeTable_readOnlyFolderAsUser_oldPairIntact()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"type.edb"_s);
        QVERIFY(RecordTable::create(path, TableSchemas::typeFields()));
        {
            RecordTable table;
            QVERIFY(table.open(path));
            QVERIFY(table.appendRecord({u"mine"_s, QByteArray("icon")}));
        }
        for (const QString& name : {u"type.edb"_s, u"type.edt"_s})
            QVERIFY(QFile::setPermissions(dir.filePath(name), QFile::Permissions(0x6666)));
        QVERIFY(Unprivileged::makeReachable(dir.path()));
        const FolderSnapshot before = FolderSnapshot::of(dir.path());

        const Unprivileged::Result result = Unprivileged::run([&] {
            for (const DefaultType& type : defaultTypes()) {
                if (type.icon.isEmpty())
                    return 2; // would fail for the wrong reason
            }
            return writeDefaultTypeTable(dir.path()) ? 1 : 0;
        });
        if (!result.ran)
            QSKIP(qPrintable(result.skipReason));
        QCOMPARE(result.exitCode, 0);
        const FolderSnapshot after = FolderSnapshot::of(dir.path());
        QVERIFY2(after == before, qPrintable(after.differencesFrom(before)));
    }

    // A program folder named in Chinese is usual on a Chinese desktop; SQLite must be given its name in UTF-8
    // on Windows, whatever the code page.
    void installMissingData_emptyAppDir_tablesOpenByTheirProgramPaths_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain folder") << QString();
        QTest::newRow("folder named in Chinese") << u"记账 程序"_s;
    }

    void installMissingData_emptyAppDir_tablesOpenByTheirProgramPaths()
    {
        QFETCH(QString, folder);
        QTemporaryDir temporary;
        const QDir appDir(folder.isEmpty() ? temporary.path() : temporary.filePath(folder));
        QVERIFY(QDir().mkpath(appDir.path()));
        QVERIFY(installMissingData(appDir.path()));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(appDir.path()));
        const auto restore = qScopeGuard([&] { QDir::setCurrent(previous); });

        RecordTable table;
        QVERIFY(table.open(TableSchemas::projectTablePath()));
        QCOMPARE(table.fieldCount(), 14);
        QCOMPARE(table.fieldKind(ProjectField::Type), FieldKind::Integer);
        QCOMPARE(table.fieldKind(ProjectField::StartTime), FieldKind::DateTime);
        QCOMPARE(table.fieldKind(ProjectField::LastUpdate), FieldKind::DateTime);
        QCOMPARE(table.fieldKind(ProjectField::DesignPlan), FieldKind::Text);
        QCOMPARE(table.recordCount(), 0);

        QVERIFY(table.open(TableSchemas::typeTablePath()));
        QCOMPARE(table.recordCount(), 3);

        QVERIFY(table.open(TableSchemas::toolTablePath()));
        QCOMPARE(table.fields(), TableSchemas::toolFields());
        QCOMPARE(table.recordCount(), 0);

        QVERIFY(!table.open(TableSchemas::passwordTablePath()));
        QVERIFY(table.open(TableSchemas::passwordTablePath(), u"739"_s));
        QCOMPARE(table.recordCount(), 1);
        QCOMPARE(table.readField(PasswordField::Password), QVariant(u"739"_s));
        table.close();

        QCOMPARE(QDir(appDir.filePath(u"data"_s)).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"DB.EDB"_s, u"np.edb"_s, u"tool.edb"_s, u"type.edb"_s, u"type.edt"_s}));
    }

    void installMissingData_existingFiles_neverOverwritten()
    {
        QTemporaryDir appDir;
        const QString data = appDir.filePath(u"data"_s);
        QVERIFY(QDir().mkpath(data));
        QVERIFY(writeFile(data + u"/DB.EDB"_s, "not a table, but the user's file"));
        QVERIFY(RecordTable::create(data + u"/tool.edb"_s, TableSchemas::toolFields()));
        {
            RecordTable tools;
            QVERIFY(tools.open(data + u"/tool.edb"_s));
            QVERIFY(tools.appendRecord({u"编辑器"_s, u"/usr/bin/editor"_s}));
        }
        const FolderSnapshot before = FolderSnapshot::of(data);

        QVERIFY(installMissingData(appDir.path()));
        const FolderSnapshot installed = FolderSnapshot::of(data);
        QCOMPARE(installed.fileNames(),
                 (QStringList{u"DB.EDB"_s, u"np.edb"_s, u"tool.edb"_s, u"type.edb"_s, u"type.edt"_s}));
        for (const QString& name : before.fileNames())
            QVERIFY2(installed.differencesFrom(before).indexOf(name) < 0, qPrintable(name));

        QVERIFY(installMissingData(appDir.path())); // a second run changes nothing at all
        QVERIFY2(FolderSnapshot::of(data) == installed,
                 qPrintable(FolderSnapshot::of(data).differencesFrom(installed)));
    }

    void installMissingData_lonelyCompanion_leftAloneAndReported()
    {
        QTemporaryDir appDir;
        const QString data = appDir.filePath(u"data"_s);
        QVERIFY(QDir().mkpath(data));
        QVERIFY(writeFile(data + u"/type.edt"_s, "left over"));
        QVERIFY(!installMissingData(appDir.path()));
        QFile companion(data + u"/type.edt"_s);
        QVERIFY(companion.open(QIODevice::ReadOnly));
        QCOMPARE(companion.readAll(), QByteArray("left over"));
        QVERIFY(!QFile::exists(data + u"/type.edb"_s));
        QVERIFY(QFile::exists(data + u"/np.edb"_s)); // the other tables are still installed
    }
};

QTEST_MAIN(InstalledDataTest)
#include "tst_installeddata.moc"
