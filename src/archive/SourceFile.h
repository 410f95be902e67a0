#pragma once

#include "archive/NativeFs.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>

// One file of a tree being packed. All its pieces are read from one open handle, opened by the first piece read
// and closed after the last, so a program that renames a new version over the file meanwhile cannot mix two
// versions into one entry. The file counts as changed when the open file is not the one the tree listing saw,
// or when it was written to before its last piece was read.
class SourceFile
{
public:
    SourceFile(QString path, const NativeFs::Status& listed, qint64 pieces);

    // Exactly length bytes at offset, from the one handle; thread-safe.
    bool read(qint64 offset, qint64 length, QByteArray& out);
    // After each piece has been read (or could not be): the last one checks the file once more and closes it.
    void pieceDone();

    bool changed() const { return m_changed; }

private:
    bool openOnce();
    void check();

    const QString m_path;
    const NativeFs::Status m_listed;
    const qint64 m_pieces;
    std::once_flag m_opened;
    bool m_open = false;
    NativeFs::OpenedFile m_file;
    std::atomic<qint64> m_piecesDone{0};
    std::atomic<bool> m_changed{false};
};
