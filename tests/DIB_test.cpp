#include "base/Exceptions.h"
#include "base/LargeAlloc.h"
#include "base/Stream.h"
#include "helpers.h"
#include "image/DIB.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

TDIB MakeImage(int w, int h, int bits) {
    TDIB img;
    img.Resize(w, h, bits);
    for (int y = 0; y < h; ++y)
        std::memset(img.RowForWrite(y), 0, img.Stride());
    return img;
}

template <class E> std::string MessageOf(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const E& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

} // namespace

TEST(DIB, FreshImageIsEmptyWithGreyRamp) {
    TDIB img;
    EXPECT_TRUE(img.IsEmpty());
    EXPECT_EQ(img.BitCount(), 0);
    EXPECT_EQ(img.Width(), 0);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        EXPECT_EQ(img.PaletteBlock[i], (TPaletteEntry{v, v, v, 0})) << "entry " << i;
    }
}

TEST(DIB, ResizeGeometry) {
    struct Case {
        int w, h, bits, stride, size;
    } cases[] = {{3, 2, 8, 4, 8},  {5, 1, 1, 4, 4},  {1, 1, 24, 4, 4},  {2, 3, 24, 8, 24},
                 {33, 1, 1, 8, 8}, {9, 2, 4, 8, 16}, {3, 3, 16, 8, 24}, {2, 2, 32, 8, 16}};
    for (const Case& c : cases) {
        TDIB img;
        if (c.bits == 16) img.WantedLayout = MakeLayout(5, 5, 5);
        img.Resize(c.w, c.h, c.bits);
        EXPECT_EQ(img.Stride(), c.stride) << c.w << "x" << c.h << "@" << c.bits;
        EXPECT_EQ(img.RowStep(), -c.stride);
        EXPECT_EQ(static_cast<int>(img.Size()), c.size) << c.w << "x" << c.h << "@" << c.bits;
        // Rows are bottom-up: the top row lies highest in memory.
        EXPECT_EQ(img.RowForRead(0), img.StorageForRead() + (c.h - 1) * c.stride);
    }
}

TEST(DIB, ResizeKeepsPixelsOnlyForSameGeometry) {
    TDIB img = MakeImage(4, 4, 8);
    img.RowForWrite(1)[2] = 77;
    const uint8_t* before = img.StorageForRead();
    img.Resize(4, 4, 8);
    EXPECT_EQ(img.StorageForRead(), before);
    EXPECT_EQ(img.RowForRead(1)[2], 77);
    img.Resize(5, 4, 8);
    EXPECT_EQ(img.Width(), 5);
}

TEST(DIB, EmptyingAndChangeBitCountFromEmpty) {
    TDIB img = MakeImage(4, 4, 8);
    img.Resize(0, 10, 8);
    EXPECT_TRUE(img.IsEmpty());
    TDIB fresh;
    fresh.ChangeBitCount(8);
    EXPECT_EQ(fresh.Width(), 1);
    EXPECT_EQ(fresh.Height(), 1);
    EXPECT_EQ(fresh.BitCount(), 8);
    fresh.ChangeBitCount(0);
    EXPECT_TRUE(fresh.IsEmpty());
}

TEST(DIB, BuildErrorsLeaveImageUnchanged) {
    TDIB img = MakeImage(2, 2, 8);
    img.RowForWrite(0)[0] = 9;
    EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { img.Resize(4, 4, 12); }),
              "不正なビット数です (12)");
    img.WantedLayout = MakeLayout(5, 6, 5);
    EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { img.Resize(4, 4, 24); }),
              "不正なピクセルフォーマットです");
    img.WantedLayout = MakeLayout(8, 8, 8);
    // Larger than the 32-bit size field can describe.
    EXPECT_EQ(MessageOf<EOutOfMemory>([&] { img.Resize(0x7FFFFFFF, 0x7FFFFFFF, 32); }),
              "メモリが足りません");
    EXPECT_EQ(img.Width(), 2);
    EXPECT_EQ(img.BitCount(), 8);
    EXPECT_EQ(img.RowForRead(0)[0], 9);
}

TEST(DIB, RowRangeErrors) {
    TDIB img = MakeImage(3, 2, 8);
    EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { img.RowForRead(2); }),
              "スキャンラインのインデックスが範囲を越えました (2)");
    EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { img.RowForWrite(-1); }),
              "スキャンラインのインデックスが範囲を越えました (-1)");
}

