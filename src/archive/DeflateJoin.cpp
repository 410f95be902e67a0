#include "archive/DeflateJoin.h"

#include <array>
#include <zlib.h>

namespace {

// What inflate tells in data_type when it stops with Z_BLOCK.
constexpr int kUnusedBitsMask = 7;    // bits of the last byte taken that belong to what follows
constexpr int kInLastBlock = 64;      // the block being decoded (or just ended) is marked as the last
constexpr int kAtBlockBoundary = 128; // stopped right after a block's end code

// The bytes of an empty stored block after its three header bits and the padding to the byte boundary: its length
// (0) and the length's complement.
constexpr char kEmptyStoredLengths[] = {0x00, 0x00, char(0xFF), char(0xFF)};

} // namespace

namespace DeflateJoin {

bool leaveOpen(QByteArray& stream)
{
    if (stream.isEmpty()) {
        return false;
    }
    z_stream inflater{};
    if (inflateInit2(&inflater, -MAX_WBITS) != Z_OK) {
        return false;
    }
    std::array<Bytef, 64 * 1024> scratch;
    inflater.next_in = reinterpret_cast<Bytef*>(stream.data());
    inflater.avail_in = uInt(stream.size());
    qint64 lastBlockBit = 0; // where the header of the block being decoded begins, in bits from the start
    bool ended = false;
    for (;;) {
        inflater.next_out = scratch.data();
        inflater.avail_out = uInt(scratch.size());
        if (inflate(&inflater, Z_BLOCK) != Z_OK) {
            break;
        }
        const qint64 bitsTaken = qint64(inflater.total_in) * 8 - (inflater.data_type & kUnusedBitsMask);
        if (inflater.data_type & kAtBlockBoundary) {
            if (inflater.data_type & kInLastBlock) {
                ended = true;
                break;
            }
            lastBlockBit = bitsTaken;
        }
    }
    const qint64 used = qint64(inflater.total_in);
    const int unusedBits = inflater.data_type & kUnusedBitsMask;
    inflateEnd(&inflater);
    if (!ended || used != stream.size()) {
        return false;
    }
    stream[lastBlockBit / 8] = char(stream.at(lastBlockBit / 8) & ~(1 << (lastBlockBit % 8)));
    // Deflate fills bytes from the low bit up: the unused high bits of the last byte become the stored block's header
    // (three zero bits: not the last block, stored) and its padding; where fewer than three are left, the header
    // reaches into one more byte.
    stream[used - 1] = char(stream.at(used - 1) & ((1 << (8 - unusedBits)) - 1));
    if (unusedBits < 3) {
        stream.append('\0');
    }
    stream.append(kEmptyStoredLengths, sizeof kEmptyStoredLengths);
    return true;
}

} // namespace DeflateJoin
