#include "store/ProjectTable.h"

#include "app/AppDir.h"
#include "store/TableSchemas.h"

bool ProjectTable::open()
{
    return RecordTable::open(TableSchemas::projectTablePath());
}

ProjectRecord ProjectTable::readProject() const
{
    QVariantList values;
    values.reserve(ProjectField::DesignPlan);
    for (int field = ProjectField::Number; field <= ProjectField::DesignPlan; ++field)
        values.append(readField(field));
    return ProjectRecord::fromValues(values);
}

bool ProjectTable::appendProject(const ProjectRecord& project)
{
    return appendRecord(project.toValues());
}

bool ProjectTable::modifyProject(const ProjectRecord& project)
{
    return modifyRecord(project.toValues());
}

bool ProjectTable::findProjectByNumber(const QString& number)
{
    goFirst();
    return findEqual(int(ProjectField::Number), number);
}

QString ProjectTable::packagePath(const QString& number)
{
    return AppDir::path() + u'/' + TableSchemas::dataFolderName() + u'/' + number + u".fd1";
}

QString ProjectTable::extensionOf(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < 0 ? path : path.mid(dot + 1);
}

bool TypeTable::open()
{
    return RecordTable::open(TableSchemas::typeTablePath());
}