TEST(DIB, CopiesShareUntilOneWrites) {
    TDIB a = MakeImage(4, 2, 8);
    a.RowForWrite(0)[0] = 1;
    TDIB b(a);
    EXPECT_TRUE(b.SharesStorageWith(a));
    b.RowForRead(0);
    b.TopRowForRead();
    EXPECT_TRUE(b.SharesStorageWith(a)) << "reading must not separate the copies";
    b.RowForWrite(0)[0] = 2;
    EXPECT_FALSE(b.SharesStorageWith(a));
    EXPECT_EQ(a.RowForRead(0)[0], 1);
    EXPECT_EQ(b.RowForRead(0)[0], 2);
    // The last holder writes in place.
    const uint8_t* row = b.RowForRead(0);
    EXPECT_EQ(b.RowForWrite(0), row);
}

TEST(DIB, PaletteReachesStorageOnlyThroughApplyPalette) {
    TDIB a = MakeImage(2, 2, 8);
    TDIB shared(a);
    a.PaletteBlock[5] = {1, 2, 3, 0};
    const uint8_t* header = a.HeaderBlock();
    EXPECT_EQ(header[40 + 5 * 4], 5) << "header must not change before ApplyPalette";
    a.ApplyPalette();
    EXPECT_EQ(a.HeaderBlock()[40 + 5 * 4], 1);
    EXPECT_EQ(a.HeaderBlock()[40 + 5 * 4 + 2], 3);
    EXPECT_FALSE(a.SharesStorageWith(shared));
    EXPECT_EQ(shared.PaletteBlock[5], (TPaletteEntry{5, 5, 5, 0})) << "the copy keeps its colours";
    // An unchanged block does nothing, not even a copy.
    TDIB again(a);
    a.ApplyPalette();
    EXPECT_TRUE(a.SharesStorageWith(again));
}

TEST(DIB, PaletteOfAnEmptyImageCarriesIntoResize) {
    TDIB img;
    img.PaletteBlock[0] = {10, 20, 30, 0};
    img.ApplyPalette();
    TDIB other;
    EXPECT_EQ(other.PaletteBlock[0], (TPaletteEntry{0, 0, 0, 0})) << "shared empty storage changed";
    img.Resize(1, 1, 8);
    EXPECT_EQ(img.PaletteBlock[0], (TPaletteEntry{10, 20, 30, 0}));
}

TEST(DIB, HeaderBlockLayout) {
    TDIB img = MakeImage(3, 2, 8);
    ASSERT_EQ(img.HeaderSize(), 1064);
    const uint8_t* h = img.HeaderBlock();
    auto le32 = [&](int at) { return h[at] | h[at + 1] << 8 | h[at + 2] << 16 | h[at + 3] << 24; };
    EXPECT_EQ(le32(0), 40);
    EXPECT_EQ(le32(4), 3);
    EXPECT_EQ(le32(8), 2);
    EXPECT_EQ(h[12], 1);
    EXPECT_EQ(h[14], 8);
    EXPECT_EQ(le32(16), 0);
    EXPECT_EQ(le32(20), 8);
    TDIB hi;
    hi.WantedLayout = MakeLayout(5, 6, 5);
    hi.Resize(1, 1, 16);
    ASSERT_EQ(hi.HeaderSize(), 52);
    const uint8_t* m = hi.HeaderBlock();
    EXPECT_EQ(m[16], 3);
    EXPECT_EQ(m[40] | m[41] << 8, 0xF800);
    EXPECT_EQ(m[44] | m[45] << 8, 0x07E0);
    EXPECT_EQ(m[48], 0x1F);
}

