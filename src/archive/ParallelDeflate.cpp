#include "archive/ParallelDeflate.h"

#include "archive/DeflateJoin.h"

#include <algorithm>
#include <zlib.h>

#ifdef TALLYRA_HAVE_LIBDEFLATE
#include <libdeflate.h>
#endif

namespace {

constexpr qint64 kDictionarySize = 32 * 1024;
// Enough waiting work to keep every core busy while the writer catches up, little enough to be no memory at all.
constexpr qint64 kMaxBytesWaiting = 4 * 1024 * 1024;
constexpr qsizetype kMaxJobsWaiting = 64;

bool zlibDeflate(const char* dictionary, qint64 dictionaryLength, const char* data, qint64 length, bool last, int level,
                 QByteArray& out)
{
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    bool ok = dictionaryLength == 0 ||
              deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary), uInt(dictionaryLength)) == Z_OK;
    // Room for the worst case and the sync flush marker, so that one call does it all.
    out.resize(qsizetype(deflateBound(&stream, uLong(length))) + 16);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(length);
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    if (ok) {
        const int result = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
        ok = (last ? result == Z_STREAM_END : result == Z_OK && stream.avail_out > 0) && stream.avail_in == 0;
    }
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return ok;
}

quint32 crc32Of(const char* data, qint64 length)
{
#ifdef TALLYRA_HAVE_LIBDEFLATE
    return quint32(libdeflate_crc32(0, data, size_t(length))); // two to three times as fast as zlib's
#else
    return quint32(crc32_z(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data), size_t(length)));
#endif
}

} // namespace

// What one thread deflates with, kept from piece to piece.
class ParallelDeflate::Worker
{
public:
    explicit Worker(CompressionChoice::Deflater deflater)
        : m_deflater(deflater)
    {
#ifdef TALLYRA_HAVE_LIBDEFLATE
        if (m_deflater.library == CompressionChoice::Deflater::Library::Libdeflate) {
            m_compressor = libdeflate_alloc_compressor(m_deflater.level);
        }
#endif
    }

    ~Worker()
    {
#ifdef TALLYRA_HAVE_LIBDEFLATE
        libdeflate_free_compressor(m_compressor);
#endif
    }

    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    Piece process(const Job& job);

private:
    bool deflate(const QByteArray& raw, qint64 dictionary, qint64 length, bool last, QByteArray& out);

    const CompressionChoice::Deflater m_deflater;
#ifdef TALLYRA_HAVE_LIBDEFLATE
    libdeflate_compressor* m_compressor = nullptr;
#endif
};

bool ParallelDeflate::Worker::deflate(const QByteArray& raw, qint64 dictionary, qint64 length, bool last,
                                      QByteArray& out)
{
    const char* data = raw.constData() + dictionary;
#ifdef TALLYRA_HAVE_LIBDEFLATE
    if (m_deflater.library == CompressionChoice::Deflater::Library::Libdeflate) {
        if (!m_compressor) {
            return false;
        }
        out.resize(qsizetype(libdeflate_deflate_compress_bound(m_compressor, size_t(length))));
        const size_t size =
            libdeflate_deflate_compress(m_compressor, data, size_t(length), out.data(), size_t(out.size()));
        out.truncate(qsizetype(size));
        return size > 0 && (last || DeflateJoin::leaveOpen(out));
    }
#endif
    return zlibDeflate(raw.constData(), dictionary, data, length, last, m_deflater.level, out);
}

ParallelDeflate::Piece ParallelDeflate::Worker::process(const Job& job)
{
    Piece piece;
    piece.length = job.length;
    // zlib carries the window over from the piece before; libdeflate cannot be given one.
    const bool primed = job.deflate && m_deflater.library == CompressionChoice::Deflater::Library::Zlib;
    const qint64 dictionary = primed ? std::min(kDictionarySize, job.offset) : 0;
    QByteArray raw;
    // Even an empty file is opened: that is where it is seen to be the file the listing found.
    const bool read = job.file->read(job.offset - dictionary, job.length + dictionary, raw);
    job.file->pieceDone();
    if (!read) {
        return piece;
    }
    const char* data = raw.constData() + dictionary;
    piece.crc = crc32Of(data, job.length);
    if (!job.deflate) {
        piece.stored = true;
        piece.data = dictionary == 0 ? raw : raw.mid(dictionary);
        piece.ok = true;
        return piece;
    }
    if (!deflate(raw, dictionary, job.length, job.last, piece.data)) {
        return piece;
    }
    if (piece.data.size() >= job.length) {
        if (job.single) {
            piece.stored = true;
            piece.data = raw;
        } else if (!zlibDeflate(nullptr, 0, data, job.length, job.last, 0, piece.data)) {
            return piece; // level 0 writes stored blocks: a piece that does not shrink grows by a few bytes only
        }
    }
    piece.ok = true;
    return piece;
}

ParallelDeflate::ParallelDeflate(QList<Job> jobs, CompressionChoice::Deflater deflater)
    : m_jobs(std::move(jobs))
    , m_deflater(deflater)
{
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int workers = int(std::min<qsizetype>(cores, std::max<qsizetype>(1, m_jobs.size())));
    for (int i = 0; i < workers; ++i) {
        m_workers.emplace_back([this] { work(); });
    }
}

ParallelDeflate::~ParallelDeflate()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_roomChanged.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
}

bool ParallelDeflate::mayStart(qsizetype job) const
{
    if (job == m_nextPiece) {
        return true; // the piece the writer waits for always goes, however large
    }
    return job - m_nextPiece < kMaxJobsWaiting && m_bytesWaiting + m_jobs.at(job).length <= kMaxBytesWaiting;
}

void ParallelDeflate::work()
{
    Worker worker(m_deflater);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_roomChanged.wait(lock, [&] { return m_stopping || m_nextJob >= m_jobs.size() || mayStart(m_nextJob); });
        if (m_stopping || m_nextJob >= m_jobs.size()) {
            return;
        }
        const qsizetype job = m_nextJob++;
        m_bytesWaiting += m_jobs.at(job).length;
        lock.unlock();
        Piece piece = worker.process(m_jobs.at(job));
        lock.lock();
        m_ready.emplace(job, std::move(piece));
        m_readyChanged.notify_all();
    }
}

ParallelDeflate::Piece ParallelDeflate::next()
{
    std::unique_lock lock(m_mutex);
    m_readyChanged.wait(lock, [&] { return m_ready.contains(m_nextPiece); });
    auto found = m_ready.find(m_nextPiece);
    Piece piece = std::move(found->second);
    m_ready.erase(found);
    m_bytesWaiting -= m_jobs.at(m_nextPiece).length;
    ++m_nextPiece;
    lock.unlock();
    m_roomChanged.notify_all();
    return piece;
}
