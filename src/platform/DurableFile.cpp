#include "platform/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

std::filesystem::path fsPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

bool syncOpenFile(QFile& file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

} // namespace

namespace DurableFile {

bool syncFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    return syncOpenFile(file);
}

bool syncFolder(const QString& path)
{
#ifdef Q_OS_WIN
    // Windows cannot sync a folder; every rename of replace() is written through to the disk instead.
    Q_UNUSED(path);
    return true;
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
#endif
}

bool replace(const QString& from, const QString& to)
{
#ifdef Q_OS_WIN
    // The C++ library's rename may copy between disks, which a kill can stop half-way; a rename here is one step
    // on one disk or fails. Written through: the new name is on the disk when this answers.
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
#else
    std::error_code error;
    std::filesystem::rename(fsPath(from), fsPath(to), error);
    return !error;
#endif
}

bool write(const QString& target, const std::function<bool(QFile& out)>& fill)
{
    // NewOnly creates the file with the usual permissions and never opens one that appeared meanwhile.
    QFile out(temporaryBeside(target));
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    // A replaced file keeps its permissions; a link at the target is replaced, so its target's do not count.
    const QFileInfo existing(target);
    if (existing.isFile() && !existing.isSymLink())
        out.setPermissions(existing.permissions());
    if (!fill(out) || out.error() != QFileDevice::NoError || !syncOpenFile(out)) {
        out.close();
        out.remove();
        return false;
    }
    out.close();
    if (out.error() != QFileDevice::NoError || !replace(out.fileName(), target)) {
        QFile::remove(out.fileName());
        return false;
    }
    return syncFolder(QFileInfo(target).absolutePath());
}

bool write(const QString& target, const QByteArray& bytes)
{
    return write(target, [&bytes](QFile& out) { return out.write(bytes) == bytes.size(); });
}

bool keepAs(const QString& existing, const QString& link)
{
    std::error_code error;
    std::filesystem::create_hard_link(fsPath(existing), fsPath(link), error);
    return !error && syncFolder(QFileInfo(link).absolutePath());
}

namespace {

const QString kTemporaryMark = u".tmp-"_s;
constexpr qsizetype kTemporaryKeyLength = 12;

} // namespace

QString temporaryBeside(const QString& path)
{
    for (;;) {
        const QString candidate =
            path + kTemporaryMark + QUuid::createUuid().toString(QUuid::Id128).left(kTemporaryKeyLength);
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

void removeLeftovers(const QString& folder)
{
    static const QRegularExpression temporary(u"\\.tmp-[0-9a-f]{%1}$"_s.arg(kTemporaryKeyLength));
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    bool removed = false;
    for (const QString& name : names) {
        if (temporary.match(name).hasMatch())
            removed = QFile::remove(dir.filePath(name)) || removed;
    }
    if (removed)
        syncFolder(folder);
}

} // namespace DurableFile
