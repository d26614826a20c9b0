// The palette rule of TDIB: an edit of PaletteBlock reaches the pixels' storage only through
// ApplyPalette, and one that was not applied is lost on the next switch of storage or copy.
#include "image/DIB.h"

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

namespace {
constexpr uint8_t kIndex = 5;
const TPaletteEntry kEdited{10, 20, 30, 0};
const TPaletteEntry kGrey{kIndex, kIndex, kIndex, 0};

// A 2 x 1 picture of index kIndex with the grey-ramp palette, whose entry kIndex is then edited.
TDIB EditedImage(bool apply) {
    TDIB image;
    image.Resize(2, 1, 8);
    std::memset(image.RowForWrite(0), kIndex, 2);
    image.PaletteBlock[kIndex] = kEdited;
    if (apply) image.ApplyPalette();
    return image;
}

// The entry kIndex as the colour 0x00RRGGBB.
uint32_t ColourOf(const TPaletteEntry& e) {
    return uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue;
}
} // namespace

TEST(PaletteBlock, AnEditIsKeptOnlyWhenApplied) {
    struct Case {
        const char* name;
        // Does something to the edited image and returns the entry kIndex as it comes out.
        std::function<TPaletteEntry(TDIB&)> observe;
        // Where the unapplied edit survives anyway.
        bool keptUnapplied;
    };
    const Case cases[] = {
        {"a copy of the image", [](TDIB& image) { return TDIB(image).PaletteBlock[kIndex]; },
         false},
        {"the image after its shared pixels were written (copy-on-write)",
         [](TDIB& image) {
             const TDIB sharing(image);
             image.RowForWrite(0)[0] = kIndex;
             return image.PaletteBlock[kIndex];
         },
         false},
        {"drawing the image",
         [](TDIB& image) {
             uint32_t colours[2];
             image.RowToColors(0, colours);
             return colours[0] == ColourOf(kEdited) ? kEdited : kGrey;
         },
         false},
        // Resize to a new geometry builds its storage from the block itself.
        {"the image after a Resize to a new size",
         [](TDIB& image) {
             image.Resize(3, 1, 8);
             return image.PaletteBlock[kIndex];
         },
         true},
    };
    for (const Case& c : cases)
        for (const bool apply : {false, true}) {
            TDIB image = EditedImage(apply);
            const bool kept = apply || c.keptUnapplied;
            EXPECT_EQ(c.observe(image), kept ? kEdited : kGrey)
                << c.name << (apply ? ", edit applied" : ", edit not applied");
        }
}
