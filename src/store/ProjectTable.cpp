#include "store/ProjectTable.h"

#include "store/FindFold.h"
#include "store/TableSchemas.h"

#include <algorithm>

bool ProjectTable::open()
{
    // Find searches the four long texts; the index is kept with the table (see RecordTable::indexTexts).
    indexTexts({ProjectField::UpgradeHistory, ProjectField::BugReport, ProjectField::Notes, ProjectField::DesignPlan},
               FindFold::fold);
    if (!RecordTable::open(TableSchemas::projectTablePath()))
        return false;
    // A delete that an older run marked but never packed is finished now, so no command shows a deleted
    // project or lets a text be typed into one. On a write-protected table the marks stay, as does all else.
    // Not announced: the list opens the table to fill itself, and a repair must not fill it again from inside.
    packLeftoverMarks();
    // The list shows neither the related projects, the notes nor the three texts.
    announceWritesAs(CatalogueNotice::Part::Projects,
                     {ProjectField::RelatedProjects, ProjectField::Notes, ProjectField::DesignPlan,
                      ProjectField::BugReport, ProjectField::UpgradeHistory});
    return true;
}

ProjectRecord ProjectTable::readProject() const
{
    QVariantList values;
    const qsizetype count = ProjectRecord::fields().size();
    values.reserve(count);
    for (int field = 1; field <= count; ++field)
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

std::optional<QList<int>> ProjectTable::recordsWithText(const QString& text) const
{
    return recordsContaining(FindFold::fold(text));
}

QString ProjectTable::extensionOf(const QString& path)
{
    // Only the file's own name counts: a dot in a folder name ("proj.v2/Makefile") names no type, and the type
    // becomes part of the working file's name, where a separator would make it a path.
    qsizetype nameStart = path.lastIndexOf(u'/') + 1;
#ifdef Q_OS_WIN
    nameStart = std::max(nameStart, path.lastIndexOf(u'\\') + 1);
#endif
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot < nameStart ? QString() : path.mid(dot + 1);
}

bool TypeTable::open()
{
    if (!RecordTable::open(TableSchemas::typeTablePath()))
        return false;
    announceWritesAs(CatalogueNotice::Part::Projects); // the list shows each project with its type's icon
    return true;
}
