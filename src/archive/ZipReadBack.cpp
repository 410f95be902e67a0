#include "archive/ZipReadBack.h"

#include "archive/ZipEntryReader.h"
#include "archive/ZipFileSource.h"

#include <zip.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

ArchiveHandle openArchive(const QString& path, int flags)
{
    return ArchiveHandle(ZipFileSource::open(path, flags));
}

} // namespace

namespace ZipReadBack {

bool everyEntryReadsBack(const QString& archivePath)
{
    // The first handle checks every local header against the central directory; the others only read again.
    const ArchiveHandle first = openArchive(archivePath, ZIP_CHECKCONS);
    if (!first) {
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(first.get(), 0);
    if (count < 0) {
        return false;
    }
    // Each thread reads through its own handle (one must not be shared) and takes the next entry in turn.
    std::atomic<zip_int64_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&](zip_t* archive) {
        ZipEntryReader reader;
        const ZipEntryReader::Sink nowhere = [](const char*, qint64) { return true; };
        for (zip_int64_t index = next++; index < count && !failed; index = next++) {
            zip_stat_t stat;
            zip_stat_init(&stat);
            if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) != 0 || !reader.read(archive, stat, nowhere)) {
                failed = true;
            }
        }
    };
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int helpers = int(std::min<zip_int64_t>(cores - 1, count / 2));
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i) {
        threads.emplace_back([&] {
            const ArchiveHandle own = openArchive(archivePath, 0);
            if (!own) {
                failed = true;
                return;
            }
            work(own.get());
        });
    }
    work(first.get());
    for (std::thread& thread : threads) {
        thread.join();
    }
    return !failed;
}

} // namespace ZipReadBack
