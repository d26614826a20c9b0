#include "base/Exceptions.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"
#include "png/KivStream.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace {

// A stream that is not a memory stream, so the reader goes through its 64 KiB buffer. Records
// the size of every read and write.
class TRecordingStream : public TStream {
public:
    explicit TRecordingStream(std::vector<uint8_t> bytes = {}) : bytes_(std::move(bytes)) {}
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, Size() - position_));
        std::copy_n(bytes_.begin() + position_, n, static_cast<uint8_t*>(buffer));
        position_ += n;
        reads.push_back(count);
        return n;
    }
    int64_t Write(const void* buffer, int64_t count) override {
        const auto* in = static_cast<const uint8_t*>(buffer);
        bytes_.insert(bytes_.end(), in, in + count);
        position_ = int64_t(bytes_.size());
        writes.push_back(count);
        return count;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        const int64_t base = origin == TSeekOrigin::Beginning ? 0
                             : origin == TSeekOrigin::Current ? position_
                                                              : Size();
        position_ = std::clamp<int64_t>(base + offset, 0, Size());
        return position_;
    }
    int64_t Size() override { return int64_t(bytes_.size()); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

    std::vector<int64_t> reads, writes;

private:
    std::vector<uint8_t> bytes_;
    int64_t position_ = 0;
};

// Runs a script against the read operations.
class TProbeReader : public TKivCustomReadStream {
public:
    std::function<void(TProbeReader&)> script;
    bool decoded = false;
    using TKivCustomReadStream::ProgressEnd;
    using TKivCustomReadStream::ProgressPhase;
    using TKivCustomReadStream::ProgressStart;
    using TKivCustomReadStream::ProgressStep;
    using TKivCustomReadStream::ReadBlock;
    using TKivCustomReadStream::ReadByte;
    using TKivCustomReadStream::ReadLong;
    using TKivCustomReadStream::ReadWord;
    using TKivCustomReadStream::SkipBytes;
    int64_t Consumed() const { return consumed_; }

protected:
    void DecodeImage() override {
        decoded = true;
        if (script) script(*this);
    }
};

class TProbeWriter : public TKivCustomWriteStream {
public:
    std::function<void(TProbeWriter&)> script;
    using TKivCustomWriteStream::FlushBuffer;
    using TKivCustomWriteStream::WriteBlock;
    using TKivCustomWriteStream::WriteLong;

protected:
    void EncodeImage() override {
        if (script) script(*this);
    }
};

// A graphic that is not an indexed image.
class TOtherGraphic : public TGraphic {
public:
    void Assign(const TGraphic*) override {}
    void Draw(TSurface&, const TRect&) const override {}
    bool Empty() const override { return true; }
    int32_t Width() const override { return 0; }
    int32_t Height() const override { return 0; }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) const override {}
};

std::vector<uint8_t> Counting(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = uint8_t(i * 7 + i / 251);
    return bytes;
}

uint32_t BigEndianAt(const std::vector<uint8_t>& b, size_t i) {
    return uint32_t(b[i]) << 24 | uint32_t(b[i + 1]) << 16 | uint32_t(b[i + 2]) << 8 | b[i + 3];
}

} // namespace

TEST(KivReadStream, EmptyDataDecodesNothingAndKeepsTheChangeEvent) {
    TDIB image;
    int changes = 0;
    image.OnChange = [&](TGraphic&) { ++changes; };
    TMemoryStream empty;
    TProbeReader reader;
    reader.LoadFromStream(image, empty, 0);
    EXPECT_FALSE(reader.decoded);
    EXPECT_TRUE(reader.EndOfData());
    ASSERT_TRUE(image.OnChange);
    image.Changed();
    EXPECT_EQ(changes, 1);

    // A stream already at its end holds no data either.
    TMemoryStream atEnd;
    atEnd.WriteBuffer("abc", 3);
    reader.LoadFromStream(image, atEnd, 0);
    EXPECT_FALSE(reader.decoded);
}

