#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "FolderSnapshot.h"
#include "Modal.h"
#include "ReadOnlyMount.h"
#include "app/AppSettings.h"
#include "projects/ProjectTrash.h"
#include "projects/ui/DeleteProjectWindow.h"
#include "projects/ui/UpdateProjectWindow.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"
#include "ui/main/MainWindow.h"
#include "ui/main/ProjectListView.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;
using CatalogBuilder::allProjects;
using CatalogBuilder::fullRecord;

namespace {

const QString kIncomplete = u"填写不完整！"_s;
const QString kPackageMissing = u"项目包文件不存在或读取失败！"_s;

} // namespace

class UpdateDeleteTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_fx = std::make_unique<AppFixture>();
        ProjectTable table;
        QVERIFY(table.open());
        for (const QString& number : {u"A"_s, u"B"_s, u"C"_s, u"D"_s}) {
            QVERIFY(table.appendProject(fullRecord(number)));
            m_fx->app.writeFile(u"data/"_s + number + u".fd1"_s, "package " + number.toLatin1());
        }
    }

    void cleanup() { m_fx.reset(); }

    void update_opensOnTheRecordAndWritesOnlyTheEditableFields()
    {
        UpdateProjectWindow w(2, nullptr);
        QCOMPARE(w.windowTitle(), u"更新项目"_s);
        QCOMPARE(edit(w, u"编号编辑框"_s)->text(), u"B"_s);
        QVERIFY(edit(w, u"编号编辑框"_s)->isReadOnly());
        QCOMPARE(edit(w, u"名称编辑框"_s)->text(), u"项目B"_s);
        QCOMPARE(w.findChild<QComboBox*>(u"选择类型组合框"_s)->currentIndex(), 2);
        QCOMPARE(w.findChild<QDateEdit*>(u"开始日期框"_s)->date(), QDate(2025, 3, 1));
        QCOMPARE(w.findChild<QDateEdit*>(u"更新日期框"_s)->date(), QDate(2026, 12, 7)); // today, not the record's
        QCOMPARE(w.findChild<QPlainTextEdit*>(u"备注编辑框"_s)->toPlainText(), u"第一行\n第二行 \"引号\""_s);
        QVERIFY(edit(w, u"文件包编辑框"_s)->text().isEmpty());
        QCOMPARE(QAccessible::queryAccessibleInterface(edit(w, u"名称编辑框"_s))->text(QAccessible::Name),
                 u"项目名称"_s);

        edit(w, u"名称编辑框"_s)->setText(u"新名"_s);
        w.findChild<QComboBox*>(u"选择类型组合框"_s)->setCurrentIndex(0);
        edit(w, u"版本编辑框"_s)->setText(u"2.0"_s);
        // Nothing compares the two dates: an update before the start is taken as it is.
        w.findChild<QDateEdit*>(u"开始日期框"_s)->setDate(QDate(2026, 1, 2));
        w.findChild<QDateEdit*>(u"更新日期框"_s)->setDate(QDate(2024, 5, 6));
        w.findChild<QPlainTextEdit*>(u"备注编辑框"_s)->setPlainText(u"改过\n的备注"_s);
        QTest::mouseClick(button(w, u"确定按钮"_s), Qt::LeftButton);

        QCOMPARE(w.result(), int(QDialog::Accepted));
        ProjectRecord expected = fullRecord(u"B"_s);
        expected.name = u"新名"_s;
        expected.type = 0;
        expected.version = u"2.0"_s;
        expected.startTime = QDateTime(QDate(2026, 1, 2), QTime(0, 0));
        expected.lastUpdate = QDateTime(QDate(2024, 5, 6), QTime(0, 0));
        expected.notes = u"改过\r\n的备注"_s;
        QCOMPARE(allProjects().at(1), expected);
        QCOMPARE(allProjects().at(0), fullRecord(u"A"_s));
        QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), QByteArray("package B"));
    }

    void update_withPackage_replacesPackageAndType_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("type");
        QTest::newRow("a rar file") << u"new/工程.rar"_s << QByteArray("rar bytes") << u"rar"_s;
        QTest::newRow("the stored package itself") << u"data/B.fd1"_s << QByteArray("package B") << u"zip"_s;
    }

    void update_withPackage_replacesPackageAndType()
    {
        QFETCH(QString, source);
        if (!QFileInfo::exists(m_fx->app.filePath(source)))
            m_fx->app.writeFile(source, "rar bytes");
        UpdateProjectWindow w(2, nullptr);
        edit(w, u"文件包编辑框"_s)->setText(m_fx->app.filePath(source));
        QTest::mouseClick(button(w, u"确定按钮"_s), Qt::LeftButton);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QTEST(m_fx->app.readFile(u"data/B.fd1"_s), "bytes");
        QTEST(allProjects().at(1).packageType, "type");
        QCOMPARE(QDir(m_fx->app.filePath(u"data"_s)).entryList({u"*.fd1"_s}).size(), 4); // no temporary left
    }

    void update_refused_keepsRecordAndPackage_data()
    {
        QTest::addColumn<int>("record");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("package");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty name") << 2 << QString() << QString() << kIncomplete;
        QTest::newRow("no file at the path") << 2 << u"名"_s << u"gone.zip"_s << kPackageMissing;
        QTest::newRow("a folder chosen") << 2 << u"名"_s << u"data"_s << kPackageMissing;
        QTest::newRow("a number that is no file name") << 5 << u"名"_s << u"new.zip"_s << kPackageMissing;
    }

    void update_refused_keepsRecordAndPackage()
    {
        QFETCH(int, record);
        QFETCH(QString, name);
        QFETCH(QString, package);
        QFETCH(QString, message);
        {
            ProjectTable table;
            QVERIFY(table.open());
            QVERIFY(table.appendProject(fullRecord(u"../outside"_s)));
        }
        m_fx->app.writeFile(u"new.zip"_s, "new");
        const QList<ProjectRecord> before = allProjects();
        const FolderSnapshot app = FolderSnapshot::of(m_fx->app.path());
        UpdateProjectWindow w(record, nullptr);
        edit(w, u"名称编辑框"_s)->setText(name);
        if (!package.isEmpty())
            edit(w, u"文件包编辑框"_s)->setText(m_fx->app.filePath(package));
        QTest::mouseClick(button(w, u"确定按钮"_s), Qt::LeftButton);
        QCOMPARE(m_fx->prompt.texts(), QStringList{message});
        QCOMPARE(allProjects(), before);
        QVERIFY2(FolderSnapshot::of(m_fx->app.path()) == app,
                 qPrintable(FolderSnapshot::of(m_fx->app.path()).differencesFrom(app)));
        QVERIFY(w.isVisible() || w.result() != QDialog::Accepted);
    }

    void update_readOnlyDataFolder_packageMessageAndNothingChanged()
    {
        if (!ReadOnlyMount::available())
            QSKIP(ReadOnlyMount::unavailableReason());
        const QString source = m_fx->app.writeFile(u"new.zip"_s, QByteArray(3 << 20, 'n'));
        const QList<ProjectRecord> before = allProjects();
        ReadOnlyMount readOnly(m_fx->app.filePath(u"data"_s));
        QVERIFY(readOnly.isActive());
        UpdateProjectWindow w(2, nullptr);
        edit(w, u"文件包编辑框"_s)->setText(source);
        QTest::mouseClick(button(w, u"确定按钮"_s), Qt::LeftButton);
        QCOMPARE(m_fx->prompt.texts(), QStringList{kPackageMissing});
        QCOMPARE(allProjects(), before);
        QCOMPARE(m_fx->app.readFile(u"data/B.fd1"_s), QByteArray("package B"));
    }

    void delete_everySelectedProject_withOrWithoutPackages_data()
    {
        QTest::addColumn<bool>("withPackages");
        QTest::newRow("packages kept") << false;
        QTest::newRow("packages deleted") << true;
    }

    void delete_everySelectedProject_withOrWithoutPackages()
    {
        QFETCH(bool, withPackages);
        AppSettings().write(SettingsKeys::kDeleteWithPackage, withPackages ? u"1"_s : u"0"_s);
        DeleteProjectWindow w({2, 4}, nullptr);
        QCOMPARE(w.findChild<QCheckBox*>(u"关联文件选择框"_s)->isChecked(), withPackages);
        QCOMPARE(w.findChild<QLabel*>(u"数量标签"_s)->text(), u"将删除 2 个项目"_s);
        QTest::mouseClick(button(w, u"确定按钮"_s), Qt::LeftButton);

        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(m_fx->prompt.sounds, QList<Prompt::Sound>{Prompt::Sound::Delete});
        const QList<ProjectRecord> left = allProjects();
        QCOMPARE(left.size(), 2); // packed: A and C are records 1 and 2 now
        QCOMPARE(left.at(0), fullRecord(u"A"_s));
        QCOMPARE(left.at(1), fullRecord(u"C"_s));
        QCOMPARE(QFileInfo::exists(m_fx->app.filePath(u"data/B.fd1"_s)), !withPackages);
        QCOMPARE(QFileInfo::exists(m_fx->app.filePath(u"data/D.fd1"_s)), !withPackages);
        QVERIFY(QFileInfo::exists(m_fx->app.filePath(u"data/C.fd1"_s)));
        // What went lies in the trash, the packages with their records or not at all.
        const QList<ProjectTrash::Entry> trash = ProjectTrash::entries();
        QCOMPARE(trash.size(), 2);
        for (const ProjectTrash::Entry& entry : trash) {
            QCOMPARE(entry.project, fullRecord(entry.project.number));
            QCOMPARE(entry.withPackage, withPackages);
            QCOMPARE(QFileInfo::exists(entry.packagePath), withPackages);
        }
        QCOMPARE(AppSettings().read(SettingsKeys::kDeleteWithPackage), withPackages ? u"1"_s : u"0"_s);
    }

    void delete_closedAnyWay_remembersTheBoxAndDeletesNothing()
    {
        {
            DeleteProjectWindow w({1}, nullptr);
            QCOMPARE(w.windowTitle(), QString());
            QVERIFY(!w.findChild<QCheckBox*>(u"关联文件选择框"_s)->isChecked()); // no key yet
            w.findChild<QCheckBox*>(u"关联文件选择框"_s)->setChecked(true);
            QTest::mouseClick(button(w, u"取消按钮"_s), Qt::LeftButton);
        }
        QCOMPARE(AppSettings().read(SettingsKeys::kDeleteWithPackage), u"1"_s);
        {
            DeleteProjectWindow w({1}, nullptr);
            w.show();
            QVERIFY(w.findChild<QCheckBox*>(u"关联文件选择框"_s)->isChecked());
            w.findChild<QCheckBox*>(u"关联文件选择框"_s)->setChecked(false);
            w.close(); // the close box
        }
        QCOMPARE(AppSettings().read(SettingsKeys::kDeleteWithPackage), u"0"_s);
        QCOMPARE(allProjects().size(), 4);
        QVERIFY(m_fx->prompt.sounds.isEmpty());
    }

    void delete_numberThatClimbsOut_neverRemovesAFileOutsideTheDataFolder()
    {
        {
            ProjectTable table;
            QVERIFY(table.open());
            QVERIFY(table.appendProject(fullRecord(u"../outside"_s)));
        }
        m_fx->app.writeFile(u"outside.fd1"_s, "not the catalogue's");
        AppSettings().write(SettingsKeys::kDeleteWithPackage, u"1"_s);
        DeleteProjectWindow w({5}, nullptr);
        QTest::mouseClick(button(w, u"确定按钮"_s), Qt::LeftButton);
        QCOMPARE(allProjects().size(), 4);
        QCOMPARE(m_fx->app.readFile(u"outside.fd1"_s), QByteArray("not the catalogue's"));
    }

    void commands_fromTheMainWindow_actOnTheSelectionAndRefillTheList()
    {
        MainWindow main;
        main.startUp();
        ProjectListView* list = child<ProjectListView>(&main);
        const auto selectRow = [list](int row) {
            list->clearSelection();
            list->setCurrentItem(list->item(row));
        };

        selectRow(1);
        whenModal<UpdateProjectWindow>([](UpdateProjectWindow* w) {
            edit(*w, u"名称编辑框"_s)->setText(u"改名"_s);
            button(*w, u"确定按钮"_s)->click();
        });
        child<QPushButton>(&main, u"更新按钮"_s)->click();
        QCOMPARE(list->item(1)->text(), u"改名 1.4"_s);

        selectRow(0);
        list->item(3)->setSelected(true);
        whenModal<DeleteProjectWindow>([](DeleteProjectWindow* w) { button(*w, u"确定按钮"_s)->click(); });
        child<QPushButton>(&main, u"删除按钮"_s)->click();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), u"改名 1.4"_s);
        QCOMPARE(m_fx->prompt.sounds.count(Prompt::Sound::Delete), 1);
    }

private:
    static QLineEdit* edit(QWidget& w, const QString& name) { return w.findChild<QLineEdit*>(name); }
    static QPushButton* button(QWidget& w, const QString& name) { return w.findChild<QPushButton*>(name); }

    std::unique_ptr<AppFixture> m_fx;
};

TALLYRA_TEST_MAIN_WITH_MOUNTS(UpdateDeleteTest)
#include "tst_updatedelete.moc"
