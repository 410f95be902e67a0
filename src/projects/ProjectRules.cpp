#include "projects/ProjectRules.h"

#include "platform/Clock.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/ValueText.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectNumber.h"
#include "projects/ProjectTrash.h"
#include "store/CatalogueNotice.h"
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
    const CatalogueNotice::Hold oneNotice; // the list is filled once, after the last write
    if (project.number.isEmpty() || project.name.isEmpty())
        return AddOutcome::Incomplete;
    if (packageRequired && (packageSource.isEmpty() || !QFileInfo(packageSource).isFile()))
        return AddOutcome::PackageMissing;
    // Also without a package now: one stored later under this number must survive a backup and a restore.
    if (!ProjectNumber::isValid(project.number))
        return AddOutcome::InvalidNumber;
    if (numberTaken(project.number))
        return AddOutcome::DuplicateNumber;

    project.packageType = ProjectTable::extensionOf(packageSource);
    project.lastUpdate = project.startTime;
    const auto append = [&project] {
        ProjectTable projects;
        return projects.open() && projects.appendProject(project);
    };
    if (packageRequired) {
        // The number names the package file: one that is no valid file name (or would climb out of the data
        // folder) cannot be stored, which counts as a package that could not be read.
        if (!TableSchemas::hasPackageFile(project.number))
            return AddOutcome::PackageMissing;
        // The package is copied beside its place first and takes it only once the record is in, so a kill leaves
        // no project, or the project with its package; a package a delete left under the number goes into the new
        // project's history first.
        const auto copy = [&](const QString& path) { return FileSystem::copyFile(packageSource, path, progress); };
        switch (
            PackageHistory::place(project.number, project.packageType, PackageHistory::Cause::Create, copy, append)) {
        case PackageHistory::PlaceOutcome::Placed:
        case PackageHistory::PlaceOutcome::Unfinished:
            break;
        case PackageHistory::PlaceOutcome::NotPrepared:
        case PackageHistory::PlaceOutcome::HistoryRefused:
            return AddOutcome::PackageMissing;
        case PackageHistory::PlaceOutcome::RecordRefused:
            return AddOutcome::DatabaseError;
        }
    } else if (!append()) {
        return AddOutcome::DatabaseError;
    }
    // The number is a project's again: what the trash kept of that number belongs to its history.
    ProjectTrash::joinCatalogue(PackageHistory::Cause::Create, {project.number});
    return AddOutcome::Added;
}

UpdateOutcome updateProject(int recordNumber, const ProjectRecord& edited, const QString& packageSource,
                            const Progress& progress)
{
    const CatalogueNotice::Hold oneNotice; // the list is filled once, after the last write
    if (edited.number.isEmpty() || edited.name.isEmpty())
        return UpdateOutcome::Incomplete;
    bool newPackage = !packageSource.isEmpty();
    if (newPackage) {
        // A number from a table made elsewhere may be no file name ("../x"): its package cannot be stored.
        if (!QFileInfo(packageSource).isFile() || !TableSchemas::hasPackageFile(edited.number))
            return UpdateOutcome::PackageMissing;
        // The stored package chosen as its own replacement is already in place, and its type is still its type.
        const QString package = ProjectCatalogue::packagePath(edited.number);
        newPackage = QFileInfo(packageSource).canonicalFilePath() != QFileInfo(package).canonicalFilePath();
    }

    const auto write = [&] {
        ProjectTable projects;
        if (!projects.open() || !projects.goTo(recordNumber))
            return false;
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
        return projects.modifyProject(record);
    };
    if (!newPackage)
        return write() ? UpdateOutcome::Updated : UpdateOutcome::DatabaseError;
    // The new package is copied beside the stored one and takes its place only once the record names its type, so
    // a kill leaves the old package with the old record or the new one with the new record; a copy that fails
    // half-way leaves the old one.
    const auto copy = [&](const QString& path) { return FileSystem::copyFile(packageSource, path, progress); };
    switch (PackageHistory::place(edited.number, ProjectTable::extensionOf(packageSource),
                                  PackageHistory::Cause::Update, copy, write)) {
    case PackageHistory::PlaceOutcome::Placed:
    case PackageHistory::PlaceOutcome::Unfinished:
        return UpdateOutcome::Updated;
    case PackageHistory::PlaceOutcome::NotPrepared:
    case PackageHistory::PlaceOutcome::HistoryRefused:
        return UpdateOutcome::PackageMissing;
    case PackageHistory::PlaceOutcome::RecordRefused:
        break;
    }
    return UpdateOutcome::DatabaseError;
}

int deleteProjects(const QList<int>& recordNumbers, bool withPackages, const Progress& progress)
{
    const CatalogueNotice::Hold oneNotice; // the list is filled once, after the last write
    const int moved = ProjectTrash::moveIn(recordNumbers, withPackages, progress);
    return moved == ProjectTrash::kMoveFailed ? kDeleteFailed : moved;
}

Stamp stampLastUpdate(const QString& number, const QString& packageType)
{
    const QDateTime now = Clock::now();
    Stamp stamp;
    {
        ProjectTable table;
        table.open();
        if (table.findProjectByNumber(number)) {
            stamp.written = table.writeField(ProjectField::LastUpdate, now);
            return stamp;
        }
    }
    // Deleted while it was worked on: the project comes out of the trash with its texts, and the package it was
    // executed from stays in its history.
    switch (ProjectTrash::takeBack(number, now, packageType)) {
    case ProjectTrash::TakeBackOutcome::TakenBack:
        stamp.written = true;
        stamp.fromTrash = true;
        return stamp;
    case ProjectTrash::TakeBackOutcome::DatabaseError:
        return stamp;
    case ProjectTrash::TakeBackOutcome::NotInTrash:
        break;
    }
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
    {
        ProjectTable table;
        stamp.written = table.open() && table.appendProject(project);
    }
    if (stamp.written)
        ProjectTrash::joinCatalogue(PackageHistory::Cause::UpdateBack, {number});
    return stamp;
}

} // namespace ProjectRules
