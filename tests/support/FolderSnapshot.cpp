#include "FolderSnapshot.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

FolderSnapshot FolderSnapshot::of(const QString& folder)
{
    FolderSnapshot snapshot;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& info : entries) {
        QFile file(info.absoluteFilePath());
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (file.open(QIODevice::ReadOnly))
            hash.addData(&file);
        snapshot.m_files.insert(info.fileName(), {hash.result(), info.fileTime(QFileDevice::FileModificationTime)});
    }
    return snapshot;
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
