#include "formats/Gif.h"

#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/GifError.h"
#include "formats/GifFile.h"
#include "formats/GifSheet.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A file may ask for at most kPixelsPerByte pixels for each of its bytes beyond kFreePixels, so
// that a few bytes cannot claim gigabytes. GIF's compression yields a little over 2700 pixels a
// byte at best for one frame; the bound leaves room for screens larger than their frames.
constexpr int64_t kFreePixels = int64_t(1) << 24;
constexpr int64_t kPixelsPerByte = 4096;

void CheckScreen(const GifFileType& gif) {
    if (gif.SWidth <= 0 || gif.SHeight <= 0) throw EGifError(TGifError::EmptyScreen);
}

// Refuses a picture of width x height 8-bit pixels that no image can hold or that a file of
// fileBytes could not describe.
void CheckPicture(int64_t width, int64_t height, int64_t fileBytes) {
    if (!StorageFits(width, height, 8) || width * height > kFreePixels + kPixelsPerByte * fileBytes)
        throw EGifError(TGifError::TooLarge);
}

[[noreturn]] void NoFrames() {
    throw EInvalidGraphic("画像データがありません");
}

// The first frame on its screen, the rest of the screen filled as Pillow fills it: with the
// frame's transparent index, else with index 0.
void DrawFirstFrame(TGifInput& gif, const TGifFrame& frame, TPicture& picture) {
    const GifFileType& file = *gif.File();
    TDIB& image = picture.Image;
    image.PaletteBlock = GifPalette(frame.Table);
    image.Resize(file.SWidth, file.SHeight, 8);
    const int32_t padding = image.Stride() - file.SWidth;
    const uint8_t fill = frame.Transparent >= 0 ? uint8_t(frame.Transparent) : 0;
    for (int32_t y = 0; y < file.SHeight; ++y) {
        uint8_t* row = image.RowForWrite(y);
        if (!frame.CoversScreen(file)) std::memset(row, fill, size_t(file.SWidth));
        std::memset(row + file.SWidth, 0, size_t(padding));
    }
    ReadFrameRows(gif, frame,
                  [&](int32_t y) { return image.RowForWrite(frame.Top + y) + frame.Left; });
    if (frame.Transparent >= 0)
        picture.Transparency.PaletteAlpha =
            AlphaWithTransparent(GifEntries(frame.Table), frame.Transparent);
}

// The first reading of a file to be read as a sheet: its frames and whether they share one table
// and one transparent index.
TGifSheetPlan PlanSheet(TGifInput& gif) {
    TGifSheetPlan plan;
    std::vector<GifColorType> firstTable;
    bool firstHasTable = false;
    int32_t firstTransparent = -1;
    plan.Frames = WalkGifFrames(gif, [&](const TGifFrame& frame) {
        const ColorMapObject* table = frame.Table;
        const auto colours =
            table != nullptr
                ? std::vector<GifColorType>(table->Colors, table->Colors + table->ColorCount)
                : std::vector<GifColorType>();
        if (plan.Frames == 0) {
            firstTable = colours;
            firstHasTable = table != nullptr;
            firstTransparent = frame.Transparent;
        } else if ((table != nullptr) != firstHasTable || frame.Transparent != firstTransparent ||
                   !std::equal(colours.begin(), colours.end(), firstTable.begin(), firstTable.end(),
                               [](const GifColorType& a, const GifColorType& b) {
                                   return a.Red == b.Red && a.Green == b.Green && a.Blue == b.Blue;
                               })) {
            plan.OneTable = false;
        }
        ++plan.Frames;
        SkipFrame(gif);
    });
    return plan;
}

} // namespace

bool IsGif(const uint8_t* head, size_t size) {
    return size >= 6 &&
           (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0);
}

void LoadGif(TPicture& picture, TStream& stream) {
    const int64_t fileBytes = stream.Size() - stream.Position();
    TGifInput gif(stream);
    CheckScreen(*gif.File());
    CheckPicture(gif.File()->SWidth, gif.File()->SHeight, fileBytes);
    TPicture read;
    read.Frames = WalkGifFrames(gif, [&](const TGifFrame& frame) {
        if (read.Image.IsEmpty())
            DrawFirstFrame(gif, frame, read);
        else
            SkipFrame(gif);
    });
    if (read.Frames == 0) NoFrames();
    picture = read;
}

void LoadGifSheet(TPicture& picture, TStream& stream) {
    const int64_t start = stream.Position();
    const int64_t fileBytes = stream.Size() - start;
    TGifSheetPlan plan;
    {
        TGifInput gif(stream);
        CheckScreen(*gif.File());
        plan = PlanSheet(gif);
        if (plan.Frames == 0) NoFrames();
        CheckPicture(int64_t(gif.File()->SWidth) * plan.Frames, gif.File()->SHeight, fileBytes);
    }
    stream.SetPosition(start);
    TGifInput gif(stream);
    TGifSheet sheet(*gif.File(), plan);
    WalkGifFrames(gif, [&](const TGifFrame& frame) { sheet.Add(gif, frame); });
    picture = sheet.Picture();
}
