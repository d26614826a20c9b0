// Where the windows go, without windows: the start-up layout over a screen's available area and
// the clamp of a place onto a screen. The windows themselves are tested in settings_test.cpp.
#include "app/windowplace.h"
#include "window_system.h"

namespace {
// Client sizes like the editor's windows at start-up, framed as the layout frames them.
QSize Framed(int width, int height) {
    return QSize(width, height).grownBy(kFrameAllowance);
}
const TFrameSize kDocument{Framed(483, 429), Framed(240, 200)};
const QSize kTools = Framed(223, 106);
const QSize kPalette = Framed(256, 346);
const TFrameSize kMagnifier{Framed(367, 358), Framed(240, 200)};

TNamedFrames Frames(const TWindowLayout& layout) {
    return {{"document", layout.Document},
            {"tools", layout.Tools},
            {"palette", layout.Palette},
            {"magnifier", layout.Magnifier}};
}
} // namespace

TEST(StartLayoutTest, WindowsShareTheAreaWithoutOverlap) {
    // A 1600 x 1000 screen at a display scale, in the logical pixels Qt reports.
    const auto scaled = [](qreal scale) {
        return QRect(0, 0, qRound(1600 / scale), qRound(1000 / scale));
    };
    struct Case {
        const char* screen;
        QRect area;
        bool roomy; // holds every window at its start-up size
        bool fits;  // holds the windows side by side at their least
    };
    const Case cases[] = {
        {"1600x1000 at 1", scaled(1), true, true},
        {"1600x1000 at 1.25", scaled(1.25), true, true},
        {"1600x1000 at 1.5", scaled(1.5), false, true},
        {"1600x1000 at 2", scaled(2), false, true},
        {"1280x720", QRect(0, 0, 1280, 720), true, true},
        {"1920x1080 below a panel", QRect(0, 32, 1920, 1048), true, true},
        {"1024x600 beside a dock", QRect(64, 0, 960, 600), false, true},
        {"800x600", QRect(0, 0, 800, 600), false, true},
        {"640x480", QRect(0, 0, 640, 480), false, false},
    };
    for (const Case& c : cases) {
        const TWindowLayout layout = StartLayout(c.area, kDocument, kTools, kPalette, kMagnifier);
        SCOPED_TRACE(c.screen);
        for (const auto& [name, frame] : Frames(layout))
            EXPECT_TRUE(c.area.contains(frame)) << name << " at " << frame;
        if (c.fits) {
            EXPECT_EQ(Overlaps(Frames(layout)), "");
        }
        EXPECT_EQ(layout.Tools.size(), kTools);
        EXPECT_EQ(layout.Palette.size(), kPalette);
        const std::pair<QRect, TFrameSize> sizeable[] = {{layout.Document, kDocument},
                                                         {layout.Magnifier, kMagnifier}};
        for (const auto& [frame, size] : sizeable) {
            if (c.roomy) {
                EXPECT_EQ(frame.size(), size.Size);
            }
            EXPECT_EQ(frame.size().boundedTo(size.Size), frame.size());
            EXPECT_EQ(frame.size().expandedTo(size.Minimum), frame.size());
        }
        // The document window gives up its room first; the tool window below it sets its least.
        if (layout.Magnifier.width() < kMagnifier.Size.width()) {
            EXPECT_EQ(layout.Document.width(), std::max(kDocument.Minimum.width(), kTools.width()));
        }
        // No window shrinks further than the area asks.
        if (c.fits && layout.Magnifier.width() + layout.Document.width() <
                          kMagnifier.Size.width() + kDocument.Size.width()) {
            EXPECT_EQ(layout.Palette.right(), c.area.right());
        }
        if (layout.Document.height() < kDocument.Size.height()) {
            EXPECT_EQ(layout.Tools.bottom(), c.area.bottom());
        }
    }
}

TEST(ClampOntoTest, FramesComeOntoTheAreaShrinkingNoFurtherThanTheirLeast) {
    const QRect area(0, 30, 1000, 700);
    struct Case {
        const char* what;
        QRect frame;
        QSize minimum;
        QRect expected;
    };
    const Case cases[] = {
        {"inside", QRect(100, 100, 300, 200), QSize(300, 200), QRect(100, 100, 300, 200)},
        {"past the right and bottom edges", QRect(900, 600, 300, 200), QSize(300, 200),
         QRect(700, 530, 300, 200)},
        {"above and left of the area", QRect(-50, 0, 300, 200), QSize(300, 200),
         QRect(0, 30, 300, 200)},
        {"larger than the area, sizeable", QRect(200, 100, 1200, 800), QSize(300, 200),
         QRect(0, 30, 1000, 700)},
        {"wider than the area, least between", QRect(200, 100, 1300, 200), QSize(1100, 100),
         QRect(0, 100, 1100, 200)},
        {"larger than the area, fixed", QRect(200, 100, 1200, 800), QSize(1200, 800),
         QRect(0, 30, 1200, 800)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClampOnto(c.frame, area, c.minimum), c.expected) << c.what;
}
