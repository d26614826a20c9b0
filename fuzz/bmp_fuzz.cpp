// libFuzzer target for the BMP reader: any byte sequence must either load or be refused with one
// of the core's exceptions; a loaded image must be readable row by row and writable again.
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "image/DIB.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TCustomMemoryStream stream(data, static_cast<int64_t>(size));
    TDIB image;
    try {
        image.LoadFromBmp(stream);
    } catch (const Exception&) {
        return 0;
    }
    // Touch every byte so that a row address outside the storage shows up under ASan.
    static volatile uint8_t sink;
    for (int32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* row = image.RowForRead(y);
        for (int32_t x = 0; x < image.Stride(); ++x)
            sum += row[x];
    }
    TMemoryStream out;
    image.SaveAsBmp(out);
    // Reading back what we wrote must give the same bytes.
    TCustomMemoryStream again(out.Memory(), out.Size());
    TDIB copy;
    copy.LoadFromBmp(again);
    TMemoryStream outAgain;
    copy.SaveAsBmp(outAgain);
    if (outAgain.Bytes() != out.Bytes()) __builtin_trap();
    return 0;
}
