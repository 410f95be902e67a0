#include "CatalogBuilder.h"
#include "PowerCut.h"
#include "TempAppDir.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// The power goes after the k-th write of a commit, for every k the commit has. Whatever k, the table opens
// again afterwards and holds exactly what it held before the commit or exactly what the commit wrote.
namespace {

using Contents = QList<QVariantList>;

struct Commit
{
    const char* name;
    QString table;
    std::function<bool(RecordTable&)> write;
};

ProjectRecord project(int n)
{
    ProjectRecord p;
    p.number = u"P%1"_s.arg(n);
    p.name = u"项目%1"_s.arg(n);
    p.version = u"1.0"_s;
    p.startTime = QDateTime(QDate(2026, 1, n), QTime(8, 0));
    // Long enough to spread a record over several pages, so a torn commit would show.
    p.notes = u"笔记%1|"_s.arg(n).repeated(400);
    return p;
}

QList<Commit> commits()
{
    return {
        {"append", TableSchemas::projectTablePath(),
         [](RecordTable& t) { return t.appendRecord(project(4).toValues()); }},
        {"modify", TableSchemas::projectTablePath(),
         [](RecordTable& t) {
             ProjectRecord p = project(2);
             p.name = u"改过"_s;
             p.notes = u"新笔记|"_s.repeated(900);
             return t.goTo(2) && t.modifyRecord(p.toValues());
         }},
        {"text save", TableSchemas::projectTablePath(),
         [](RecordTable& t) { return t.goTo(3) && t.writeField(ProjectField::DesignPlan, u"设计|"_s.repeated(2000)); }},
        {"delete and pack, records", TableSchemas::projectTablePath(),
         [](RecordTable& t) {
             return t.deleteRecords({1, 3});
         }},
        {"delete and pack, records with pictures", TableSchemas::typeTablePath(),
         [](RecordTable& t) { return t.deleteRecords({2}); }},
    };
}

// The installed tables and three projects.
void prepare()
{
    ProjectTable projects;
    QVERIFY(projects.open());
    for (int n = 1; n <= 3; ++n)
        QVERIFY(projects.appendProject(project(n)));
}

// Every field of every record, and its delete mark; a table that does not open has no contents at all.
Contents contentsOf(const QString& path)
{
    RecordTable table;
    if (!table.open(path))
        return {{u"does not open"_s}};
    Contents contents;
    for (table.goFirst(); !table.pastLast(); table.skip()) {
        QVariantList values{table.isDeleted()};
        for (int field = 1; field <= table.fieldCount(); ++field)
            values.append(table.readField(field));
        contents.append(values);
    }
    return contents;
}

// Runs the commit on freshly prepared tables with the power going after `budget` writes (or never);
// answers the writes it asked for.
int runCommit(const Commit& commit, int budget)
{
    PowerCut power(budget);
    RecordTable table;
    if (!table.open(commit.table) || (!commit.write(table) && budget == PowerCut::kNoCut))
        return -1;
    table.close();
    return power.writes();
}

// Deletes projects 1 and 3 with their packages; answers what the rules answered.
int deleteTwo(int budget, PowerCut::After after, int* writes = nullptr)
{
    for (int n = 1; n <= 3; ++n) {
        QFile package(ProjectCatalogue::packagePath(project(n).number));
        if (!package.open(QIODevice::WriteOnly) || package.write("zip") != 3)
            return -2;
    }
    PowerCut power(budget, after);
    const int answer = ProjectRules::deleteProjects({1, 3}, true);
    if (writes)
        *writes = power.writes();
    return answer;
}

} // namespace

class PowerCutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commit_cutAfterAnyWrite_tableHoldsTheOldOrTheNewState_data();
    void commit_cutAfterAnyWrite_tableHoldsTheOldOrTheNewState();
    void deleteProjects_diskFailsAtAnyWrite_recordsAndPackagesStayTogether_data();
    void deleteProjects_diskFailsAtAnyWrite_recordsAndPackagesStayTogether();
    void projectTable_deleteCutOffBeforeItsPack_projectNeverSeenAgain();
};

