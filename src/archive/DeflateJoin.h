#pragma once

#include <QByteArray>

// libdeflate makes only whole deflate streams, each ending in a block marked as the last one. A large file is
// deflated in pieces, each on its own, so before the next piece can follow, the stream of a piece has to end like a
// piece that zlib flushes: its last block no longer marked as the last, then an empty stored block that ends the
// piece on a byte boundary. Only walking the stream finds where its last block begins; zlib's inflate does that
// walk, stopping at each block's end.
namespace DeflateJoin {

// Makes a whole raw deflate stream the beginning of a longer one. False when the bytes are not exactly one whole
// deflate stream.
bool leaveOpen(QByteArray& stream);

} // namespace DeflateJoin
