// libFuzzer target for the BMP reader: any byte sequence must either load or be refused with one
// of the core's exceptions; a loaded image must hold pixels, be readable row by row and writable
// again.
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/DIB.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr uint32_t kFullCheckLimit = 1u << 20;
// Bytes read from the rows land here so that the reads are not optimised away.
volatile uint8_t gTouched;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TCustomMemoryStream stream(data, static_cast<int64_t>(size));
    TDIB image;
    try {
        image.LoadFromBmp(stream);
    } catch (const Exception&) {
        return 0;
    }
    // A read that succeeds always yields a picture.
    if (image.IsEmpty()) __builtin_trap();
    // A few bytes of RLE may expand to tens of megabytes; for such images only the end rows are
    // touched, so that the fuzzer spends its time on decoding rather than on copying.
    if (image.Size() > kFullCheckLimit) {
        gTouched =
            image.RowForRead(0)[image.Stride() - 1] ^ image.RowForRead(image.Height() - 1)[0];
        return 0;
    }
    TMemoryStream out;
    image.SaveAsBmp(out);
    // Every row, read through its address, is the matching row of the written file: this touches
    // each byte, so a row address outside the storage shows up under ASan.
    const uint8_t* pixels = out.Memory() + 14 + image.HeaderSize();
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* fileRow = pixels + int64_t(image.Height() - 1 - y) * image.Stride();
        if (std::memcmp(image.RowForRead(y), fileRow, size_t(image.Stride())) != 0)
            __builtin_trap();
    }
    // Reading back what we wrote must give the same bytes.
    TCustomMemoryStream again(out.Memory(), out.Size());
    TDIB copy;
    copy.LoadFromBmp(again);
    TMemoryStream outAgain;
    copy.SaveAsBmp(outAgain);
    if (outAgain.Bytes() != out.Bytes()) __builtin_trap();
    return 0;
}
