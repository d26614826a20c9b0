#include "png/KivStream.h"

#include "base/ByteOrder.h"
#include "base/Exceptions.h"
#include "base/ScopedValue.h"
#include "base/Stream.h"
#include "image/DIB.h"
#include "image/PixelFormat.h"

#include <algorithm>
#include <cstring>

// ---- progress

void TKivProgress::Start() {
    base = lastReported = span = 0;
    remaining = 99;
    Report(0);
}

void TKivProgress::Phase(int32_t newMode, int64_t newDivisor, int32_t percent,
                         int64_t newStartPosition) {
    base += span;
    lastReported = base;
    remaining -= span;
    mode = newMode;
    divisor = newDivisor == 0 ? 1 : newDivisor;
    startPosition = newStartPosition;
    span = percent > 0 && percent < 100 ? percent * remaining / 100 : remaining;
}

void TKivProgress::Step(int64_t value, bool clampRows) {
    int64_t p;
    if (mode == 0) {
        p = span * (value - startPosition) / divisor;
    } else {
        p = clampRows && value >= divisor ? span : span * value / divisor;
    }
    p += base;
    if (p <= lastReported) return;
    lastReported = static_cast<int32_t>(std::min<int64_t>(p, 100));
    Report(lastReported);
}

void TKivProgress::Report(int32_t percent) {
    if (graphic == nullptr) return;
    const TProgressStage stage = percent == 0                    ? TProgressStage::Starting
                                 : percent >= 1 && percent <= 99 ? TProgressStage::Running
                                                                 : TProgressStage::Ending;
    graphic->Progress(stage, stage == TProgressStage::Ending ? 100 : percent, message);
}

// ---- reading

TKivCustomReadStream::TKivCustomReadStream() = default;
TKivCustomReadStream::~TKivCustomReadStream() = default;

void TKivCustomReadStream::LoadFromStream(TGraphic& target, TStream& stream, int64_t size) {
    targetDib_ = dynamic_cast<TDIB*>(&target);
    if (targetDib_ == nullptr) throw EInvalidGraphic("LoadFromStream: Not Used GraphicClass");
    target_ = &target;
    progress_.graphic = &target;
    source_ = &stream;
    // Observers of the target hear nothing of the half-built image while it loads.
    const TScopedValue<TNotifyEvent> changeGuard(target.OnChange, nullptr);

    startPosition_ = stream.Position();
    const int64_t streamRest = stream.Size() - startPosition_;
    total_ = size > 0 ? size : streamRest;
    consumed_ = 0;
    endOfData_ = aborted_ = macBinarySkipped_ = false;
    comment_.clear();
    paletteCount_ = pixelUnit_ = pixelsPerUnitX_ = pixelsPerUnitY_ = 0;
    available_ = 0;
    if (total_ <= 0) {
        endOfData_ = true;
        return;
    }

    struct TCleanup {
        TKivCustomReadStream& self;
        ~TCleanup() {
            self.buffer_.reset();
            self.cursor_ = self.memoryStart_ = nullptr;
            self.available_ = 0;
            self.palette_ = {};
            self.source_->SetPosition(self.startPosition_ + self.consumed_);
        }
    } cleanup{*this};

    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
        // In place: the memory holds the data; never look past its end.
        total_ = std::min(total_, std::max<int64_t>(streamRest, 0));
        cursor_ = memoryStart_ = memory->Memory() + startPosition_;
        available_ = total_;
    } else {
        buffer_ = std::make_unique_for_overwrite<uint8_t[]>(BufferSize);
        Refill();
    }

    if (MacBinaryCheck && total_ > MacBinaryHeaderSize && available_ > 74 && cursor_[0] == 0 &&
        cursor_[74] == 0) {
        // A stream that reads short may not have handed out all 128 bytes yet.
        SkipBytes(MacBinaryHeaderSize);
        macBinarySkipped_ = true;
    }

    palette_.assign(256 * 4, 0);
    DecodeImage();
}

void TKivCustomReadStream::PrepareImage() {
    if (targetDib_ == nullptr) return;
    // Rows come at 1, 4, 8 or 24 bits, which allow only the 8-8-8 layout; the target may still
    // want the 16-bit layout of a picture it held before.
    targetDib_->WantedLayout = TChannelLayout{};
    targetDib_->Resize(width_, height_, imageBitsPerPixel_);
    if (IsIndexedBitCount(imageBitsPerPixel_)) {
        std::memcpy(targetDib_->PaletteBlock.data(), palette_.data(), 256 * 4);
    }
    targetDib_->ApplyPalette();
}

void TKivCustomReadStream::Refill() {
    const int64_t keep = available_;
    if (keep > 0 && cursor_ != buffer_.get()) std::memmove(buffer_.get(), cursor_, keep);
    const int64_t wanted = std::min<int64_t>(BufferSize - keep, total_ - consumed_ - keep);
    const int64_t got = wanted > 0 ? source_->Read(buffer_.get() + keep, wanted) : 0;
    cursor_ = buffer_.get();
    available_ = keep + got;
}

uint8_t TKivCustomReadStream::ReadByte() {
    uint8_t value = 0;
    ReadBlock(&value, 1);
    return value;
}

uint16_t TKivCustomReadStream::ReadWord() {
    uint8_t bytes[2] = {};
    ReadBlock(bytes, 2);
    return LoadBE16(bytes);
}

uint32_t TKivCustomReadStream::ReadLong() {
    uint8_t bytes[4] = {};
    ReadBlock(bytes, 4);
    return LoadBE32(bytes);
}

