// libFuzzer target for reading palette files. Each input is read under every name the reader
// tells formats by (the text formats, Adobe tables and pictures by extension, and a name without
// one), so every parser sees every byte sequence. Any input must be refused with one of the
// core's exceptions or give 1 to 256 colours.
#include "FuzzUtil.h"
#include "base/Exceptions.h"
#include "base/Stream.h"
#include "formats/PaletteRead.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (DeclaresHugePng(data, size)) return 0;
    for (const char* name : {"p.gpl", "p.pal", "p.act", "p.png", "p.bmp", "p"}) {
        TCustomMemoryStream stream(data, static_cast<int64_t>(size));
        try {
            const TPaletteColors colors = ReadPalette(stream, name);
            if (colors.empty() || colors.size() > 256) __builtin_trap();
        } catch (const Exception&) {
        }
    }
    return 0;
}
