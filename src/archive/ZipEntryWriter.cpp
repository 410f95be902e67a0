#include "archive/ZipEntryWriter.h"

#include "archive/NativeFs.h"
#include "archive/ZipEntryReader.h"
#include "archive/ZipFileSource.h"

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Entries taken at a time: each thread reads runs of neighbouring entries, nearly in file order, but never
// several large ones, which would leave the other threads idle at the end.
constexpr qsizetype kBatch = 16;
constexpr zip_uint64_t kBatchBytes = 1024 * 1024;
// Below this a second handle and thread cost more than they save.
constexpr qsizetype kHelpersFrom = 64;
constexpr int kOwnerCanRead = 0400;

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

} // namespace

ZipEntryWriter::ZipEntryWriter(zip_t* archive, const QString& archivePath, const QList<PlannedEntry>& entries,
                               const QStringList& stagedPaths)
    : m_archive(archive)
    , m_archivePath(archivePath)
    , m_entries(entries)
    , m_stagedPaths(stagedPaths)
{
}

bool ZipEntryWriter::run(const Progress& progress)
{
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int helpers = m_entries.size() >= kHelpersFrom ? cores - 1 : 0;
    std::atomic<int> helpersRunning{helpers};
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i) {
        threads.emplace_back([this, &helpersRunning] {
            // The plan already checked the archive whole; this handle only reads it again.
            const std::unique_ptr<zip_t, ArchiveCloser> own(ZipFileSource::open(m_archivePath, 0));
            if (!own || !work(own.get(), nullptr)) {
                m_stop = true;
            }
            --helpersRunning;
        });
    }
    bool ok = work(m_archive, &progress);
    if (!ok) {
        m_stop = true;
    }
    // The caller's progress runs on this thread only, so it keeps being told while the helpers finish.
    while (helpersRunning > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (progress && !progress(m_done)) {
            m_stop = true;
        }
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    return ok && !m_stop;
}

bool ZipEntryWriter::advance(qint64 bytes, const Progress* progress)
{
    m_done += bytes;
    return !m_stop && (!progress || !*progress || (*progress)(m_done));
}

bool ZipEntryWriter::work(zip_t* archive, const Progress* progress)
{
    ZipEntryReader reader;
    for (;;) {
        qsizetype first = 0;
        qsizetype last = 0;
        {
            const std::lock_guard lock(m_batchMutex);
            first = m_next;
            zip_uint64_t bytes = 0;
            for (last = first; last < m_entries.size() && last - first < kBatch && bytes < kBatchBytes; ++last) {
                bytes += m_entries.at(last).size;
            }
            m_next = last;
        }
        if (first >= m_entries.size()) {
            return true;
        }
        for (qsizetype i = first; i < last; ++i) {
            const PlannedEntry& entry = m_entries.at(i);
            if (entry.isFolder()) {
                continue;
            }
            const QString& path = m_stagedPaths.at(i);
            if (entry.kind == PlannedEntry::Kind::Link) {
                if (!NativeFs::makeLink(entry.linkTarget, path)) {
                    return false;
                }
                if (entry.modified) {
                    NativeFs::setModified(path, *entry.modified);
                }
                if (!advance(qint64(entry.size), progress)) {
                    return false;
                }
            } else if (!writeFile(archive, reader, entry, path, progress)) {
                return false;
            }
        }
    }
}

bool ZipEntryWriter::writeFile(zip_t* archive, ZipEntryReader& reader, const PlannedEntry& entry, const QString& path,
                               const Progress* progress)
{
    // The owner can always read what was unpacked, or it could not be packed back.
    const int mode = entry.mode >= 0 ? entry.mode | kOwnerCanRead : NativeFs::kDefaultFileMode;
    NativeFs::NewFile out;
    if (!out.create(path, mode)) {
        return false;
    }
    bool ok = reader.read(archive, entry.stat, [&](const char* data, qint64 size) {
        return out.write(data, size) && advance(size, progress);
    });
    if (ok && entry.modified) {
        out.setModified(*entry.modified);
    }
    return out.close() && ok;
}
