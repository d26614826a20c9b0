// Block copies between indexed images.
#include "base/Exceptions.h"
#include "helpers.h"
#include "image/BlockCopy.h"
#include "image/DIB.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {
TDIB Filled(int32_t w, int32_t h, uint8_t value) {
    TDIB image;
    image.Resize(w, h, 8);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.RowForWrite(y)[x] = value;
    return image;
}
} // namespace

TEST(CopyBlock, CopiesTheDestinationExtentFromTheSourceOrigin) {
    TDIB source = Numbered(10, 10, 0);
    TDIB dest = Filled(12, 12, 200);
    // The source rectangle's size is ignored; only its origin counts.
    CopyBlock(dest, TRect{5, 7, 8, 9}, source, TRect{0, 0, 1, 1});
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            const bool inside = x >= 5 && x < 8 && y >= 7 && y < 9;
            const int expected = inside ? (y - 7) * 16 + (x - 5) : 200;
            ASSERT_EQ(dest.RowForRead(y)[x], expected) << x << ", " << y;
        }
}

TEST(CopyBlock, EmptyRectanglesCopyNothing) {
    TDIB source = Numbered(4, 4, 0);
    const TRect empties[] = {{1, 1, 1, 3}, {1, 1, 3, 1}, {2, 2, 1, 3}};
    for (const TRect& r : empties) {
        TDIB dest = Filled(4, 4, 99);
        CopyBlock(dest, r, source, TRect{0, 0, 4, 4});
        CopyBlockTransparent(dest, r, source, TRect{0, 0, 4, 4}, 0);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x)
                ASSERT_EQ(dest.RowForRead(y)[x], 99) << r.Left << "," << r.Top << " " << x;
    }
}

TEST(CopyBlock, OverlappingCopyWithinOneImage) {
    TDIB image = Numbered(8, 1, 0);
    CopyBlock(image, TRect{1, 0, 7, 1}, image, TRect{0, 0, 6, 1});
    const uint8_t expected[] = {0, 0, 1, 2, 3, 4, 5, 7};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(image.RowForRead(0)[x], expected[x]) << x;
}

TEST(CopyBlock, WritesOnlyTheDestinationsOwnPixels) {
    TDIB source = Numbered(4, 4, 0);
    TDIB dest = Filled(4, 4, 7);
    const TDIB sharedWithDest(dest);
    CopyBlock(dest, TRect{0, 0, 2, 2}, source, TRect{1, 1, 3, 3});
    EXPECT_EQ(dest.RowForRead(0)[0], 17);
    EXPECT_EQ(sharedWithDest.RowForRead(0)[0], 7) << "a copy sharing the pixels changed";
}

// A snapshot shares its pixels with the image it was taken from; copying out of it must not
// unshare them, and copying within an image whose pixels are shared leaves the sharer as it was.
TEST(CopyBlock, ReadingASharedSourceKeepsItShared) {
    TDIB source = Numbered(4, 4, 0);
    const TDIB sharer(source);
    TDIB dest = Filled(4, 4, 7);
    CopyBlock(dest, TRect{0, 0, 2, 2}, source, TRect{1, 1, 3, 3});
    EXPECT_TRUE(source.SharesStorageWith(sharer));
    EXPECT_EQ(dest.RowForRead(1)[1], 34);

    CopyBlock(source, TRect{1, 0, 4, 4}, source, TRect{0, 0, 3, 4});
    EXPECT_FALSE(source.SharesStorageWith(sharer));
    EXPECT_EQ(source.RowForRead(1)[1], 16);
    EXPECT_EQ(source.RowForRead(3)[3], 50);
    EXPECT_EQ(sharer.RowForRead(1)[1], 17) << "the sharer changed";
}

TEST(CopyBlock, RowsOutsideAnImageRaise) {
    TDIB source = Numbered(4, 4, 0);
    TDIB dest = Filled(4, 4, 0);
    EXPECT_THROW(CopyBlock(dest, TRect{0, 3, 2, 5}, source, TRect{0, 0, 2, 2}),
                 EInvalidGraphicOperation);
}

TEST(CopyBlockTransparent, SkipsTheTransparentIndex) {
    TDIB source;
    source.Resize(4, 1, 8);
    const uint8_t row[] = {0, 5, 0, 7};
    std::copy(row, row + 4, source.RowForWrite(0));
    TDIB dest = Filled(4, 1, 9);
    CopyBlockTransparent(dest, TRect{0, 0, 4, 1}, source, TRect{0, 0, 4, 1}, 0);
    const uint8_t expected[] = {9, 5, 9, 7};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(dest.RowForRead(0)[x], expected[x]) << x;
}

TEST(CopyRectTo, CopiesTheSourceRectangleToThePoint) {
    TDIB source = Numbered(6, 6, 0);
    TDIB dest = Filled(6, 6, 255);
    CopyRectTo(2, 1, 5, 3, source, 0, 4, dest);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            const bool inside = x < 3 && y >= 4;
            const int expected = inside ? (y - 4 + 1) * 16 + (x + 2) : 255;
            ASSERT_EQ(dest.RowForRead(y)[x], expected) << x << ", " << y;
        }
}
