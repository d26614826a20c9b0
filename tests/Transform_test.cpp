// The whole-picture transforms over pictures written as rows of digits.
#include "ImageRows.h"
#include "image/Transform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
using TRows = std::vector<std::string>;

} // namespace

// Each picture (one row, one column, odd and even sides, one pixel) under every transform.
TEST(Transform, FlipsAndTurnsMoveEveryPixel) {
    struct TCase {
        TRows picture, leftRight, topBottom, right, left, half;
    };
    const TCase cases[] = {
        {{"123"}, {"321"}, {"123"}, {"1", "2", "3"}, {"3", "2", "1"}, {"321"}},
        {{"1", "2", "3"}, {"1", "2", "3"}, {"3", "2", "1"}, {"321"}, {"123"}, {"3", "2", "1"}},
        {{"123", "456"},
         {"321", "654"},
         {"456", "123"},
         {"41", "52", "63"},
         {"36", "25", "14"},
         {"654", "321"}},
        {{"12", "34"}, {"21", "43"}, {"34", "12"}, {"31", "42"}, {"24", "13"}, {"43", "21"}},
        {{"7"}, {"7"}, {"7"}, {"7"}, {"7"}, {"7"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.picture));
        const TDIB picture = FromRowsWithPalette(c.picture);
        const std::pair<TTransform, const TRows*> expected[] = {
            {TTransform::FlipLeftRight, &c.leftRight}, {TTransform::FlipTopBottom, &c.topBottom},
            {TTransform::TurnRight, &c.right},         {TTransform::TurnLeft, &c.left},
            {TTransform::TurnHalf, &c.half},
        };
        for (const auto& [transform, rows] : expected) {
            const TDIB out = Transformed(picture, transform);
            EXPECT_EQ(ToRows(out), *rows) << "transform " << int(transform);
            EXPECT_EQ(out.PaletteBlock, picture.PaletteBlock);
            EXPECT_EQ(out.BitCount(), 8);
        }
        EXPECT_EQ(ToRows(picture), c.picture) << "the source stays";
    }
}

// The transforms compose as turns and mirrors do, on a picture whose pixels all differ.
TEST(Transform, TurnsAndFlipsComposeAsTheyShould) {
    const TDIB picture = FromRowsWithPalette({"12345", "6789:", ";<=>?"});
    const auto then = [](const TDIB& image, TTransform a, TTransform b) {
        return ToRows(Transformed(Transformed(image, a), b));
    };
    const TRows half = ToRows(Transformed(picture, TTransform::TurnHalf));
    EXPECT_EQ(then(picture, TTransform::TurnRight, TTransform::TurnRight), half);
    EXPECT_EQ(then(picture, TTransform::TurnLeft, TTransform::TurnLeft), half);
    EXPECT_EQ(then(picture, TTransform::FlipLeftRight, TTransform::FlipTopBottom), half);
    EXPECT_EQ(then(picture, TTransform::TurnRight, TTransform::TurnLeft), ToRows(picture));
    EXPECT_EQ(then(picture, TTransform::FlipLeftRight, TTransform::FlipLeftRight), ToRows(picture));
}

