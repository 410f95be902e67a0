#include "archive/SourceFile.h"

SourceFile::SourceFile(QString path, const NativeFs::Status& listed, qint64 pieces)
    : m_path(std::move(path))
    , m_listed(listed)
    , m_pieces(pieces)
{
}

bool SourceFile::openOnce()
{
    std::call_once(m_opened, [this] {
        m_open = m_file.open(m_path);
        if (m_open) {
            check();
        } else if (!NativeFs::statusOf(m_path).sameAs(m_listed)) {
            m_changed = true; // gone or replaced since the listing
        }
    });
    return m_open;
}

void SourceFile::check()
{
    if (!m_file.status().sameAs(m_listed))
        m_changed = true;
}

bool SourceFile::read(qint64 offset, qint64 length, QByteArray& out)
{
    if (!openOnce()) {
        return false;
    }
    const bool whole = m_file.readAt(offset, length, out);
    if (!whole) {
        check(); // a file that shrank has changed; one that reads short without a change cannot be read
    }
    return whole;
}

void SourceFile::pieceDone()
{
    if (++m_piecesDone < m_pieces) {
        return;
    }
    if (m_open) {
        check();
        m_file.close();
    }
}
