// Display bitmaps: small ones from Qt, big ones on huge-page memory of their own; both must be
// ordinary RGB32 images to everyone who draws into them or copies them.
#include "ui/displaybitmap.h"

#include <gtest/gtest.h>

TEST(NewDisplayBitmap, GivesWritableRgb32ImagesOnEitherSideOfTheHugePageSize) {
    // 724 x 724 pixels of 4 bytes stay just under 2 MB, 725 x 724 just over it.
    const QSize sizes[] = {{3, 1}, {724, 724}, {725, 724}, {4096, 300}};
    for (const QSize size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        QImage image = NewDisplayBitmap(size.width(), size.height());
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), size);
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        EXPECT_EQ(image.bytesPerLine(), size.width() * 4);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, 7));
        // A copy shares the pixels until one side writes.
        QImage copy = image;
        copy.setPixel(0, 0, qRgb(1, 2, 3));
        EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 7));
        const int x = size.width() - 1, y = size.height() - 1;
        EXPECT_EQ(image.pixel(x, y), qRgb(x & 0xFF, y & 0xFF, 7));
        EXPECT_EQ(copy.pixel(x, y), image.pixel(x, y));
    }
}

TEST(NewDisplayBitmap, EmptySizesGiveNoImage) {
    const QSize sizes[] = {{0, 0}, {0, 5}, {5, 0}, {-1, 5}};
    for (const QSize size : sizes)
        EXPECT_TRUE(NewDisplayBitmap(size.width(), size.height()).isNull())
            << size.width() << " x " << size.height();
}
