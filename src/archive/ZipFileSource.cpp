#include "archive/ZipFileSource.h"

#include "archive/LibzipPath.h"

#ifndef Q_OS_WIN
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

#ifndef Q_OS_WIN

namespace {

// More than the local header and data of most small entries, so one read brings both.
constexpr zip_uint64_t kReadAhead = 64 * 1024;

class PositionedFile
{
public:
    PositionedFile() { zip_error_init(&m_error); }

    ~PositionedFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        zip_error_fini(&m_error);
    }

    bool open(const QString& path)
    {
        m_fd = ::open(libzipPath(path).constData(), O_RDONLY | O_CLOEXEC);
        struct stat info
        {
        };
        if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            return false;
        }
        m_size = zip_uint64_t(info.st_size);
        return true;
    }

    static zip_int64_t call(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        return static_cast<PositionedFile*>(self)->answer(data, length, command);
    }

private:
    zip_int64_t answer(void* data, zip_uint64_t length, zip_source_cmd_t command)
    {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            m_position = 0;
            return 0;
        case ZIP_SOURCE_READ:
            return read(static_cast<char*>(data), length);
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = m_size;
            stat->valid = ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&m_error, data, length);
        case ZIP_SOURCE_FREE:
            delete this;
            return 0;
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t position = zip_source_seek_compute_offset(m_position, m_size, data, length, &m_error);
            if (position < 0) {
                return -1;
            }
            m_position = zip_uint64_t(position);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return zip_int64_t(m_position);
        case ZIP_SOURCE_ACCEPT_EMPTY:
            return 0; // an empty file is no archive, as for libzip's own file source
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                                  ZIP_SOURCE_ACCEPT_EMPTY, ZIP_SOURCE_SUPPORTS, -1);
        default:
            zip_error_set(&m_error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    zip_int64_t read(char* data, zip_uint64_t length)
    {
        length = std::min(length, m_size - std::min(m_position, m_size));
        zip_uint64_t done = 0;
        while (done < length) {
            const zip_uint64_t position = m_position + done;
            if (position >= m_bufferStart && position < m_bufferStart + m_buffer.size()) {
                const zip_uint64_t from = position - m_bufferStart;
                const zip_uint64_t count = std::min(length - done, zip_uint64_t(m_buffer.size()) - from);
                std::memcpy(data + done, m_buffer.data() + from, count);
                done += count;
            } else if (length - done >= kReadAhead) {
                // Large reads go straight to their place.
                const zip_int64_t count = readAt(position, data + done, length - done);
                if (count <= 0) {
                    break;
                }
                done += zip_uint64_t(count);
            } else {
                m_buffer.resize(kReadAhead);
                const zip_int64_t count = readAt(position, m_buffer.data(), kReadAhead);
                m_buffer.resize(size_t(std::max<zip_int64_t>(count, 0)));
                m_bufferStart = position;
                if (count <= 0) {
                    break;
                }
            }
        }
        if (done < length && zip_error_code_zip(&m_error) != ZIP_ER_OK) {
            return -1;
        }
        m_position += done;
        return zip_int64_t(done);
    }

    zip_int64_t readAt(zip_uint64_t position, char* data, zip_uint64_t length)
    {
        for (;;) {
            const ssize_t count = ::pread(m_fd, data, size_t(length), off_t(position));
            if (count >= 0) {
                return count;
            }
            if (errno != EINTR) {
                zip_error_set(&m_error, ZIP_ER_READ, errno);
                return -1;
            }
        }
    }

    int m_fd = -1;
    zip_uint64_t m_size = 0;
    zip_uint64_t m_position = 0;
    std::vector<char> m_buffer;
    zip_uint64_t m_bufferStart = 0;
    zip_error_t m_error{};
};

} // namespace

#endif

namespace ZipFileSource {

zip_t* open(const QString& path, int flags)
{
#ifdef Q_OS_WIN
    int error = 0;
    return zip_open(libzipPath(path).constData(), ZIP_RDONLY | flags, &error);
#else
    auto* file = new PositionedFile;
    if (!file->open(path)) {
        delete file;
        return nullptr;
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_function_create(&PositionedFile::call, file, &error);
    if (!source) {
        delete file;
        zip_error_fini(&error);
        return nullptr;
    }
    // From here the source owns the file and deletes it when libzip frees the source.
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | flags, &error);
    if (!archive) {
        zip_source_free(source);
    }
    zip_error_fini(&error);
    return archive;
#endif
}

} // namespace ZipFileSource
