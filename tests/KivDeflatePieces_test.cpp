#include "png/KivDeflatePieces.h"

#include <gtest/gtest.h>

#include <libdeflate.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data, int level, size_t pieceBytes,
                             unsigned threads) {
    TBigBuffer out;
    const size_t size = DeflatePieces(level, data.data(), data.size(), out, pieceBytes, threads);
    EXPECT_GT(size, 0u);
    return {out.Data(), out.Data() + size};
}

// Data whose pieces end their streams at every bit of a byte and in every block type: noise
// (stored blocks), runs (long matches), and short repeats of a few symbols (dynamic Huffman).
std::vector<uint8_t> Mixed(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> data(size);
    size_t at = 0;
    while (at < size) {
        const size_t run = std::min<size_t>(size - at, 1 + random() % 3000);
        const unsigned kind = random() % 3;
        const uint8_t base = uint8_t(random());
        for (size_t i = 0; i < run; ++i)
            data[at + i] = kind == 0   ? uint8_t(random())
                           : kind == 1 ? base
                                       : uint8_t(base + (i * 7 + i / 5) % 5);
        at += run;
    }
    return data;
}

} // namespace

TEST(DeflatePieces, JoinedPiecesInflateToTheDataAtEveryLevelAndCut) {
    const struct {
        size_t size;
        size_t pieceBytes;
    } cases[] = {{0, 1000},      {1, 1000},      {999, 1000},       {1000, 1000},      {1001, 1000},
                 {20'011, 1000}, {70'000, 4096}, {200'003, 65'536}, {150'000, 150'000}};
    for (const int level : {0, 1, 6, 7, 9, 12}) {
        for (const auto& c : cases) {
            SCOPED_TRACE("level " + std::to_string(level) + ", " + std::to_string(c.size) +
                         " bytes in pieces of " + std::to_string(c.pieceBytes));
            const std::vector<uint8_t> data = Mixed(c.size, unsigned(c.size + level));
            const std::vector<uint8_t> stream = Deflate(data, level, c.pieceBytes, 3);
            // zlib checks the whole stream, the Adler-32 included; libdeflate is stricter about
            // what may follow the final block.
            std::vector<uint8_t> back(c.size + 1);
            uLongf size = uLongf(back.size());
            ASSERT_EQ(uncompress(back.data(), &size, stream.data(), uLong(stream.size())), Z_OK);
            back.resize(size);
            EXPECT_EQ(back, data);
            libdeflate_decompressor* d = libdeflate_alloc_decompressor();
            std::vector<uint8_t> strict(c.size + 1);
            size_t inflated = 0;
            EXPECT_EQ(libdeflate_zlib_decompress(d, stream.data(), stream.size(), strict.data(),
                                                 strict.size(), &inflated),
                      LIBDEFLATE_SUCCESS);
            libdeflate_free_decompressor(d);
            EXPECT_EQ(inflated, c.size);
        }
    }
}

TEST(DeflatePieces, TheStreamDoesNotDependOnTheNumberOfThreads) {
    const std::vector<uint8_t> data = Mixed(300'000, 11);
    const std::vector<uint8_t> one = Deflate(data, 7, 20'000, 1);
    EXPECT_EQ(Deflate(data, 7, 20'000, 2), one);
    EXPECT_EQ(Deflate(data, 7, 20'000, 8), one);
}

TEST(DeflatePieces, OnePieceIsLibdeflatesOwnZlibStream) {
    const std::vector<uint8_t> data = Mixed(50'000, 5);
    for (const int level : {0, 1, 5, 6, 7, 8, 12}) {
        libdeflate_compressor* c = libdeflate_alloc_compressor(level);
        std::vector<uint8_t> expected(libdeflate_zlib_compress_bound(c, data.size()));
        expected.resize(libdeflate_zlib_compress(c, data.data(), data.size(), expected.data(),
                                                 expected.size()));
        libdeflate_free_compressor(c);
        EXPECT_EQ(Deflate(data, level, DeflatePieceBytes, 2), expected) << "level " << level;
    }
}
