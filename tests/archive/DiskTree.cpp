#include "DiskTree.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {

QByteArray linkTarget(const QString& path)
{
    return QFile::encodeName(
        QString::fromStdU16String(std::filesystem::read_symlink(path.toStdU16String()).u16string()));
}

// The time of the entry itself, a link's own rather than its target's.
qint64 modifiedSeconds(const QString& path)
{
#ifdef Q_OS_WIN
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
#else
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? qint64(status.st_mtim.tv_sec) : -1;
#endif
}

} // namespace

namespace DiskTree {

QMap<QString, QByteArray> snapshot(const QString& root)
{
    QMap<QString, QByteArray> tree;
    const QDir rootDir(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString name = rootDir.relativeFilePath(info.filePath());
        if (info.isSymLink()) {
            tree.insert(name, "->" + linkTarget(info.filePath()));
        } else if (info.isDir()) {
            tree.insert(name + u'/', {});
        } else {
            tree.insert(name, readFile(info.filePath()));
        }
    }
    return tree;
}

QMap<QString, QString> details(const QString& root, const QStringList& timedFolders)
{
    QMap<QString, QString> tree;
    const QDir rootDir(root);
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = rootDir.relativeFilePath(path);
        std::error_code error;
        const auto status = std::filesystem::symlink_status(path.toStdU16String(), error);
        if (error) {
            tree.insert(name, u"vanished"_s);
            continue;
        }
        const QString mode = QString::number(int(status.permissions() & std::filesystem::perms::mask), 8);
        const QString time = QString::number(modifiedSeconds(path));
        if (std::filesystem::is_symlink(status)) {
            tree.insert(name, u"link time %1 -> %2"_s.arg(time, QString::fromUtf8(linkTarget(path))));
        } else if (std::filesystem::is_directory(status)) {
            tree.insert(name + u'/',
                        u"folder mode %1%2"_s.arg(mode, timedFolders.contains(name) ? u" time "_s + time : QString()));
        } else {
            const QByteArray sum = QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha1).toHex();
            tree.insert(name, u"file mode %1 time %2 sha1 %3"_s.arg(mode, time, QString::fromLatin1(sum)));
        }
    }
    return tree;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray text(qsizetype size, quint32 seed)
{
    static const QList<QByteArray> words{"int ", "return ", "count",   " = ",  "0;\n",    "if (",   ") {\n",
                                         "}\n",  "项目",    "名称",    "for ", "value",   "->next", "(void)",
                                         "// ",  "说明\n",  "QString", " + ",  "nullptr", "\n    "};
    QRandomGenerator random(seed);
    QByteArray out;
    out.reserve(size + 16);
    while (out.size() < size) {
        out += words.at(random.bounded(qsizetype(words.size())));
    }
    out.truncate(size);
    return out;
}

QByteArray noise(qsizetype size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray out(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        out[i] = char(random.bounded(256));
    }
    return out;
}

} // namespace DiskTree
