// libFuzzer target for the editor's open path without its windows: a file is decoded by the PNG
// or BMP reader (chosen by its signature, as a file named wrongly would be), then widened or
// reduced to the 8-bit indexed image the editor works on. Any byte sequence must be refused with
// one of the core's exceptions or give an 8-bit image of the decoded size.
#include "FuzzUtil.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/DIB.h"
#include "image/Quantize.h"
#include "png/KivPNG.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// Reducing a large colour image to 256 colours costs seconds; such inputs check the decode only.
constexpr int64_t MaxReducedPixels = int64_t(1) << 20;

bool IsPng(const uint8_t* data, size_t size) {
    return size >= 8 && std::memcmp(data, "\x89PNG\r\n\x1A\n", 8) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (DeclaresHugePng(data, size)) return 0;
    TCustomMemoryStream stream(data, static_cast<int64_t>(size));
    TDIB decoded;
    try {
        if (IsPng(data, size)) {
            TKivPNG png;
            png.LoadFromStream(stream);
            decoded.AssignFrom(&png.InternalImage());
        } else {
            decoded.LoadFromBmp(stream);
        }
    } catch (const Exception&) {
        return 0;
    }
    if (decoded.IsEmpty() || int64_t(decoded.Width()) * decoded.Height() > MaxReducedPixels)
        return 0;
    bool reduced = false;
    const TDIB image = ToEightBit(decoded, reduced);
    if (image.BitCount() != 8 || image.Width() != decoded.Width() ||
        image.Height() != decoded.Height())
        __builtin_trap();
    volatile uint32_t sink = TouchRows(image);
    (void)sink;
    return 0;
}
