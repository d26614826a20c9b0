#include "png/KivDeflatePieces.h"

#include "base/LargeAlloc.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// The most a joinable piece grows by: a byte finishing the stored block's header, then its
// LEN and NLEN.
constexpr size_t JoinTail = 5;

struct TPiece {
    const uint8_t* data = nullptr;
    size_t size = 0;
    TBigBuffer out;
    size_t length = 0; // bytes of out in the stream; 0 until compressed
    uint32_t adler = 1;
};

// Turns a complete raw deflate stream into one that another can follow: clears its final block's
// BFINAL bit and ends it on a byte with an empty stored block. zlib's inflate, told to stop at
// each block's end, says where the blocks lie; capacity must leave JoinTail bytes after length.
bool MakeJoinable(uint8_t* stream, size_t& length) {
    if (length == 0 || length > UINT_MAX) return false;
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
    z.next_in = stream;
    z.avail_in = uInt(length);
    std::vector<uint8_t> sink(size_t(1) << 16);
    size_t lastByte = 0; // where the last block seen so far begins: this byte, this bit
    int lastBit = 0;
    int unused = -1; // bits of the stream's last byte after its end, once it is found
    for (;;) {
        z.next_out = sink.data();
        z.avail_out = uInt(sink.size());
        const int result = inflate(&z, Z_BLOCK);
        if (result != Z_OK && result != Z_BUF_ERROR) break;
        if ((z.data_type & 128) != 0) { // just after a block's end
            const size_t used = size_t(z.next_in - stream);
            const int bits = z.data_type & 7;
            if ((z.data_type & 64) != 0) { // that was the final block
                if (used == length) unused = bits;
                break;
            }
            lastByte = bits != 0 ? used - 1 : used;
            lastBit = bits != 0 ? 8 - bits : 0;
        } else if (result == Z_BUF_ERROR && z.avail_in == 0) {
            break; // the stream ends before its final block does
        }
    }
    inflateEnd(&z);
    if (unused < 0) return false;
    stream[lastByte] &= uint8_t(~(1u << lastBit));
    if (unused == 0) return true; // already on a byte: the next stream can start there
    // An empty stored block: three zero header bits, zeros to the byte, LEN 0 and NLEN ~0.
    stream[length - 1] &= uint8_t(0xFF >> unused);
    if (unused < 3) stream[length++] = 0;
    const uint8_t storedLengths[] = {0x00, 0x00, 0xFF, 0xFF};
    std::memcpy(stream + length, storedLengths, sizeof storedLengths);
    length += sizeof storedLengths;
    return true;
}

bool CompressPiece(libdeflate_compressor* compressor, TPiece& piece, bool last) {
    const size_t bound = libdeflate_deflate_compress_bound(compressor, piece.size);
    if (piece.out.Allocate(bound + JoinTail)) {
        piece.length = libdeflate_deflate_compress(compressor, piece.data, piece.size,
                                                   piece.out.Data(), bound);
    }
    piece.adler = libdeflate_adler32(1, piece.data, piece.size);
    return piece.length > 0 && (last || MakeJoinable(piece.out.Data(), piece.length));
}

// The zlib header libdeflate writes for a level: 32 KiB window, FLEVEL by level, check bits.
uint8_t HeaderFlags(int level) {
    return level < 2 ? 0x01 : level < 6 ? 0x5E : level < 8 ? 0x9C : 0xDA;
}

} // namespace

size_t DeflatePieces(int level, const uint8_t* data, size_t size, TBigBuffer& out,
                     size_t pieceBytes, unsigned threads) {
    const size_t count =
        std::max<size_t>(1, (size + pieceBytes - 1) / std::max<size_t>(1, pieceBytes));
    std::vector<TPiece> pieces(count);
    for (size_t i = 0; i < count; ++i) {
        pieces[i].data = data + i * pieceBytes;
        pieces[i].size = i + 1 < count ? pieceBytes : size - i * pieceBytes;
    }
    // Workers take the next piece until none is left; this thread is one of them. Each keeps
    // one compressor, whose large tables are then set up (and their pages faulted in) once.
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    const auto work = [&] {
        const std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)>
            compressor(libdeflate_alloc_compressor(level), libdeflate_free_compressor);
        for (size_t i = next++; i < count; i = next++) {
            if (!compressor || !CompressPiece(compressor.get(), pieces[i], i + 1 == count))
                failed = true;
        }
    };
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    try {
        while (helpers.size() + 1 < std::min<size_t>(threads, count))
            helpers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads only make it slower.
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (failed) return 0;

    size_t total = 2 + 4;
    for (const TPiece& piece : pieces)
        total += piece.length;
    if (!out.Allocate(BriefBlockSize(total))) return 0;
    uint8_t* at = out.Data();
    *at++ = 0x78;
    *at++ = HeaderFlags(level);
    uLong adler = 1;
    for (TPiece& piece : pieces) {
        std::memcpy(at, piece.out.Data(), piece.length);
        at += piece.length;
        adler = adler32_combine(adler, piece.adler, z_off_t(piece.size));
        piece.out.Free();
    }
    for (int shift = 24; shift >= 0; shift -= 8)
        *at++ = uint8_t(adler >> shift);
    return total;
}