TEST(KivReadStream, ChangeEventDetachedDuringLoadAndRestoredAfterAnError) {
    TDIB image;
    image.OnChange = [](TGraphic&) {};
    TMemoryStream data;
    data.WriteBuffer("abcd", 4);
    data.SetPosition(0);
    TProbeReader reader;
    reader.script = [&](TProbeReader&) {
        EXPECT_FALSE(image.OnChange);
        throw EInvalidGraphic("stop");
    };
    EXPECT_THROW(reader.LoadFromStream(image, data, 0), EInvalidGraphic);
    EXPECT_TRUE(image.OnChange);
}

TEST(KivReadStream, RefusesTargetsOtherThanIndexedImages) {
    TOtherGraphic other;
    TMemoryStream data;
    TProbeReader reader;
    try {
        reader.LoadFromStream(other, data, 0);
        FAIL() << "accepted a foreign graphic";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "LoadFromStream: Not Used GraphicClass");
    }
}

TEST(KivReadStream, IntegersStraddlingTheBufferBoundaryReadAsFromMemory) {
    // Cases: data ending well after the boundary, and data ending a few bytes after it.
    for (const size_t size : {size_t(200000), size_t(65545)}) {
        const std::vector<uint8_t> bytes = Counting(size);
        for (const int64_t at : {int64_t(65533), int64_t(65534), int64_t(65535)}) {
            std::vector<uint32_t> values;
            auto script = [&](TProbeReader& r) {
                r.SkipBytes(at);
                values.push_back(r.ReadLong());
                values.push_back(r.ReadWord());
                values.push_back(r.ReadByte());
            };
            TDIB image;
            TRecordingStream file(bytes);
            TProbeReader buffered;
            buffered.MacBinaryCheck = false;
            buffered.script = script;
            buffered.LoadFromStream(image, file, 0);
            TCustomMemoryStream memory(bytes.data(), int64_t(bytes.size()));
            TProbeReader inPlace;
            inPlace.MacBinaryCheck = false;
            inPlace.script = script;
            inPlace.LoadFromStream(image, memory, 0);
            ASSERT_EQ(values.size(), 6u);
            const size_t i = size_t(at);
            EXPECT_EQ(values[0], BigEndianAt(bytes, i)) << "size " << size << " at " << at;
            EXPECT_EQ(values[1], uint32_t(bytes[i + 4] << 8 | bytes[i + 5]));
            EXPECT_EQ(values[2], bytes[i + 6]);
            EXPECT_EQ(values[3], values[0]);
            EXPECT_EQ(values[4], values[1]);
            EXPECT_EQ(values[5], values[2]);
        }
    }
}

TEST(KivReadStream, BlocksAndSkipsThroughTheBufferMatchTheData) {
    const std::vector<uint8_t> bytes = Counting(300000);
    TDIB image;
    TRecordingStream file(bytes);
    TProbeReader reader;
    reader.MacBinaryCheck = false;
    std::vector<uint8_t> big(140000), small(10);
    reader.script = [&](TProbeReader& r) {
        r.SkipBytes(100);
        r.ReadBlock(big.data(), int64_t(big.size())); // crosses two buffer loads
        r.SkipBytes(70000);                           // beyond the buffered bytes: a seek
        r.ReadBlock(small.data(), int64_t(small.size()));
    };
    reader.LoadFromStream(image, file, 0);
    EXPECT_TRUE(std::equal(big.begin(), big.end(), bytes.begin() + 100));
    EXPECT_TRUE(std::equal(small.begin(), small.end(), bytes.begin() + 140100 + 70000));
    EXPECT_FALSE(reader.EndOfData());
    for (const int64_t n : file.reads)
        EXPECT_LE(n, 65536) << "reads go in 64 KiB pieces";
}

TEST(KivReadStream, NoReadPassesTheEndOfData) {
    const std::vector<uint8_t> bytes = Counting(10);
    TDIB image;
    TCustomMemoryStream memory(bytes.data(), 10);
    TProbeReader reader;
    std::vector<uint32_t> values;
    reader.script = [&](TProbeReader& r) {
        values.push_back(r.ReadLong()); // bytes 0..3
        values.push_back(r.ReadLong()); // bytes 4..7; size 6 stops the data here
        values.push_back(r.EndOfData());
        values.push_back(r.ReadByte()); // nothing left: 0 and the flag
        values.push_back(r.EndOfData());
    };
    reader.LoadFromStream(image, memory, 6);
    EXPECT_EQ(values, (std::vector<uint32_t>{BigEndianAt(bytes, 0), 0, 1, 0, 1}));
    EXPECT_EQ(memory.Position(), 4) << "positioned after the last byte consumed";
}

