// The drawing tools over a document, without any window: pictures before and after, written as
// rows of characters ('.' index 0, '#' index 1, 'o' index 2, 'x' index 3), with the undo step each
// press makes.
#include "document/Tools.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {
using TPicture = std::vector<std::string>;

const std::string kGlyphs = ".#ox";

void Open(TDocument& doc, const TPicture& rows) {
    auto image = std::make_unique<TDIB>();
    const auto width = static_cast<int32_t>(rows[0].size());
    const auto height = static_cast<int32_t>(rows.size());
    image->Resize(width, height, 8);
    image->PaletteBlock = GreyRampPalette();
    image->ApplyPalette();
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, uint32_t(kGlyphs.find(rows[size_t(y)][size_t(x)])));
    doc.Open(std::move(image), "");
}

TPicture Shown(const TDocument& doc) {
    TPicture rows;
    for (int32_t y = 0; y < doc.DocHeight(); ++y) {
        std::string row;
        for (int32_t x = 0; x < doc.DocWidth(); ++x)
            row += kGlyphs[doc.DocImage()->GetPixel(x, y)];
        rows.push_back(row);
    }
    return rows;
}

std::string Text(const TPicture& rows) {
    std::string text = "\n";
    for (const std::string& row : rows)
        text += row + "\n";
    return text;
}

// A press whose undo step is checked: one step, and undoing it gives back the picture before.
void ExpectOneStep(TDocument& doc, const TPicture& before) {
    EXPECT_EQ(doc.History.UndoCount(), 1u);
    EXPECT_FALSE(doc.Saved());
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Text(Shown(doc)), Text(before)) << "after undo";
}

constexpr TSymmetry kNoMirror{};
} // namespace

