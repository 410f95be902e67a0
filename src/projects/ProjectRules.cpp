#include "projects/ProjectRules.h"

#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/ValueText.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectNumber.h"
#include "projects/ProjectTrash.h"
#include "store/ProjectTable.h"
#include "store/TableSchemas.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ProjectRules {

namespace {

bool numberTaken(const QString& number)
{
    ProjectTable projects;
    projects.open(); // a table that cannot be opened holds no number; the append below then fails visibly
    return projects.findProjectByNumber(number);
}

} // namespace

AddOutcome addProject(ProjectRecord project, const QString& packageSource, bool packageRequired,
                      const Progress& progress)
{
    if (project.number.isEmpty() || project.name.isEmpty())
        return AddOutcome::Incomplete;
    if (packageRequired && (packageSource.isEmpty() || !QFileInfo(packageSource).isFile()))
        return AddOutcome::PackageMissing;
    // Also without a package now: one stored later under this number must survive a backup and a restore.
    if (!ProjectNumber::isValid(project.number))
        return AddOutcome::InvalidNumber;
    if (numberTaken(project.number))
        return AddOutcome::DuplicateNumber;

    // The number names the package file: one that is no valid file name (or would climb out of the data
    // folder) cannot be stored, which counts as a package that could not be read.
    const QString package = ProjectCatalogue::packagePath(project.number);
    const bool hadPackage = QFileInfo::exists(package);
    // A package a delete left under this number is replaced only once it is kept in the new project's history.
    std::optional<QString> kept = QString();
    if (packageRequired) {
        if (!TableSchemas::hasPackageFile(project.number))
            return AddOutcome::PackageMissing;
        kept = PackageHistory::keep(project.number, PackageHistory::Cause::Create, packageSource);
        if (!kept)
            return AddOutcome::PackageMissing;
        if (!FileSystem::copyFile(packageSource, package, progress)) {
            PackageHistory::drop(*kept);
            return AddOutcome::PackageMissing;
        }
    }

    project.packageType = ProjectTable::extensionOf(packageSource);
    project.lastUpdate = project.startTime;
    bool appended = false;
    {
        ProjectTable projects;
        appended = projects.open() && projects.appendProject(project);
    }
    if (!appended) {
        // The package that lay there before goes back in place; one stored for this record alone goes.
        if (packageRequired && !kept->isEmpty() && DurableFile::replace(*kept, package)) {
            DurableFile::syncFolder(QFileInfo(package).absolutePath());
            PackageHistory::drop(*kept);
        } else if (packageRequired && !hadPackage)
            QFile::remove(package);
        return AddOutcome::DatabaseError;
    }
    if (!kept->isEmpty())
        PackageHistory::prune({*kept});
    return AddOutcome::Added;
}

UpdateOutcome updateProject(int recordNumber, const ProjectRecord& edited, const QString& packageSource,
                            const Progress& progress)
{
    if (edited.number.isEmpty() || edited.name.isEmpty())
        return UpdateOutcome::Incomplete;
    bool newPackage = !packageSource.isEmpty();
    if (newPackage) {
        // A number from a table made elsewhere may be no file name ("../x"): its package cannot be stored.
        const QString package = ProjectCatalogue::packagePath(edited.number);
        if (!QFileInfo(packageSource).isFile() || !TableSchemas::hasPackageFile(edited.number))
            return UpdateOutcome::PackageMissing;
        // The stored package chosen as its own replacement is already in place, and its type is still its type.
        if (QFileInfo(packageSource).canonicalFilePath() == QFileInfo(package).canonicalFilePath()) {
            newPackage = false;
        } else {
            // The package it replaces goes into the history first; a copy that fails leaves it in place, so
            // the version kept for it would only be a second name of the same bytes.
            const std::optional<QString> kept =
                PackageHistory::keep(edited.number, PackageHistory::Cause::Update, packageSource);
            if (!kept)
                return UpdateOutcome::PackageMissing;
            if (!FileSystem::copyFile(packageSource, package, progress)) {
                PackageHistory::drop(*kept);
                return UpdateOutcome::PackageMissing;
            }
            PackageHistory::prune({*kept});
        }
    }

    ProjectTable projects;
    if (!projects.open() || !projects.goTo(recordNumber))
        return UpdateOutcome::DatabaseError;
    ProjectRecord record = projects.readProject();
    record.name = edited.name;
    record.type = edited.type;
    record.version = edited.version;
    record.startTime = edited.startTime;
    record.lastUpdate = edited.lastUpdate;
    record.notes = edited.notes;
    if (newPackage) {
        record.number = edited.number;
        record.packageType = ProjectTable::extensionOf(packageSource);
    }
    return projects.modifyProject(record) ? UpdateOutcome::Updated : UpdateOutcome::DatabaseError;
}

int deleteProjects(const QList<int>& recordNumbers, bool withPackages)
{
    const int moved = ProjectTrash::moveIn(recordNumbers, withPackages);
    return moved == ProjectTrash::kMoveFailed ? kDeleteFailed : moved;
}

QStringList parseRelated(const QString& stored)
{
    QStringList numbers;
    const QStringList pieces = stored.split(u"\r\n"_s);
    for (const QString& piece : pieces) {
        if (!QString(piece).remove(u' ').isEmpty())
            numbers.append(piece);
    }
    return numbers;
}

QString joinRelated(const QStringList& numbers)
{
    QString text;
    for (const QString& number : numbers)
        text += number + u"\r\n"_s;
    return text;
}

Stamp stampLastUpdate(const QString& number, const QString& packageType)
{
    const QDateTime now = Clock::now();
    Stamp stamp;
    ProjectTable table;
    table.open();
    if (table.findProjectByNumber(number)) {
        stamp.written = table.writeField(ProjectField::LastUpdate, now);
    } else {
        stamp.recreated = true;
        ProjectRecord project;
        project.number = number;
        project.name = u"自动创建项目"_s;
        project.type = 0;
        project.version = u"1.0"_s;
        project.startTime = now;
        project.lastUpdate = now;
        project.packageType = packageType;
        project.notes =
            ValueText::date(now.date()) + u"在执行过程中项目文件丢失，此记录为系统自动创建，请您修改此项目的属性。"_s;
        stamp.written = table.appendProject(project);
    }
    table.close();
    return stamp;
}

} // namespace ProjectRules
