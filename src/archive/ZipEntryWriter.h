#pragma once

#include "archive/ZipEntryPlan.h"

class ZipEntryReader;

#include <QList>
#include <QString>
#include <QStringList>

#include <zip.h>

#include <atomic>
#include <functional>
#include <mutex>

// Writes the data of checked entries into their staged places. Creating a file costs the system more than
// inflating a small one, so on a tree of many small files every core creates files: each helper thread reads the
// archive through its own libzip handle (one handle must not be shared) and takes the next few entries in turn.
class ZipEntryWriter
{
public:
    // stagedPaths[i] is where entry i goes (empty for folders); its folder exists already.
    ZipEntryWriter(zip_t* archive, const QString& archivePath, const QList<PlannedEntry>& entries,
                   const QStringList& stagedPaths);

    // Called on the calling thread now and then with the bytes written so far; answer false to stop.
    using Progress = std::function<bool(qint64 done)>;

    // Writes every file and link; false when one cannot be written or read clean, or when progress said stop.
    bool run(const Progress& progress);

private:
    bool work(zip_t* archive, const Progress* progress);
    bool writeFile(zip_t* archive, ZipEntryReader& reader, const PlannedEntry& entry, const QString& path,
                   const Progress* progress);
    bool advance(qint64 bytes, const Progress* progress);

    zip_t* m_archive;
    const QString m_archivePath;
    const QList<PlannedEntry>& m_entries;
    const QStringList& m_stagedPaths;
    std::mutex m_batchMutex;
    qsizetype m_next = 0; // the first entry no thread has taken yet
    std::atomic<qint64> m_done{0};
    std::atomic<bool> m_stop{false};
};