TEST(DIB, PixelAccessByBitCount) {
    struct Case {
        int bits;
        uint32_t value, readBack;
    } cases[] = {{1, 3, 1},
                 {4, 0x19, 9},
                 {8, 0x1FF, 0xFF},
                 {16, 0x12345, 0x2345},
                 {24, 0xABCDEF, 0xABCDEF},
                 {32, 0x80112233, 0x80112233}};
    for (const Case& c : cases) {
        TDIB img;
        if (c.bits == 16) img.WantedLayout = MakeLayout(5, 6, 5);
        img.Resize(9, 2, c.bits);
        std::memset(img.StorageForWrite(), 0, img.Size());
        img.SetPixel(3, 1, c.value);
        EXPECT_EQ(img.GetPixel(3, 1), c.readBack) << c.bits << " bits";
        EXPECT_EQ(img.GetPixel(2, 1), 0u) << c.bits << " bits: neighbour touched";
        EXPECT_EQ(img.GetPixel(4, 1), 0u) << c.bits << " bits: neighbour touched";
        EXPECT_EQ(img.GetPixel(9, 1), 0u);
        EXPECT_EQ(img.GetPixel(-1, 0), 0u);
        img.SetPixel(9, 0, 1); // ignored outside
        img.SetPixel(0, -1, 1);
    }
    // 24 bits read and write as 0x00BBGGRR: the first stored byte is blue.
    TDIB rgb = MakeImage(1, 1, 24);
    rgb.SetPixel(0, 0, 0x112233);
    EXPECT_EQ(rgb.RowForRead(0)[0], 0x11);
    EXPECT_EQ(rgb.RowForRead(0)[2], 0x33);
    // On a 4-bit image only the addressed nibble changes.
    TDIB nib = MakeImage(4, 1, 4);
    nib.RowForWrite(0)[1] = 0xA0;
    nib.SetPixel(3, 0, 9);
    EXPECT_EQ(nib.RowForRead(0)[1], 0xA9);
    EXPECT_EQ(nib.RowForRead(0)[0], 0);
}

// Bit replication checked against its definition: bit k of the byte, counted from the top, is
// bit k mod bits of the channel, counted from its top; wider channels keep their high byte.
TEST(DIB, ChannelsScaleToAByteByRepeatingTheirBits) {
    for (int bits = 1; bits <= 12; ++bits) {
        for (uint32_t value = 0; value < (1u << bits); ++value) {
            uint32_t expected = 0;
            for (int k = 0; k < 8; ++k) {
                const int from = bits - 1 - k % bits; // valid below 8 bits only
                const uint32_t bit = bits >= 8 ? value >> (bits - 1 - k) & 1 : value >> from & 1;
                expected |= bit << (7 - k);
            }
            ASSERT_EQ(ChannelToByte(value, bits), expected) << bits << " bits, value " << value;
        }
    }
    EXPECT_EQ(ChannelToByte(0x3FFFF, 18), 0xFF);
    EXPECT_EQ(ChannelToByte(0x80000000u, 32), 0x80);
}

TEST(DIB, LayoutsFromMasks) {
    const TChannelLayout l565 = MakeLayout(5, 6, 5);
    EXPECT_EQ(l565.RedMask, 0xF800u);
    EXPECT_EQ(l565.GreenMask, 0x07E0u);
    EXPECT_EQ(l565.BlueMask, 0x001Fu);
    EXPECT_EQ(l565.RedShift, 8);
    EXPECT_EQ(l565.GreenShift, 3);
    EXPECT_EQ(l565.BlueShift, 3);
    EXPECT_TRUE(MakeLayoutFromMasks(0x7C00, 0x3E0, 0x1F).SameMasks(MakeLayout(5, 5, 5)));
    // Positions are normalised: only run lengths count.
    EXPECT_TRUE(MakeLayoutFromMasks(0xFF, 0xFF00, 0xFF0000).SameMasks(MakeLayout(8, 8, 8)));
    // Bit 31 is never searched, so a mask in the top byte counts 7 bits.
    EXPECT_EQ(MakeLayoutFromMasks(0xFF000000u, 0xFF0000, 0xFF00).RedBits, 7);
    EXPECT_TRUE(IsLayoutAllowed(16, MakeLayout(5, 5, 5)));
    EXPECT_TRUE(IsLayoutAllowed(16, l565));
    EXPECT_FALSE(IsLayoutAllowed(16, MakeLayout(8, 8, 8)));
    EXPECT_FALSE(IsLayoutAllowed(32, l565));
    EXPECT_FALSE(IsLayoutAllowed(16, MakeLayoutFromMasks(0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu)));
    uint8_t r, g, b;
    UnpackPixel(MakeLayout(5, 5, 5), 0x7FFF, r, g, b);
    EXPECT_EQ(r, 255);
    EXPECT_EQ(g, 255);
    EXPECT_EQ(b, 255);
    UnpackPixel(l565, 0x8410, r, g, b);
    EXPECT_EQ(r, 0x84); // 5 bits 10000 repeat into 10000100
    EXPECT_EQ(g, 0x82); // 6 bits 100000 repeat into 10000010
    EXPECT_EQ(b, 0x84);
}

