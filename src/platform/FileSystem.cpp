#include "platform/FileSystem.h"

#include "platform/DurableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <QStorageInfo>
#else
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace FileSystem {

bool isWindowsDeviceName(const QString& stem, Qt::CaseSensitivity cs)
{
    static const QStringList kDevices = {u"CON"_s,  u"PRN"_s,  u"AUX"_s,  u"NUL"_s,  u"COM1"_s, u"COM2"_s,
                                         u"COM3"_s, u"COM4"_s, u"COM5"_s, u"COM6"_s, u"COM7"_s, u"COM8"_s,
                                         u"COM9"_s, u"LPT1"_s, u"LPT2"_s, u"LPT3"_s, u"LPT4"_s, u"LPT5"_s,
                                         u"LPT6"_s, u"LPT7"_s, u"LPT8"_s, u"LPT9"_s};
    return kDevices.contains(stem, cs);
}

bool isValidFileName(const QString& name, int extraBytes)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.contains(u'/') || name.contains(QChar(0)))
        return false;
#ifdef Q_OS_WIN
    static const QString kForbidden = u"<>:\"\\|?*"_s;
    for (QChar c : name) {
        if (c.unicode() < 32 || kForbidden.contains(c))
            return false;
    }
    if (name.endsWith(u' ') || name.endsWith(u'.'))
        return false;
    if (isWindowsDeviceName(name.section(u'.', 0, 0).toUpper()))
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

bool isInside(const QString& path, const QString& folder)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
    return !path.isEmpty() && (path.compare(folder, kCase) == 0 || path.startsWith(folder + u'/', kCase));
}

bool isRealFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
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

bool sameFile(const QString& a, const QString& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(std::filesystem::path(a.toStdU16String()),
                                                  std::filesystem::path(b.toStdU16String()), error);
    return !error && same;
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
