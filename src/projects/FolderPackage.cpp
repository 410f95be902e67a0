#include "projects/FolderPackage.h"

#include "app/AppDir.h"
#include "archive/ZipArchive.h"
#include "platform/FileSystem.h"
#include "store/DataFolder.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

bool FolderPackage::isFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

QString FolderPackage::packageName(const QString& folder)
{
    return QDir::cleanPath(folder) + u".zip"_s;
}

QString FolderPackage::leftoverPattern()
{
    return u".tallyra-folder-*.zip"_s;
}

FolderPackage::FolderPackage(const QString& folder, const Progress& progress)
{
    // The data folder, a folder inside it or one holding it would pack the catalogue into one of its packages.
    const QString data = QFileInfo(DataFolder::path()).canonicalFilePath();
    const QString chosen = QFileInfo(folder).canonicalFilePath();
    if (chosen.isEmpty() ||
        (!data.isEmpty() && (FileSystem::isInside(chosen, data) || FileSystem::isInside(data, chosen))))
        return;
    // Beside data/, on the disk the package is stored on, under a name of its own; the name is taken by a file
    // only while it is reserved, so the package gets the mode of any new file.
    QString target;
    {
        QTemporaryFile reservation(AppDir::path() + u"/.tallyra-folder-XXXXXX.zip"_s);
        if (!reservation.open())
            return;
        target = reservation.fileName();
    }
    ZipArchive::PackOptions options;
    options.refuseUnpackable = true;
    const ZipArchive::Packing packing = ZipArchive::pack(folder, target, options, progress);
    switch (packing.status) {
    case ZipArchive::Outcome::Ok:
        m_outcome = Outcome::Packed;
        m_package = target;
        return;
    case ZipArchive::Outcome::Changing:
        m_outcome = Outcome::Changing;
        break;
    case ZipArchive::Outcome::Unpackable:
        m_outcome = Outcome::Unpackable;
        m_unpackable = packing.unpackable;
        break;
    default:
        break;
    }
    QFile::remove(target);
}

FolderPackage::~FolderPackage()
{
    if (!m_package.isEmpty())
        QFile::remove(m_package);
}