void TKivCustomReadStream::ReadBlock(void* destination, int64_t count) {
    if (endOfData_ || aborted_) return;
    if (count <= 0) {
        aborted_ = true;
        return;
    }
    if (count > total_ - consumed_) {
        endOfData_ = true;
        return;
    }
    auto* out = static_cast<uint8_t*>(destination);
    if (count <= available_) { // the common case: all of it is at hand
        std::memcpy(out, cursor_, static_cast<size_t>(count));
        cursor_ += count;
        available_ -= count;
        consumed_ += count;
        return;
    }
    const int64_t first = available_;
    if (first > 0) std::memcpy(out, cursor_, static_cast<size_t>(first));
    cursor_ += first;
    available_ = 0;
    consumed_ += first;
    out += first;
    int64_t rest = count - first;
    while (rest > BufferSize - 1) {
        const int64_t got = source_->Read(out, BufferSize);
        consumed_ += got;
        if (got != BufferSize) {
            endOfData_ = true; // the stream is shorter than it said
            return;
        }
        out += BufferSize;
        rest -= BufferSize;
    }
    if (rest == 0) return;
    Refill();
    if (available_ < rest) {
        endOfData_ = true;
        return;
    }
    std::memcpy(out, cursor_, static_cast<size_t>(rest));
    cursor_ += rest;
    available_ -= rest;
    consumed_ += rest;
}

const uint8_t* TKivCustomReadStream::ReadInPlace(int64_t count) {
    if (endOfData_ || aborted_ || count <= 0 || count > available_) return nullptr;
    const uint8_t* bytes = cursor_;
    cursor_ += count;
    available_ -= count;
    consumed_ += count;
    return bytes;
}

void TKivCustomReadStream::Rewind(int64_t position) {
    endOfData_ = false;
    consumed_ = position;
    if (memoryStart_ != nullptr) {
        cursor_ = memoryStart_ + position;
        available_ = total_ - position;
        return;
    }
    source_->SetPosition(startPosition_ + position);
    available_ = 0;
}

void TKivCustomReadStream::SkipBytes(int64_t count) {
    if (endOfData_ || aborted_) return;
    if (count > total_ - consumed_) {
        endOfData_ = true;
        return;
    }
    if (count <= 0) {
        aborted_ = true;
        return;
    }
    if (count <= available_) {
        cursor_ += count;
        available_ -= count;
    } else {
        source_->Seek(count - available_, TSeekOrigin::Current);
        available_ = 0;
    }
    consumed_ += count;
}

void TKivCustomReadStream::ProgressStart() {
    aborted_ = false;
    progress_.Start();
}

void TKivCustomReadStream::ProgressPhase(int32_t mode, int64_t divisor, int32_t percent) {
    progress_.Phase(mode, mode == 0 ? total_ : divisor, percent, mode == 0 ? consumed_ : 0);
}

void TKivCustomReadStream::ProgressStep(int64_t row) {
    progress_.Step(progress_.mode == 0 ? consumed_ : row, true);
}

void TKivCustomReadStream::ProgressEnd() {
    progress_.End();
}

// ---- writing

TKivCustomWriteStream::TKivCustomWriteStream()
    : buffer_(std::make_unique_for_overwrite<uint8_t[]>(BufferSize)) {}
TKivCustomWriteStream::~TKivCustomWriteStream() = default;

void TKivCustomWriteStream::SaveToStream(const TGraphic& source, TStream& stream) {
    sourceDib_ = dynamic_cast<const TDIB*>(&source);
    if (sourceDib_ == nullptr) throw EInvalidGraphic("SaveToStream: Not Used GraphicClass");
    // The progress event belongs to the graphic, not to its pixels: reporting changes nothing
    // that the save reads.
    progress_.graphic = const_cast<TGraphic*>(&source);
    destination_ = &stream;
    inBuffer_ = 0;
    totalWritten_ = 0;
    try {
        EncodeImage();
    } catch (...) {
        // What was produced before the failure still reaches the stream.
        try {
            FlushBuffer();
        } catch (...) {
        }
        throw;
    }
    FlushBuffer();
}

void TKivCustomWriteStream::WriteBlock(const void* source, int64_t count) {
    if (aborted_) return;
    if (count <= 0) {
        aborted_ = true;
        return;
    }
    if (count < DirectWriteSize) {
        if (inBuffer_ + count > BufferSize - 1) FlushBuffer();
        std::memcpy(buffer_.get() + inBuffer_, source, static_cast<size_t>(count));
        inBuffer_ += count;
        return;
    }
    FlushBuffer();
    destination_->WriteBuffer(source, count);
    totalWritten_ += count;
}

void TKivCustomWriteStream::WriteLong(uint32_t value) {
    if (inBuffer_ + 4 > BufferSize - 1) FlushBuffer();
    StoreBE32(buffer_.get() + inBuffer_, value);
    inBuffer_ += 4;
}

void TKivCustomWriteStream::FlushBuffer() {
    if (inBuffer_ > 0) {
        destination_->WriteBuffer(buffer_.get(), inBuffer_);
        totalWritten_ += inBuffer_;
    }
    inBuffer_ = 0;
}

void TKivCustomWriteStream::ProgressStart() {
    aborted_ = false;
    progress_.Start();
}

void TKivCustomWriteStream::ProgressPhase(int32_t mode, int64_t divisor, int32_t percent) {
    if (mode == 0) {
        progress_.Phase(0, destination_->Size(), percent, destination_->Position());
    } else {
        progress_.Phase(1, divisor, percent, 0);
    }
}

void TKivCustomWriteStream::ProgressStep(int64_t row) {
    progress_.Step(progress_.mode == 0 ? destination_->Position() : row, false);
}

void TKivCustomWriteStream::ProgressEnd() {
    progress_.End();
}
