// The GIF codec against giflib's own fastest use of the same 4096 x 4096 8-bit sheet, all in
// memory: encoding a prepared SavedImage with EGifSpew, decoding a whole file with DGifSlurp.
#include "bench.h"
#include "pixelart.h"

#include "base/Stream.h"
#include "formats/Gif.h"
#include "image/DIB.h"

#include <gif_lib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kSide = 4096;
// Each measure runs this long: a call takes a tenth of a second, and the best of a few dozen
// stands up to a busy machine better than the best of a few.
constexpr double kSeconds = 3.0;

std::vector<uint8_t> EncodeOurs(const TDIB& image) {
    TMemoryStream out;
    SaveGif(image, {}, out);
    return out.Bytes();
}

int AppendOutput(GifFileType* gif, const GifByteType* data, int count) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}

// giflib's file in memory with one image of image's pixels, ready for EGifSpew, which writes it
// into out and frees it. With spew false the file is freed unwritten: the cost of preparing it.
void SpewWithGiflib(const TDIB& image, const ColorMapObject& table, bool spew,
                    std::vector<uint8_t>& out) {
    int error = 0;
    GifFileType* gif = EGifOpen(&out, AppendOutput, &error);
    gif->SWidth = image.Width();
    gif->SHeight = image.Height();
    gif->SColorResolution = 8;
    gif->SColorMap = GifMakeMapObject(table.ColorCount, table.Colors);
    SavedImage* saved = GifMakeSavedImage(gif, nullptr);
    saved->ImageDesc = {0, 0, image.Width(), image.Height(), false, nullptr};
    const size_t width = size_t(image.Width());
    saved->RasterBits = static_cast<GifByteType*>(std::malloc(width * size_t(image.Height())));
    for (int32_t y = 0; y < image.Height(); ++y)
        std::memcpy(saved->RasterBits + size_t(y) * width, image.RowForRead(y), width);
    if (spew)
        EGifSpew(gif); // closes gif
    else
        EGifCloseFile(gif, &error);
    KeepAlive(out.data());
}

struct TMemoryInput {
    const std::vector<uint8_t>* File;
    size_t At = 0;
};

int ReadInput(GifFileType* gif, GifByteType* buffer, int count) {
    auto* in = static_cast<TMemoryInput*>(gif->UserData);
    const size_t n = std::min(size_t(count), in->File->size() - in->At);
    std::memcpy(buffer, in->File->data() + in->At, n);
    in->At += n;
    return int(n);
}

void SlurpWithGiflib(const std::vector<uint8_t>& file) {
    TMemoryInput in{&file};
    int error = 0;
    GifFileType* gif = DGifOpen(&in, ReadInput, &error);
    DGifSlurp(gif);
    KeepAlive(gif->SavedImages[0].RasterBits);
    DGifCloseFile(gif, &error);
}

} // namespace

BENCH_CASE(gif_encode) {
    const TDIB image = PixelArt(kSide, kSide);
    std::vector<GifColorType> colours;
    for (const TPaletteEntry& e : image.PaletteBlock)
        colours.push_back({e.Red, e.Green, e.Blue});
    ColorMapObject* table = GifMakeMapObject(256, colours.data());
    const double ours = Measure([&] { KeepAlive(EncodeOurs(image).data()); }, kSeconds);
    // EGifSpew consumes its file: each run prepares one, whose cost is taken off.
    const double spewed = Measure(
        [&] {
            std::vector<uint8_t> out;
            SpewWithGiflib(image, *table, true, out);
        },
        kSeconds);
    const double prepared = Measure(
        [&] {
            std::vector<uint8_t> out;
            SpewWithGiflib(image, *table, false, out);
        },
        kSeconds);
    std::vector<uint8_t> theirs;
    SpewWithGiflib(image, *table, true, theirs);
    GifFreeMapObject(table);
    std::printf("gif_encode: %zu bytes ours, %zu bytes giflib's\n", EncodeOurs(image).size(),
                theirs.size());
    Report("encode 4096x4096 8-bit", ours, "EGifSpew", spewed - prepared);
}

BENCH_CASE(gif_decode) {
    const std::vector<uint8_t> file = EncodeOurs(PixelArt(kSide, kSide));
    const double ours = Measure(
        [&] {
            TCustomMemoryStream in(file.data(), int64_t(file.size()));
            TPicture picture;
            LoadGif(picture, in);
            KeepAlive(picture.Image.RowForRead(0));
        },
        kSeconds);
    const double theirs = Measure([&] { SlurpWithGiflib(file); }, kSeconds);
    Report("decode 4096x4096 8-bit", ours, "DGifSlurp", theirs);
}
