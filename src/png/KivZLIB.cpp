#include "png/KivZLIB.h"

#include "base/LargeAlloc.h"
#include "png/KivDeflatePieces.h"
#include "png/KivPNGFilter.h"
#include "png/KivUnfilter.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// zlib counts in 32 bits; longer requests go in pieces of this size.
constexpr size_t ZlibPiece = size_t(1) << 30;
// Output per inflate call when reading rows. zlib copies the last 32 KiB of each call's output
// into its window and leaves its fast loop near the end of the output space, so one row per call
// would cost an extra copy of every row; a large batch makes both negligible.
constexpr size_t BatchBytes = 256 * 1024;

} // namespace

// ---- row buffers

void TKivRowPair::Allocate(size_t capacity) {
    row_.assign(capacity, 0);
    previous_.assign(capacity, 0);
}

void TKivRowPair::Free() {
    row_ = {};
    previous_ = {};
}

void TKivRowPair::ClearPrevious() {
    std::fill(previous_.begin(), previous_.end(), uint8_t(0));
}

// ---- inflate

InflateAdapter::InflateAdapter() = default;
InflateAdapter::~InflateAdapter() {
    End();
}

int InflateAdapter::Start() {
    End();
    try {
        input_.resize(InputSize);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    stream_ = {};
    if (inflateInit(&stream_) != Z_OK) return -1;
    started_ = true;
    return 0;
}

void InflateAdapter::SetInput(const uint8_t* data, uint32_t count) {
    stream_.next_in = const_cast<Bytef*>(data); // zlib never writes through next_in
    stream_.avail_in = count;
}

int InflateAdapter::Read(uint8_t* destination, size_t count) {
    if (!started_) return Z_STREAM_ERROR;
    int result = Z_OK;
    while (count > 0) {
        const size_t piece = std::min(count, ZlibPiece);
        stream_.next_out = destination;
        stream_.avail_out = static_cast<uInt>(piece);
        while (stream_.avail_out > 0) {
            if (stream_.avail_in == 0 && Fill) {
                const int filled = Fill();
                if (filled != 0) return filled;
            }
            result = inflate(&stream_, Z_NO_FLUSH);
            if (result < 0) return result;
            if (result == Z_NEED_DICT) return Z_DATA_ERROR; // PNG data never has a dictionary
            if (result == Z_STREAM_END && stream_.avail_out > 0) return Z_DATA_ERROR;
        }
        destination += piece;
        count -= piece;
    }
    return result;
}

bool InflateAdapter::InflateWhole(const uint8_t* data, size_t count, size_t size) {
    // A preset dictionary (FDICT) is refused here too, not only by libdeflate: Read treats it as
    // corrupt data.
    if (count < 2 || (data[1] & 0x20) != 0) return false;
    TBigBuffer rows;
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (!rows.Allocate(size) || decompressor == nullptr) {
        libdeflate_free_decompressor(decompressor);
        return false;
    }
    size_t used = 0, produced = 0;
    const libdeflate_result result = libdeflate_zlib_decompress_ex(
        decompressor, data, count, rows.Data(), size, &used, &produced);
    libdeflate_free_decompressor(decompressor);
    if (result != LIBDEFLATE_SUCCESS || produced != size) return false;
    whole_ = std::move(rows);
    wholeRows_ = whole_.Data();
    wholeSize_ = size;
    wholeNext_ = 0;
    return true;
}

void InflateAdapter::BeginPass(int32_t rowCount) {
    const size_t length = size_t(std::max(RowLength, 1));
    if (Whole()) { // only the all-zero row above the pass's first row is needed
        batch_.assign(length, 0);
        above_ = batch_.data();
        passRowsLeft_ = rowCount;
        row_ = nullptr;
        return;
    }
    batchCapacity_ =
        int32_t(std::clamp<size_t>(BatchBytes / length, 1, size_t(std::max(rowCount, 1))));
    batch_.assign(length * size_t(batchCapacity_ + 1), 0);
    batchRows_ = batchNext_ = 0;
    passRowsLeft_ = rowCount;
    row_ = nullptr;
}

int InflateAdapter::ReadRow() {
    if (RowLength <= 0 || passRowsLeft_ <= 0) return Z_STREAM_ERROR;
    const size_t length = size_t(RowLength);
    if (Whole()) {
        if (length > wholeSize_ - wholeNext_) return Z_STREAM_ERROR;
        if (row_ != nullptr && !RowsChangedInPlace) above_ = row_;
        row_ = wholeRows_ + wholeNext_;
        wholeNext_ += length;
    } else {
        if (batchNext_ == batchRows_) {
            // The last row of the batch becomes the row above the next batch's first.
            if (batchRows_ > 0)
                std::memcpy(batch_.data(), batch_.data() + batchRows_ * length, length);
            batchRows_ = std::min(batchCapacity_, passRowsLeft_);
            batchNext_ = 0;
            const int result = Read(batch_.data() + length, size_t(batchRows_) * length);
            if (result < 0) return result;
            if (result > 0 && result != Z_STREAM_END) return -1; // a fill that asked to stop
        }
        row_ = batch_.data() + size_t(batchNext_ + 1) * length;
        above_ = row_ - length;
        ++batchNext_;
    }
    --passRowsLeft_;
    const size_t distance = size_t(BitsPerPixel + 7) / 8;
    if (!Unfilter(row_[0], row_ + 1, above_ + 1, length - 1, distance)) return -1;
    // The copy stays in the cache; the rows themselves need not.
    if (Whole() && RowsChangedInPlace) std::memcpy(batch_.data(), row_, length);
    return 0;
}

void InflateAdapter::FreeRows() {
    batch_ = {};
    batchCapacity_ = batchRows_ = batchNext_ = passRowsLeft_ = 0;
    row_ = nullptr;
    above_ = nullptr;
    whole_.Free();
    wholeRows_ = nullptr;
    wholeSize_ = wholeNext_ = 0;
}

void InflateAdapter::Reset() {
    if (started_) inflateReset(&stream_);
    SetInput(nullptr, 0);
}

void InflateAdapter::End() {
    input_ = {};
    if (started_) inflateEnd(&stream_);
    started_ = false;
    stream_ = {};
}

// ---- deflate

int DeflateAdapter::Start(int level, int32_t bufferSize, size_t expectedBytes) {
    End();
    level_ = level >= 0 && level <= MaxLevel ? level : DefaultLevel;
    pieceSize_ =
        size_t(bufferSize > 0 && bufferSize <= MaxBufferSize ? bufferSize : DefaultBufferSize);
    if (!data_.Allocate(BriefBlockSize(expectedBytes))) return -1;
    started_ = true;
    return 0;
}

int DeflateAdapter::Write(const uint8_t* source, size_t count) {
    if (!started_) return Z_STREAM_ERROR;
    if (count > data_.Size() - used_ &&
        !data_.Grow(std::max(2 * data_.Size(), used_ + count), used_)) {
        return Z_MEM_ERROR;
    }
    if (count > 0) std::memcpy(data_.Data() + used_, source, count);
    used_ += count;
    return Z_OK;
}

int DeflateAdapter::WriteRow() {
    if (RowLength <= 0 || size_t(RowLength) > Rows.Capacity() ||
        size_t(RowLength) > BestCandidate.size() || size_t(RowLength) > ScratchCandidate.size()) {
        return Z_STREAM_ERROR;
    }
    const uint8_t* chosen = ChooseFilter(
        Rows.Row(), Rows.PreviousRow(), size_t(RowLength), BitsPerPixel, SourceBitsPerPixel,
        FilterChoice, BestCandidate.data(), ScratchCandidate.data(), Counters.data());
    return Write(chosen, size_t(RowLength));
}

int DeflateAdapter::Finish() {
    if (!started_) return -1;
    TBigBuffer out;
    const size_t size = DeflatePieces(level_, data_.Data(), used_, out);
    used_ = 0;
    if (size == 0) return -1;
    for (size_t at = 0; at < size; at += pieceSize_) {
        const auto count = uint32_t(std::min(pieceSize_, size - at));
        const int drained = Drain ? Drain(out.Data() + at, count) : 0;
        if (drained != 0) return drained;
    }
    return 0;
}

void DeflateAdapter::End() {
    data_.Free();
    used_ = 0;
    started_ = false;
}
