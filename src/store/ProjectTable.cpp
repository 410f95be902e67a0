#include "store/ProjectTable.h"

#include "app/AppDir.h"
#include "store/TableSchemas.h"

bool ProjectTable::open()
{
    return RecordTable::open(TableSchemas::projectTablePath());
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