TEST(DIB, ChangeBitCountKeepsThePicture) {
    TDIB img = MakeImage(3, 2, 8);
    img.PaletteBlock[7] = {8, 128, 255, 0}; // blue 8, green 128, red 255
    img.PaletteBlock[9] = {0x33, 0x22, 0x11, 0};
    img.ApplyPalette();
    img.RowForWrite(0)[0] = 7;
    img.RowForWrite(1)[2] = 9;

    TDIB to16(img);
    to16.WantedLayout = MakeLayout(5, 6, 5);
    to16.ChangeBitCount(16);
    EXPECT_EQ(to16.BitCount(), 16);
    EXPECT_EQ(to16.GetPixel(0, 0), 0xFC01u);

    TDIB to24(img);
    to24.ChangeBitCount(24);
    EXPECT_EQ(to24.GetPixel(2, 1), 0x332211u) << "24-bit pixels read as 0x00BBGGRR";

    TDIB to32(img);
    to32.ChangeBitCount(32);
    EXPECT_EQ(to32.GetPixel(2, 1), 0x112233u) << "32-bit pixels read raw 0x00RRGGBB";
    EXPECT_EQ(img.GetPixel(0, 0), 7u) << "the source keeps its pixels";

    // 4 to 8 bits keeps indices and palette.
    TDIB nib = MakeImage(3, 1, 4);
    nib.SetPixel(1, 0, 12);
    nib.ChangeBitCount(8);
    EXPECT_EQ(nib.BitCount(), 8);
    EXPECT_EQ(nib.GetPixel(1, 0), 12u);
    EXPECT_EQ(nib.GetPixel(0, 0), 0u);

    // Narrowing would lose the picture: refused, image unchanged.
    EXPECT_THROW(to24.ChangeBitCount(8), EInvalidGraphicOperation);
    EXPECT_EQ(to24.BitCount(), 24);
    EXPECT_EQ(to24.GetPixel(2, 1), 0x332211u);
}

TEST(DIB, RowToColors) {
    TDIB img = MakeImage(2, 1, 1);
    img.PaletteBlock[1] = {1, 2, 3, 0};
    img.ApplyPalette();
    img.SetPixel(1, 0, 1);
    uint32_t colors[2];
    img.RowToColors(0, colors);
    EXPECT_EQ(colors[0], 0u);
    EXPECT_EQ(colors[1], 0x030201u);

    TDIB hi;
    hi.WantedLayout = MakeLayout(5, 5, 5);
    hi.Resize(1, 1, 16);
    hi.SetPixel(0, 0, 0x7C00);
    hi.RowToColors(0, colors);
    EXPECT_EQ(colors[0], 0xFF0000u);
}

namespace {
// A graphic that is not an indexed image: it paints its left half red and right half blue.
class TwoColours : public TGraphic {
public:
    void Assign(const TGraphic*) override {}
    void Draw(TSurface& target, const TRect& rect) const override {
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x) {
                uint8_t* p = target.Row(y) + x * (target.BitCount / 8);
                const bool left = x < rect.Left + rect.Width() / 2;
                p[0] = left ? 0 : 255;
                p[2] = left ? 255 : 0;
            }
    }
    bool Empty() const override { return false; }
    int32_t Width() const override { return 4; }
    int32_t Height() const override { return 2; }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) const override {}
};
} // namespace

TEST(DIB, AssignFrom) {
    TDIB a = MakeImage(2, 2, 8);
    TDIB b;
    b.AssignFrom(&a);
    EXPECT_TRUE(b.SharesStorageWith(a));
    b.AssignFrom(&b);
    EXPECT_TRUE(b.SharesStorageWith(a));
    b.AssignFrom(nullptr);
    EXPECT_TRUE(b.IsEmpty());

    TwoColours other;
    TDIB drawn;
    drawn.AssignFrom(&other);
    EXPECT_EQ(drawn.BitCount(), 24);
    EXPECT_EQ(drawn.Width(), 4);
    EXPECT_EQ(drawn.GetPixel(0, 1), 0x0000FFu);
    EXPECT_EQ(drawn.GetPixel(3, 0), 0xFF0000u);
    EXPECT_EQ(drawn.PaletteBlock[3], (TPaletteEntry{3, 3, 3, 0})) << "palette left as it was";
}

