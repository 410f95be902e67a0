#pragma once

#include "archive/CompressionChoice.h"
#include "archive/SourceFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Reads and deflates the pieces of a tree's files on every core while the archive is written in order. A large file
// is cut into pieces that are deflated on their own and joined into one deflate stream (each piece but the last ends
// on a byte boundary, as after zlib's sync flush), so one big file uses every core too. zlib primes each piece with
// the 32 KiB before it; libdeflate starts each afresh, which costs a piece of 512 KiB next to nothing.
// Only a few pieces wait at any time: memory stays small whatever the size of the tree.
class ParallelDeflate
{
public:
    struct Job
    {
        std::shared_ptr<SourceFile> file;
        qint64 offset = 0;
        qint64 length = 0;
        bool deflate = false;
        bool last = true;   // the last piece of its file: the deflate stream ends here
        bool single = true; // the whole file: stored instead when deflating does not shrink it
    };

    struct Piece
    {
        bool ok = false;
        bool stored = false; // raw bytes: the file was stored, or deflating this single piece did not shrink it
        QByteArray data;
        quint32 crc = 0; // of the raw bytes
        qint64 length = 0;
    };

    ParallelDeflate(QList<Job> jobs, CompressionChoice::Deflater deflater);
    ~ParallelDeflate();

    ParallelDeflate(const ParallelDeflate&) = delete;
    ParallelDeflate& operator=(const ParallelDeflate&) = delete;

    // The next piece in the order of the jobs; waits until it is ready.
    Piece next();

private:
    class Worker;

    void work();
    bool mayStart(qsizetype job) const;

    const QList<Job> m_jobs;
    const CompressionChoice::Deflater m_deflater;
    std::mutex m_mutex;
    std::condition_variable m_readyChanged;
    std::condition_variable m_roomChanged;
    qsizetype m_nextJob = 0;
    qsizetype m_nextPiece = 0;
    qint64 m_bytesWaiting = 0; // raw bytes of jobs started but not yet taken by next()
    std::map<qsizetype, Piece> m_ready;
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};
