#include "SmallDisk.h"

#include "ReadOnlyMount.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>

#ifdef Q_OS_WIN

SmallDisk::SmallDisk(const QString& folder, qint64)
    : m_folder(folder)
    , m_path(QFile::encodeName(folder))
{
}

SmallDisk::~SmallDisk() = default;

bool SmallDisk::leaveFree(qint64)
{
    return false;
}

const char* SmallDisk::unavailableReason()
{
    return "a full disk is made with a small tmpfs mount; Windows lets no test mount a disk of its own, and "
           "neither does Wine";
}

#else

#include <sys/mount.h>
#include <sys/statvfs.h>

namespace {

// Every file below `folder` by its relative path; the tables of a data folder are small.
QMap<QString, QByteArray> contentOf(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(QDir(folder).relativeFilePath(path), file.readAll());
    }
    return files;
}

} // namespace

SmallDisk::SmallDisk(const QString& folder, qint64 bytes)
    : m_folder(folder)
    , m_path(QFile::encodeName(folder))
{
    if (!ReadOnlyMount::available())
        return;
    QDir().mkpath(folder);
    const QMap<QString, QByteArray> kept = contentOf(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes);
    if (mount("tallyra-small-disk", m_path.constData(), "tmpfs", 0, options.constData()) != 0)
        return;
    m_active = true;
    for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
        const QString path = folder + u'/' + it.key();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            m_active = false;
    }
}

SmallDisk::~SmallDisk()
{
    if (m_active)
        umount2(m_path.constData(), MNT_DETACH);
}

bool SmallDisk::leaveFree(qint64 bytes)
{
    struct statvfs info
    {
    };
    if (!m_active || statvfs(m_path.constData(), &info) != 0)
        return false;
    const qint64 available = qint64(info.f_bavail) * qint64(info.f_frsize);
    if (available <= bytes)
        return true;
    QFile filler(m_folder + QStringLiteral("/.filler"));
    if (!filler.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(64 * 1024, 'f');
    for (qint64 left = available - bytes; left > 0; left -= block.size()) {
        if (filler.write(block.constData(), qMin<qint64>(left, block.size())) <= 0)
            return false;
    }
    return filler.flush();
}

const char* SmallDisk::unavailableReason()
{
    return "a full disk is made with a small tmpfs, which needs a private mount namespace (root with CAP_SYS_ADMIN)";
}

#endif
