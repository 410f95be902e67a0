#include "archive/NativeFs.h"
#include "platform/DurableFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <qt_windows.h>

#include <filesystem>
#include <system_error>

using namespace Qt::StringLiterals;

// Windows keeps no Unix modes and links need privileges there; Qt's portable calls are enough.
namespace NativeFs {

Status statusOf(const QString& path)
{
    // std::filesystem tells links, junctions and shortcut files apart without following any of them.
    std::error_code error;
    const std::filesystem::path native(path.toStdU16String());
    const std::filesystem::file_status status = std::filesystem::symlink_status(native, error);
    Status result;
    if (error || !std::filesystem::exists(status)) {
        return result;
    }
    const bool writable = (status.permissions() & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
    if (std::filesystem::is_symlink(status)) {
        result.kind = Kind::Link;
    } else if (std::filesystem::is_directory(status)) {
        result.kind = Kind::Folder;
        result.mode = kDefaultFolderMode & ~umask();
    } else if (std::filesystem::is_regular_file(status)) {
        result.kind = Kind::File;
        result.mode = (writable ? kDefaultFileMode : 0444) & ~umask();
        result.size = qint64(std::filesystem::file_size(native, error));
    } else {
        result.kind = Kind::Other;
    }
    const qint64 modifiedMs = QFileInfo(path).lastModified().toMSecsSinceEpoch();
    result.modified = modifiedMs / 1000;
    result.modifiedNs = modifiedMs * 1000000;
    return result;
}

int umask()
{
    return 022;
}

bool makeFolder(const QString& path, int)
{
    return QDir().mkdir(path);
}

bool rename(const QString& from, const QString& to)
{
    return DurableFile::replace(from, to);
}

bool removeFile(const QString& path)
{
    return QFile::remove(path);
}

bool removeFolder(const QString& path)
{
    return QDir().rmdir(path);
}

std::optional<QStringList> listFolder(const QString& path)
{
    const QDir folder(path);
    if (!folder.exists()) {
        return std::nullopt;
    }
    return folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

std::optional<QByteArray> linkTarget(const QString&)
{
    return std::nullopt;
}

bool makeLink(const QByteArray&, const QString&)
{
    return false;
}

bool setModified(const QString& path, qint64 seconds)
{
    // Opened for its attributes only, so a read-only file and a folder get their time too; a link keeps its own.
    const HANDLE handle =
        CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    // FILETIME counts 100-nanosecond steps since 1601.
    const quint64 ticks = quint64(seconds + 11644473600LL) * 10000000ULL;
    FILETIME modified;
    modified.dwLowDateTime = DWORD(ticks & 0xFFFFFFFFu);
    modified.dwHighDateTime = DWORD(ticks >> 32);
    const bool set = SetFileTime(handle, nullptr, nullptr, &modified) != FALSE;
    CloseHandle(handle);
    return set;
}

bool setMode(const QString&, int)
{
    return true;
}

NewFile::~NewFile()
{
    close();
}

bool NewFile::create(const QString& path, int)
{
    m_file = std::make_unique<QFile>(path);
    return m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered);
}

bool NewFile::write(const char* data, qint64 size)
{
    return m_file && m_file->write(data, size) == size;
}

bool NewFile::setModified(qint64 seconds)
{
    return m_file && m_file->setFileTime(QDateTime::fromSecsSinceEpoch(seconds), QFileDevice::FileModificationTime);
}

bool NewFile::close()
{
    if (!m_file) {
        return true;
    }
    m_file->close();
    const bool ok = m_file->error() == QFileDevice::NoError;
    m_file.reset();
    return ok;
}

bool readRange(const QString& path, qint64 offset, qint64 size, QByteArray& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(offset)) {
        return false;
    }
    out.resize(size);
    return file.read(out.data(), size) == size;
}

OpenedFile::~OpenedFile()
{
    close();
}

bool OpenedFile::open(const QString& path)
{
    if (statusOf(path).kind != Kind::File) {
        return false;
    }
    m_path = path;
    m_file = std::make_unique<QFile>(path);
    return m_file->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

Status OpenedFile::status() const
{
    // Windows keeps a file that is open for reading from being replaced or deleted, so its name still tells.
    return m_file ? statusOf(m_path) : Status{};
}

bool OpenedFile::readAt(qint64 offset, qint64 size, QByteArray& out) const
{
    const std::lock_guard lock(m_mutex);
    if (!m_file || !m_file->seek(offset)) {
        return false;
    }
    out.resize(size);
    return m_file->read(out.data(), size) == size;
}

void OpenedFile::close()
{
    m_file.reset();
}

} // namespace NativeFs
