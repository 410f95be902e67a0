#pragma once

#include <QtGlobal>

#include <zip.h>

#include <functional>
#include <memory>
#include <vector>

// Reads one entry's content for unpacking or for the check of a new archive. Stored and deflated entries are read
// raw through libzip, which knows where their data lies, and inflated here with ISA-L in fixed pieces, so memory
// stays the same whatever an entry's size; other methods (and every entry in a build without ISA-L) are inflated by
// libzip with zlib. Either way the content must end exactly at the size the central directory gives and match its
// checksum, or the read fails; an entry that grows past its size stops there, before the rest is inflated.
//
// One reader per thread: it keeps its buffers and inflate state from entry to entry.
class ZipEntryReader
{
public:
    ZipEntryReader();
    ~ZipEntryReader();

    ZipEntryReader(const ZipEntryReader&) = delete;
    ZipEntryReader& operator=(const ZipEntryReader&) = delete;

    // Takes the content piece by piece, in order; answers false to stop the read, which then fails.
    using Sink = std::function<bool(const char* data, qint64 size)>;

    // The entry's facts as zip_stat_index gives them (looking them up again would cost a time conversion and a
    // system call per entry).
    bool read(zip_t* archive, const zip_stat_t& stat, const Sink& sink);

private:
    struct Inflater;

    bool readRaw(zip_t* archive, const zip_stat_t& stat, const Sink& sink);
    bool readThroughLibzip(zip_t* archive, zip_uint64_t index, zip_uint64_t size, const Sink& sink);

    std::vector<char> m_in;
    std::vector<char> m_out;
    std::unique_ptr<Inflater> m_inflater; // only in a build with ISA-L
};
