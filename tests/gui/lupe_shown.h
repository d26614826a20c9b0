// What the magnifier shows, for the tests: its composition of the edit area and its picture
// against the document as it is now.
#pragma once

#include "editor/lupe.h"
#include "ui/session.h"

#include <QImage>
#include <gtest/gtest.h>

// The composition holds the document's edit-area pixels (no layer active), and the picture is
// what a full redraw gives.
inline void ExpectMagnifierShowsEditArea() {
    const TDIB& lupe = LupeForm->LupeImage;
    ASSERT_EQ(lupe.Width(), Editor().ViewWidth(kEditArea));
    ASSERT_EQ(lupe.Height(), Editor().ViewHeight(kEditArea));
    for (int32_t y = 0; y < lupe.Height(); ++y)
        for (int32_t x = 0; x < lupe.Width(); ++x)
            ASSERT_EQ(lupe.GetPixel(x, y),
                      Doc().DocImage()->GetPixel(Editor().ViewLeft(kEditArea) + x,
                                                 Editor().ViewTop(kEditArea) + y))
                << x << ", " << y;
    const QImage shown = LupeForm->LupeBitmap.copy();
    LupeForm->UpdateLupe();
    EXPECT_TRUE(shown == LupeForm->LupeBitmap) << "the magnifier differs from a full redraw";
}
