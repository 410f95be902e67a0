#include "TempAppDir.h"
#include "WindowsSkips.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "store/FindFold.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// Every field of a project keeps what was written into it through the table, a delete into the trash and a 还原:
// the list of fields drives all three, so a field added to it is carried everywhere at once.
class ProjectFieldsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyField_keptThroughTableTrashAndRestore_data()
    {
        QTest::addColumn<qsizetype>("field");
        for (qsizetype i = 0; i < ProjectRecord::fields().size(); ++i)
            QTest::newRow(qPrintable(ProjectRecord::fields().at(i).name)) << i;
    }

    void everyField_keptThroughTableTrashAndRestore()
    {
        QFETCH(qsizetype, field);
        TempAppDir app;
        const ProjectRecord::Field& listed = ProjectRecord::fields().at(field);
        ProjectRecord project;
        project.number = u"P1"_s;
        switch (listed.kind) {
        case FieldKind::Integer:
            listed.set(project, 7);
            break;
        case FieldKind::DateTime:
            listed.set(project, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
            break;
        case FieldKind::Text:
        case FieldKind::Bytes:
            listed.set(project, field == 0 ? u"P1"_s : u"字段\r\n%1"_s.arg(listed.name));
            break;
        }
        {
            ProjectTable projects;
            QVERIFY(projects.open() && projects.appendProject(project));
        }
        QCOMPARE(ProjectCatalogue::readProject(1), project);

        QCOMPARE(ProjectRules::deleteProjects({1}, false), 1);
        const QList<ProjectTrash::Entry> entries = ProjectTrash::entries();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().project, project);

        QCOMPARE(ProjectTrash::restore(entries.first().id), ProjectTrash::RestoreOutcome::Restored);
        QCOMPARE(ProjectCatalogue::readProject(1), project);
    }

    // Find by the texts answers from an index beside the records; after every kind of write, also one made by a
    // program that does not keep it and a table made before it, it answers as reading every record would.
    void textIndex_keptInStepWithTheRecords_data();
    void textIndex_keptInStepWithTheRecords();
};

Q_DECLARE_METATYPE(std::function<void()>)

namespace {

ProjectRecord withTexts(const QString& number, const QString& notes, const QString& design, const QString& bug,
                        const QString& history)
{
    ProjectRecord project;
    project.number = number;
    project.name = u"项目"_s + number;
    project.notes = notes;
    project.designPlan = design;
    project.bugReport = bug;
    project.upgradeHistory = history;
    return project;
}

// The records whose texts hold the text as find compares, read record by record: what the index must answer.
QList<int> holding(const QString& text)
{
    const QString needle = FindFold::fold(text);
    QList<int> records;
    ProjectTable projects;
    if (!projects.open())
        return records;
    for (projects.goFirst(); !projects.pastLast(); projects.skip()) {
        const ProjectRecord p = projects.readProject();
        for (const QString& field : {p.notes, p.designPlan, p.bugReport, p.upgradeHistory}) {
            if (FindFold::fold(field).contains(needle)) {
                records.append(projects.currentRecordNumber());
                break;
            }
        }
    }
    return records;
}

// A write made through the table engine without the index, as a program that does not know it writes.
void writeNotesWithoutIndex(int record, const QString& notes)
{
    RecordTable table;
    QVERIFY(table.open(TableSchemas::projectTablePath()));
    QVERIFY(table.goTo(record));
    QVERIFY(table.writeField(ProjectField::Notes, notes));
}

} // namespace

void ProjectFieldsTest::textIndex_keptInStepWithTheRecords_data()
{
    using Step = std::function<void()>;
    QTest::addColumn<Step>("step");
    QTest::newRow("a project added") << Step([] {
        ProjectTable projects;
        QVERIFY(projects.open() && projects.appendProject(withTexts(u"P4"_s, u"新增的备注"_s, {}, {}, {})));
    });
    QTest::newRow("texts edited") << Step([] {
        ProjectRecord edited = ProjectCatalogue::readProject(2);
        edited.bugReport = u"改成了签名的问题"_s;
        edited.upgradeHistory.clear();
        QCOMPARE(ProjectRules::updateProject(2, edited, {}), ProjectRules::UpdateOutcome::Updated);
    });
    QTest::newRow("the first deleted, the others renumbered")
        << Step([] { QCOMPARE(ProjectRules::deleteProjects({1}, false), 1); });
    QTest::newRow("deleted and brought back") << Step([] {
        QCOMPARE(ProjectRules::deleteProjects({2}, false), 1);
        QCOMPARE(ProjectTrash::restore(ProjectTrash::entries().first().id), ProjectTrash::RestoreOutcome::Restored);
    });
    QTest::newRow("written by a program that keeps no index")
        << Step([] { writeNotesWithoutIndex(3, u"另一个程序写的签名"_s); });
    QTest::newRow("a table without an index") << Step([] {
        QVERIFY(QFile::remove(TableSchemas::projectTablePath()));
        QVERIFY(RecordTable::create(TableSchemas::projectTablePath(), TableSchemas::tables().first().fields));
        RecordTable table;
        QVERIFY(table.open(TableSchemas::projectTablePath()));
        QVERIFY(table.appendRecord(withTexts(u"Q1"_s, u"旧表里的签名"_s, {}, {}, {}).toValues()));
    });
}

void ProjectFieldsTest::textIndex_keptInStepWithTheRecords()
{
    QFETCH(std::function<void()>, step);
    if (!RecordTable::canIndexTexts())
        QSKIP(WindowsSkips::kNoTextIndex);
    TempAppDir app;
    {
        ProjectTable projects;
        QVERIFY(projects.open());
        QVERIFY(projects.appendProject(
            withTexts(u"P1"_s, u"登录界面的签名校验"_s, u"采用 SQLite 存储"_s, {}, u"v1.0 首次发布"_s)));
        QVERIFY(projects.appendProject(withTexts(u"P2"_s, {}, {}, u"Crash when 打开大文件"_s, u"修复签名"_s)));
        QVERIFY(projects.appendProject(withTexts(u"P3"_s, u"ＡＢＣ全角"_s, u"设计\r\n第二行"_s, {}, {})));
    }
    step();
    if (QTest::currentTestFailed())
        return;
    ProjectTable projects;
    QVERIFY(projects.open());
    QVERIFY(projects.hasTextIndex());
    const QStringList probes{u"签名"_s,   u"签"_s,     u"sqlite"_s, u"CRASH"_s,      u"abc"_s,         u"首次发布"_s,
                             u"新增的"_s, u"第二行"_s, u"旧表里"_s, u"另一个程序"_s, u"没有这段文字"_s};
    for (const QString& probe : probes) {
        QCOMPARE(projects.recordsWithText(probe).value_or(QList<int>{-1}), holding(probe));
        QCOMPARE(projects.scanRecordsContaining(FindFold::fold(probe)).value_or(QList<int>{-1}), holding(probe));
    }
}

QTEST_GUILESS_MAIN(ProjectFieldsTest)
#include "tst_project_fields.moc"
