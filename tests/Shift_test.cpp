// The one-pixel wrap-around shift of a rectangle.
#include "ImageRows.h"
#include "image/DIB.h"
#include "image/Shift.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {
const char* Name(TShiftDirection direction) {
    static const char* const names[] = {"up", "right", "down", "left"};
    return names[int(direction)];
}

constexpr TShiftDirection kDirections[] = {TShiftDirection::Up, TShiftDirection::Right,
                                           TShiftDirection::Down, TShiftDirection::Left};

// The 3 x 2 block "abc/def" at (1, 1) of a frame of dots, shifted each way.
TEST(ShiftArea, MovesOnePixelAndWrapsInsideTheAreaOnly) {
    const std::vector<std::string> start{".....", ".abc.", ".def.", "....."};
    struct Case {
        TShiftDirection direction;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {TShiftDirection::Up, {".....", ".def.", ".abc.", "....."}},
        {TShiftDirection::Right, {".....", ".cab.", ".fde.", "....."}},
        {TShiftDirection::Down, {".....", ".def.", ".abc.", "....."}},
        {TShiftDirection::Left, {".....", ".bca.", ".efd.", "....."}},
    };
    for (const Case& c : cases) {
        TDIB image = FromRows(start);
        ShiftArea(image, TRect{1, 1, 4, 3}, c.direction);
        EXPECT_EQ(ToRows(image), c.expected) << Name(c.direction);
    }
}

TEST(ShiftArea, UpAndDownDifferOnThreeRows) {
    struct Case {
        TShiftDirection direction;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {TShiftDirection::Up, {"b", "c", "a"}},
        {TShiftDirection::Down, {"c", "a", "b"}},
    };
    for (const Case& c : cases) {
        TDIB image = FromRows({"a", "b", "c"});
        ShiftArea(image, TRect{0, 0, 1, 3}, c.direction);
        EXPECT_EQ(ToRows(image), c.expected) << Name(c.direction);
    }
}

// Against a reference that maps every pixel to where it came from, over areas of every shape
// from 1 x 1 up, at the image's edges and reaching past them.
TEST(ShiftArea, MatchesPixelByPixelReference) {
    std::mt19937 random(7);
    const int32_t w = 9, h = 7;
    for (int trial = 0; trial < 400; ++trial) {
        TDIB image;
        image.Resize(w, h, 8);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                image.RowForWrite(y)[x] = uint8_t(random());
        const TDIB before(image);
        const int32_t left = int32_t(random() % w) - 1, top = int32_t(random() % h) - 1;
        const TRect area{left, top, left + 1 + int32_t(random() % w),
                         top + 1 + int32_t(random() % h)};
        const TShiftDirection direction = kDirections[random() % 4];
        ShiftArea(image, area, direction);

        const int32_t l = std::max(area.Left, 0), t = std::max(area.Top, 0);
        const int32_t r = std::min(area.Right, w), b = std::min(area.Bottom, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                int32_t sx = x, sy = y;
                if (x >= l && x < r && y >= t && y < b) {
                    const int32_t cw = r - l, ch = b - t;
                    if (direction == TShiftDirection::Right) sx = l + (x - l + cw - 1) % cw;
                    if (direction == TShiftDirection::Left) sx = l + (x - l + 1) % cw;
                    if (direction == TShiftDirection::Down) sy = t + (y - t + ch - 1) % ch;
                    if (direction == TShiftDirection::Up) sy = t + (y - t + 1) % ch;
                }
                ASSERT_EQ(image.GetPixel(x, y), before.GetPixel(sx, sy))
                    << "pixel " << x << "," << y << " after " << Name(direction) << " of area "
                    << area.Left << "," << area.Top << "-" << area.Right << "," << area.Bottom;
            }
    }
}

// A whole turn in either direction, and one step each way, give the start back.
TEST(ShiftArea, RoundTripsRestoreTheArea) {
    const std::vector<std::string> start{"0123456", "789abcd", "efghijk", "lmnopqr"};
    const TRect area{1, 0, 6, 4}; // 5 x 4
    const std::vector<TShiftDirection> fiveRight(5, TShiftDirection::Right);
    const std::vector<TShiftDirection> fiveLeft(5, TShiftDirection::Left);
    const std::vector<TShiftDirection> fourUp(4, TShiftDirection::Up);
    const std::vector<TShiftDirection> fourDown(4, TShiftDirection::Down);
    const std::vector<std::vector<TShiftDirection>> cases = {
        fiveRight,
        fiveLeft,
        fourUp,
        fourDown,
        {{TShiftDirection::Right, TShiftDirection::Left}},
        {{TShiftDirection::Up, TShiftDirection::Down}},
        {{TShiftDirection::Up, TShiftDirection::Left, TShiftDirection::Down,
          TShiftDirection::Right}},
    };
    for (const auto& steps : cases) {
        TDIB image = FromRows(start);
        std::string trail;
        for (TShiftDirection step : steps) {
            ShiftArea(image, area, step);
            trail += std::string(Name(step)) + " ";
        }
        EXPECT_EQ(ToRows(image), start) << trail;
    }
}

// One pixel across in the direction of the shift: nothing moves.
TEST(ShiftArea, OneWideAndOneHighAreasKeepTheirContent) {
    const std::vector<std::string> start{"abcd", "efgh", "ijkl"};
    struct Case {
        TRect area;
        TShiftDirection direction;
    };
    const Case cases[] = {
        {{2, 0, 3, 3}, TShiftDirection::Left},  {{2, 0, 3, 3}, TShiftDirection::Right},
        {{0, 1, 4, 2}, TShiftDirection::Up},    {{0, 1, 4, 2}, TShiftDirection::Down},
        {{3, 2, 4, 3}, TShiftDirection::Left},  {{3, 2, 4, 3}, TShiftDirection::Up},
        {{1, 1, 1, 3}, TShiftDirection::Right}, {{1, 1, 3, 1}, TShiftDirection::Down},
    };
    for (const Case& c : cases) {
        TDIB image = FromRows(start);
        ShiftArea(image, c.area, c.direction);
        EXPECT_EQ(ToRows(image), start) << Name(c.direction) << " of " << c.area.Width() << " x "
                                        << c.area.Height() << " at " << c.area.Left;
    }
}

// Copies share pixels until written: the shift writes only its own image.
TEST(ShiftArea, LeavesACopyThatSharesStorageAlone) {
    for (TShiftDirection direction : kDirections) {
        TDIB image = FromRows({"ab", "cd"});
        const TDIB copy(image);
        ShiftArea(image, TRect{0, 0, 2, 2}, direction);
        EXPECT_EQ(ToRows(copy), (std::vector<std::string>{"ab", "cd"})) << Name(direction);
        EXPECT_NE(ToRows(image), ToRows(copy)) << Name(direction);
    }
}
} // namespace
