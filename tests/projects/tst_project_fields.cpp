#include "TempAppDir.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "store/ProjectTable.h"

#include <QTest>

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
};

QTEST_GUILESS_MAIN(ProjectFieldsTest)
#include "tst_project_fields.moc"