TEST(DIB, DrawToStretchesWithoutBlending) {
    TDIB img = MakeImage(2, 2, 8);
    img.PaletteBlock[1] = {0x10, 0x20, 0x30, 0};
    img.ApplyPalette();
    img.RowForWrite(0)[1] = 1;
    // A 4 x 4 surface of 32 bits, image drawn twice as large.
    std::vector<uint32_t> pixels(16, 0xDEADBEEF);
    TSurface s{reinterpret_cast<uint8_t*>(pixels.data()), 16, 4, 4, 32};
    img.DrawTo(s, TRect{0, 0, 4, 4});
    const uint32_t grey0 = 0xFF000000, col = 0xFF302010;
    const std::vector<uint32_t> expected = {grey0, grey0, col,   col,   grey0, grey0, col,   col,
                                            grey0, grey0, grey0, grey0, grey0, grey0, grey0, grey0};
    EXPECT_EQ(pixels, expected);
    // Clipped to the surface: an offset rectangle writes only what lies inside.
    std::vector<uint32_t> small(4, 7);
    TSurface t{reinterpret_cast<uint8_t*>(small.data()), 8, 2, 2, 32};
    img.DrawTo(t, TRect{1, 1, 3, 3});
    EXPECT_EQ(small, (std::vector<uint32_t>{7, 7, 7, grey0}));
    // Stretched to twice the width but clipped to a surface as wide as the image: the visible
    // columns are still the stretched ones, not the image's own.
    std::vector<uint32_t> clipped(4, 7);
    TSurface c{reinterpret_cast<uint8_t*>(clipped.data()), 8, 2, 2, 32};
    img.DrawTo(c, TRect{0, 0, 4, 4});
    EXPECT_EQ(clipped, (std::vector<uint32_t>{grey0, grey0, grey0, grey0}));
}

// A part of the picture enlarged is the same part of DrawTo's render of the whole enlarged
// picture: random pictures of 8, 4 and 24 bits, zooms 1 to 8, parts anywhere (across the edges
// too) onto 32- and 24-bit surfaces; target pixels beyond the picture keep what they held.
TEST(DIB, DrawZoomedGivesThePartOfTheWholeRender) {
    std::mt19937 random(7);
    const auto below = [&](int32_t n) { return int32_t(random() % uint32_t(n)); };
    const int kBits[] = {8, 8, 4, 24};
    constexpr uint8_t kUntouched = 0xA5;
    for (int round = 0; round < 400; ++round) {
        const int bits = kBits[round % 4], surfaceBits = round % 3 ? 32 : 24;
        const int32_t zoom = 1 + round % 8, w = 1 + below(20), h = 1 + below(20);
        TDIB img;
        img.Resize(w, h, bits);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t i = 0; i < img.Stride(); ++i)
                img.RowForWrite(y)[i] = uint8_t(random());
        for (TPaletteEntry& e : img.PaletteBlock)
            e = TPaletteEntry{uint8_t(random()), uint8_t(random()), uint8_t(random()), 0};
        img.ApplyPalette();

        const int bytes = surfaceBits / 8;
        const int32_t wholeWidth = w * zoom, wholeHeight = h * zoom;
        const ptrdiff_t wholeStep = (ptrdiff_t(wholeWidth) * bytes + 3) / 4 * 4;
        std::vector<uint8_t> wholePixels(size_t(wholeStep) * size_t(wholeHeight));
        TSurface whole{wholePixels.data(), wholeStep, wholeWidth, wholeHeight, surfaceBits};
        img.DrawTo(whole, TRect{0, 0, wholeWidth, wholeHeight});

        const int32_t left = below(wholeWidth + 4 * zoom) - 2 * zoom,
                      top = below(wholeHeight + 4 * zoom) - 2 * zoom;
        const int32_t width = 1 + below(wholeWidth + 4), height = 1 + below(wholeHeight + 4);
        // A row step with spare bytes, as display bitmaps may have.
        const ptrdiff_t step = (ptrdiff_t(width) * bytes + 3) / 4 * 4 + 8;
        std::vector<uint8_t> pixels(size_t(step) * size_t(height), kUntouched);
        TSurface part{pixels.data(), step, width, height, surfaceBits};
        img.DrawZoomed(part, zoom, left, top);

        SCOPED_TRACE(testing::Message() << w << "x" << h << " at " << bits << " bits, zoom " << zoom
                                        << ", part " << width << "x" << height << " at (" << left
                                        << ", " << top << ") of " << surfaceBits << " bits");
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) {
                const int32_t wx = left + x, wy = top + y;
                const bool inside = wx >= 0 && wx < wholeWidth && wy >= 0 && wy < wholeHeight;
                for (int b = 0; b < bytes; ++b) {
                    const uint8_t expected =
                        inside ? wholePixels[size_t(wy * wholeStep + ptrdiff_t(wx) * bytes + b)]
                               : kUntouched;
                    ASSERT_EQ(pixels[size_t(y * step + ptrdiff_t(x) * bytes + b)], expected)
                        << "pixel (" << x << ", " << y << "), byte " << b;
                }
            }
        // Nothing is written past the part's row.
        for (int32_t y = 0; y < height; ++y)
            for (ptrdiff_t i = ptrdiff_t(width) * bytes; i < step; ++i)
                ASSERT_EQ(pixels[size_t(y * step + i)], kUntouched) << "row " << y;
    }
}

