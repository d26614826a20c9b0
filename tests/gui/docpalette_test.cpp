// Changing the document's palette: written, applied to the pixels' storage and shown.
#include "app/docpalette.h"
#include "docview_shown.h"
#include "editor_fixture.h"

TEST_F(EditorTest, SetDocumentPaletteAppliesAndRedraws) {
    TPalette entries = GreyRampPalette();
    entries[0] = TPaletteEntry{0, 0, 255, 0}; // red
    SetDocumentPalette(entries);              // no document: nothing to change
    EXPECT_EQ(DocImage, nullptr);

    NewDocument("4", "3");
    ASSERT_NE(DocImage, nullptr);
    ASSERT_EQ(PaintedDocument().pixel(0, 0), qRgb(0, 0, 0));
    ASSERT_EQ(StaleDocumentView(), "");
    SetDocumentPalette(entries);
    EXPECT_EQ(DocImage->PaletteBlock, entries);
    // A copy takes the storage's colour table, so it shows whether the palette was applied.
    EXPECT_EQ(TDIB(*DocImage).PaletteBlock, entries);
    EXPECT_EQ(PaintedDocument().pixel(3, 2), qRgb(255, 0, 0));
    EXPECT_EQ(StaleDocumentView(), "") << "the document view was not redrawn";
    EXPECT_TRUE(Saved) << "the caller decides whether the document changed";
}