// The picture on a larger canvas at each of the nine anchors (the width grows by an even amount,
// the height by an odd one), and on a smaller one at each anchor, new pixels 9.
TEST(Transform, CanvasKeepsThePictureAtItsAnchor) {
    struct TCase {
        TRows picture;
        int32_t width, height;
        TAnchor anchor;
        TRows canvas;
    };
    const TRows small = {"12", "34"}, square = {"123", "456", "789"};
    const TCase cases[] = {
        {small, 4, 3, {0, 0}, {"1299", "3499", "9999"}},
        {small, 4, 3, {1, 0}, {"9129", "9349", "9999"}},
        {small, 4, 3, {2, 0}, {"9912", "9934", "9999"}},
        // The odd row goes to the bottom.
        {small, 4, 3, {0, 1}, {"1299", "3499", "9999"}},
        {small, 4, 3, {1, 1}, {"9129", "9349", "9999"}},
        {small, 4, 3, {2, 1}, {"9912", "9934", "9999"}},
        {small, 4, 3, {0, 2}, {"9999", "1299", "3499"}},
        {small, 4, 3, {1, 2}, {"9999", "9129", "9349"}},
        {small, 4, 3, {2, 2}, {"9999", "9912", "9934"}},
        // Shrinking, the odd column and row are lost at the right and bottom.
        {square, 2, 2, {0, 0}, {"12", "45"}},
        {square, 2, 2, {1, 0}, {"12", "45"}},
        {square, 2, 2, {2, 0}, {"23", "56"}},
        {square, 2, 2, {0, 1}, {"12", "45"}},
        {square, 2, 2, {1, 1}, {"12", "45"}},
        {square, 2, 2, {2, 1}, {"23", "56"}},
        {square, 2, 2, {0, 2}, {"45", "78"}},
        {square, 2, 2, {1, 2}, {"45", "78"}},
        {square, 2, 2, {2, 2}, {"56", "89"}},
        // Wider and lower at once; a one-pixel canvas; a row and a column.
        {square, 5, 1, {1, 1}, {"94569"}},
        {square, 1, 1, {1, 1}, {"5"}},
        {{"123"}, 1, 3, {1, 1}, {"9", "2", "9"}},
        {{"1", "2", "3"}, 3, 1, {2, 0}, {"991"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << testing::PrintToString(c.picture) << " to " << c.width << "x" << c.height
                     << " at " << c.anchor.X << "," << c.anchor.Y);
        const TDIB picture = FromRowsWithPalette(c.picture);
        const TRect frame =
            CanvasFrame(picture.Width(), picture.Height(), c.width, c.height, c.anchor);
        EXPECT_EQ(frame.Width(), c.width);
        EXPECT_EQ(frame.Height(), c.height);
        const TDIB canvas = Reframed(picture, frame, 9);
        EXPECT_EQ(ToRows(canvas), c.canvas);
        EXPECT_EQ(canvas.PaletteBlock, picture.PaletteBlock);
    }
}

// A canvas grown and shrunk again by the same amount gives the picture back, at every anchor.
TEST(Transform, CanvasGrownAndShrunkGivesThePictureBack) {
    const TDIB picture = FromRowsWithPalette({"123", "456"});
    for (int32_t x = 0; x < 3; ++x)
        for (int32_t y = 0; y < 3; ++y)
            for (const int32_t grow : {1, 2, 5}) {
                const TAnchor anchor{x, y};
                const TDIB grown =
                    Reframed(picture, CanvasFrame(3, 2, 3 + grow, 2 + grow, anchor), 0);
                const TDIB back = Reframed(grown, CanvasFrame(3 + grow, 2 + grow, 3, 2, anchor), 0);
                EXPECT_EQ(ToRows(back), ToRows(picture)) << x << "," << y << " +" << grow;
            }
}

// A frame inside the picture cuts it out; one beside it is all fill.
TEST(Transform, ReframedCutsOutAPart) {
    const TDIB picture = FromRowsWithPalette({"123", "456", "789"});
    EXPECT_EQ(ToRows(Reframed(picture, {1, 1, 3, 3}, 0)), (TRows{"56", "89"}));
    EXPECT_EQ(ToRows(Reframed(picture, {0, 2, 3, 3}, 0)), (TRows{"789"}));
    EXPECT_EQ(ToRows(Reframed(picture, {3, 0, 5, 2}, 4)), (TRows{"44", "44"}));
    EXPECT_EQ(ToRows(Reframed(picture, {-1, -4, 4, -3}, 4)), (TRows{"44444"}));
}

// The sizes an 8-bit image may have: rows padded to 4 bytes, 2^31 - 1 bytes in all.
TEST(Transform, StorageFitsWithinTheImageLimits) {
    struct TCase {
        int64_t width, height;
        bool fits;
    };
    const TCase cases[] = {
        {1, 1, true},
        {0, 5, false},
        {5, 0, false},
        {-1, 1, false},
        {46340, 46340, true},
        {46341, 46341, false},
        {2147483644, 1, true},
        {2147483645, 1, false}, // padded to 2^31
        {1, 536870911, true},   // 4-byte rows
        {1, 536870912, false},
        {int64_t(1) << 40, 1, false},
        {1, int64_t(1) << 40, false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(StorageFits(c.width, c.height, 8), c.fits) << c.width << " x " << c.height;
}
