#include "formats/GifFile.h"

#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/GifError.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kBufferSize = size_t(1) << 16;

} // namespace

TGifInput::TGifInput(TStream& stream) : stream_(stream), buffer_(kBufferSize) {
    int error = D_GIF_SUCCEEDED;
    gif_ = DGifOpen(this, Read, &error);
    if (gif_ == nullptr) Raise(error);
}

TGifInput::~TGifInput() {
    DGifCloseFile(gif_, nullptr);
}

int TGifInput::Read(GifFileType* gif, GifByteType* buffer, int count) {
    auto& self = *static_cast<TGifInput*>(gif->UserData);
    int given = 0;
    try {
        while (given < count) {
            if (self.at_ == self.end_) {
                self.at_ = 0;
                self.end_ = size_t(self.stream_.Read(self.buffer_.data(), int64_t(kBufferSize)));
                if (self.end_ == 0) break;
            }
            const size_t n = std::min(size_t(count - given), self.end_ - self.at_);
            std::memcpy(buffer + given, self.buffer_.data() + self.at_, n);
            self.at_ += n;
            given += int(n);
        }
    } catch (...) {
        self.failure_ = std::current_exception();
        return 0;
    }
    self.delivered_ += given;
    return given;
}

void TGifInput::Check(int result) const {
    if (result == GIF_ERROR) Raise(gif_->Error);
}

void TGifInput::Raise(int giflibCode) const {
    if (failure_ != nullptr) std::rethrow_exception(failure_);
    ThrowGifError(giflibCode);
}

TGifOutput::TGifOutput(TStream& stream) : stream_(stream) {
    buffer_.reserve(kBufferSize);
    int error = E_GIF_SUCCEEDED;
    gif_ = EGifOpen(this, Write, &error);
    if (gif_ == nullptr) Raise(error);
}

TGifOutput::~TGifOutput() {
    if (gif_ != nullptr) EGifCloseFile(gif_, nullptr);
}

int TGifOutput::Write(GifFileType* gif, const GifByteType* data, int count) {
    auto& self = *static_cast<TGifOutput*>(gif->UserData);
    if (self.failure_ != nullptr) return 0;
    try {
        if (self.buffer_.size() + size_t(count) > kBufferSize) self.Flush();
        self.buffer_.insert(self.buffer_.end(), data, data + count);
    } catch (...) {
        self.failure_ = std::current_exception();
        return 0;
    }
    return count;
}

void TGifOutput::Flush() {
    stream_.WriteBuffer(buffer_.data(), int64_t(buffer_.size()));
    buffer_.clear();
}

void TGifOutput::Check(int result) const {
    if (result == GIF_ERROR) Raise(gif_->Error);
}

void TGifOutput::Close() {
    int error = E_GIF_SUCCEEDED;
    const int result = EGifCloseFile(gif_, &error);
    gif_ = nullptr;
    if (result == GIF_ERROR) Raise(error);
    if (failure_ != nullptr) std::rethrow_exception(failure_);
    Flush();
}

void TGifOutput::Raise(int giflibCode) const {
    if (failure_ != nullptr) std::rethrow_exception(failure_);
    ThrowGifError(giflibCode);
}

namespace {

TGifFrame FrameOf(const GifFileType& gif, const GraphicsControlBlock& control) {
    const GifImageDesc& image = gif.Image;
    // giflib reads the four values as 16-bit words.
    if (int64_t(image.Left) + image.Width > gif.SWidth ||
        int64_t(image.Top) + image.Height > gif.SHeight)
        throw EGifError(TGifError::FrameOutside);
    TGifFrame frame;
    frame.Left = image.Left;
    frame.Top = image.Top;
    frame.Width = image.Width;
    frame.Height = image.Height;
    frame.Interlace = image.Interlace;
    frame.Table = image.ColorMap != nullptr ? image.ColorMap : gif.SColorMap;
    frame.Transparent = control.TransparentColor;
    frame.Disposal = control.DisposalMode;
    return frame;
}

// The graphic control extension's fields, where the extension is one; other extensions are
// passed over.
void ReadExtension(TGifInput& gif, GraphicsControlBlock& control) {
    int code = 0;
    GifByteType* block = nullptr;
    gif.Check(DGifGetExtension(gif.File(), &code, &block));
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr)
        DGifExtensionToGCB(block[0], block + 1, &control); // a malformed one says nothing
    while (block != nullptr)
        gif.Check(DGifGetExtensionNext(gif.File(), &block));
}

} // namespace

int32_t WalkGifFrames(TGifInput& gif, const std::function<void(const TGifFrame&)>& onFrame) {
    const GraphicsControlBlock none = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    GraphicsControlBlock control = none;
    int32_t frames = 0;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        const int64_t before = gif.Delivered();
        if (DGifGetRecordType(gif.File(), &type) == GIF_ERROR) {
            // Many files lack the trailer: their data ends where the next block would begin.
            if (gif.Delivered() == before && !gif.StreamFailed()) return frames;
            gif.Check(GIF_ERROR);
        }
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            gif.Check(DGifGetImageDesc(gif.File()));
            onFrame(FrameOf(*gif.File(), control));
            ++frames;
            control = none;
            break;
        case EXTENSION_RECORD_TYPE:
            ReadExtension(gif, control);
            break;
        case TERMINATE_RECORD_TYPE:
            return frames;
        default:
            throw EGifError(TGifError::BadStructure);
        }
    }
}

void ReadFrameRows(TGifInput& gif, const TGifFrame& frame,
                   const std::function<uint8_t*(int32_t y)>& rowAt) {
    if (frame.Width == 0 || frame.Height == 0) return SkipFrame(gif);
    if (!frame.Interlace) {
        for (int32_t y = 0; y < frame.Height; ++y)
            gif.Check(DGifGetLine(gif.File(), rowAt(y), frame.Width));
        return;
    }
    // Four passes: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
    constexpr int32_t kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int32_t y = kStart[pass]; y < frame.Height; y += kStep[pass])
            gif.Check(DGifGetLine(gif.File(), rowAt(y), frame.Width));
}

void SkipFrame(TGifInput& gif) {
    int codeSize = 0;
    GifByteType* block = nullptr;
    gif.Check(DGifGetCode(gif.File(), &codeSize, &block));
    while (block != nullptr)
        gif.Check(DGifGetCodeNext(gif.File(), &block));
}

TPalette GifPalette(const ColorMapObject* table) {
    TPalette palette{};
    for (int32_t i = 0; i < GifEntries(table); ++i)
        palette[size_t(i)] = GifColour(table, i);
    return palette;
}

int32_t GifEntries(const ColorMapObject* table) {
    return table != nullptr ? std::min(table->ColorCount, 256) : 256;
}

TPaletteEntry GifColour(const ColorMapObject* table, int32_t index) {
    if (table == nullptr) return {uint8_t(index), uint8_t(index), uint8_t(index), 0};
    if (index >= table->ColorCount) return {};
    const GifColorType& c = table->Colors[index];
    return {c.Blue, c.Green, c.Red, 0};
}

std::vector<uint8_t> AlphaWithTransparent(int32_t entries, int32_t index) {
    std::vector<uint8_t> alpha(size_t(std::max(entries, index + 1)), 255);
    alpha[size_t(index)] = 0;
    return alpha;
}
