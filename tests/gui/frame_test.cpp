// The document window's rectangle frame and the display colours it is drawn in.
#include "image/DisplayColor.h"
#include "ui/frame.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(DisplayColorToRgb, NamedColoursBecomeTheSameQtColours) {
    struct Case {
        uint32_t color;
        QRgb rgb;
    };
    const Case cases[] = {{DisplayColor::Black, qRgb(0, 0, 0)},
                          {DisplayColor::Red, qRgb(255, 0, 0)},
                          {DisplayColor::Blue, qRgb(0, 0, 255)},
                          {0x00336699, qRgb(0x99, 0x66, 0x33)},
                          // The high byte of a display colour is not alpha.
                          {0xFF000000, qRgb(0, 0, 0)}};
    for (const Case& c : cases)
        EXPECT_EQ(DisplayColorToRgb(c.color), c.rgb) << std::hex << c.color;
}

TEST(DrawFrame, OutlinesExactlyTheBorderPixels) {
    for (const TRect& rect : {TRect{10, 10, 13, 12}, TRect{2, 3, 9, 8}, TRect{5, 5, 6, 9}}) {
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter canvas(&picture);
        DrawFrame(canvas, rect, DisplayColor::Red);
        EXPECT_EQ(canvas.pen().color(), QColor(255, 0, 0)) << "the pen stays set";
        canvas.end();
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside =
                    x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom;
                const bool border = inside && (x == rect.Left || x == rect.Right - 1 ||
                                               y == rect.Top || y == rect.Bottom - 1);
                ASSERT_EQ(picture.pixel(x, y), border ? qRgb(255, 0, 0) : qRgb(255, 255, 255))
                    << "rect " << rect.Left << "," << rect.Top << "," << rect.Right << ","
                    << rect.Bottom << " pixel " << x << ", " << y;
            }
    }
}
