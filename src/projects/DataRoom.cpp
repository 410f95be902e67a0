#include "projects/DataRoom.h"

#include "platform/DurableFile.h"
#include "projects/PackageHistory.h"
#include "projects/ProjectTrash.h"
#include "projects/WriteSteps.h"
#include "store/TableSchemas.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QString>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace DataRoom {

namespace {

constexpr auto kEverything = QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks;

// The bytes of every file below `folder`; `packages` counts the files named as stored packages are.
qint64 bytesBelow(const QString& folder, int* packages = nullptr)
{
    qint64 bytes = 0;
    QDirIterator it(folder, kEverything, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file = it.nextFileInfo();
        bytes += file.size();
        if (packages && file.fileName().endsWith(TableSchemas::packageSuffix()))
            ++*packages;
    }
    return bytes;
}

} // namespace

Room measure()
{
    Room room;
    const QString history = PackageHistory::rootFolder();
    room.historyBytes = bytesBelow(history, &room.historyVersions);
    room.trashBytes = bytesBelow(ProjectTrash::folder());
    room.trashEntries = int(ProjectTrash::entries().size());
    return room;
}

bool removeHistory(const Progress& progress)
{
    const QString root = PackageHistory::rootFolder();
    QStringList files;
    QDirIterator it(root, kEverything, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    bool all = true;
    for (qsizetype i = 0; i < files.size(); ++i) {
        WriteSteps::next();
        all = QFile::remove(files.at(i)) && all;
        if (progress)
            progress(i + 1, files.size());
    }
    // The folders go last, the deepest first; one that still holds a file that would not go stays.
    QStringList folders;
    QDirIterator dirs(root, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                      QDirIterator::Subdirectories);
    while (dirs.hasNext())
        folders.append(dirs.next());
    std::sort(folders.begin(), folders.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const QString& folder : std::as_const(folders))
        QDir().rmdir(folder);
    DurableFile::syncFolder(root);
    return all;
}

QString sizeText(qint64 bytes)
{
    constexpr double kKilo = 1024.0;
    if (bytes < 1024 * 1024)
        return QString::number((bytes + 1023) / 1024) + u" KB"_s;
    if (bytes < qint64(1024) * 1024 * 1024)
        return QString::number(double(bytes) / (kKilo * kKilo), 'f', 1) + u" MB"_s;
    return QString::number(double(bytes) / (kKilo * kKilo * kKilo), 'f', 2) + u" GB"_s;
}

} // namespace DataRoom
