#include "store/ProjectTable.h"

#include "app/AppDir.h"
#include "store/TableSchemas.h"

bool ProjectTable::open()
{
    if (!RecordTable::open(TableSchemas::projectTablePath()))
        return false;
    // A delete that an older run marked but never packed is finished now, so no command shows a deleted
    // project or lets a text be typed into one. On a write-protected table the marks stay, as does all else.
    pack();
    return true;
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
