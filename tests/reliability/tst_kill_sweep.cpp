#include "CatalogBuilder.h"
#include "TempAppDir.h"
#include "app/AppDir.h"
#include "backup/DataBackup.h"
#include "execution/WorkLine.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "projects/TrashBatch.h"
#include "store/ProjectTable.h"
#include "store/RecordTable.h"
#include "store/TableSchemas.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// Each write path of the program is killed at every file-changing system call it makes, one run per call: a
// driver process runs the real command with a preloaded library that counts the calls (write, rename, link,
// unlink, mkdir, rmdir, fsync, a create or truncate, ...) and sends itself SIGKILL just before the K-th. Then the
// driver runs what a start runs, and the folder must show the state before the command or after it, never a
// third: every project in the catalogue or in the trash exactly once, every package that was there before still
// reachable from a window (stored, in 历史版本, in 回收站, or a package 检查数据 lists), and no file left where no
// window leads.
namespace {

struct Scenario
{
    // Builds the folder the command starts from (appDir and the current directory point at it).
    std::function<void(const TempAppDir&)> prepare;
    QStringList command;
    QStringList catalogueBefore; // the projects' numbers, in any order
    QStringList catalogueAfter;
    // Packages that must still be reachable whatever the moment of the kill.
    QList<QByteArray> kept;
    // Files the scenario itself puts outside the data folder (the file a command stores from).
    QStringList sources = {};
    // A scenario's own rule of what must agree after a start, given the work the start lists; answers what
    // disagrees.
    std::function<QString(const QStringList& startLines)> agrees = {};
    // What runs as the next start after a kill.
    QStringList restart = {u"start"_s};
};

QByteArray packageBytes(const QString& number, int version = 1)
{
    return (u"package of %1, version %2|"_s.arg(number).arg(version)).toUtf8().repeated(40);
}

QByteArray hashOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(12);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void addProjects(const TempAppDir& app, const QStringList& numbers)
{
    for (const QString& number : numbers) {
        CatalogBuilder::Project project;
        project.number = number;
        project.name = u"项目"_s + number;
        QVERIFY(CatalogBuilder::addProject(project));
        app.writeFile(u"data/"_s + number + u".fd1"_s, packageBytes(number));
    }
}

// Gives each project the notes "备注" and its number, which only full-text find sees.
void addNotes(const QStringList& numbers)
{
    ProjectTable projects;
    QVERIFY(projects.open());
    for (int record = 1; record <= numbers.size(); ++record) {
        QVERIFY(projects.goTo(record));
        ProjectRecord project = projects.readProject();
        project.notes = u"备注"_s + numbers.at(record - 1);
        QVERIFY(projects.modifyProject(project));
    }
}

// Full-text find answers what the records hold: an index a kill left out of step is never taken as in step.
QString findAgreesWithTheRecords(const QStringList&)
{
    for (const QString& text : {u"备注"_s, u"备注B"_s, u"备注C"_s, u"新的备注"_s}) {
        QList<int> holding;
        const int count = CatalogBuilder::projectCount();
        for (int record = 1; record <= count; ++record) {
            if (ProjectCatalogue::readProject(record).notes.contains(text))
                holding.append(record);
        }
        const std::optional<QList<int>> found = ProjectCatalogue::recordsWithText(text);
        if (found != holding)
            return u"find of \"%1\" shows other projects than hold it"_s.arg(text);
    }
    return {};
}

// What a user can reach after a start, and what lies where no window leads.
struct World
{
    QStringList catalogue;
    QStringList trash;
    // Each project as "number name": a project typed in under the number of one in the trash is another project.
    QStringList projects;
    QSet<QByteArray> reachable; // hashes of package bytes
    QStringList stranded;
};

// A table, or the rollback journal SQLite keeps beside it: one a start found hot it has played back and removed,
// and one that is not hot (cut off before its header was whole) SQLite passes over and replaces at the next write.
bool isTable(const QString& name)
{
    static const QStringList tables{u"DB.EDB"_s, u"type.edb"_s, u"type.edt"_s, u"tool.edb"_s, u"np.edb"_s};
    const QString table = name.endsWith(u"-journal"_s) ? name.chopped(8) : name;
    return tables.contains(table);
}

World look(const QString& appDir, const QStringList& startLines, const QStringList& sources)
{
    World world;
    world.catalogue = CatalogBuilder::projectNumbers();
    std::sort(world.catalogue.begin(), world.catalogue.end());
    for (const ProjectRecord& project : CatalogBuilder::allProjects())
        world.projects.append(project.number + u' ' + project.name);
    QSet<QString> known(world.catalogue.cbegin(), world.catalogue.cend());
    QSet<QString> trashFiles;
    const QList<ProjectTrash::Entry> entries = ProjectTrash::entries();
    for (const ProjectTrash::Entry& entry : entries) {
        if (entry.hasRecord) {
            world.trash.append(entry.project.number);
            world.projects.append(entry.project.number + u' ' + entry.project.name);
        }
        known.insert(entry.project.number);
        // Its batch's records, its package and its earlier packages.
        QString batch;
        int key = 0;
        TrashBatch::parseId(entry.id, batch, key);
        const QString batchFolder = TrashBatch::pathOf(batch);
        trashFiles.insert(batchFolder + u"/records.json"_s);
        if (entry.withPackage) {
            trashFiles.insert(entry.packagePath);
            world.reachable.insert(hashOf(fileBytes(entry.packagePath)));
        }
        const QDir history(TrashBatch::historyOf(batchFolder, key));
        for (const QString& name : history.entryList(QDir::Files | QDir::Hidden)) {
            trashFiles.insert(history.filePath(name));
            world.reachable.insert(hashOf(fileBytes(history.filePath(name))));
        }
    }
    // When the trash last judged the age of its entries.
    trashFiles.insert(ProjectTrash::folder() + u"/last-start"_s);
    std::sort(world.trash.begin(), world.trash.end());

    const QString data = appDir + u"/data"_s;
    QDirIterator files(appDir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString relative = QDir(appDir).relativeFilePath(path);
        const QFileInfo info(path);
        const QString parent = info.absolutePath();
        bool leads = false;
        if (relative == u"Install.ini"_s || relative == u"Tallyra.lock"_s || sources.contains(relative)) {
            leads = true;
        } else if (parent == data) {
            // A package 检查数据 lists if no project has it.
            leads = isTable(info.fileName()) || (TableSchemas::isPackageFileName(info.fileName()) && !info.isSymLink());
            if (leads && !isTable(info.fileName()))
                world.reachable.insert(hashOf(fileBytes(path)));
        } else if (QFileInfo(parent).absolutePath() == data + u"/history"_s) {
            const std::optional<PackageHistory::Version> version = PackageHistory::parseVersion(path);
            const QString number = QFileInfo(parent).completeBaseName();
            leads = version.has_value() && known.contains(number);
            if (leads)
                world.reachable.insert(hashOf(fileBytes(path)));
        } else if (trashFiles.contains(path)) {
            leads = true;
        } else if (relative.startsWith(u"data-before-restore/"_s)) {
            leads = true; // the undo sets of a restore, which the README tells the user how to use
        } else {
            // Work the panel lists: the package that was not stored, or anything in the working folder.
            leads = std::any_of(startLines.cbegin(), startLines.cend(), [&](const QString& caption) {
                const WorkLine line = WorkLine::parse(caption);
                return line.isPackage() ? path == line.package() : path.startsWith(line.workingFolder() + u'/');
            });
        }
        if (!leads)
            world.stranded.append(relative);
    }
    return world;
}

QString driverPath()
{
    return QStringLiteral(TALLYRA_KILL_DRIVER);
}

struct Run
{
    bool killed = false;
    QStringList output;
};

Run runDriver(const QString& appDir, const QStringList& command, qint64 killAt, const QString& log = {},
              const QString& countFile = {})
{
    QProcess driver;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"LD_PRELOAD"_s, QStringLiteral(TALLYRA_KILL_AT_LIBRARY));
    environment.insert(u"TALLYRA_KILL_AT"_s, QString::number(killAt));
    if (!log.isEmpty())
        environment.insert(u"TALLYRA_KILL_LOG"_s, log);
    if (!countFile.isEmpty())
        environment.insert(u"TALLYRA_KILL_COUNT"_s, countFile);
    driver.setProcessEnvironment(environment);
    driver.start(driverPath(), QStringList{appDir} + command);
    Run run;
    if (!driver.waitForFinished(60000)) {
        driver.kill();
        driver.waitForFinished();
    }
    run.killed = driver.exitStatus() == QProcess::CrashExit;
    run.output = QString::fromUtf8(driver.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

QString lineOf(const QString& logFile, qint64 k)
{
    QFile file(logFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = file.readAll().split('\n');
    return k >= 1 && k <= lines.size() ? QString::fromUtf8(lines.at(k - 1)) : QString();
}

QStringList inFolder(const QStringList& command, const QString& appDir)
{
    QStringList arguments;
    for (const QString& argument : command)
        arguments.append(argument.contains(u"%1"_s) ? argument.arg(appDir) : argument);
    return arguments;
}

QStringList sorted(QStringList list)
{
    std::sort(list.begin(), list.end());
    return list;
}

} // namespace

Q_DECLARE_METATYPE(Scenario)

class KillSweepTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killedAtEveryCall_oldOrNewStateAndNothingLost_data();
    void killedAtEveryCall_oldOrNewStateAndNothingLost();
};

void KillSweepTest::killedAtEveryCall_oldOrNewStateAndNothingLost_data()
{
    QTest::addColumn<Scenario>("scenario");
    const QStringList abc{u"A"_s, u"B"_s, u"C"_s};
    const QList<QByteArray> packagesAbc{packageBytes(u"A"_s), packageBytes(u"B"_s), packageBytes(u"C"_s)};

    QTest::newRow("删除项目 with packages") << Scenario{[=](const TempAppDir& app) { addProjects(app, abc); },
                                                        {u"delete"_s, u"1"_s, u"1"_s, u"2"_s},
                                                        abc,
                                                        {u"C"_s},
                                                        packagesAbc};
    QTest::newRow("删除项目 without packages") << Scenario{[=](const TempAppDir& app) { addProjects(app, abc); },
                                                           {u"delete"_s, u"0"_s, u"1"_s, u"3"_s},
                                                           abc,
                                                           {u"B"_s},
                                                           packagesAbc};
    QTest::newRow("还原 with its package") << Scenario{[=](const TempAppDir& app) {
                                                           addProjects(app, abc);
                                                           QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
                                                       },
                                                       {u"trash-restore"_s, u"B"_s},
                                                       {u"A"_s, u"C"_s},
                                                       abc,
                                                       packagesAbc};
    QTest::newRow("检查数据's 删除文件 of an orphan package")
        << Scenario{[=](const TempAppDir& app) {
                        addProjects(app, {u"A"_s});
                        app.writeFile(u"data/X.fd1"_s, packageBytes(u"X"_s));
                    },
                    {u"orphan"_s, u"X"_s},
                    {u"A"_s},
                    {u"A"_s},
                    {packageBytes(u"A"_s), packageBytes(u"X"_s)}};
    QTest::newRow("更新项目 with a new package") << Scenario{[=](const TempAppDir& app) {
                                                                 addProjects(app, abc);
                                                                 app.writeFile(u"new/B.zip"_s, packageBytes(u"B"_s, 2));
                                                             },
                                                             {u"update-package"_s, u"2"_s, u"new/B.zip"_s},
                                                             abc,
                                                             abc,
                                                             packagesAbc,
                                                             {u"new/B.zip"_s}};
    QTest::newRow("更新项目 with a package of another type")
        << Scenario{[=](const TempAppDir& app) {
                        CatalogBuilder::Project project;
                        project.number = u"A"_s;
                        project.name = u"项目A"_s;
                        project.packageType = u"c"_s;
                        QVERIFY(CatalogBuilder::addProject(project));
                        app.writeFile(u"data/A.fd1"_s, packageBytes(u"A"_s));
                        app.writeFile(u"new/A.zip"_s, packageBytes(u"A"_s, 2));
                    },
                    {u"update-package"_s, u"1"_s, u"new/A.zip"_s},
                    {u"A"_s},
                    {u"A"_s},
                    {packageBytes(u"A"_s)},
                    {u"new/A.zip"_s},
                    [](const QStringList&) {
                        // The package in place is the one its record names.
                        const QString type = ProjectCatalogue::readProject(1).packageType;
                        const QByteArray stored = fileBytes(ProjectCatalogue::packagePath(u"A"_s));
                        const QByteArray named = type == u"c" ? packageBytes(u"A"_s) : packageBytes(u"A"_s, 2);
                        return stored == named ? QString()
                                               : u"the record says %1 but another package is in place"_s.arg(type);
                    }};
    // The work is in the catalogue, or still where the panel lists it again (or both, when the kill came after
    // the store and before the folder went).
    const auto workFound = [](const QByteArray& before) {
        return [before](const QStringList& startLines) {
            const bool stored = fileBytes(ProjectCatalogue::packagePath(u"A"_s)) != before;
            return stored || !startLines.isEmpty() ? QString() : u"the work is lost"_s;
        };
    };
    const auto work = [](const TempAppDir& app) {
        addProjects(app, {u"A"_s});
        app.writeFile(u"run/A/P_zip.TMP"_s, {});
        app.writeFile(u"run/A/src/main.c"_s, QByteArrayLiteral("int main(void) { return 1; }\n"));
        app.writeFile(u"run/A/README"_s, QByteArrayLiteral("edited\n"));
    };
    QTest::newRow("update back") << Scenario{
        work, {u"update-back"_s, u"%1/run/A(zip)"_s}, {u"A"_s}, {u"A"_s}, {packageBytes(u"A"_s)},
        {},   workFound(packageBytes(u"A"_s))};
    // 放弃 keeps the work in the history, or it is still listed.
    QTest::newRow("放弃") << Scenario{work,
                                      {u"abandon"_s, u"%1/run/A(zip)"_s},
                                      {u"A"_s},
                                      {u"A"_s},
                                      {packageBytes(u"A"_s)},
                                      {},
                                      [](const QStringList& startLines) {
                                          const bool kept = !PackageHistory::versions(u"A"_s).isEmpty();
                                          return kept || !startLines.isEmpty() ? QString() : u"the work is lost"_s;
                                      }};
    QTest::newRow("更新项目 of the notes, found by full text") << Scenario{[=](const TempAppDir& app) {
                                                                               addProjects(app, abc);
                                                                               addNotes(abc);
                                                                           },
                                                                           {u"edit-notes"_s, u"2"_s, u"新的备注"_s},
                                                                           abc,
                                                                           abc,
                                                                           packagesAbc,
                                                                           {},
                                                                           findAgreesWithTheRecords};
    QTest::newRow("删除项目 of the first, the others found by full text under their new records")
        << Scenario{[=](const TempAppDir& app) {
                        addProjects(app, abc);
                        addNotes(abc);
                    },
                    {u"delete"_s, u"0"_s, u"1"_s},
                    abc,
                    {u"B"_s, u"C"_s},
                    packagesAbc,
                    {},
                    findAgreesWithTheRecords};
    // A program with a project field more starts on this program's table, and starts again after the kill.
    QTest::newRow("a start that adds a field to the project table")
        << Scenario{[=](const TempAppDir& app) { addProjects(app, abc); },
                    {u"start-with-a-field-added"_s},
                    abc,
                    abc,
                    packagesAbc,
                    {},
                    [](const QStringList&) {
                        RecordTable table;
                        const bool added = table.open(TableSchemas::projectTablePath()) &&
                                           table.fields() == TableSchemas::projectFields() +
                                                                 QList<FieldDef>{{u"reviewer"_s, FieldKind::Text}} &&
                                           table.recordCount() == 3;
                        return added ? QString() : u"the project table has not got the added field"_s;
                    },
                    {u"start-with-a-field-added"_s}};
    QTest::newRow("导入 of a backup") << Scenario{
        [=](const TempAppDir& app) {
            addProjects(app, {u"A"_s, u"B"_s});
            QVERIFY(DataBackup::backUp(app.filePath(u"backup.fd2"_s)));
            const QString source = app.writeFile(u"new/B.zip"_s, packageBytes(u"B"_s, 2));
            QCOMPARE(ProjectRules::updateProject(2, ProjectCatalogue::readProject(2), source),
                     ProjectRules::UpdateOutcome::Updated);
            addProjects(app, {u"C"_s});
        },
        {u"restore-backup"_s, u"backup.fd2"_s},
        {u"A"_s, u"B"_s, u"C"_s},
        {u"A"_s, u"B"_s},
        {packageBytes(u"A"_s), packageBytes(u"B"_s), packageBytes(u"B"_s, 2), packageBytes(u"C"_s)},
        {u"new/B.zip"_s, u"backup.fd2"_s}};
    QTest::newRow("导入 of last week's backup over a project in the trash")
        << Scenario{[=](const TempAppDir& app) {
                        addProjects(app, {u"A"_s, u"B"_s});
                        QVERIFY(DataBackup::backUp(app.filePath(u"backup.fd2"_s)));
                        const QString source = app.writeFile(u"new/B.zip"_s, packageBytes(u"B"_s, 2));
                        QCOMPARE(ProjectRules::updateProject(2, ProjectCatalogue::readProject(2), source),
                                 ProjectRules::UpdateOutcome::Updated);
                        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
                    },
                    {u"restore-backup"_s, u"backup.fd2"_s},
                    {u"A"_s},
                    {u"A"_s, u"B"_s},
                    {packageBytes(u"A"_s), packageBytes(u"B"_s), packageBytes(u"B"_s, 2)},
                    {u"new/B.zip"_s, u"backup.fd2"_s}};
    QTest::newRow("新建项目 over a package a delete left")
        << Scenario{[=](const TempAppDir& app) {
                        addProjects(app, abc);
                        QCOMPARE(ProjectRules::deleteProjects({2}, false), 1);
                        app.writeFile(u"new/B.zip"_s, packageBytes(u"B"_s, 2));
                    },
                    {u"add"_s, u"B"_s, u"new/B.zip"_s},
                    {u"A"_s, u"C"_s},
                    abc,
                    packagesAbc,
                    {u"new/B.zip"_s}};
    QTest::newRow("恢复此版本 of a ZIP over a C file")
        << Scenario{[=](const TempAppDir& app) {
                        CatalogBuilder::Project project;
                        project.number = u"A"_s;
                        project.name = u"项目A"_s;
                        project.packageType = u"c"_s;
                        QVERIFY(CatalogBuilder::addProject(project));
                        app.writeFile(u"data/A.fd1"_s, packageBytes(u"A"_s));
                        const QString earlier = app.writeFile(u"earlier.zip"_s, packageBytes(u"A"_s, 2));
                        QVERIFY(!PackageHistory::keepFileInto(earlier, PackageHistory::folderOf(u"A"_s),
                                                              PackageHistory::Cause::Update, u"zip"_s, {})
                                     .isEmpty());
                        QVERIFY(QFile::remove(earlier));
                    },
                    {u"revert"_s, u"1"_s, u"0"_s},
                    {u"A"_s},
                    {u"A"_s},
                    {packageBytes(u"A"_s), packageBytes(u"A"_s, 2)},
                    {},
                    [](const QStringList&) {
                        // The package in place is the one its record names.
                        const QString type = ProjectCatalogue::readProject(1).packageType;
                        const QByteArray stored = fileBytes(ProjectCatalogue::packagePath(u"A"_s));
                        const QByteArray named = type == u"c" ? packageBytes(u"A"_s) : packageBytes(u"A"_s, 2);
                        return stored == named ? QString()
                                               : u"the record says %1 but another package is in place"_s.arg(type);
                    }};
    QTest::newRow("还原 under a new number")
        << Scenario{[=](const TempAppDir& app) {
                        addProjects(app, abc);
                        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
                        CatalogBuilder::Project other;
                        other.number = u"B"_s;
                        other.name = u"另一个B"_s;
                        QVERIFY(CatalogBuilder::addProject(other));
                        app.writeFile(u"data/B.fd1"_s, packageBytes(u"B"_s, 2));
                    },
                    {u"trash-restore-as"_s, u"B"_s, u"B2"_s},
                    {u"A"_s, u"B"_s, u"C"_s},
                    {u"A"_s, u"B"_s, u"B2"_s, u"C"_s},
                    {packageBytes(u"A"_s), packageBytes(u"B"_s), packageBytes(u"B"_s, 2), packageBytes(u"C"_s)}};
    QTest::newRow("update back of a project in the trash")
        << Scenario{[=](const TempAppDir& app) {
                        addProjects(app, abc);
                        QCOMPARE(ProjectRules::deleteProjects({2}, true), 1);
                        app.writeFile(u"data/B.fd1"_s, packageBytes(u"B"_s, 2)); // the work, stored before the stamp
                    },
                    {u"stamp"_s, u"B"_s, u"zip"_s},
                    {u"A"_s, u"C"_s},
                    abc,
                    {packageBytes(u"A"_s), packageBytes(u"B"_s), packageBytes(u"B"_s, 2), packageBytes(u"C"_s)}};
    QTest::newRow("检查数据's 删除文件 of the package a delete left")
        << Scenario{[=](const TempAppDir& app) {
                        addProjects(app, abc);
                        QCOMPARE(ProjectRules::deleteProjects({2}, false), 1);
                    },
                    {u"orphan"_s, u"B"_s},
                    {u"A"_s, u"C"_s},
                    {u"A"_s, u"C"_s},
                    packagesAbc};
    QTest::newRow("彻底删除 of one entry") << Scenario{[=](const TempAppDir& app) {
                                                           addProjects(app, abc);
                                                           QCOMPARE(ProjectRules::deleteProjects({1, 2}, true), 2);
                                                       },
                                                       {u"trash-purge"_s, u"A"_s},
                                                       {u"C"_s},
                                                       {u"C"_s},
                                                       {packageBytes(u"B"_s), packageBytes(u"C"_s)}};
    QTest::newRow("清空回收站") << Scenario{[=](const TempAppDir& app) {
                                                addProjects(app, abc);
                                                QCOMPARE(ProjectRules::deleteProjects({1, 2}, true), 2);
                                            },
                                            {u"trash-empty"_s},
                                            {u"C"_s},
                                            {u"C"_s},
                                            {packageBytes(u"C"_s)}};
}

void KillSweepTest::killedAtEveryCall_oldOrNewStateAndNothingLost()
{
    QFETCH(Scenario, scenario);
    // A kill loses what the process had not written, whatever the disk; on a disk in memory a sync costs nothing.
    if (QFileInfo(u"/dev/shm"_s).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    const QStringList before = sorted(scenario.catalogueBefore);
    const QStringList after = sorted(scenario.catalogueAfter);

    // The calls of one whole run, counted and named.
    QTemporaryDir logs;
    qint64 calls = 0;
    {
        TempAppDir app;
        scenario.prepare(app);
        if (QTest::currentTestFailed())
            return;
        const Run whole = runDriver(app.path(), inFolder(scenario.command, app.path()), 0, logs.filePath(u"calls"_s),
                                    logs.filePath(u"count"_s));
        QVERIFY(!whole.killed);
        calls = fileBytes(logs.filePath(u"count"_s)).trimmed().toLongLong();
        QVERIFY2(calls > 0, "the preloaded library counted no call");
        QCOMPARE(sorted(CatalogBuilder::projectNumbers()), after);
    }

    for (qint64 k = 1; k <= calls; ++k) {
        TempAppDir app;
        scenario.prepare(app);
        runDriver(app.path(), inFolder(scenario.command, app.path()), k);
        const Run start = runDriver(app.path(), scenario.restart, 0);
        const World world = look(app.path(), start.output, scenario.sources);
        const QString where =
            u"killed before call %1 of %2: %3"_s.arg(k).arg(calls).arg(lineOf(logs.filePath(u"calls"_s), k));

        QVERIFY2(world.catalogue == before || world.catalogue == after,
                 qPrintable(where + u"\ncatalogue: "_s + world.catalogue.join(u' ')));
        QStringList everyProject = world.projects;
        everyProject.removeDuplicates();
        QVERIFY2(everyProject.size() == world.projects.size(),
                 qPrintable(where + u"\na project is in the catalogue and in the trash: "_s +
                            world.catalogue.join(u' ') + u" / "_s + world.trash.join(u' ')));
        for (const QByteArray& package : std::as_const(scenario.kept))
            QVERIFY2(world.reachable.contains(hashOf(package)),
                     qPrintable(where + u"\na package is lost: "_s + QString::fromUtf8(package.left(30))));
        QStringList listedNumbers;
        for (const QString& line : std::as_const(start.output))
            listedNumbers.append(WorkLine::parse(line).number());
        QVERIFY2(listedNumbers.size() == QSet<QString>(listedNumbers.cbegin(), listedNumbers.cend()).size(),
                 qPrintable(where + u"\na project's work is listed twice: "_s + start.output.join(u", "_s)));
        QVERIFY2(world.stranded.isEmpty(), qPrintable(where + u"\nstranded: "_s + world.stranded.join(u", "_s)));
        if (scenario.agrees) {
            const QString disagreement = scenario.agrees(start.output);
            QVERIFY2(disagreement.isEmpty(), qPrintable(where + u"\n"_s + disagreement));
        }
    }
}

QTEST_MAIN(KillSweepTest)
#include "tst_kill_sweep.moc"
