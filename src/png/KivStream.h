// Buffered big-endian streams that the image codecs are built on. A read stream hands out bytes
// and integers from a 64 KiB buffer (or straight from a memory stream's memory), never past a
// fixed end of data; a write stream gathers output in a 64 KiB buffer. Both report progress
// through the image's progress event. A format derives one of them and implements
// DecodeImage / EncodeImage; an object serves exactly one load or save.
#pragma once

#include "base/Graphic.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TDIB;
class TStream;

// Progress bookkeeping shared by both directions; all figures in percent. Reports go to the
// graphic's progress event.
struct TKivProgress {
    int32_t base = 0, lastReported = 0, span = 0, remaining = 99;
    int64_t divisor = 1;
    int32_t mode = 0;          // 0 counts stream bytes, 1 counts rows
    int64_t startPosition = 0; // mode 0: position the phase started at
    TGraphic* graphic = nullptr;
    std::string message; // passed with every report; empty in this program

    // Resets and reports 0 (the starting stage).
    void Start();
    // A new phase taking percent of what is left (all of it unless 0 < percent < 100).
    void Phase(int32_t mode, int64_t divisor, int32_t percent, int64_t startPosition);
    // value: a stream position (mode 0) or a row number (mode 1). Reports the new percent when
    // it has grown. clampRows caps a row count at the phase's span.
    void Step(int64_t value, bool clampRows);
    // Reports 100 (the ending stage).
    void End() { Report(100); }

private:
    void Report(int32_t percent);
};

class TKivCustomReadStream {
public:
    static constexpr int32_t BufferSize = 65536;
    static constexpr int32_t MacBinaryHeaderSize = 128;

    TKivCustomReadStream();
    virtual ~TKivCustomReadStream();
    TKivCustomReadStream(const TKivCustomReadStream&) = delete;
    TKivCustomReadStream& operator=(const TKivCustomReadStream&) = delete;

    // Decodes from stream into target, which must be a TDIB. size <= 0 means up to the end of
    // the stream. Afterwards the stream stands just after the last byte consumed.
    void LoadFromStream(TGraphic& target, TStream& stream, int64_t size);

    bool MacBinaryCheck = true;

    // How the last load went; only the tests ask.
    bool MacBinarySkipped() const { return macBinarySkipped_; }
    bool EndOfData() const { return endOfData_; }
    bool Aborted() const { return aborted_; }
    const std::string& Comment() const { return comment_; }
    int32_t PixelUnit() const { return pixelUnit_; }
    int32_t PixelsPerUnitX() const { return pixelsPerUnitX_; }
    int32_t PixelsPerUnitY() const { return pixelsPerUnitY_; }

protected:
    // The format's decode; runs with the palette allocated and the input ready.
    virtual void DecodeImage() = 0;
    // Sizes the target to width_ x height_ at imageBitsPerPixel_ and loads palette_ into it.
    virtual void PrepareImage();

    // All of these return 0 / read nothing once a flag is set or the data would run out.
    uint8_t ReadByte();
    uint16_t ReadWord();
    uint32_t ReadLong();
    void ReadBlock(void* destination, int64_t count);
    void SkipBytes(int64_t count);
    // The next count bytes where they already lie (buffer or memory), consumed; nullptr, with
    // nothing consumed, when they are not all at hand. Valid until the next read.
    const uint8_t* ReadInPlace(int64_t count);
    // The next count bytes if they are at hand, without consuming them; else nullptr.
    const uint8_t* Peek(int64_t count) const {
        return endOfData_ || aborted_ || count > available_ ? nullptr : cursor_;
    }
    // Bytes of the data not yet consumed.
    int64_t Remaining() const { return total_ - consumed_; }
    // Goes back to an earlier position (a former consumed_), clearing the end-of-data flag, so
    // that the bytes from there can be read again another way.
    void Rewind(int64_t position);

    void ProgressStart();
    void ProgressPhase(int32_t mode, int64_t divisor, int32_t percent);
    void ProgressStep(int64_t row);
    void ProgressEnd();

    TKivProgress progress_;
    int64_t total_ = 0;    // bytes that make up the data
    int64_t consumed_ = 0; // bytes consumed, a skipped MacBinary header included
    const uint8_t* cursor_ = nullptr;
    int64_t available_ = 0; // bytes between cursor_ and the end of the buffered data
    int64_t startPosition_ = 0;
    bool endOfData_ = false;
    bool aborted_ = false;
    bool macBinarySkipped_ = false;
    std::string comment_;
    int32_t width_ = 0, height_ = 0, imageBitsPerPixel_ = 0, colorBits_ = 0;
    int32_t paletteCount_ = 0;
    int32_t pixelUnit_ = 0, pixelsPerUnitX_ = 0, pixelsPerUnitY_ = 0;
    TGraphic* target_ = nullptr;
    TDIB* targetDib_ = nullptr; // the target as an indexed image
    TStream* source_ = nullptr;
    std::vector<uint8_t> palette_; // 256 x blue, green, red, reserved; lives during the load

private:
    void Refill();

    // Uninitialised: a small file touches only the pages it is read into.
    std::unique_ptr<uint8_t[]> buffer_;
    const uint8_t* memoryStart_ = nullptr; // a memory stream's data, read in place
};

class TKivCustomWriteStream {
public:
    static constexpr int32_t BufferSize = 65536;
    // Blocks of at least this size bypass the buffer.
    static constexpr int32_t DirectWriteSize = 65520;

    TKivCustomWriteStream();
    virtual ~TKivCustomWriteStream();
    TKivCustomWriteStream(const TKivCustomWriteStream&) = delete;
    TKivCustomWriteStream& operator=(const TKivCustomWriteStream&) = delete;

    // Encodes source, which must be a TDIB, into stream.
    void SaveToStream(const TGraphic& source, TStream& stream);

    // How the last save went; only the tests ask.
    bool Aborted() const { return aborted_; }
    // Bytes handed to the stream so far.
    int64_t TotalWritten() const { return totalWritten_; }

protected:
    virtual void EncodeImage() = 0;

    void WriteBlock(const void* source, int64_t count);
    void WriteLong(uint32_t value);
    void FlushBuffer();

    void ProgressStart();
    void ProgressPhase(int32_t mode, int64_t divisor, int32_t percent);
    void ProgressStep(int64_t row);
    void ProgressEnd();

    TKivProgress progress_;
    int64_t totalWritten_ = 0;
    std::unique_ptr<uint8_t[]> buffer_; // BufferSize bytes, uninitialised, for the lifetime
    int64_t inBuffer_ = 0;              // bytes waiting in buffer_
    const TDIB* sourceDib_ = nullptr;   // the source as an indexed image
    TStream* destination_ = nullptr;
    bool aborted_ = false;
};