void PowerCutTest::commit_cutAfterAnyWrite_tableHoldsTheOldOrTheNewState_data()
{
    QTest::addColumn<int>("commit");
    QTest::addColumn<int>("budget");
    const QList<Commit> all = commits();
    for (int c = 0; c < all.size(); ++c) {
        const TempAppDir app;
        prepare();
        const int writes = runCommit(all.at(c), PowerCut::kNoCut);
        QVERIFY2(writes > 0, all.at(c).name);
        for (int budget = 0; budget <= writes; ++budget)
            QTest::addRow("%s, %d of %d writes", all.at(c).name, budget, writes) << c << budget;
    }
}

void PowerCutTest::commit_cutAfterAnyWrite_tableHoldsTheOldOrTheNewState()
{
    QFETCH(int, commit);
    QFETCH(int, budget);
    const Commit chosen = commits().at(commit);
    Contents after;
    {
        const TempAppDir app;
        prepare();
        runCommit(chosen, PowerCut::kNoCut);
        after = contentsOf(chosen.table);
    }
    const TempAppDir app;
    prepare();
    const Contents before = contentsOf(chosen.table);
    QVERIFY(before != after);

    runCommit(chosen, budget);

    const Contents found = contentsOf(chosen.table);
    QVERIFY2(found == before || found == after, qPrintable(found.value(0).value(0).toString()));
}

void PowerCutTest::deleteProjects_diskFailsAtAnyWrite_recordsAndPackagesStayTogether_data()
{
    QTest::addColumn<int>("budget");
    const TempAppDir app;
    prepare();
    int writes = 0;
    QCOMPARE(deleteTwo(PowerCut::kNoCut, PowerCut::After::Errors, &writes), 2);
    for (int budget = 0; budget <= writes; ++budget)
        QTest::addRow("%d of %d writes", budget, writes) << budget;
}

void PowerCutTest::deleteProjects_diskFailsAtAnyWrite_recordsAndPackagesStayTogether()
{
    QFETCH(int, budget);
    const TempAppDir app;
    prepare();

    const int answer = deleteTwo(budget, PowerCut::After::Errors);

    QStringList packages;
    for (int n = 1; n <= 3; ++n) {
        if (QFile::exists(ProjectCatalogue::packagePath(project(n).number)))
            packages.append(project(n).number);
    }
    // A deleted project's package went with it into the trash.
    QStringList trashed;
    for (const ProjectTrash::Entry& entry : ProjectTrash::entries()) {
        QVERIFY(entry.withPackage);
        trashed.append(entry.project.number);
    }
    trashed.sort();
    if (answer == ProjectRules::kDeleteFailed) {
        QCOMPARE(CatalogBuilder::projectNumbers(), QStringList({u"P1"_s, u"P2"_s, u"P3"_s}));
        QCOMPARE(packages, QStringList({u"P1"_s, u"P2"_s, u"P3"_s}));
        QCOMPARE(trashed, QStringList());
        QCOMPARE(QDir(ProjectTrash::folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    } else {
        QCOMPARE(answer, 2);
        QCOMPARE(CatalogBuilder::projectNumbers(), QStringList{u"P2"_s});
        QCOMPARE(packages, QStringList{u"P2"_s});
        QCOMPARE(trashed, QStringList({u"P1"_s, u"P3"_s}));
    }
}

void PowerCutTest::projectTable_deleteCutOffBeforeItsPack_projectNeverSeenAgain()
{
    const TempAppDir app;
    prepare();
    {
        // How an older run deleted: the mark committed, the process gone before the pack.
        RecordTable table;
        QVERIFY(table.open(TableSchemas::projectTablePath()));
        QVERIFY(table.goTo(2) && table.deleteRecord());
    }
    QCOMPARE(CatalogBuilder::projectNumbers(), QStringList({u"P1"_s, u"P3"_s}));
    ProjectTable projects;
    QVERIFY(projects.open() && projects.findProjectByNumber(u"P1"_s) && !projects.findProjectByNumber(u"P2"_s));
}

QTEST_GUILESS_MAIN(PowerCutTest)
#include "tst_power_cut.moc"
