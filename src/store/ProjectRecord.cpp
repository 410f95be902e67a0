#include "store/ProjectRecord.h"

#include "store/TableSchemas.h"

namespace {

QVariant at(const QVariantList& values, int field)
{
    return field <= values.size() ? values.at(field - 1) : QVariant();
}

} // namespace

QVariantList ProjectRecord::toValues() const
{
    return {number,    name,        type,           version,   startTime,  lastUpdate, relatedProjects,
            reserved8, packageType, upgradeHistory, bugReport, reserved12, notes,      designPlan};
}

ProjectRecord ProjectRecord::fromValues(const QVariantList& values)
{
    ProjectRecord r;
    r.number = at(values, ProjectField::Number).toString();
    r.name = at(values, ProjectField::Name).toString();
    r.type = at(values, ProjectField::Type).toInt();
    r.version = at(values, ProjectField::Version).toString();
    r.startTime = at(values, ProjectField::StartTime).toDateTime();
    r.lastUpdate = at(values, ProjectField::LastUpdate).toDateTime();
    r.relatedProjects = at(values, ProjectField::RelatedProjects).toString();
    r.reserved8 = at(values, ProjectField::Reserved8).toString();
    r.packageType = at(values, ProjectField::PackageType).toString();
    r.upgradeHistory = at(values, ProjectField::UpgradeHistory).toString();
    r.bugReport = at(values, ProjectField::BugReport).toString();
    r.reserved12 = at(values, ProjectField::Reserved12).toString();
    r.notes = at(values, ProjectField::Notes).toString();
    r.designPlan = at(values, ProjectField::DesignPlan).toString();
    return r;
}
