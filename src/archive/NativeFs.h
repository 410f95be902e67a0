#pragma once

#include "archive/NativeName.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

#ifdef Q_OS_WIN
#include <QFile>

#include <memory>
#include <mutex>
#endif

// The few file-system calls that packing and unpacking make once per entry, straight to the system where Qt would
// add a stat or two of its own: on a tree of thousands of small files those extra calls cost more than the data.
namespace NativeFs {

enum class Kind { Missing, Folder, File, Link, Other };

// Permission bits only: set-id and sticky bits never travel through an archive.
constexpr int kPermissionMask = 0777;
constexpr int kDefaultFileMode = 0666; // before the umask, as every program creates its files
constexpr int kDefaultFolderMode = 0777;

struct Status
{
    Kind kind = Kind::Missing;
    int mode = 0; // permission bits
    qint64 size = 0;
    qint64 modified = 0; // seconds since the epoch
    // What tells one version of a file from the next even when its size stays: the modification time to the
    // nanosecond and the file's identity (a file renamed over another is a new inode).
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    bool sameAs(const Status& other) const
    {
        return kind == other.kind && mode == other.mode && size == other.size && modifiedNs == other.modifiedNs &&
               inode == other.inode && device == other.device;
    }
};

// The names in a folder, hidden ones included, without "." and ".."; nothing when it cannot be listed.
std::optional<QStringList> listFolder(const QString& path);

// Deletes a folder and everything below it, never following a link; whether it is gone.
bool removeTree(const QString& path);

// What the path itself is: a link is reported as a link, never followed.
Status statusOf(const QString& path);

// The process's umask, so that modes can be compared with what a new file or folder would get.
int umask();

// Creates one folder; the umask applies to mode, as for any new folder.
bool makeFolder(const QString& path, int mode);

// Moves from over to in one step (a file, a link or a whole folder), replacing a file at to.
bool rename(const QString& from, const QString& to);

bool removeFile(const QString& path);
bool removeFolder(const QString& path); // an empty one

// The bytes a link holds, as the system stores them; nothing when path is not a link.
std::optional<QByteArray> linkTarget(const QString& path);

// Creates a link at path; false where the platform cannot.
bool makeLink(const QByteArray& target, const QString& path);

// Sets the modification time of the path itself (a link's own time, not its target's).
bool setModified(const QString& path, qint64 seconds);

bool setMode(const QString& path, int mode);

// A file being written: created new (the umask applies to mode), closed by the destructor or close().
class NewFile
{
public:
    NewFile() = default;
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    bool create(const QString& path, int mode);
    bool write(const char* data, qint64 size);
    // Before close, after the last write: a later write would move the time again.
    bool setModified(qint64 seconds);
    bool close();

private:
#ifdef Q_OS_WIN
    std::unique_ptr<QFile> m_file;
#else
    int m_fd = -1;
#endif
};

// Reads size bytes at offset; false when the file is shorter or cannot be read.
bool readRange(const QString& path, qint64 offset, qint64 size, QByteArray& out);

// A file opened for reading, never through a link. Reads at an offset may come from several threads at once.
class OpenedFile
{
public:
    OpenedFile() = default;
    ~OpenedFile();
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    bool open(const QString& path);
    // What the open file is now (kind Missing when it is not open).
    Status status() const;
    // Exactly size bytes at offset; false when the file is shorter or cannot be read.
    bool readAt(qint64 offset, qint64 size, QByteArray& out) const;
    void close();

private:
#ifdef Q_OS_WIN
    std::unique_ptr<QFile> m_file;
    QString m_path;
    mutable std::mutex m_mutex;
#else
    int m_fd = -1;
#endif
};

} // namespace NativeFs
