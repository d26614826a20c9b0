// libFuzzer target for the GIF reader. Any byte sequence must be read or refused with one of the
// core's exceptions, as one picture and as a sheet, and what is read must be readable row by row.
// A sheet that reads has the picture's frames side by side, so the picture must read too. A
// picture that reads is written again and must read back with the same pixels, palette and
// transparent entry.
#include "FuzzUtil.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/Gif.h"
#include "image/DIB.h"
#include "image/PaletteAlpha.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Writing and reading back a large picture costs more than the decode it checks.
constexpr int64_t MaxRoundTripPixels = int64_t(1) << 20;

bool Load(const uint8_t* data, size_t size, bool sheet, TPicture& picture) {
    TCustomMemoryStream stream(data, static_cast<int64_t>(size));
    try {
        (sheet ? LoadGifSheet : LoadGif)(picture, stream);
    } catch (const Exception&) {
        return false;
    }
    if (picture.Image.IsEmpty() || picture.Image.BitCount() != 8 || picture.Frames < 1)
        __builtin_trap();
    return true;
}

void RoundTrip(const TPicture& picture) {
    TMemoryStream file;
    SaveGif(picture.Image, picture.Transparency, file);
    TPicture back;
    if (!Load(file.Memory(), size_t(file.Size()), false, back)) __builtin_trap();
    const TDIB &a = picture.Image, &b = back.Image;
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.PaletteBlock != b.PaletteBlock)
        __builtin_trap();
    for (int32_t y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.RowForRead(y), b.RowForRead(y), size_t(a.Width())) != 0) __builtin_trap();
    if (FullyTransparentEntry(picture.Transparency.PaletteAlpha) !=
        FullyTransparentEntry(back.Transparency.PaletteAlpha))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPicture picture, sheet;
    const bool pictureRead = Load(data, size, false, picture);
    const bool sheetRead = Load(data, size, true, sheet);
    if (sheetRead && (!pictureRead || sheet.Frames != picture.Frames ||
                      sheet.Image.Width() != int64_t(picture.Image.Width()) * picture.Frames ||
                      sheet.Image.Height() != picture.Image.Height()))
        __builtin_trap();
    volatile uint32_t sink = TouchRows(picture.Image) + TouchRows(sheet.Image);
    (void)sink;
    if (pictureRead &&
        int64_t(picture.Image.Width()) * picture.Image.Height() <= MaxRoundTripPixels)
        RoundTrip(picture);
    return 0;
}