TEST(KivReadStream, ZeroLengthBlockOrSkipAbortsAllLaterReads) {
    const std::vector<uint8_t> bytes = Counting(16);
    for (const bool skip : {false, true}) {
        TDIB image;
        TCustomMemoryStream memory(bytes.data(), 16);
        TProbeReader reader;
        uint32_t after = 1;
        reader.script = [&](TProbeReader& r) {
            uint8_t none[1];
            if (skip) {
                r.SkipBytes(0);
            } else {
                r.ReadBlock(none, 0);
            }
            after = r.ReadLong();
        };
        reader.LoadFromStream(image, memory, 0);
        EXPECT_TRUE(reader.Aborted());
        EXPECT_FALSE(reader.EndOfData());
        EXPECT_EQ(after, 0u);
    }
}

TEST(KivReadStream, StreamIsPositionedAfterTheLastByteConsumed) {
    std::vector<uint8_t> bytes = Counting(100000);
    for (const bool buffered : {false, true}) {
        TDIB image;
        TRecordingStream file(bytes);
        TCustomMemoryStream memory(bytes.data(), int64_t(bytes.size()));
        TStream& stream = buffered ? static_cast<TStream&>(file) : memory;
        stream.SetPosition(10);
        TProbeReader reader;
        reader.MacBinaryCheck = false;
        reader.script = [](TProbeReader& r) {
            r.SkipBytes(30);
            r.ReadLong();
        };
        reader.LoadFromStream(image, stream, 0);
        EXPECT_EQ(stream.Position(), 44) << (buffered ? "buffered" : "in place");
    }
}

TEST(KivReadStream, MacBinaryHeaderIsSkippedWhenBytes0And74AreZero) {
    std::vector<uint8_t> bytes(128 + 100000, 0x11);
    bytes[0] = 0;
    bytes[74] = 0;
    bytes[128] = 0xAB;
    struct Case {
        bool check;
        uint8_t byte74;
        bool skipped;
        uint8_t first;
    };
    for (const Case c :
         {Case{true, 0, true, 0xAB}, Case{false, 0, false, 0}, Case{true, 1, false, 0}}) {
        bytes[74] = c.byte74;
        TDIB image;
        TRecordingStream file(bytes);
        TProbeReader reader;
        reader.MacBinaryCheck = c.check;
        uint8_t first = 0xFF;
        reader.script = [&](TProbeReader& r) { first = r.ReadByte(); };
        reader.LoadFromStream(image, file, 0);
        EXPECT_EQ(reader.MacBinarySkipped(), c.skipped) << "check " << c.check;
        EXPECT_EQ(first, c.first) << "check " << c.check << " byte 74 " << int(c.byte74);
    }
}

// A stream may hand out fewer bytes than asked; a MacBinary header then need not be at hand
// whole, and skipping it must neither move the cursor before the buffer nor lose data.
TEST(KivReadStream, MacBinaryHeaderLongerThanTheFirstReadIsSkipped) {
    class TShortReads : public TRecordingStream {
    public:
        using TRecordingStream::TRecordingStream;
        int64_t Read(void* buffer, int64_t count) override {
            return TRecordingStream::Read(buffer, std::min<int64_t>(count, 100));
        }
    };
    std::vector<uint8_t> bytes = Counting(1000);
    bytes[0] = 0;
    bytes[74] = 0;
    TDIB image;
    TShortReads file(bytes);
    TProbeReader reader;
    std::vector<uint8_t> block(64, 0x55);
    reader.script = [&](TProbeReader& r) { r.ReadBlock(block.data() + 32, 8); };
    reader.LoadFromStream(image, file, 0);
    EXPECT_TRUE(reader.MacBinarySkipped());
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 32),
              std::vector<uint8_t>(32, 0x55))
        << "bytes before the block written";
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 32, block.begin() + 40),
              std::vector<uint8_t>(bytes.begin() + 128, bytes.begin() + 136));
    EXPECT_EQ(reader.Consumed(), 136);
}

