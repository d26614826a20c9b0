#include "formats/GifSheet.h"

#include "formats/GifError.h"

#include <algorithm>
#include <cstring>

void TGifSheetPalette::StartFrame(const TGifFrame& frame) {
    table_ = frame.Table;
    cache_.fill(-1);
    if (!oneTable_ || started_) return;
    started_ = true;
    palette_ = GifPalette(frame.Table);
    count_ = GifEntries(frame.Table);
    transparent_ = frame.Transparent;
}

uint8_t TGifSheetPalette::Entry(uint8_t index) {
    if (oneTable_) return index;
    if (cache_[index] < 0) {
        const TPaletteEntry colour = GifColour(table_, index);
        const uint32_t key = uint32_t(colour.Red) << 16 | uint32_t(colour.Green) << 8 | colour.Blue;
        const auto found = byColour_.find(key);
        cache_[index] = found != byColour_.end() ? found->second : byColour_[key] = Append(colour);
    }
    return uint8_t(cache_[index]);
}

uint8_t TGifSheetPalette::Transparent() {
    // With one table every frame that asks has the table's transparent index.
    if (transparent_ < 0) transparent_ = Append({});
    return uint8_t(transparent_);
}

uint8_t TGifSheetPalette::Append(const TPaletteEntry& colour) {
    if (count_ == 256) throw EGifError(TGifError::TooManyColours);
    palette_[size_t(count_)] = colour;
    return uint8_t(count_++);
}

std::vector<uint8_t> TGifSheetPalette::Alpha() const {
    return transparent_ >= 0 ? AlphaWithTransparent(count_, transparent_) : std::vector<uint8_t>();
}

TGifSheet::TGifSheet(const GifFileType& gif, const TGifSheetPlan& plan)
    : width_(gif.SWidth), height_(gif.SHeight), frames_(plan.Frames),
      background_(gif.SColorMap != nullptr ? gif.SBackGroundColor : 0), oneTable_(plan.OneTable),
      palette_(plan.OneTable), screen_(size_t(width_) * size_t(height_)) {
    sheet_.Resize(width_ * frames_, height_, 8);
}

void TGifSheet::Fill(int32_t left, int32_t top, int32_t width, int32_t height, uint8_t value) {
    for (int32_t y = top; y < top + height; ++y)
        std::memset(ScreenAt(left, y), value, size_t(width));
}

void TGifSheet::Dispose() {
    const TDisposal& d = disposal_;
    if (d.Method == DISPOSE_BACKGROUND) Fill(d.Left, d.Top, d.Width, d.Height, d.Fill);
    if (d.Method != DISPOSE_PREVIOUS) return;
    for (int32_t y = 0; y < d.Height; ++y)
        std::memcpy(ScreenAt(d.Left, d.Top + y), previous_.data() + size_t(y) * d.Width,
                    size_t(d.Width));
}

void TGifSheet::Draw(TGifInput& gif, const TGifFrame& frame) {
    // The indices go straight onto the screen when they stand as they are and none is skipped.
    if (oneTable_ && frame.Transparent < 0) {
        ReadFrameRows(gif, frame, [&](int32_t y) { return ScreenAt(frame.Left, frame.Top + y); });
        return;
    }
    pixels_.resize(size_t(frame.Width) * size_t(frame.Height));
    ReadFrameRows(gif, frame,
                  [&](int32_t y) { return pixels_.data() + size_t(y) * size_t(frame.Width); });
    for (int32_t y = 0; y < frame.Height; ++y) {
        const uint8_t* from = pixels_.data() + size_t(y) * size_t(frame.Width);
        uint8_t* to = ScreenAt(frame.Left, frame.Top + y);
        for (int32_t x = 0; x < frame.Width; ++x)
            if (from[x] != frame.Transparent) to[x] = palette_.Entry(from[x]);
    }
}

void TGifSheet::Add(TGifInput& gif, const TGifFrame& frame) {
    // The second reading finds what the first did, unless the file changed in between.
    if (added_ == frames_) throw EGifError(TGifError::BadStructure);
    palette_.StartFrame(frame);
    if (added_ == 0) {
        // The screen before the first frame, as Pillow fills it.
        if (frame.Transparent >= 0)
            Fill(0, 0, width_, height_, palette_.Transparent());
        else if (!frame.CoversScreen(*gif.File()))
            Fill(0, 0, width_, height_, palette_.Entry(0));
    } else {
        Dispose();
    }
    // A frame of no pixels leaves nothing to undo.
    const bool empty = frame.Width == 0 || frame.Height == 0;
    disposal_ = {empty ? DISPOSAL_UNSPECIFIED : frame.Disposal,
                 frame.Left,
                 frame.Top,
                 frame.Width,
                 frame.Height,
                 0};
    if (disposal_.Method == DISPOSE_PREVIOUS) {
        previous_.resize(size_t(frame.Width) * size_t(frame.Height));
        for (int32_t y = 0; y < frame.Height; ++y)
            std::memcpy(previous_.data() + size_t(y) * frame.Width,
                        ScreenAt(frame.Left, frame.Top + y), size_t(frame.Width));
    }
    // A restore to the background leaves the rectangle transparent where the frame has a
    // transparent index; its entry is taken only when a frame follows.
    if (disposal_.Method == DISPOSE_BACKGROUND && added_ + 1 < frames_)
        disposal_.Fill =
            frame.Transparent >= 0 ? palette_.Transparent() : palette_.Entry(uint8_t(background_));
    Draw(gif, frame);
    for (int32_t y = 0; y < height_; ++y)
        std::memcpy(sheet_.RowForWrite(y) + size_t(added_) * size_t(width_), ScreenAt(0, y),
                    size_t(width_));
    ++added_;
}

TPicture TGifSheet::Picture() {
    TPicture picture;
    const int32_t used = width_ * frames_;
    for (int32_t y = 0; y < height_; ++y)
        std::memset(sheet_.RowForWrite(y) + used, 0, size_t(sheet_.Stride() - used));
    sheet_.PaletteBlock = palette_.Palette();
    sheet_.ApplyPalette();
    picture.Image = sheet_;
    picture.Transparency.PaletteAlpha = palette_.Alpha();
    picture.Frames = frames_;
    return picture;
}
