// libFuzzer target for the PNG codec. Any byte sequence must either load or be refused with one
// of the core's exceptions, and every row of the image and the mask must be readable afterwards.
// A decoded picture is then saved as the editor saves it, an 8-bit indexed PNG (with writer
// options taken from the input and the decoded comment), and read back: the pixels, the palette
// and the comment must come back unchanged.
#include "FuzzUtil.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/DIB.h"
#include "image/Quantize.h"
#include "png/KivPNGReader.h"
#include "png/KivPNGWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Reducing a large colour image to 256 colours costs seconds; such inputs check the decode only.
constexpr int64_t MaxRoundTripPixels = int64_t(1) << 20;

bool SamePicture(const TDIB& a, const TDIB& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount())
        return false;
    for (int i = 0; i < 256; ++i) {
        const TPaletteEntry &p = a.PaletteBlock[i], &q = b.PaletteBlock[i];
        if (p.Red != q.Red || p.Green != q.Green || p.Blue != q.Blue) return false;
    }
    for (int32_t y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.RowForRead(y), b.RowForRead(y), size_t(a.Width())) != 0) return false;
    return true;
}

void RoundTrip(const TDIB& decoded, const std::string& comment, uint8_t choices) {
    bool reduced = false;
    const TDIB image = ToEightBit(decoded, reduced);
    TKivPNGWriteStream writer;
    writer.FilterType = choices % 6;
    writer.CompressionLevel = choices >> 3 & 3;
    writer.Interlace = choices >> 5 & 1;
    writer.Comment = comment;
    TMemoryStream file;
    try {
        writer.SaveToStream(image, file);
    } catch (const Exception&) {
        return; // not a picture the writer takes
    }
    TCustomMemoryStream in(file.Memory(), file.Size());
    TDIB back;
    TKivPNGReadStream reader;
    reader.LoadFromStream(back, in, 0);
    if (!SamePicture(back, image)) __builtin_trap();
    const std::string expected = comment.empty() ? "" : "Comment\r\n" + comment + "\r\n";
    if (reader.Comment() != expected) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (DeclaresHugePng(data, size)) return 0;
    TCustomMemoryStream stream(data, static_cast<int64_t>(size));
    TDIB image, mask;
    TKivPNGReadStream reader;
    reader.Mask = &mask;
    try {
        reader.LoadFromStream(image, stream, 0);
    } catch (const Exception&) {
        return 0;
    }
    volatile uint32_t sink = TouchRows(image) + TouchRows(mask);
    (void)sink;
    if (!image.IsEmpty() && int64_t(image.Width()) * image.Height() <= MaxRoundTripPixels)
        RoundTrip(image, reader.Comment(), size > 0 ? data[size - 1] : 0);
    return 0;
}
