#include "png/KivZLIB.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <random>

namespace {

std::vector<uint8_t> Compress(const std::vector<uint8_t>& data, int level = 6) {
    uLongf size = compressBound(uLong(data.size()));
    std::vector<uint8_t> out(size);
    EXPECT_EQ(compress2(out.data(), &size, data.data(), uLong(data.size()), level), Z_OK);
    out.resize(size);
    return out;
}

std::vector<uint8_t> Uncompress(const std::vector<uint8_t>& data, size_t size) {
    std::vector<uint8_t> out(size);
    uLongf got = uLongf(size);
    EXPECT_EQ(uncompress(out.data(), &got, data.data(), uLong(data.size())), Z_OK);
    EXPECT_EQ(got, size);
    return out;
}

std::vector<uint8_t> Noise(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(n);
    for (auto& b : bytes)
        b = uint8_t(random());
    return bytes;
}

// Feeds compressed bytes to an adapter in pieces of at most piece bytes.
struct TFeeder {
    std::vector<uint8_t> data;
    size_t at = 0;
    size_t piece = 7;
    int calls = 0;
    int Fill(InflateAdapter& adapter) {
        ++calls;
        const size_t n = std::min({piece, data.size() - at, size_t(InflateAdapter::InputSize)});
        if (n == 0) return -1;
        std::copy_n(data.begin() + long(at), n, adapter.InputBuffer());
        adapter.SetInput(adapter.InputBuffer(), uint32_t(n));
        at += n;
        return 0;
    }
};

} // namespace

TEST(InflateAdapter, ReadsCompressedDataFedInSmallPieces) {
    const std::vector<uint8_t> plain = Noise(100000, 1);
    for (const size_t piece : {size_t(1), size_t(7), size_t(InflateAdapter::InputSize)}) {
        TFeeder feeder{Compress(plain)};
        feeder.piece = piece;
        InflateAdapter adapter;
        adapter.Fill = [&] { return feeder.Fill(adapter); };
        ASSERT_EQ(adapter.Start(), 0);
        std::vector<uint8_t> out(plain.size());
        // Two reads: one stops in the middle of the data, the other takes the rest.
        EXPECT_GE(adapter.Read(out.data(), 12345), 0) << "piece " << piece;
        EXPECT_GE(adapter.Read(out.data() + 12345, out.size() - 12345), 0) << "piece " << piece;
        EXPECT_EQ(out, plain) << "piece " << piece;
        adapter.End();
    }
}

TEST(InflateAdapter, FailsOnCorruptOrShortDataAndOnAStoppedFill) {
    const std::vector<uint8_t> plain = Noise(5000, 2);
    const std::vector<uint8_t> good = Compress(plain);
    std::vector<uint8_t> corrupt = good;
    corrupt[0] ^= 0xFF; // the zlib header
    struct Case {
        const char* name;
        std::vector<uint8_t> data;
        size_t wanted;
    };
    const std::vector<Case> cases = {
        {"corrupt header", corrupt, plain.size()},
        {"stream ends before the count", good, plain.size() + 1},
        {"fill runs dry", {good.begin(), good.begin() + long(good.size() / 2)}, plain.size()},
        {"no data at all", {}, 1},
    };
    for (const Case& c : cases) {
        TFeeder feeder{c.data};
        feeder.piece = 1000;
        InflateAdapter adapter;
        adapter.Fill = [&] { return feeder.Fill(adapter); };
        ASSERT_EQ(adapter.Start(), 0);
        std::vector<uint8_t> out(c.wanted);
        EXPECT_LT(adapter.Read(out.data(), out.size()), 0) << c.name;
    }
}

TEST(InflateAdapter, ResetStartsAFreshStream) {
    const std::vector<uint8_t> first = Noise(300, 3), second = Noise(500, 4);
    TFeeder feeder{Compress(first)};
    InflateAdapter adapter;
    adapter.Fill = [&] { return feeder.Fill(adapter); };
    ASSERT_EQ(adapter.Start(), 0);
    std::vector<uint8_t> out(first.size());
    ASSERT_GE(adapter.Read(out.data(), out.size()), 0);
    EXPECT_EQ(out, first);
    adapter.Reset();
    feeder = TFeeder{Compress(second)};
    out.resize(second.size());
    ASSERT_GE(adapter.Read(out.data(), out.size()), 0);
    EXPECT_EQ(out, second);
}

TEST(InflateAdapter, ReadRowsUnfilterAgainstTheRowAboveAcrossBatches) {
    // Up-filtered rows: each row depends on the one above, also where a batch of rows ends.
    // Long rows make batches of two rows; short ones fit a pass into one batch.
    for (const size_t length : {size_t(37), size_t(120000)}) {
        const int32_t rowCount = 7;
        std::vector<std::vector<uint8_t>> raw;
        std::vector<uint8_t> stream, above(length, 0);
        for (int32_t y = 0; y < rowCount; ++y) {
            raw.push_back(Noise(length, 10u + unsigned(y)));
            stream.push_back(2);
            for (size_t i = 0; i < length; ++i)
                stream.push_back(uint8_t(raw.back()[i] - above[i]));
            above = raw.back();
        }
        TFeeder feeder{Compress(stream)};
        feeder.piece = InflateAdapter::InputSize;
        InflateAdapter adapter;
        adapter.Fill = [&] { return feeder.Fill(adapter); };
        ASSERT_EQ(adapter.Start(), 0);
        adapter.BitsPerPixel = 8;
        adapter.RowLength = int32_t(length + 1);
        adapter.BeginPass(rowCount);
        for (int32_t y = 0; y < rowCount; ++y) {
            ASSERT_EQ(adapter.ReadRow(), 0);
            const uint8_t* row = adapter.Row() + 1;
            EXPECT_EQ(std::vector<uint8_t>(row, row + length), raw[size_t(y)])
                << "row " << y << " length " << length;
        }
        EXPECT_LT(adapter.ReadRow(), 0) << "the pass has no more rows";
    }
}

