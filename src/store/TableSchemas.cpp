#include "TableSchemas.h"

#include "platform/FileSystem.h"
#include "store/ProjectRecord.h"

using namespace Qt::StringLiterals;

namespace TableSchemas {

QString dataFolderName()
{
    return u"data"_s;
}

QString projectTableFileName()
{
    return u"DB.EDB"_s;
}

QString typeTableFileName()
{
    return u"type.edb"_s;
}

QString typeBytesFileName()
{
    return u"type.edt"_s;
}

QString toolTableFileName()
{
    return u"tool.edb"_s;
}

QString passwordTableFileName()
{
    return u"np.edb"_s;
}

QString packageSuffix()
{
    return u".fd1"_s;
}

QString packageFileOf(const QString& number)
{
    return number + packageSuffix();
}

bool hasPackageFile(const QString& number)
{
    return FileSystem::isValidFileName(number, int(packageSuffix().size()));
}

bool isPackageFileName(const QString& fileName)
{
    return fileName.size() > packageSuffix().size() && fileName.endsWith(packageSuffix()) &&
           FileSystem::isValidFileName(fileName);
}

QString projectTablePath()
{
    return dataFolderName() + u'/' + projectTableFileName();
}

QString typeTablePath()
{
    return dataFolderName() + u'/' + typeTableFileName();
}

QString toolTablePath()
{
    return dataFolderName() + u'/' + toolTableFileName();
}

QString passwordTablePath()
{
    return dataFolderName() + u'/' + passwordTableFileName();
}

QString passwordTableAccessPassword()
{
    return u"739"_s;
}

QString initialLoginPassword()
{
    return u"739"_s;
}

namespace {

QList<Table>& tablesForTest()
{
    static QList<Table> tables;
    return tables;
}

} // namespace

QList<Table> tables()
{
    if (!tablesForTest().isEmpty())
        return tablesForTest();
    return {{projectTableFileName(), {}, projectFields()},
            {typeTableFileName(), {}, typeFields()},
            {toolTableFileName(), {}, toolFields()},
            {passwordTableFileName(), passwordTableAccessPassword(), passwordFields()}};
}

void setTablesForTest(const QList<Table>& tables)
{
    tablesForTest() = tables;
}

QList<FieldDef> projectFields()
{
    QList<FieldDef> defs;
    for (const ProjectRecord::Field& field : ProjectRecord::fields())
        defs.append({field.name, field.kind});
    return defs;
}

QList<FieldDef> typeFields()
{
    return {{u"名称"_s, FieldKind::Text}, {u"图标"_s, FieldKind::Bytes}};
}

QList<FieldDef> toolFields()
{
    return {{u"name"_s, FieldKind::Text}, {u"path"_s, FieldKind::Text}, {u"description"_s, FieldKind::Text}};
}

QList<FieldDef> passwordFields()
{
    return {{u"password"_s, FieldKind::Text}};
}

} // namespace TableSchemas
