// The frames of a GIF composited as a player shows them, each screen a cell of a sheet laid out
// left to right in one row.
#pragma once

#include "formats/GifFile.h"
#include "formats/ImageFormat.h"

#include <array>
#include <unordered_map>

// What a first reading of the file finds, to lay out its sheet.
struct TGifSheetPlan {
    int32_t Frames = 0;
    // Every frame has the same colour table and the same transparent index: the sheet takes
    // them, indices as they are.
    bool OneTable = true;
};

// The sheet's palette. With one table for all frames it is that table; otherwise it holds the
// exact colours the frames draw, in the order they first appear, and an entry of its own for
// transparency. Raises EGifError (TooManyColours) past 256 entries.
class TGifSheetPalette {
public:
    explicit TGifSheetPalette(bool oneTable) : oneTable_(oneTable) {}
    // The entries that follow are those of frame's table.
    void StartFrame(const TGifFrame& frame);
    // The sheet's entry for index of the current frame's table.
    uint8_t Entry(uint8_t index);
    // The sheet's transparent entry.
    uint8_t Transparent();
    TPalette Palette() const { return palette_; }
    std::vector<uint8_t> Alpha() const;

private:
    uint8_t Append(const TPaletteEntry& colour);

    bool oneTable_;
    bool started_ = false;
    const ColorMapObject* table_ = nullptr;
    TPalette palette_{};
    int32_t count_ = 0;
    int32_t transparent_ = -1;
    std::array<int16_t, 256> cache_{}; // the current frame's entries found so far, -1: not yet
    std::unordered_map<uint32_t, uint8_t> byColour_;
};

class TGifSheet {
public:
    // Raises EOutOfMemory when the sheet's storage cannot be had; its size is the caller's to
    // check first.
    TGifSheet(const GifFileType& gif, const TGifSheetPlan& plan);
    // Reads the frame's pixels and lays the screen they give into the next cell.
    void Add(TGifInput& gif, const TGifFrame& frame);
    TPicture Picture();

private:
    // The disposal the previous frame asked for, to be done before the next one is drawn.
    struct TDisposal {
        int32_t Method = DISPOSAL_UNSPECIFIED;
        int32_t Left = 0, Top = 0, Width = 0, Height = 0;
        uint8_t Fill = 0; // the entry of a restore to the background
    };

    void Fill(int32_t left, int32_t top, int32_t width, int32_t height, uint8_t value);
    void Dispose();
    void Draw(TGifInput& gif, const TGifFrame& frame);
    uint8_t* ScreenAt(int32_t x, int32_t y) { return screen_.data() + size_t(y) * width_ + x; }

    int32_t width_, height_, frames_, added_ = 0;
    int32_t background_; // the screen's background index, 0 without a global table
    bool oneTable_;
    TGifSheetPalette palette_;
    std::vector<uint8_t> screen_;   // the composited screen in sheet entries, top row first
    std::vector<uint8_t> previous_; // a restore to previous: the frame's rectangle before it
    std::vector<uint8_t> pixels_;   // a frame's indices as decoded
    TDisposal disposal_;
    TDIB sheet_;
};
