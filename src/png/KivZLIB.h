// Adapters between the PNG codec and the deflate libraries (zlib's stream interface, libdeflate's
// whole-buffer calls). Each owns one side's buffer and a callback that refills or drains it, and
// carries the row buffers through which the codec passes image rows. Rows are laid out as in the
// file: byte 0 is the filter type, the pixel data follows. Results follow zlib: 0 or positive for
// success, negative for failure.
#pragma once

#include "png/KivBigBuffer.h"
#include "png/KivPNGCommon.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

// Two row buffers of equal capacity that trade places after each row (the raw rows being
// written).
class TKivRowPair {
public:
    // Both buffers get capacity bytes, zeroed.
    void Allocate(size_t capacity);
    void Free();
    uint8_t* Row() { return row_.data(); }
    uint8_t* PreviousRow() { return previous_.data(); }
    size_t Capacity() const { return row_.size(); }
    // The current row becomes the previous one.
    void Swap() { row_.swap(previous_); }
    // Start of a pass: the row above the first row counts as all zero.
    void ClearPrevious();

private:
    std::vector<uint8_t> row_, previous_;
};

class InflateAdapter {
public:
    // zlib copies up to 32 KiB of output into its window each time it runs out of input, so
    // small input pieces cost a tenth of the inflate time; pieces of this size make it vanish.
    static constexpr uint32_t InputSize = 256 * 1024;

    // Called when the input is empty: put up to InputSize bytes into InputBuffer() and call
    // SetInput, or point SetInput at bytes that stay valid until the next call. Returns 0 on
    // success, non-zero to stop the read (Read returns that value).
    using FillCallback = std::function<int()>;

    InflateAdapter();
    ~InflateAdapter();
    InflateAdapter(const InflateAdapter&) = delete;
    InflateAdapter& operator=(const InflateAdapter&) = delete;

    // 0, or -1 when the buffer or zlib cannot be had.
    int Start();
    // Inflates count bytes of a complete zlib stream in one call (libdeflate, several times
    // faster than zlib's inflate) and makes the following passes hand out its rows instead of
    // reading through Fill. true only when the stream is intact, has no preset dictionary and
    // inflates to exactly size bytes; otherwise nothing changes. Bytes after the stream's end
    // are ignored, as Read ignores them.
    bool InflateWhole(const uint8_t* data, size_t count, size_t size);
    // Whether the rows come from InflateWhole's buffer.
    bool Whole() const { return wholeRows_ != nullptr; }
    // InflateWhole's buffer: the filtered rows one after another, RowLength bytes each.
    uint8_t* WholeRows() const { return wholeRows_; }
    // Hands InflateWhole's buffer over (release it with std::free). The passes still take
    // their rows from it, so it must live until FreeRows.
    uint8_t* ReleaseWhole() { return whole_.Release(); }
    // Fills exactly count bytes; the last zlib result (>= 0) on success. Negative when the
    // compressed data is corrupt or ends early; the fill callback's non-zero result when it
    // stops.
    int Read(uint8_t* destination, size_t count);
    // Starts a pass of rowCount rows of RowLength bytes; the row above its first row counts as
    // all zero. The rows are inflated in batches of many rows, which keeps zlib on its fast path.
    void BeginPass(int32_t rowCount);
    // Reads the pass's next row (or takes it from InflateWhole's buffer) and unfilters it; Row()
    // then points at it (byte 0 is the filter type). 0, or negative on failure (read error, filter
    // type above RowFilterPaeth, no rows left).
    int ReadRow();
    // The row ReadRow produced; valid until the next ReadRow or BeginPass.
    uint8_t* Row() const { return row_; }
    void FreeRows();
    void Reset();
    void End();

    uint8_t* InputBuffer() { return input_.data(); }
    void SetInput(const uint8_t* data, uint32_t count);

    FillCallback Fill;
    int32_t RowLength = 0;    // filter byte included
    int32_t BitsPerPixel = 0; // of the file's rows; fixes the filters' byte distance
    // Set when the caller converts each row of InflateWhole's buffer in place after ReadRow: the
    // next row is then unfiltered against a copy of the row as it was unfiltered.
    bool RowsChangedInPlace = false;

private:
    z_stream stream_{};
    bool started_ = false;
    std::vector<uint8_t> input_;
    // The previous batch's last row, then the batch's rows, RowLength bytes each.
    std::vector<uint8_t> batch_;
    int32_t batchCapacity_ = 0, batchRows_ = 0, batchNext_ = 0, passRowsLeft_ = 0;
    uint8_t* row_ = nullptr;
    const uint8_t* above_ = nullptr; // the unfiltered row above row_
    TBigBuffer whole_;               // owns InflateWhole's rows unless they were handed over
    uint8_t* wholeRows_ = nullptr;
    size_t wholeSize_ = 0, wholeNext_ = 0;
};

// Gathers a stream's data and deflates it whole with libdeflate, large data on every core
// (DeflatePieces), then hands the zlib stream out in pieces of the buffer size.
class DeflateAdapter {
public:
    static constexpr int32_t DefaultBufferSize = 24576;
    static constexpr int32_t MaxBufferSize = 262143;
    // libdeflate's 6 writes pixel art some 8 % larger than zlib's default; its 7 comes within
    // 1 % and, on two cores, still takes well under zlib's time.
    static constexpr int DefaultLevel = 7;
    static constexpr int MaxLevel = 12;

    // Receives compressed bytes: pieces of the buffer size, the last one shorter. 0 for success.
    using DrainCallback = std::function<int(const uint8_t* data, uint32_t count)>;

    // level: 0 (stored) to MaxLevel, anything else means DefaultLevel; bufferSize outside
    // 1..MaxBufferSize means the default. expectedBytes: the data to come, when known, so that
    // it is gathered without copying. 0, or -1 when memory cannot be had.
    int Start(int level, int32_t bufferSize, size_t expectedBytes = 0);
    // Adds count bytes to the stream's data. 0, or negative when not started or out of memory.
    int Write(const uint8_t* source, size_t count);
    // Filters Rows.Row() against Rows.PreviousRow() as FilterChoice says (ChooseFilter in
    // KivPNGFilter.h) and writes the RowLength bytes of the chosen row. Negative on failure.
    int WriteRow();
    // Deflates the data written since Start, passes the stream through the drain and readies
    // the adapter for another stream. 0, -1 on a failure to compress, or the drain's result
    // (no further pieces are drained after a non-zero one).
    int Finish();
    void End();

    DrainCallback Drain;
    int32_t RowLength = 0;                   // filter byte included
    int32_t BitsPerPixel = 0;                // of the PNG rows
    int32_t FilterChoice = FilterChoiceNone; // a TPngFilterChoice
    int32_t SourceBitsPerPixel = 8;          // of the image being written
    TKivRowPair Rows;                        // raw rows; byte 0 of each is room for the filter type
    // Candidate rows for the filter choice, each at least RowLength bytes.
    std::vector<uint8_t> BestCandidate, ScratchCandidate;
    std::array<uint32_t, 256> Counters{};

private:
    bool started_ = false;
    int level_ = DefaultLevel;
    size_t pieceSize_ = DefaultBufferSize;
    TBigBuffer data_; // the stream's data, used bytes first
    size_t used_ = 0;
};
