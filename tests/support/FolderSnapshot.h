#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// What a folder holds, all the way down: every file's path, content checksum and modification time, and every
// folder's path. Two snapshots compare equal only when nothing was written, created, removed or even touched.
class FolderSnapshot
{
public:
    struct FileState
    {
        QByteArray sha256;
        QDateTime modified;
        bool operator==(const FileState&) const = default;
    };

    static FolderSnapshot of(const QString& folder);

    bool operator==(const FolderSnapshot&) const = default;
    QStringList fileNames() const { return m_files.keys(); }
    // The same snapshot without what lies below `folder` (a relative path).
    FolderSnapshot without(const QString& folder) const;
    // A readable account of the differences, for a failure message.
    QString differencesFrom(const FolderSnapshot& other) const;

private:
    QMap<QString, FileState> m_files;
};
