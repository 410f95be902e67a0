#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

// What a folder holds: every file's name, content checksum and modification time. Two snapshots compare
// equal only when nothing was written, created, removed or even touched.
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
    // A readable account of the differences, for a failure message.
    QString differencesFrom(const FolderSnapshot& other) const;

private:
    QMap<QString, FileState> m_files;
};