// Shapes cut at the edit area and mirrored about its middle or a set pixel, each one step.
TEST(ToolsTest, ShapesAreCutAtTheEditAreaAndMirrored) {
    const TPicture blank = {"........", "........", "........", "........", "........", "........"};
    struct Case {
        const char* name;
        TRect area;
        TShapeKind kind;
        int32_t x0, y0, x1, y1;
        TSymmetry sym;
        TPicture after;
    };
    const Case cases[] = {
        {"rectangle cut at the area",
         {1, 1, 5, 4},
         TShapeKind::Rect,
         0,
         0,
         3,
         3,
         kNoMirror,
         {"........", "...#....", "...#....", ".###....", "........", "........"}},
        {"filled rectangle from the lower right corner",
         {0, 0, 8, 6},
         TShapeKind::FilledRect,
         5,
         3,
         3,
         2,
         kNoMirror,
         {"........", "........", "...###..", "...###..", "........", "........"}},
        {"one-pixel rectangle",
         {0, 0, 8, 6},
         TShapeKind::Rect,
         2,
         2,
         2,
         2,
         kNoMirror,
         {"........", "........", "..#.....", "........", "........", "........"}},
        {"line mirrored left-right about the area's middle (sum 2 + 7)",
         {2, 0, 8, 6},
         TShapeKind::Line,
         2,
         1,
         4,
         1,
         {true, false, 9, 0},
         {"........", "..######", "........", "........", "........", "........"}},
        {"rectangle mirrored both ways about pixel (3, 2); mirrors cut at the area",
         {0, 0, 8, 5},
         TShapeKind::Rect,
         0,
         0,
         1,
         1,
         {true, true, 6, 4},
         {"##...##.", "##...##.", "........", "##...##.", "##...##.", "........"}},
        {"a cell on the axis is drawn once",
         {0, 0, 8, 6},
         TShapeKind::Line,
         3,
         0,
         3,
         2,
         {true, false, 6, 0},
         {"...#....", "...#....", "...#....", "........", "........", "........"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TDocument doc;
        Open(doc, blank);
        DrawShape(doc, c.area, c.kind, c.x0, c.y0, c.x1, c.y1, 1, c.sym);
        EXPECT_EQ(Text(Shown(doc)), Text(c.after));
        ExpectOneStep(doc, blank);
    }
}

// The fill runs at the pressed pixel and at each mirror image, each inside the edit area.
TEST(ToolsTest, FillIsMirroredAndKeptInsideTheEditArea) {
    const TPicture before = {"..#...", "..#...", "###...", "......", "......"};
    TDocument doc;
    Open(doc, before);
    // The left-right axis of the area 0..5 lies between columns 2 and 3; the area stops above
    // row 4, where the mirror's region would run on.
    FillMirrored(doc, {0, 0, 6, 4}, 0, 0, 2, {true, false, 5, 0});
    EXPECT_EQ(Text(Shown(doc)), Text({"oo#ooo", "oo#ooo", "###ooo", "oooooo", "......"}));
    ExpectOneStep(doc, before);
}

namespace {
struct TStroke {
    const char* name;
    bool pixelPerfect;
    TSymmetry sym;
    // The pressed pixel, then the pointer's pixels.
    std::vector<TCell> points;
    TPicture after;
};
} // namespace

// The freehand pen: the pen's stepping, the edit area, the mirrors, and with pixel-perfect
// strokes every L-shaped corner given back the index it had.
TEST(ToolsTest, PenStrokes) {
    const TPicture before = {"oooooo", "oooooo", "oooooo", "oooooo", "oooooo"};
    const TStroke strokes[] = {
        {"stepped line, pixels past the area skipped",
         false,
         kNoMirror,
         {{0, 0}, {3, 1}, {7, 1}},
         {"##oooo", "oo####", "oooooo", "oooooo", "oooooo"}},
        {"an L keeps its corner without the option",
         false,
         kNoMirror,
         {{1, 1}, {2, 1}, {2, 2}},
         {"oooooo", "o##ooo", "oo#ooo", "oooooo", "oooooo"}},
        {"an L loses its corner with it",
         true,
         kNoMirror,
         {{1, 1}, {2, 1}, {2, 2}},
         {"oooooo", "o#oooo", "oo#ooo", "oooooo", "oooooo"}},
        {"a staircase becomes a diagonal",
         true,
         kNoMirror,
         {{0, 0}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 2}, {3, 3}},
         {"#ooooo", "o#oooo", "oo#ooo", "ooo#oo", "oooooo"}},
        {"straight and diagonal runs keep every pixel",
         true,
         kNoMirror,
         {{0, 0}, {3, 0}, {5, 2}},
         {"####oo", "oooo#o", "ooooo#", "oooooo", "oooooo"}},
        {"the mirror image's corner goes too",
         true,
         {true, false, 5, 0},
         {{0, 1}, {1, 1}, {1, 2}},
         {"oooooo", "#oooo#", "o#oo#o", "oooooo", "oooooo"}},
    };
    for (const TStroke& s : strokes) {
        SCOPED_TRACE(s.name);
        TDocument doc;
        Open(doc, before);
        TPenStroke stroke(doc, {0, 0, 6, 5}, 1, s.sym, s.pixelPerfect);
        stroke.Press(s.points[0].X, s.points[0].Y);
        for (size_t i = 1; i < s.points.size(); ++i)
            stroke.LineTo(s.points[i].X, s.points[i].Y);
        EXPECT_EQ(Text(Shown(doc)), Text(s.after));
        ExpectOneStep(doc, before);
    }
}

// A corner the stroke had drawn before it became a corner stays drawn: the stroke crossed it.
TEST(ToolsTest, PixelPerfectCornerOverAnEarlierPartOfTheStrokeStays) {
    TDocument doc;
    Open(doc, {"oooo", "oooo", "oooo"});
    TPenStroke stroke(doc, {0, 0, 4, 3}, 1, kNoMirror, true);
    stroke.Press(0, 1);
    // Right, back left and up: (1, 1) is the corner of the last L but lies on the first run too.
    for (const TCell cell : {TCell{3, 1}, TCell{1, 1}, TCell{1, 0}})
        stroke.LineTo(cell.X, cell.Y);
    EXPECT_EQ(Text(Shown(doc)), Text({"o#oo", "####", "oooo"}));
}
