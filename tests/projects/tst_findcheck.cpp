#include "AppFixture.h"
#include "CatalogBuilder.h"
#include "Spoken.h"
#include "projects/CatalogueCheck.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectFilter.h"
#include "projects/ProjectTrash.h"
#include "projects/ui/CatalogueCheckWindow.h"

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

class FindCheckTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void filter_rule_data();
    void filter_rule();
    void check_craftedDataFolder_listsMissingPackagesAndOrphans();
    void checkWindow_deleteAsksOnceThenRemovesOnlyTheSelectedOrphans();
    void checkWindow_exportCopiesTheOrphanAndChangesNothing();

private:
    void writeData(const QString& name, const QByteArray& bytes = "x");
    // The crafted catalogue: records 1-4 as below, and beside them the files of data/.
    void craftCatalogue();
    static QStringList column(const QTreeWidget* list, int c);

    std::unique_ptr<AppFixture> m_fx;
};

void FindCheckTest::init()
{
    m_fx = std::make_unique<AppFixture>();
}

void FindCheckTest::cleanup()
{
    m_fx.reset();
}

void FindCheckTest::writeData(const QString& name, const QByteArray& bytes)
{
    QFile f(m_fx->app.filePath(u"data/"_s + name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void FindCheckTest::craftCatalogue()
{
    QVERIFY(CatalogBuilder::addProject({u"P1"_s, u"有包"_s, 0, u"1.0"_s}));
    // The number with a dot: its package is "v1.2.fd1", not "v1.fd1".
    QVERIFY(CatalogBuilder::addProject({u"v1.2"_s, u"带点编号"_s, 0, u"2.0"_s}));
    QVERIFY(CatalogBuilder::addProject({u"P3"_s, u"丢了包"_s, 0, u"3.0"_s, {}, u"rar"_s}));
    // Added without a package on purpose: never missing, and a file of its number is still its own.
    QVERIFY(CatalogBuilder::addProject({u"P4"_s, u"无包"_s, 0, u"4.0"_s, {}, QString()}));
    QVERIFY(CatalogBuilder::addProject({u"P5"_s, u"无包有文件"_s, 0, u"5.0"_s, {}, QString()}));
    writeData(u"P1.fd1"_s);
    writeData(u"v1.2.fd1"_s);
    writeData(u"P5.fd1"_s);
    writeData(u"v1.fd1"_s, "old");       // named by no project
    writeData(u"旧项目.fd1"_s, "older"); // left by an older backup
    writeData(u"P3.zip"_s);              // not a package file
    writeData(u"P3.fd1.bak"_s);
    QVERIFY(QDir().mkpath(m_fx->app.filePath(u"data/folder.fd1"_s)));
    // Packages the trash and the package history keep belong to no project, and are no orphans either.
    m_fx->app.writeFile(u"data/trash/20261201093005000-1/package.fd1"_s, "trashed");
    m_fx->app.writeFile(u"data/history/P1/20261201-093005.fd1"_s, "earlier");
}

QStringList FindCheckTest::column(const QTreeWidget* list, int c)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(c);
    return texts;
}

void FindCheckTest::filter_rule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("kept");
    // The project: number "TX_2601", name "记账本Pro", version "ｖ1.5".
    QTest::newRow("empty text keeps all") << QString() << true;
    QTest::newRow("number part") << u"2601"_s << true;
    QTest::newRow("number other case") << u"tx_"_s << true;
    QTest::newRow("name Chinese") << u"账本"_s << true;
    QTest::newRow("name Latin upper") << u"PRO"_s << true;
    QTest::newRow("full-width typed, half-width stored") << u"ＰＲＯ"_s << true;
    QTest::newRow("half-width typed, full-width stored") << u"v1.5"_s << true;
    QTest::newRow("full-width digits") << u"２６０１"_s << true;
    QTest::newRow("version") << u"1.5"_s << true;
    QTest::newRow("not across name and version") << u"pro v"_s << false;
    QTest::newRow("not across fields at all") << u"2601记"_s << false;
    QTest::newRow("Chinese absent") << u"日记"_s << false;
    QTest::newRow("longer than every field") << u"记账本Pro专业版"_s << false;
}

void FindCheckTest::filter_rule()
{
    QFETCH(QString, text);
    QFETCH(bool, kept);
    QCOMPARE(ProjectFilter::matches(u"TX_2601"_s, u"记账本Pro"_s, u"ｖ1.5"_s, text), kept);
    ProjectFilter filter;
    filter.setProjects({u"other"_s, u"TX_2601"_s}, {u"别的"_s, u"记账本Pro"_s}, {u"9"_s, u"ｖ1.5"_s});
    QCOMPARE(filter.matches(text).at(1), kept);
}

void FindCheckTest::check_craftedDataFolder_listsMissingPackagesAndOrphans()
{
    craftCatalogue();
    const CatalogueCheck::Result result = CatalogueCheck::check();
    QVERIFY(result.tableRead);
    QCOMPARE(result.missing.size(), 1);
    QCOMPARE(result.missing.at(0).recordNumber, 3);
    QCOMPARE(result.missing.at(0).number, u"P3"_s);
    QCOMPARE(result.missing.at(0).packageType, u"rar"_s);
    QStringList orphans;
    for (const CatalogueCheck::OrphanFile& f : result.orphans)
        orphans << f.fileName;
    QCOMPARE(orphans, (QStringList{u"v1.fd1"_s, u"旧项目.fd1"_s}));

    // Names that are no package file of the folder are never deleted, whatever a caller passes.
    const QStringList refused{u"../data/P1.fd1"_s, u"P3.zip"_s, u"trash/20261201093005000-1/package.fd1"_s,
                              u"history/P1/20261201-093005.fd1"_s};
    QCOMPARE(CatalogueCheck::deleteOrphans(refused), refused);
    QCOMPARE(m_fx->app.readFile(u"data/trash/20261201093005000-1/package.fd1"_s), QByteArray("trashed"));
    QCOMPARE(m_fx->app.readFile(u"data/history/P1/20261201-093005.fd1"_s), QByteArray("earlier"));
    QVERIFY(QFile::exists(m_fx->app.filePath(u"data/P1.fd1"_s)));
    QVERIFY(QFile::exists(m_fx->app.filePath(u"data/P3.zip"_s)));
}

void FindCheckTest::checkWindow_deleteAsksOnceThenRemovesOnlyTheSelectedOrphans()
{
    craftCatalogue();
    CatalogueCheckWindow window;
    QVERIFY(window.refresh());
    auto* missing = window.findChild<QTreeWidget*>(u"缺包项目列表框"_s);
    auto* orphans = window.findChild<QTreeWidget*>(u"多余文件列表框"_s);
    QCOMPARE(column(missing, 0), QStringList{u"P3"_s});
    QCOMPARE(spokenName(&window), u"检查数据"_s);
    QCOMPARE(spokenName(orphans), u"没有项目使用的文件包"_s);
    QCOMPARE(column(orphans, 0), (QStringList{u"v1.fd1"_s, u"旧项目.fd1"_s}));
    QCOMPARE(column(orphans, 1), (QStringList{u"3 字节"_s, u"5 字节"_s}));
    QCOMPARE(window.findChild<QLabel*>(u"标签2"_s)->text(), u"没有项目使用的文件包（2 个）："_s);
    auto* remove = window.findChild<QPushButton*>(u"删除文件按钮"_s);

    remove->click();
    QCOMPARE(m_fx->prompt.texts(), QStringList{u"请选择您要操作的文件！"_s});
    m_fx->prompt.clear();

    orphans->topLevelItem(1)->setSelected(true);
    m_fx->prompt.queueAnswer(Prompt::Answer::No);
    remove->click();
    QVERIFY(QFile::exists(m_fx->app.filePath(u"data/旧项目.fd1"_s)));

    m_fx->prompt.queueAnswer(Prompt::Answer::Yes);
    remove->click();
    const QString question = u"您确定要删除所选定的 1 个文件吗？删除的文件可以在回收站中还原。"_s;
    QCOMPARE(m_fx->prompt.texts(), (QStringList{question, question}));
    QVERIFY(!QFile::exists(m_fx->app.filePath(u"data/旧项目.fd1"_s)));
    QCOMPARE(column(orphans, 0), QStringList{u"v1.fd1"_s});
    const QStringList left = QDir(m_fx->app.filePath(u"data"_s)).entryList({u"*.fd1*"_s, u"*.zip"_s}, QDir::Files);
    QCOMPARE(left, (QStringList{u"P1.fd1"_s, u"P3.fd1.bak"_s, u"P3.zip"_s, u"P5.fd1"_s, u"v1.2.fd1"_s, u"v1.fd1"_s}));

    // The deleted file waits in the trash, without a record, and 还原 puts it back as it was.
    const QList<ProjectTrash::Entry> trashed = ProjectTrash::entries();
    QCOMPARE(trashed.size(), 1);
    QCOMPARE(trashed.first().project.number, u"旧项目"_s);
    QVERIFY(!trashed.first().hasRecord);
    QCOMPARE(ProjectTrash::restore(trashed.first().id), ProjectTrash::RestoreOutcome::Restored);
    QCOMPARE(m_fx->app.readFile(u"data/旧项目.fd1"_s).size(), 5);
    QVERIFY(ProjectTrash::entries().isEmpty());
    QVERIFY(!ProjectCatalogue::recordOf(u"旧项目"_s));
}

void FindCheckTest::checkWindow_exportCopiesTheOrphanAndChangesNothing()
{
    craftCatalogue();
    CatalogueCheckWindow window;
    QVERIFY(window.refresh());
    auto* orphans = window.findChild<QTreeWidget*>(u"多余文件列表框"_s);
    orphans->setCurrentItem(orphans->topLevelItem(0));
    const QString target = m_fx->app.filePath(u"out.bin"_s);
    m_fx->prompt.queueSaveFile(target);
    window.findChild<QPushButton*>(u"导出文件按钮"_s)->click();

    QCOMPARE(m_fx->prompt.fileDialogs.constLast().initialPath, u"v1"_s);
    QFile out(target);
    QVERIFY(out.open(QIODevice::ReadOnly));
    QCOMPARE(out.readAll(), QByteArray("old"));
    QVERIFY(QFile::exists(m_fx->app.filePath(u"data/v1.fd1"_s)));
    QVERIFY(m_fx->prompt.messages().isEmpty());
}

QTEST_MAIN(FindCheckTest)
#include "tst_findcheck.moc"
