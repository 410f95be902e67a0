#include "archive/NativeFs.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace NativeFs {

namespace {

QByteArray native(const QString& path)
{
    return encodeName(path);
}

timespec toTimespec(qint64 seconds)
{
    timespec time{};
    time.tv_sec = time_t(seconds);
    return time;
}

} // namespace

static Status statusFrom(const struct stat& info)
{
    Status status;
    if (S_ISLNK(info.st_mode)) {
        status.kind = Kind::Link;
    } else if (S_ISDIR(info.st_mode)) {
        status.kind = Kind::Folder;
    } else if (S_ISREG(info.st_mode)) {
        status.kind = Kind::File;
    } else {
        status.kind = Kind::Other;
    }
    status.mode = int(info.st_mode) & kPermissionMask;
    status.size = qint64(info.st_size);
    status.modified = qint64(info.st_mtim.tv_sec);
    status.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + qint64(info.st_mtim.tv_nsec);
    status.inode = quint64(info.st_ino);
    status.device = quint64(info.st_dev);
    return status;
}

Status statusOf(const QString& path)
{
    struct stat info
    {
    };
    if (::lstat(native(path).constData(), &info) != 0) {
        return {};
    }
    return statusFrom(info);
}

int umask()
{
    // Linux tells it without changing it; elsewhere it can only be read by setting it back at once.
    QFile statusFile(u"/proc/self/status"_s);
    if (statusFile.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : statusFile.readAll().split('\n')) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const int mask = line.mid(6).trimmed().toInt(&ok, 8);
                if (ok) {
                    return mask;
                }
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return int(mask);
}

bool makeFolder(const QString& path, int mode)
{
    return ::mkdir(native(path).constData(), mode_t(mode & kPermissionMask)) == 0;
}

bool rename(const QString& from, const QString& to)
{
    return ::rename(native(from).constData(), native(to).constData()) == 0;
}

bool removeFile(const QString& path)
{
    return ::unlink(native(path).constData()) == 0;
}

bool removeFolder(const QString& path)
{
    return ::rmdir(native(path).constData()) == 0;
}

std::optional<QStringList> listFolder(const QString& path)
{
    DIR* folder = ::opendir(native(path).constData());
    if (!folder) {
        return std::nullopt;
    }
    QStringList names;
    errno = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        names.append(decodeName(QByteArray(name)));
    }
    const bool complete = errno == 0;
    ::closedir(folder);
    if (!complete) {
        return std::nullopt;
    }
    return names;
}

std::optional<QByteArray> linkTarget(const QString& path)
{
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(native(path).constData(), target.data(), size_t(target.size()));
    if (length < 0 || length >= target.size()) {
        return std::nullopt;
    }
    target.truncate(length);
    return target;
}

bool makeLink(const QByteArray& target, const QString& path)
{
    return ::symlink(target.constData(), native(path).constData()) == 0;
}

bool setModified(const QString& path, qint64 seconds)
{
    const timespec times[2] = {{0, UTIME_OMIT}, toTimespec(seconds)};
    return ::utimensat(AT_FDCWD, native(path).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool setMode(const QString& path, int mode)
{
    return ::chmod(native(path).constData(), mode_t(mode & kPermissionMask)) == 0;
}

NewFile::~NewFile()
{
    close();
}

bool NewFile::create(const QString& path, int mode)
{
    m_fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode & kPermissionMask));
    return m_fd >= 0;
}

bool NewFile::write(const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(size));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool NewFile::setModified(qint64 seconds)
{
    const timespec times[2] = {{0, UTIME_OMIT}, toTimespec(seconds)};
    return ::futimens(m_fd, times) == 0;
}

bool NewFile::close()
{
    if (m_fd < 0) {
        return true;
    }
    const bool ok = ::close(m_fd) == 0;
    m_fd = -1;
    return ok;
}

bool readRange(const QString& path, qint64 offset, qint64 size, QByteArray& out)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    out.resize(size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t read = ::pread(fd, out.data() + done, size_t(size - done), off_t(offset + done));
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read <= 0) {
            break;
        }
        done += read;
    }
    ::close(fd);
    return done == size;
}

OpenedFile::~OpenedFile()
{
    close();
}

bool OpenedFile::open(const QString& path)
{
    close();
    m_fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (m_fd < 0) {
        return false;
    }
    // A pipe put where the file was would block the reader for ever; only a plain file is read.
    if (status().kind != Kind::File) {
        close();
        return false;
    }
    return true;
}

Status OpenedFile::status() const
{
    struct stat info
    {
    };
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
        return {};
    }
    return statusFrom(info);
}

bool OpenedFile::readAt(qint64 offset, qint64 size, QByteArray& out) const
{
    out.resize(size);
    qint64 done = 0;
    while (done < size) {
        const ssize_t read = ::pread(m_fd, out.data() + done, size_t(size - done), off_t(offset + done));
        if (read < 0 && errno == EINTR) {
            continue;
        }
        if (read <= 0) {
            break;
        }
        done += read;
    }
    return done == size;
}

void OpenedFile::close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace NativeFs
