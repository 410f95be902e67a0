#include "platform/FileSystem.h"

#include "platform/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QStorageInfo>
#else
#include <sys/stat.h>
#endif

namespace FileSystem {

bool isValidFileName(const QString& name, int extraBytes)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.contains(u'/') || name.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    static const QString kForbidden = QStringLiteral("<>:\"\\|?*");
    for (QChar c : name) {
        if (c.unicode() < 32 || kForbidden.contains(c))
            return false;
    }
    if (name.endsWith(u' ') || name.endsWith(u'.'))
        return false;
    static const QStringList kReserved = {
        QStringLiteral("CON"),  QStringLiteral("PRN"),  QStringLiteral("AUX"),  QStringLiteral("NUL"),
        QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4"),
        QStringLiteral("COM5"), QStringLiteral("COM6"), QStringLiteral("COM7"), QStringLiteral("COM8"),
        QStringLiteral("COM9"), QStringLiteral("LPT1"), QStringLiteral("LPT2"), QStringLiteral("LPT3"),
        QStringLiteral("LPT4"), QStringLiteral("LPT5"), QStringLiteral("LPT6"), QStringLiteral("LPT7"),
        QStringLiteral("LPT8"), QStringLiteral("LPT9")};
    const QString stem = name.section(u'.', 0, 0).toUpper();
    if (kReserved.contains(stem))
        return false;
    return name.size() + extraBytes <= 255;
#else
    // Linux file systems count the bytes of the UTF-8 name.
    return name.toUtf8().size() + extraBytes <= 255;
#endif
}

bool copyFile(const QString& source, const QString& target, const Progress& progress)
{
    const QFileInfo info(source);
    if (!info.isFile())
        return false;
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const qint64 total = in.size();
    return DurableFile::write(target, [&](QFile& out) {
        constexpr qint64 kChunk = 1 << 20;
        qint64 done = 0;
        for (;;) {
            const QByteArray buffer = in.read(kChunk);
            if (buffer.isEmpty()) {
                if (in.error() != QFileDevice::NoError || (!in.atEnd() && done < total))
                    return false;
                break;
            }
            if (out.write(buffer) != buffer.size())
                return false;
            done += buffer.size();
            if (progress && !progress(done, total))
                return false;
        }
        // A file that shrank or vanished under us is not a copy of it.
        return done == total && in.error() == QFileDevice::NoError && QFileInfo::exists(source);
    });
}

bool sameDisk(const QString& a, const QString& b)
{
#ifdef Q_OS_WIN
    const QStorageInfo first(a);
    const QStorageInfo second(b);
    return first.isValid() && second.isValid() && first.rootPath().compare(second.rootPath(), Qt::CaseInsensitive) == 0;
#else
    struct stat first
    {
    };
    struct stat second
    {
    };
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev;
#endif
}

bool removeDirectory(const QString& path)
{
    // A blank path would mean the current directory, which is appDir: never delete on such a path.
    if (path.trimmed().isEmpty())
        return false;
    const QFileInfo info(path);
    if (!info.isDir() || info.isRoot())
        return false;
    return QDir(path).removeRecursively();
}

} // namespace FileSystem
