#include "FolderSnapshot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

FolderSnapshot FolderSnapshot::of(const QString& folder)
{
    FolderSnapshot snapshot;
    const QDir top(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = top.relativeFilePath(info.filePath());
        // A folder's time moves whenever something inside it comes and goes, even for a moment: only that it
        // is there counts.
        if (info.isDir() && !info.isSymLink()) {
            snapshot.m_files.insert(name + u'/', {});
            continue;
        }
        QFile file(info.filePath());
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        snapshot.m_files.insert(name, {hash.result(), info.fileTime(QFileDevice::FileModificationTime)});
    }
    return snapshot;
}

FolderSnapshot FolderSnapshot::without(const QString& folder) const
{
    FolderSnapshot rest = *this;
    rest.m_files.removeIf([&](const auto& file) { return file.key().startsWith(folder + u'/'); });
    return rest;
}

QString FolderSnapshot::differencesFrom(const FolderSnapshot& other) const
{
    QStringList lines;
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
        if (!other.m_files.contains(it.key()))
            lines << u"only now: "_s + it.key();
        else if (other.m_files.value(it.key()).sha256 != it.value().sha256)
            lines << u"changed: "_s + it.key();
        else if (other.m_files.value(it.key()) != it.value())
            lines << u"touched: "_s + it.key();
    }
    for (auto it = other.m_files.cbegin(); it != other.m_files.cend(); ++it) {
        if (!m_files.contains(it.key()))
            lines << u"gone: "_s + it.key();
    }
    return lines.join(u"; "_s);
}
