#include "archive/ZipReadBack.h"

#include "archive/LibzipPath.h"

#include <zip.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr zip_uint64_t kChunkSize = 256 * 1024;

struct ArchiveCloser
{
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

ArchiveHandle openArchive(const QString& path)
{
    int error = 0;
    return ArchiveHandle(zip_open(libzipPath(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
}

bool readsToTheEnd(zip_t* archive, zip_uint64_t index, std::vector<char>& buffer)
{
    zip_file_t* data = zip_fopen_index(archive, index, 0);
    if (!data) {
        return false;
    }
    zip_int64_t read = 0;
    do {
        read = zip_fread(data, buffer.data(), buffer.size());
    } while (read > 0);
    return zip_fclose(data) == 0 && read == 0;
}

} // namespace

namespace ZipReadBack {

bool everyEntryReadsBack(const QString& archivePath)
{
    const ArchiveHandle first = openArchive(archivePath);
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
        std::vector<char> buffer(kChunkSize);
        for (zip_int64_t index = next++; index < count && !failed; index = next++) {
            if (!readsToTheEnd(archive, zip_uint64_t(index), buffer)) {
                failed = true;
            }
        }
    };
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int helpers = int(std::min<zip_int64_t>(cores - 1, count / 2));
    std::vector<std::thread> threads;
    for (int i = 0; i < helpers; ++i) {
        threads.emplace_back([&] {
            const ArchiveHandle own = openArchive(archivePath);
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
