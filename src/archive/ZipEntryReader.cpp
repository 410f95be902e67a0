#include "archive/ZipEntryReader.h"

#include "archive/ZipCoders.h"

#ifdef TALLYRA_HAVE_ISAL
#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>
#endif

namespace {

// Large enough that ISA-L runs at full speed and a read costs one system call per piece, small enough to be no
// memory at all on every core.
constexpr size_t kChunkSize = 256 * 1024;

#ifdef TALLYRA_HAVE_ISAL

bool copyStored(zip_file_t* data, std::vector<char>& buffer, const ZipEntryReader::Sink& deliver)
{
    for (;;) {
        const zip_int64_t read = zip_fread(data, buffer.data(), buffer.size());
        if (read <= 0) {
            return read == 0;
        }
        if (!deliver(buffer.data(), read)) {
            return false;
        }
    }
}

bool inflateDeflated(zip_file_t* data, inflate_state& state, std::vector<char>& in, std::vector<char>& out,
                     const ZipEntryReader::Sink& deliver)
{
    isal_inflate_init(&state);
    state.crc_flag = ISAL_DEFLATE; // a raw stream; the checksum is taken of what comes out
    bool inputEnded = false;
    for (;;) {
        if (state.avail_in == 0 && !inputEnded) {
            const zip_int64_t read = zip_fread(data, in.data(), in.size());
            if (read < 0) {
                return false;
            }
            inputEnded = read == 0;
            state.next_in = reinterpret_cast<uint8_t*>(in.data());
            state.avail_in = uint32_t(read);
        }
        const uint32_t offered = state.avail_in;
        state.next_out = reinterpret_cast<uint8_t*>(out.data());
        state.avail_out = uint32_t(out.size());
        if (isal_inflate(&state) < 0) {
            return false; // no valid deflate stream: a damaged entry
        }
        const qint64 produced = qint64(out.size() - state.avail_out);
        if (produced > 0 && !deliver(out.data(), produced)) {
            return false;
        }
        if (state.block_state == ISAL_BLOCK_FINISH) {
            return true;
        }
        // isal_inflate returns only with its input used up or its output full: with no more input and room left,
        // the stream stops before its end. A call that neither took nor gave anything would only come again.
        if ((inputEnded && state.avail_out > 0) || (produced == 0 && state.avail_in == offered && offered > 0)) {
            return false;
        }
    }
}

#endif

} // namespace

struct ZipEntryReader::Inflater
{
#ifdef TALLYRA_HAVE_ISAL
    inflate_state state;
#endif
};

ZipEntryReader::ZipEntryReader()
    : m_in(kChunkSize)
{
    if (ZipCoders::builtWithIsal()) {
        m_out.resize(kChunkSize);
        m_inflater = std::make_unique<Inflater>();
    }
}

ZipEntryReader::~ZipEntryReader() = default;

bool ZipEntryReader::read(zip_t* archive, const zip_stat_t& stat, const Sink& sink)
{
    if (!(stat.valid & ZIP_STAT_INDEX) || !(stat.valid & ZIP_STAT_SIZE)) {
        return false;
    }
    constexpr zip_uint64_t kNeeded = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
    const bool encrypted = (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE;
    const bool raw = m_inflater && ZipCoders::inflateWithIsal() && (stat.valid & kNeeded) == kNeeded && !encrypted &&
                     (stat.comp_method == ZIP_CM_STORE || stat.comp_method == ZIP_CM_DEFLATE);
    return raw ? readRaw(archive, stat, sink) : readThroughLibzip(archive, stat.index, stat.size, sink);
}

// libzip checks the CRC only once the last byte is read, and reports it from zip_fread or zip_fclose; the size is
// checked here so that a lying header cannot fill the disk.
bool ZipEntryReader::readThroughLibzip(zip_t* archive, zip_uint64_t index, zip_uint64_t size, const Sink& sink)
{
    zip_file_t* data = zip_fopen_index(archive, index, 0);
    if (!data) {
        return false;
    }
    bool ok = true;
    zip_uint64_t written = 0;
    while (ok) {
        const zip_int64_t read = zip_fread(data, m_in.data(), m_in.size());
        if (read <= 0) {
            ok = read == 0 && written == size;
            break;
        }
        written += zip_uint64_t(read);
        ok = written <= size && sink(m_in.data(), read);
    }
    return zip_fclose(data) == 0 && ok;
}

bool ZipEntryReader::readRaw(zip_t* archive, const zip_stat_t& stat, const Sink& sink)
{
#ifdef TALLYRA_HAVE_ISAL
    // A stored entry's data is its content: its two sizes cannot differ.
    const bool deflated = stat.comp_method == ZIP_CM_DEFLATE;
    if (!deflated && stat.comp_size != stat.size) {
        return false;
    }
    zip_file_t* data = zip_fopen_index(archive, stat.index, ZIP_FL_COMPRESSED);
    if (!data) {
        return false;
    }
    zip_uint64_t written = 0;
    quint32 crc = 0;
    const Sink deliver = [&](const char* bytes, qint64 size) {
        written += zip_uint64_t(size);
        if (written > stat.size) {
            return false; // more than the directory says: stop before the rest is inflated
        }
        crc = crc32_gzip_refl(crc, reinterpret_cast<const unsigned char*>(bytes), quint64(size));
        return sink(bytes, size);
    };
    bool ok =
        deflated ? inflateDeflated(data, m_inflater->state, m_in, m_out, deliver) : copyStored(data, m_in, deliver);
    ok = zip_fclose(data) == 0 && ok;
    return ok && written == stat.size && crc == stat.crc;
#else
    return readThroughLibzip(archive, stat.index, stat.size, sink);
#endif
}
