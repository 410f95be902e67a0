#include "projects/CatalogueCheck.h"

#include "app/AppDir.h"
#include "projects/ProjectCatalogue.h"
#include "projects/ProjectTrash.h"
#include "store/DataFolder.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

QString dataFolder()
{
    return DataFolder::path();
}

} // namespace

namespace CatalogueCheck {

Result check()
{
    Result result;
    using ProjectCatalogue::Column;
    const ProjectCatalogue::Columns projects =
        ProjectCatalogue::readColumns(Column::Number | Column::Name | Column::Version | Column::PackageType);
    if (!projects.tableRead)
        return result;
    result.tableRead = true;

    // One listing instead of one look-up per project: 10,000 projects would otherwise ask the disk 10,000 times.
    QSet<QString> packageFiles;
    const QFileInfoList entries = QDir(dataFolder())
                                      .entryInfoList({u"*"_s + TableSchemas::packageSuffix()},
                                                     QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (TableSchemas::isPackageFileName(entry.fileName()))
            packageFiles.insert(entry.fileName());
    }

    QSet<QString> named;
    for (qsizetype i = 0; i < projects.count; ++i) {
        const QString& number = projects.numbers.at(i);
        const QString fileName = TableSchemas::packageFileOf(number);
        named.insert(fileName);
        // A project without a package type was added without a package on purpose.
        const QString& type = projects.packageTypes.at(i);
        if (type.isEmpty() || packageFiles.contains(fileName))
            continue;
        result.missing.append({int(i + 1), number, projects.names.at(i), projects.versions.at(i), type});
    }

    for (const QFileInfo& entry : entries) {
        if (packageFiles.contains(entry.fileName()) && !named.contains(entry.fileName()))
            result.orphans.append({entry.fileName(), entry.size(), entry.lastModified()});
    }
    return result;
}

QString orphanPath(const QString& fileName)
{
    if (!TableSchemas::isPackageFileName(fileName))
        return {};
    return dataFolder() + u'/' + fileName;
}

QStringList deleteOrphans(const QStringList& fileNames)
{
    QStringList failed;
    QStringList numbers;
    for (const QString& name : fileNames) {
        const QString path = orphanPath(name);
        if (path.isEmpty() || !QFileInfo(path).isFile())
            failed.append(name);
        else
            numbers.append(name.chopped(TableSchemas::packageSuffix().size()));
    }
    // One batch for all of them; a package whose project is in the trash joins that project's entry.
    for (const QString& number : ProjectTrash::moveOrphansIn(numbers))
        failed.append(TableSchemas::packageFileOf(number));
    return failed;
}

} // namespace CatalogueCheck
