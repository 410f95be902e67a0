#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Compares the catalogue with the package files of the data folder, in both directions: projects that name a
// package type but whose package file is gone, and ".fd1" files that belong to no project (what an older
// backup leaves behind once restored, or a package whose record was lost).
namespace CatalogueCheck {

struct MissingPackage
{
    int recordNumber = 0;
    QString number;
    QString name;
    QString version;
    QString packageType;
};

struct OrphanFile
{
    QString fileName; // inside the data folder, for example "261207_093005.fd1"
    qint64 size = 0;
    QDateTime modified;
};

struct Result
{
    bool tableRead = false; // false: the project table could not be opened, and nothing was compared
    QList<MissingPackage> missing;
    QList<OrphanFile> orphans;
};

// Reads the project table once and lists the data folder once.
Result check();

// The full path of a data-folder file; empty for a name that is no plain ".fd1" file name, so nothing outside
// the folder or beside the packages is ever touched.
QString orphanPath(const QString& fileName);

// Moves these files of the data folder into the trash with their earlier packages, where 还原 can put them back;
// a package whose project is in the trash joins that project's entry. Answers the names that could not be moved.
QStringList deleteOrphans(const QStringList& fileNames);

} // namespace CatalogueCheck
