#include "TableSchemas.h"

#include "platform/FileSystem.h"

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

QList<FieldDef> projectFields()
{
    return {
        {u"number"_s, FieldKind::Text},          {u"name"_s, FieldKind::Text},
        {u"type"_s, FieldKind::Integer},         {u"version"_s, FieldKind::Text},
        {u"startTime"_s, FieldKind::DateTime},   {u"lastUpdate"_s, FieldKind::DateTime},
        {u"relatedProjects"_s, FieldKind::Text}, {u"reserved8"_s, FieldKind::Text},
        {u"packageType"_s, FieldKind::Text},     {u"upgradeHistory"_s, FieldKind::Text},
        {u"bugReport"_s, FieldKind::Text},       {u"reserved12"_s, FieldKind::Text},
        {u"notes"_s, FieldKind::Text},           {u"designPlan"_s, FieldKind::Text},
    };
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
