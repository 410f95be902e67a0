#include "projects/FileMoves.h"

#include "platform/DurableFile.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace FileMoves {

namespace {

constexpr qint64 kCompareChunk = 1 << 20;

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

bool present(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool isPlainFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink();
}

// The nearest folder of `path` that exists: a path not made yet lies on the disk of that folder.
QString existingFolderOf(QString path)
{
    while (!path.isEmpty() && !QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return path;
}

} // namespace

bool sameBytes(const QString& a, const QString& b)
{
    if (FileSystem::sameFile(a, b))
        return true;
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (!first.isFile() || !second.isFile() || first.size() != second.size())
        return false;
    QFile one(a);
    QFile other(b);
    if (!one.open(QIODevice::ReadOnly) || !other.open(QIODevice::ReadOnly) || one.size() != other.size())
        return false;
    while (!one.atEnd()) {
        const QByteArray chunk = one.read(kCompareChunk);
        if (chunk.isEmpty() || chunk != other.read(kCompareChunk))
            return false;
    }
    return other.atEnd();
}

bool sameDisk(const QString& a, const QString& b)
{
    return FileSystem::sameDisk(existingFolderOf(a), existingFolderOf(b));
}

bool moveFile(const QString& from, const QString& to)
{
    if (!isPlainFile(from))
        return false;
    if (isPlainFile(to) && sameBytes(from, to))
        return QFile::remove(from);
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    if (!error)
        return true;
    // A rename that fails on one disk is a real failure; across disks the bytes are copied whole first.
    if (sameDisk(QFileInfo(from).absolutePath(), QFileInfo(to).absolutePath()))
        return false;
    return FileSystem::copyFile(from, to) && QFile::remove(from);
}

bool linkOrCopy(const QString& from, const QString& to)
{
    if (present(to) || !isPlainFile(from))
        return false;
    std::error_code error;
    std::filesystem::create_hard_link(fsPath(from), fsPath(to), error);
    return !error || FileSystem::copyFile(from, to);
}

bool mergeFolder(const QString& from, const QString& to, const std::function<QString(const QString&)>& renamed)
{
    if (!FileSystem::isRealFolder(from))
        return !present(from);
    if (!present(to)) {
        std::error_code error;
        std::filesystem::rename(fsPath(from), fsPath(to), error);
        if (!error)
            return true;
    }
    if (!FileSystem::isRealFolder(to) && !QDir().mkpath(to))
        return false;
    bool all = true;
    const QDir source(from);
    for (const QString& name : source.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString file = source.filePath(name);
        QString target = to + u'/' + name;
        if (present(target)) {
            if (isPlainFile(target) && sameBytes(file, target)) {
                all = QFile::remove(file) && all;
                continue;
            }
            QString other = renamed(name);
            while (present(to + u'/' + other))
                other = renamed(other);
            target = to + u'/' + other;
        }
        all = moveFile(file, target) && all;
    }
    DurableFile::syncFolder(to);
    // Anything else in it (a folder, a link) is not ours to throw away.
    return all && QDir().rmdir(from);
}

} // namespace FileMoves