TEST(KivReadStream, ProgressPhasesShareOutThePercentages) {
    const std::vector<uint8_t> bytes = Counting(1000);
    TDIB image;
    std::vector<std::pair<TProgressStage, int>> reports;
    image.OnProgress = [&](TGraphic&, TProgressStage stage, int percent, bool, const TRect&,
                           const std::string&) { reports.emplace_back(stage, percent); };
    TCustomMemoryStream memory(bytes.data(), 1000);
    TProbeReader reader;
    reader.MacBinaryCheck = false;
    reader.script = [](TProbeReader& r) {
        r.ProgressStart();          // 0
        r.ProgressPhase(0, 0, 30);  // bytes, span 29 of 99
        r.SkipBytes(500);           // half the data
        r.ProgressStep(0);          // 14
        r.ProgressPhase(1, 10, 98); // rows, span 98% of the 70 left: 68
        r.ProgressStep(5);          // 29 + 34 = 63
        r.ProgressStep(5);          // no growth: not reported
        r.ProgressStep(20);         // capped at the span: 97
        r.ProgressEnd();            // ending, 100
    };
    reader.LoadFromStream(image, memory, 0);
    const std::vector<std::pair<TProgressStage, int>> expected = {{TProgressStage::Starting, 0},
                                                                  {TProgressStage::Running, 14},
                                                                  {TProgressStage::Running, 63},
                                                                  {TProgressStage::Running, 97},
                                                                  {TProgressStage::Ending, 100}};
    EXPECT_EQ(reports, expected);
}

TEST(KivWriteStream, BlocksOf65520BytesBypassTheBuffer) {
    TDIB image;
    image.Resize(1, 1, 8);
    const std::vector<uint8_t> big = Counting(65520), almost = Counting(65519);
    TRecordingStream out;
    TProbeWriter writer;
    writer.script = [&](TProbeWriter& w) {
        w.WriteLong(0x01020304);
        w.WriteBlock(big.data(), 65520);    // flushes the 4 bytes, then goes out whole
        w.WriteBlock(almost.data(), 65519); // into the buffer
        w.WriteBlock("0123456789abc", 13);  // still fits: 65532 bytes buffered
        w.WriteLong(0xA0B0C0D0);            // would pass 65535: flushes first
    };
    writer.SaveToStream(image, out);
    EXPECT_EQ(out.writes, (std::vector<int64_t>{4, 65520, 65532, 4}));
    EXPECT_EQ(writer.TotalWritten(), 4 + 65520 + 65532 + 4);
    std::vector<uint8_t> expected = {1, 2, 3, 4};
    expected.insert(expected.end(), big.begin(), big.end());
    expected.insert(expected.end(), almost.begin(), almost.end());
    expected.insert(expected.end(),
                    {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'a', 'b', 'c'});
    expected.insert(expected.end(), {0xA0, 0xB0, 0xC0, 0xD0});
    EXPECT_EQ(out.Bytes(), expected);
}

TEST(KivWriteStream, ZeroLengthBlockAbortsAndForeignSourcesAreRefused) {
    TDIB image;
    TRecordingStream out;
    TProbeWriter writer;
    writer.script = [](TProbeWriter& w) {
        w.WriteBlock("ab", 2);
        w.WriteBlock("", 0);
        w.WriteBlock("cd", 2);
    };
    writer.SaveToStream(image, out);
    EXPECT_TRUE(writer.Aborted());
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{'a', 'b'}));

    TOtherGraphic other;
    try {
        writer.SaveToStream(other, out);
        FAIL() << "accepted a foreign graphic";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "SaveToStream: Not Used GraphicClass");
    }
}

TEST(KivWriteStream, BytesWrittenBeforeAnErrorReachTheStream) {
    TDIB image;
    TRecordingStream out;
    TProbeWriter writer;
    writer.script = [](TProbeWriter& w) {
        w.WriteBlock("xyz", 3);
        throw EInvalidGraphic("failed");
    };
    EXPECT_THROW(writer.SaveToStream(image, out), EInvalidGraphic);
    EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{'x', 'y', 'z'}));
}