// Rows taken over from a decoder's buffer (top-down, one spare byte between rows, as PNG rows
// hold their filter byte) read, copy, convert and save exactly like rows in BMP layout.
TEST(DIB, TakenOverRowsBehaveLikeBmpLayout) {
    const TDIB reference = Numbered(8, 5, 3);
    const auto takenOver = [&] {
        TDIB img = reference;
        img.Resize(8, 5, 8); // same geometry: still the reference's storage
        const int32_t step = img.Stride() + 1;
        auto* block = static_cast<uint8_t*>(AllocateLarge(size_t(step) * 5));
        std::memset(block, 0xEE, size_t(step) * 5);
        for (int32_t y = 0; y < 5; ++y)
            std::memcpy(block + 1 + y * step, reference.RowForRead(y), size_t(img.Stride()));
        img.TakeRows(block, block + 1, step);
        return img;
    };
    const auto samePixels = [&](const TDIB& img, const char* what) {
        SCOPED_TRACE(what);
        ASSERT_EQ(img.Width(), 8);
        ASSERT_EQ(img.Height(), 5);
        for (int32_t y = 0; y < 5; ++y)
            EXPECT_EQ(std::memcmp(img.RowForRead(y), reference.RowForRead(y), 8), 0) << y;
        EXPECT_EQ(img.PaletteBlock, reference.PaletteBlock);
    };
    const auto bmpOf = [](const TDIB& img) {
        TMemoryStream out;
        img.SaveAsBmp(out);
        return out.Bytes();
    };

    const TDIB img = takenOver();
    EXPECT_FALSE(img.HasBmpLayout());
    samePixels(img, "taken over");
    EXPECT_EQ(bmpOf(img), bmpOf(reference));

    TDIB copy = img;
    copy.RowForWrite(2)[3] = 200;
    EXPECT_TRUE(copy.HasBmpLayout()) << "a written copy gets storage of its own in BMP layout";
    samePixels(img, "original after the copy was written");
    EXPECT_EQ(copy.GetPixel(3, 2), 200u);
    EXPECT_EQ(copy.GetPixel(4, 2), reference.GetPixel(4, 2));

    TDIB whole = takenOver();
    uint8_t* storage = whole.StorageForWrite();
    EXPECT_TRUE(whole.HasBmpLayout());
    EXPECT_EQ(std::memcmp(storage, reference.StorageForRead(), reference.Size()), 0);
    samePixels(whole, "after StorageForWrite");

    // Larger than one piece of the BMP writer's buffer, so that the rows go out in pieces.
    TDIB tall;
    tall.Resize(1024, 1500, 8);
    for (int32_t y = 0; y < 1500; ++y)
        std::memset(tall.RowForWrite(y), y * 7, 1024);
    TDIB tallTaken = tall;
    tallTaken.Resize(1024, 1500, 8);
    auto* block = static_cast<uint8_t*>(AllocateLarge(1025 * 1500));
    for (int32_t y = 0; y < 1500; ++y)
        std::memcpy(block + 1 + y * 1025, tall.RowForRead(y), 1024);
    tallTaken.TakeRows(block, block + 1, 1025);
    EXPECT_EQ(bmpOf(tallTaken), bmpOf(tall));
}
