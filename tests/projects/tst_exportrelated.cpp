#include "AppFixture.h"
#include "ReadOnlyMount.h"
#include "WindowsSkips.h"
#include "projects/ProjectRules.h"
#include "projects/ui/ExportProject.h"
#include "projects/ui/RelatedProjectsWindow.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

void addProject(const QString& number, const QString& name, const QString& version, const QString& type,
                const QString& related = {})
{
    ProjectRecord p;
    p.number = number;
    p.name = name;
    p.version = version;
    p.packageType = type;
    p.relatedProjects = related;
    ProjectTable table;
    QVERIFY(table.open());
    QVERIFY(table.appendProject(p));
}

QString storedRelated(int record)
{
    ProjectTable table;
    table.open();
    table.goTo(record);
    return table.readField(ProjectField::RelatedProjects).toString();
}

QStringList column(const QTreeWidget* list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

void select(QTreeWidget* list, int row)
{
    list->clearSelection();
    if (row >= 0)
        list->setCurrentItem(list->topLevelItem(row));
}

} // namespace

class ExportRelatedTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_fx = std::make_unique<AppFixture>(); }
    void cleanup() { m_fx.reset(); }

    void export_dialogFollowsTheTypeAndTheCopyIsExact_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("zip") << u"zip"_s << u"ZIP压缩档案(*.ZIP)|*.zip|*.*|*.*"_s << u"zip"_s;
        QTest::newRow("ZIP in capitals") << u"ZIP"_s << u"ZIP压缩档案(*.ZIP)|*.zip|*.*|*.*"_s << u"zip"_s;
        QTest::newRow("e") << u"e"_s << u"易程序(*.E)|*.e|*.*|*.*"_s << u"e"_s;
        QTest::newRow("ec") << u"Ec"_s << u"易语言模块(*.EC)|*.ec|*.*|*.*"_s << u"ec"_s;
        QTest::newRow("dll") << u"dll"_s << u"DLL动态链接库(*.DLL)|*.dll|*.*|*.*"_s << u"dll"_s;
        QTest::newRow("rar") << u"rar"_s << u"RAR文件(*.rar)|*.rar|*.*|*.*"_s << u"rar"_s;
        QTest::newRow("no type") << QString() << u"文件(*.)|*.|*.*|*.*"_s << QString();
    }

    void export_dialogFollowsTheTypeAndTheCopyIsExact()
    {
        QFETCH(QString, type);
        QFETCH(QString, suffix);
        addProject(u"P1"_s, u"记账"_s, QString(), type);
        const QByteArray bytes = "PK\x03\x04 package bytes \x00\xff";
        m_fx->app.writeFile(u"data/P1.fd1"_s, bytes);
        const QString target = m_fx->app.filePath(u"out/记账.x"_s);
        QDir().mkpath(m_fx->app.filePath(u"out"_s));
        m_fx->prompt.queueSaveFile(target);

        QVERIFY(exportProject(1, nullptr));

        QCOMPARE(m_fx->prompt.fileDialogs.size(), 1);
        const Prompt::FileDialog& shown = m_fx->prompt.fileDialogs.constFirst();
        QCOMPARE(shown.title, u"导出"_s);
        QTEST(shown.filter, "filter");
        QTEST(shown.defaultSuffix, "suffix");
        // Name, one space, the (empty) version and the type's extension.
        QCOMPARE(shown.initialPath, suffix.isEmpty() ? u"记账 "_s : u"记账 ."_s + suffix);
        QCOMPARE(m_fx->app.readFile(u"out/记账.x"_s), bytes);
        QVERIFY(m_fx->prompt.messages().isEmpty());
    }

    void export_defaultNameEndsWithTheTypesExtension_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("name");
        QTest::newRow("version with a dot") << u"1.0"_s << u"zip"_s << u"甲 1.0.zip"_s;
        QTest::newRow("type in capitals") << u"1.0"_s << u"ZIP"_s << u"甲 1.0.zip"_s;
        QTest::newRow("other type") << u"2.3.1"_s << u"rar"_s << u"甲 2.3.1.rar"_s;
        QTest::newRow("version ends with it") << u"1.0.zip"_s << u"zip"_s << u"甲 1.0.zip"_s;
        QTest::newRow("in other letter case") << u"1.0.ZIP"_s << u"zip"_s << u"甲 1.0.ZIP"_s;
        QTest::newRow("no type") << u"1.0"_s << QString() << u"甲 1.0"_s;
    }

    void export_defaultNameEndsWithTheTypesExtension()
    {
        QFETCH(QString, version);
        QFETCH(QString, type);
        addProject(u"P1"_s, u"甲"_s, version, type);
        m_fx->app.writeFile(u"data/P1.fd1"_s, "package");
        m_fx->prompt.queueSaveFile(QString());
        QVERIFY(!exportProject(1, nullptr));
        QCOMPARE(m_fx->prompt.fileDialogs.size(), 1);
        QTEST(m_fx->prompt.fileDialogs.constFirst().initialPath, "name");
    }

    void export_failures_messageAndNoPartialFile_data()
    {
        const QStringList failed{u"导出文件失败！"_s};
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("never imported") << false << u"out/a.zip"_s << QStringList{u"项目文件已丢失或未导入！"_s};
        QTest::newRow("cancelled") << true << QString() << QStringList();
        QTest::newRow("read-only folder") << true << u"locked/a.zip"_s << failed;
        // Nothing goes into the data folder, however it is reached: the tables and packages stay as they are.
        QTest::newRow("onto the stored package") << true << u"data/P1.fd1"_s << failed;
        QTest::newRow("onto the project table") << true << u"data/DB.EDB"_s << failed;
        QTest::newRow("new file in the data folder") << true << u"data/甲 1.zip"_s << failed;
        QTest::newRow("through a link to the folder") << true << u"links/data/DB.EDB"_s << failed;
        QTest::newRow("onto a link to the table") << true << u"links/table"_s << failed;
#ifdef Q_OS_WIN
        // Windows names one folder in any letter case and with either separator.
        QTest::newRow("data folder in capitals") << true << u"DATA/甲 1.zip"_s << failed;
        QTest::newRow("data folder through backslashes") << true << u"Data\\DB.EDB"_s << failed;
#endif
    }

    void export_failures_messageAndNoPartialFile()
    {
        QFETCH(bool, stored);
        QFETCH(QString, target);
        addProject(u"P1"_s, u"甲"_s, u"1"_s, u"zip"_s);
        const QByteArray bytes(2 << 20, 'p');
        if (stored)
            m_fx->app.writeFile(u"data/P1.fd1"_s, bytes);
        m_fx->app.writeFile(u"locked/a.zip"_s, "kept");
        QDir().mkpath(m_fx->app.filePath(u"out"_s));
        QDir().mkpath(m_fx->app.filePath(u"links"_s));
#ifdef Q_OS_WIN
        // QFile::link makes a shortcut there, which no path leads through.
        if (target.startsWith(u"links/"))
            QSKIP(WindowsSkips::kLinks);
#else
        QVERIFY(QFile::link(m_fx->app.filePath(u"data"_s), m_fx->app.filePath(u"links/data"_s)));
        QVERIFY(QFile::link(m_fx->app.filePath(u"data/DB.EDB"_s), m_fx->app.filePath(u"links/table"_s)));
#endif
        const QStringList dataBefore = QDir(m_fx->app.filePath(u"data"_s)).entryList(QDir::Files);
        const QByteArray tableBefore = m_fx->app.readFile(u"data/DB.EDB"_s);
        std::unique_ptr<ReadOnlyMount> readOnly;
        if (target.startsWith(u"locked")) {
            if (!ReadOnlyMount::available())
                QSKIP(ReadOnlyMount::unavailableReason());
            readOnly = std::make_unique<ReadOnlyMount>(m_fx->app.filePath(u"locked"_s));
        }
        if (stored)
            m_fx->prompt.queueSaveFile(target.isEmpty() ? QString() : m_fx->app.filePath(target));

        const bool written = exportProject(1, nullptr);

        QTEST(m_fx->prompt.texts(), "messages");
        QVERIFY(!written);
        QCOMPARE(QDir(m_fx->app.filePath(u"data"_s)).entryList(QDir::Files), dataBefore);
        QCOMPARE(m_fx->app.readFile(u"data/DB.EDB"_s), tableBefore);
#ifndef Q_OS_WIN
        QVERIFY(QFileInfo(m_fx->app.filePath(u"links/table"_s)).isSymLink());
#endif
        QCOMPARE(m_fx->app.readFile(u"locked/a.zip"_s), QByteArray("kept"));
        QCOMPARE(QDir(m_fx->app.filePath(u"locked"_s)).entryList(QDir::Files), QStringList{u"a.zip"_s});
        QVERIFY(QDir(m_fx->app.filePath(u"out"_s)).isEmpty());
        if (stored)
            QCOMPARE(m_fx->app.readFile(u"data/P1.fd1"_s), bytes);
    }

    void related_storedListIsShownAndRewrittenCanonically()
    {
        addProject(u"A"_s, u"甲"_s, u"1.0"_s, u"zip"_s, u"B\r\n   \r\n B \r\nGONE\r\nA\r\nB"_s);
        addProject(u"B"_s, u"乙"_s, u"2.0"_s, u"zip"_s);
        {
            RelatedProjectsWindow w(1, nullptr);
            QCOMPARE(w.width(), RelatedProjectsWindow::kNarrowWidth);
            auto* related = w.findChild<QTreeWidget*>(u"关联项目列表框"_s);
            QCOMPARE(column(related, 0), QStringList({u"B"_s, u" B "_s, u"GONE"_s, u"A"_s, u"B"_s}));
            QCOMPARE(column(related, 1), QStringList({u"乙"_s, u"项目不存在"_s, u"项目不存在"_s, u"甲"_s, u"乙"_s}));
            auto* picker = w.findChild<QTreeWidget*>(u"选择项目列表框"_s);
            QCOMPARE(column(picker, 2), QStringList({u"1.0"_s, u"2.0"_s}));
            w.show();
            w.close();
        }
        // Every closing writes each listed number followed by CR LF; the blank piece is gone.
        QCOMPARE(storedRelated(1), u"B\r\n B \r\nGONE\r\nA\r\nB\r\n"_s);
        QCOMPARE(storedRelated(2), QString()); // relations are one-way
    }

    void related_tableRefusesTheList_saysSo()
    {
        addProject(u"A"_s, u"甲"_s, u"1.0"_s, u"zip"_s);
        RelatedProjectsWindow w(1, nullptr);
        w.show();
        QVERIFY(QFile::rename(m_fx->app.filePath(u"data/DB.EDB"_s), m_fx->app.filePath(u"DB.EDB.away"_s)));
        w.close();
        QCOMPARE(m_fx->prompt.texts(), QStringList{u"数据库操作失败！"_s});
        m_fx->prompt.clear();
    }

    void related_takeRemoveAndExport_actOnTheSelection()
    {
        addProject(u"A"_s, u"甲"_s, u"1.0"_s, u"zip"_s, u"GONE\r\n"_s);
        addProject(u"B"_s, u"乙"_s, u"2.0"_s, u"e"_s);
        m_fx->app.writeFile(u"data/B.fd1"_s, "module");
        RelatedProjectsWindow w(1, nullptr);
        w.show();
        auto* related = w.findChild<QTreeWidget*>(u"关联项目列表框"_s);
        auto* picker = w.findChild<QTreeWidget*>(u"选择项目列表框"_s);
        const auto click = [&w](const QString& name) { w.findChild<QPushButton*>(name)->click(); };

        // Narrow, nothing of the picker shows; wide, all of it.
        QVERIFY(picker->visibleRegion().isEmpty());
        click(u"添加按钮"_s);
        QCOMPARE(w.width(), RelatedProjectsWindow::kWideWidth);
        QCOMPARE(picker->visibleRegion().boundingRect(), picker->rect());
        click(u"超级按钮4"_s);
        click(u"删除按钮"_s);
        click(u"导出按钮"_s);
        select(related, 0); // "GONE"
        click(u"导出按钮"_s);
        QCOMPARE(m_fx->prompt.texts(), QStringList({u"请选择要关联到的项目！"_s, u"请选择您要删除的项目！"_s,
                                                    u"请选择您要导出的项目！"_s, u"项目文件不存在！"_s}));
        m_fx->prompt.clear();

        // The project itself and the same project twice are taken as they are.
        select(picker, 0);
        click(u"超级按钮4"_s);
        select(picker, 1);
        click(u"超级按钮4"_s);
        click(u"超级按钮4"_s);
        QCOMPARE(w.width(), RelatedProjectsWindow::kWideWidth);
        select(related, 0);
        click(u"删除按钮"_s);
        QVERIFY(related->selectedItems().isEmpty());
        QCOMPARE(column(related, 0), QStringList({u"A"_s, u"B"_s, u"B"_s}));
        click(u"超级按钮5"_s);
        QCOMPARE(w.width(), RelatedProjectsWindow::kNarrowWidth);
        QVERIFY(picker->visibleRegion().isEmpty());

        select(related, 1);
        m_fx->prompt.queueSaveFile(m_fx->app.filePath(u"乙.e"_s));
        click(u"导出按钮"_s);
        QCOMPARE(m_fx->prompt.fileDialogs.constLast().filter, u"易程序(*.E)|*.e|*.*|*.*"_s);
        QCOMPARE(m_fx->app.readFile(u"乙.e"_s), QByteArray("module"));
        QVERIFY(m_fx->prompt.messages().isEmpty());

        w.close();
        QCOMPARE(storedRelated(1), u"A\r\nB\r\nB\r\n"_s);
    }

private:
    std::unique_ptr<AppFixture> m_fx;
};

TALLYRA_TEST_MAIN_WITH_MOUNTS(ExportRelatedTest)
#include "tst_exportrelated.moc"
