// Runs one command of the program's core in an application folder, as the program itself runs it, and nothing
// else: tst_kill_sweep starts it with the counting library preloaded and kills it at each file-changing call in
// turn, then runs "start" (what a start of the program runs before the list is shown) and looks at what is left.
//
//   tallyra_kill_driver APPDIR COMMAND ARGUMENTS...
//
// It links the core alone: no window, no message box. The exit code is 0 when the command reported success,
// 1 when it reported a refusal or failure, 2 for a call the driver does not know.
#include "app/AppDir.h"
#include "app/StartRecovery.h"
#include "backup/DataBackup.h"
#include "execution/AbandonWork.h"
#include "execution/StrandedWork.h"
#include "execution/UpdateBack.h"
#include "execution/WorkLine.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectRules.h"
#include "projects/ProjectTrash.h"
#include "store/TableSchemas.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <functional>
#include <map>

using namespace Qt::StringLiterals;

namespace {

using Command = std::function<bool(const QStringList& arguments)>;

int recordAt(const QStringList& arguments, qsizetype index)
{
    return arguments.value(index).toInt();
}

QString trashIdOf(const QString& number)
{
    const QList<ProjectTrash::Entry> entries = ProjectTrash::entries();
    for (const ProjectTrash::Entry& entry : entries) {
        if (entry.project.number == number)
            return entry.id;
    }
    return {};
}

// What the program does at a start before it shows anything, and the work left in the execution directory that
// it lists again (printed, one line each, as the panel shows it).
bool start(const QStringList&)
{
    StartRecovery::run();
    const QStringList lines = StrandedWork::findLines();
    for (const QString& line : lines)
        std::printf("%s\n", line.toUtf8().constData());
    return true;
}

// A later program, whose project table has a field more, starting where this one left its tables.
bool startWithAFieldAdded(const QStringList& arguments)
{
    QList<TableSchemas::Table> tables = TableSchemas::tables();
    tables[0].fields.append({u"reviewer"_s, FieldKind::Text});
    TableSchemas::setTablesForTest(tables);
    return start(arguments);
}

const std::map<QString, Command>& commands()
{
    static const std::map<QString, Command> table{
        {u"start"_s, start},
        // start-with-a-field-added: a start of the later program above
        {u"start-with-a-field-added"_s, startWithAFieldAdded},
        // delete WITH_PACKAGES RECORD...
        {u"delete"_s,
         [](const QStringList& a) {
             QList<int> records;
             for (qsizetype i = 1; i < a.size(); ++i)
                 records.append(recordAt(a, i));
             return ProjectRules::deleteProjects(records, a.value(0) == u"1"_s) > 0;
         }},
        // trash-restore NUMBER
        {u"trash-restore"_s,
         [](const QStringList& a) {
             return ProjectTrash::restore(trashIdOf(a.value(0))) == ProjectTrash::RestoreOutcome::Restored;
         }},
        // trash-restore-as NUMBER NEW: 还原 under a new number
        {u"trash-restore-as"_s,
         [](const QStringList& a) {
             return ProjectTrash::restore(trashIdOf(a.value(0)), a.value(1)) == ProjectTrash::RestoreOutcome::Restored;
         }},
        // trash-purge NUMBER: 彻底删除 of one entry
        {u"trash-purge"_s, [](const QStringList& a) { return ProjectTrash::purge({trashIdOf(a.value(0))}); }},
        {u"trash-empty"_s, [](const QStringList&) { return ProjectTrash::empty(); }},
        // stamp NUMBER TYPE: what update back does once the work is stored
        {u"stamp"_s,
         [](const QStringList& a) { return ProjectRules::stampLastUpdate(a.value(0), a.value(1)).written; }},
        // orphan NUMBER: 检查数据's 删除文件 of a package no project has
        {u"orphan"_s, [](const QStringList& a) { return ProjectTrash::moveOrphanIn(a.value(0)); }},
        // add NUMBER SOURCE
        {u"add"_s,
         [](const QStringList& a) {
             ProjectRecord project;
             project.number = a.value(0);
             project.name = u"新项目"_s;
             project.version = u"1.0"_s;
             project.startTime = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 5));
             return ProjectRules::addProject(project, a.value(1), true) == ProjectRules::AddOutcome::Added;
         }},
        // update-package RECORD SOURCE: 更新项目 with a new package
        {u"update-package"_s,
         [](const QStringList& a) {
             const ProjectRecord project = ProjectCatalogue::readProject(recordAt(a, 0));
             return ProjectRules::updateProject(recordAt(a, 0), project, a.value(1)) ==
                    ProjectRules::UpdateOutcome::Updated;
         }},
        // edit-notes RECORD NOTES: 更新项目 of the notes alone
        {u"edit-notes"_s,
         [](const QStringList& a) {
             ProjectRecord project = ProjectCatalogue::readProject(recordAt(a, 0));
             project.notes = a.value(1);
             return ProjectRules::updateProject(recordAt(a, 0), project, {}) == ProjectRules::UpdateOutcome::Updated;
         }},
        // revert RECORD VERSION_INDEX: 恢复此版本 of the project's version at that place, newest first
        {u"revert"_s,
         [](const QStringList& a) {
             const ProjectRecord project = ProjectCatalogue::readProject(recordAt(a, 0));
             const QList<PackageHistory::Version> versions = PackageHistory::versions(project.number);
             const qsizetype index = a.value(1).toInt();
             if (index < 0 || index >= versions.size())
                 return false;
             return PackageHistory::revert(recordAt(a, 0), versions.at(index)) ==
                    PackageHistory::RevertOutcome::Reverted;
         }},
        // update-back CAPTION: 更新 of the panel's line, deleting what else the folder holds
        {u"update-back"_s,
         [](const QStringList& a) {
             UpdateBack::Calls calls;
             calls.deleteOtherFiles = [] { return true; };
             return UpdateBack::run(WorkLine::parse(a.value(0)), calls).outcome == UpdateBack::Outcome::Updated;
         }},
        // abandon CAPTION: 放弃 of the panel's line
        {u"abandon"_s,
         [](const QStringList& a) {
             return AbandonWork::run(WorkLine::parse(a.value(0)), AbandonWork::Keep::Work).outcome ==
                    AbandonWork::Outcome::Abandoned;
         }},
        // restore-backup ARCHIVE: 导入
        {u"restore-backup"_s,
         [](const QStringList& a) { return DataBackup::restore(a.value(0)) == DataBackup::RestoreOutcome::Restored; }},
    };
    return table;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() < 2)
        return 2;
    AppDir::set(arguments.at(0));
    QDir::setCurrent(AppDir::path());
    const auto command = commands().find(arguments.at(1));
    if (command == commands().end())
        return 2;
    return command->second(arguments.mid(2)) ? 0 : 1;
}
