// libFuzzer target for the PNG codec. Any byte sequence must either load or be refused with one
// of the core's exceptions, and every row of the image and the mask must be readable afterwards.
// The load is repeated with the streaming inflate alone: the outcome must not depend on whether
// the image data was inflated in one call (same message, same rows handed out, same picture).
// A decoded picture is then saved as the editor saves it, an 8-bit indexed PNG (with writer
// options taken from the input, the decoded comment and palette alpha), and read back: the
// pixels, the palette, the comment and the palette alpha must come back unchanged.
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
#include <vector>

#include <zlib.h>

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

// What a load leaves behind.
struct TLoad {
    TDIB image, mask;
    std::string error, comment;
    std::vector<uint8_t> paletteAlpha;
    uint32_t rowsCrc = 0; // of the rows handed to the row hook, in order
    int32_t rows = 0;
    bool loaded = false, whole = false;
};

void Load(const uint8_t* data, size_t size, bool wholeInflate, TLoad& load) {
    TCustomMemoryStream stream(data, static_cast<int64_t>(size));
    TKivPNGReadStream reader;
    reader.Mask = &load.mask;
    reader.WholeInflate = wholeInflate;
    reader.KeyText = "key";
    reader.OnDecodeRow = [&load](TKivPNGReadStream&, uint8_t* row, const std::string&, int32_t,
                                 int32_t length) {
        load.rowsCrc = uint32_t(crc32(load.rowsCrc, row, uInt(length)));
        ++load.rows;
    };
    try {
        reader.LoadFromStream(load.image, stream, 0);
        load.loaded = true;
    } catch (const Exception& e) {
        load.error = e.what();
    }
    load.comment = reader.Comment();
    load.paletteAlpha = reader.PaletteAlpha();
    load.whole = reader.InflatedWhole();
}

// Pixels of two images, row by row (the padding at the end of a row excluded).
bool SameRows(const TDIB& a, const TDIB& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.BitCount() != b.BitCount())
        return false;
    const size_t bytes = (size_t(a.Width()) * size_t(a.BitCount()) + 7) / 8;
    for (int32_t y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.RowForRead(y), b.RowForRead(y), bytes) != 0) return false;
    return true;
}

void RoundTrip(const TDIB& decoded, const TLoad& load, uint8_t choices) {
    const std::string& comment = load.comment;
    bool reduced = false;
    const TDIB image = ToEightBit(decoded, reduced);
    TKivPNGWriteStream writer;
    writer.FilterType = choices % 6;
    writer.CompressionLevel = choices >> 3 & 3;
    writer.Interlace = choices >> 5 & 1;
    writer.Comment = comment;
    writer.PaletteAlpha = load.paletteAlpha;
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
    if (reader.PaletteAlpha() != load.paletteAlpha) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (DeclaresHugePng(data, size)) return 0;
    TLoad load, streamed;
    Load(data, size, true, load);
    Load(data, size, false, streamed);
    if (streamed.whole || load.error != streamed.error || load.rows != streamed.rows ||
        load.rowsCrc != streamed.rowsCrc || load.comment != streamed.comment)
        __builtin_trap();
    if (!load.loaded) return 0;
    if (!SameRows(load.image, streamed.image) || !SameRows(load.mask, streamed.mask))
        __builtin_trap();
    const TDIB &image = load.image, &mask = load.mask;
    volatile uint32_t sink = TouchRows(image) + TouchRows(mask);
    (void)sink;
    if (!image.IsEmpty() && int64_t(image.Width()) * image.Height() <= MaxRoundTripPixels)
        RoundTrip(image, load, size > 0 ? data[size - 1] : 0);
    return 0;
}
