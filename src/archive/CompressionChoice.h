#pragma once

#include <QString>

// How the ZIP writer packs each file: the one rule for its method and for how hard it is deflated. Deflating a JPEG
// or a ZIP again costs time and gains nothing, so such files are stored as they are; every other file is deflated in
// pieces on every core, and stored after all when deflating did not make it smaller (ParallelDeflate applies that).
namespace CompressionChoice {

// A file larger than one piece is deflated piece by piece, several at once, into one stream. Small enough that a few
// large files keep every core busy, large enough that starting each piece afresh costs next to nothing (0.3 % on a
// 105 MiB library).
constexpr qint64 kPieceSize = 512 * 1024;

struct Deflater
{
    enum class Library { Libdeflate, Zlib };
    Library library = Library::Zlib;
    int level = 0;
};

// What deflates every piece.
Deflater deflater();

// Known compressed formats by extension; for other large files a sample from the middle decides.
bool isAlreadyCompressed(const QString& path, qint64 size);

} // namespace CompressionChoice