TEST(InflateAdapter, ReadRowRefusesFilterTypesAbove4) {
    const std::vector<uint8_t> stream = {5, 1, 2, 3};
    TFeeder feeder{Compress(stream)};
    InflateAdapter adapter;
    adapter.Fill = [&] { return feeder.Fill(adapter); };
    ASSERT_EQ(adapter.Start(), 0);
    adapter.BitsPerPixel = 8;
    adapter.RowLength = 4;
    adapter.BeginPass(1);
    EXPECT_LT(adapter.ReadRow(), 0);
}

TEST(DeflateAdapter, FullBuffersDrainWhole) {
    // Incompressible data at level 0 gives more compressed bytes than several buffers.
    const std::vector<uint8_t> plain = Noise(1000, 5);
    DeflateAdapter adapter;
    std::vector<uint32_t> drains;
    std::vector<uint8_t> compressed;
    adapter.Drain = [&](const uint8_t* data, uint32_t count) {
        drains.push_back(count);
        compressed.insert(compressed.end(), data, data + count);
        return 0;
    };
    ASSERT_EQ(adapter.Start(0, 256), 0);
    for (size_t at = 0; at < plain.size(); at += 100) {
        ASSERT_GE(adapter.Write(plain.data() + at, 100), 0);
    }
    ASSERT_EQ(adapter.Finish(), 0);
    adapter.End();
    ASSERT_GE(drains.size(), 4u);
    for (size_t i = 0; i + 1 < drains.size(); ++i)
        EXPECT_EQ(drains[i], 256u) << "drain " << i;
    EXPECT_LE(drains.back(), 256u);
    EXPECT_GT(drains.back(), 0u);
    EXPECT_EQ(Uncompress(compressed, plain.size()), plain);
}

TEST(DeflateAdapter, FinishReadiesAnotherStreamAndOutOfRangeSizesMeanTheDefault) {
    const std::vector<uint8_t> plain = Noise(60000, 6);
    for (const int32_t size : {0, -5, 262144}) {
        DeflateAdapter adapter;
        std::vector<std::vector<uint8_t>> streams(1);
        std::vector<uint32_t> drains;
        adapter.Drain = [&](const uint8_t* data, uint32_t count) {
            drains.push_back(count);
            streams.back().insert(streams.back().end(), data, data + count);
            return 0;
        };
        ASSERT_EQ(adapter.Start(0, size), 0);
        ASSERT_GE(adapter.Write(plain.data(), plain.size()), 0);
        ASSERT_EQ(adapter.Finish(), 0);
        EXPECT_EQ(drains.front(), uint32_t(DeflateAdapter::DefaultBufferSize)) << size;
        streams.emplace_back();
        ASSERT_GE(adapter.Write(plain.data(), 10), 0);
        ASSERT_EQ(adapter.Finish(), 0);
        EXPECT_EQ(Uncompress(streams[0], plain.size()), plain);
        EXPECT_EQ(Uncompress(streams[1], 10),
                  std::vector<uint8_t>(plain.begin(), plain.begin() + 10));
    }
}

TEST(DeflateAdapter, DrainFailureStopsTheFinish) {
    const std::vector<uint8_t> plain = Noise(100000, 7);
    DeflateAdapter adapter;
    int drains = 0;
    adapter.Drain = [&](const uint8_t*, uint32_t) { return ++drains == 2 ? 7 : 0; };
    ASSERT_EQ(adapter.Start(0, 256), 0);
    ASSERT_GE(adapter.Write(plain.data(), plain.size()), 0);
    EXPECT_EQ(adapter.Finish(), 7);
    EXPECT_EQ(drains, 2) << "no piece goes out after the failing one";
}

TEST(DeflateAdapter, RowsWrittenUnfilteredReadBackThroughTheInflateAdapter) {
    const size_t length = 40;
    std::vector<std::vector<uint8_t>> rows = {Noise(length, 8), Noise(length, 9)};
    DeflateAdapter writer;
    std::vector<uint8_t> compressed;
    writer.Drain = [&](const uint8_t* data, uint32_t count) {
        compressed.insert(compressed.end(), data, data + count);
        return 0;
    };
    ASSERT_EQ(writer.Start(-1, 0), 0);
    writer.RowLength = int32_t(length + 1);
    writer.BitsPerPixel = 8;
    writer.FilterChoice = 1; // None
    writer.Rows.Allocate(length + 5);
    writer.BestCandidate.resize(length + 5);
    writer.ScratchCandidate.resize(length + 5);
    for (const auto& raw : rows) {
        std::copy(raw.begin(), raw.end(), writer.Rows.Row() + 1);
        ASSERT_GE(writer.WriteRow(), 0);
        writer.Rows.Swap();
    }
    ASSERT_EQ(writer.Finish(), 0);

    TFeeder feeder{compressed};
    InflateAdapter reader;
    reader.Fill = [&] { return feeder.Fill(reader); };
    ASSERT_EQ(reader.Start(), 0);
    reader.BitsPerPixel = 8;
    reader.RowLength = int32_t(length + 1);
    reader.BeginPass(int32_t(rows.size()));
    for (const auto& raw : rows) {
        ASSERT_EQ(reader.ReadRow(), 0);
        EXPECT_EQ(reader.Row()[0], 0) << "filter None";
        EXPECT_EQ(std::vector<uint8_t>(reader.Row() + 1, reader.Row() + 1 + length), raw);
    }
}
