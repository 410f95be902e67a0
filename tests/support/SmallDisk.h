#pragma once

#include <QByteArray>
#include <QString>

// Puts a folder on a file system of its own that holds only `bytes`, keeping what the folder held: a disk that
// fills up, for the test process alone (it needs the private mount namespace of ReadOnlyMount).
class SmallDisk
{
public:
    SmallDisk(const QString& folder, qint64 bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool isActive() const { return m_active; }
    // Fills the disk with a file of its own until no more than `bytes` are free.
    bool leaveFree(qint64 bytes);
    static const char* unavailableReason();

private:
    QString m_folder;
    QByteArray m_path;
    bool m_active = false;
};
