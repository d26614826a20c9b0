#include "base/Exceptions.h"
#include "formats/Gif.h"
#include "formats/GifError.h"
#include "formats/GifFile.h"
#include "image/PaletteAlpha.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kMostSide = 65535; // GIF's sizes are 16-bit

struct TMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using TColourMap = std::unique_ptr<ColorMapObject, TMapDeleter>;

// The image's palette padded with black to a power of two of at least 2 entries.
TColourMap TableOf(const TDIB& image) {
    int32_t size = 2;
    while (size < image.PaletteCount())
        size *= 2;
    std::vector<GifColorType> colours(size_t(size), GifColorType{0, 0, 0});
    for (int32_t i = 0; i < image.PaletteCount(); ++i) {
        const TPaletteEntry& e = image.PaletteBlock[size_t(i)];
        colours[size_t(i)] = {e.Red, e.Green, e.Blue};
    }
    TColourMap map(GifMakeMapObject(size, colours.data()));
    if (map == nullptr) throw EOutOfMemory();
    return map;
}

// How the frames of a file go out: a still picture has no delay, an animation loops forever.
struct TTiming {
    bool Animated = false;
    int32_t Delay = 0; // hundredths of a second
};

void PutLoopForever(TGifOutput& gif) {
    static const GifByteType name[] = "NETSCAPE2.0";
    static const GifByteType loop[] = {1, 0, 0}; // sub-block 1: the loop count, 0 for ever
    gif.Check(EGifPutExtensionLeader(gif.File(), APPLICATION_EXT_FUNC_CODE));
    gif.Check(EGifPutExtensionBlock(gif.File(), 11, name));
    gif.Check(EGifPutExtensionBlock(gif.File(), sizeof loop, loop));
    gif.Check(EGifPutExtensionTrailer(gif.File()));
}

void PutControl(TGifOutput& gif, const TTiming& timing, int32_t transparent) {
    GraphicsControlBlock control{};
    // Restoring to the background keeps the previous frame from showing through transparency.
    control.DisposalMode = !timing.Animated   ? DISPOSAL_UNSPECIFIED
                           : transparent >= 0 ? DISPOSE_BACKGROUND
                                              : DISPOSE_DO_NOT;
    control.DelayTime = timing.Delay;
    control.TransparentColor = transparent;
    GifByteType bytes[4];
    const size_t length = EGifGCBToExtension(&control, bytes);
    gif.Check(EGifPutExtension(gif.File(), GRAPHICS_EXT_FUNC_CODE, int(length), bytes));
}

// The cells of image as frames of a screen the size of one cell, all with the image's palette.
void WriteFrames(const TDIB& image, const TTransparency& transparency,
                 const std::vector<TRect>& cells, const TTiming& timing, TStream& stream) {
    const int32_t bits = image.BitCount();
    if (bits != 1 && bits != 4 && bits != 8) throw EGifError(TGifError::NotIndexed);
    const int32_t width = cells.front().Width(), height = cells.front().Height();
    for (const TRect& cell : cells)
        if (cell.Width() != width || cell.Height() != height || cell.Left < 0 || cell.Top < 0 ||
            cell.Right > image.Width() || cell.Bottom > image.Height() || width <= 0 || height <= 0)
            throw EInvalidGraphicOperation("GIF のフレームがシートの中にありません");
    if (width > kMostSide || height > kMostSide) throw EGifError(TGifError::TooWide);
    const TColourMap table = TableOf(image);
    int32_t transparent = FullyTransparentEntry(transparency.PaletteAlpha);
    if (transparent >= table->ColorCount) transparent = -1;
    // The indices of 1- and 4-bit pixels, one byte each.
    TDIB indices = image;
    if (bits != 8) indices.ChangeBitCount(8);

    TGifOutput gif(stream);
    const bool control = timing.Animated || transparent >= 0;
    EGifSetGifVersion(gif.File(), control);
    gif.Check(EGifPutScreenDesc(gif.File(), width, height, table->BitsPerPixel, 0, table.get()));
    if (timing.Animated) PutLoopForever(gif);
    // giflib masks the indices of a row in place: it gets a copy.
    std::vector<GifPixelType> row(static_cast<size_t>(width));
    for (const TRect& cell : cells) {
        if (control) PutControl(gif, timing, transparent);
        gif.Check(EGifPutImageDesc(gif.File(), 0, 0, width, height, false, nullptr));
        for (int32_t y = cell.Top; y < cell.Bottom; ++y) {
            std::memcpy(row.data(), indices.RowForRead(y) + cell.Left, row.size());
            gif.Check(EGifPutLine(gif.File(), row.data(), width));
        }
    }
    gif.Close();
}

} // namespace

void SaveGif(const TDIB& image, const TTransparency& transparency, TStream& stream) {
    WriteFrames(image, transparency, {TRect{0, 0, image.Width(), image.Height()}}, {}, stream);
}

void SaveGifAnimation(const TDIB& sheet, const TTransparency& transparency,
                      const std::vector<TRect>& cells, int32_t fps, TStream& stream) {
    if (cells.empty() || fps <= 0)
        throw EInvalidGraphicOperation(
            "GIF アニメーションのフレームかフレームレートが正しくありません");
    // 100 / fps rounded to the nearest hundredth; a delay of 0 would mean "as fast as the player
    // likes", which players slow down, so the shortest is 1.
    const int32_t delay = std::max((200 + fps) / (2 * fps), 1);
    WriteFrames(sheet, transparency, cells, {true, delay}, stream);
}
