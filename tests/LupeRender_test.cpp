// The magnifier's picture: composition with the layer, the enlarged render with stripes and grids,
// and the single-cell redraw with its special-grid repair, each against a rendering written here
// pixel by pixel from the drawing rules.
#include "image/DIB.h"
#include "image/LupeRender.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {
constexpr uint32_t kGrid = 0xFF808080;

// Palette entry i is a distinct colour, so a wrong index shows.
TDIB RandomDocument(std::mt19937& random, int32_t w, int32_t h, int colours) {
    TDIB doc;
    doc.Resize(w, h, 8);
    for (int i = 0; i < 256; ++i)
        doc.PaletteBlock[i] = TPaletteEntry{uint8_t(i), uint8_t(255 - i), uint8_t(i * 7), 0};
    doc.ApplyPalette();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            doc.RowForWrite(y)[x] = uint8_t(random() % colours);
    return doc;
}

uint32_t ColourOf(const TDIB& doc, uint8_t i) {
    const TPaletteEntry& e = doc.PaletteBlock[i];
    return 0xFF000000u | uint32_t(e.Red) << 16 | uint32_t(e.Green) << 8 | e.Blue;
}

struct Picture {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;
    TSurface Surface() {
        return TSurface{reinterpret_cast<uint8_t*>(pixels.data()), ptrdiff_t(width) * 4, width,
                        height, 32};
    }
    uint32_t& At(int32_t x, int32_t y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    bool operator==(const Picture&) const = default;
};

Picture Blank(const TLupeView& view) {
    Picture p;
    p.width = view.Edit.Width() * view.Power;
    p.height = view.Edit.Height() * view.Power;
    p.pixels.assign(size_t(p.width) * size_t(p.height), 0x12345678);
    return p;
}

uint8_t Doc(const TDIB& doc, const TLupeView& v, int32_t cx, int32_t cy) {
    return uint8_t(doc.GetPixel(v.Edit.Left + cx, v.Edit.Top + cy));
}

bool InLayer(const TLupeView& v, int32_t cx, int32_t cy) {
    return cx < v.Layer.Width() && cy < v.Layer.Height();
}

// The composed index of a cell, from the layer rule.
uint8_t ExpectedComposed(const TDIB& doc, const TLupeView& v, int32_t cx, int32_t cy) {
    const uint8_t edit = Doc(doc, v, cx, cy);
    if (!v.LayerActive || edit != v.Transparent) return edit;
    if (!InLayer(v, cx, cy)) return v.Transparent;
    return uint8_t(doc.GetPixel(v.Layer.Left + cx, v.Layer.Top + cy));
}

// Whether the full render's grid covers display pixel (j, k) of cell (cx, cy).
bool FullGridAt(const TDIB& doc, const TLupeView& v, int32_t cx, int32_t cy, int32_t j, int32_t k) {
    if (v.Power <= 4 || v.GridMode == TGridMode::None) return false;
    if (v.GridMode == TGridMode::Grid) return j == 0 || k == 0;
    const uint8_t c = Doc(doc, v, cx, cy);
    if (j == 0 && k > 0) return cx > 0 && Doc(doc, v, cx - 1, cy) != c;
    if (k == 0 && j > 0) return cy > 0 && Doc(doc, v, cx, cy - 1) != c;
    if (j == 0 && k == 0) return cx > 0 && cy > 0 && Doc(doc, v, cx - 1, cy - 1) != c;
    return false;
}

Picture ExpectedFullRender(const TDIB& doc, const TLupeView& v) {
    Picture p = Blank(v);
    for (int32_t y = 0; y < p.height; ++y)
        for (int32_t x = 0; x < p.width; ++x) {
            const int32_t cx = x / v.Power, cy = y / v.Power, j = x % v.Power, k = y % v.Power;
            uint8_t index = ExpectedComposed(doc, v, cx, cy);
            const bool striped = !InLayer(v, cx, cy) || Doc(doc, v, cx, cy) == v.Transparent;
            if (v.LayerView && k % 2 == 1 && striped) index = v.Transparent;
            p.At(x, y) = FullGridAt(doc, v, cx, cy, j, k) ? kGrid : ColourOf(doc, index);
        }
    return p;
}

// The pen wrote index at cell (cx, cy): what the cell's block and its shared edges become.
void ExpectedCellRedraw(Picture& p, const TDIB& doc, const TLupeView& v, int32_t cx, int32_t cy,
                        uint8_t index, uint8_t composed) {
    const int32_t P = v.Power;
    for (int32_t k = 0; k < P; ++k)
        for (int32_t j = 0; j < P; ++j) {
            const bool under = v.LayerView && index == v.Transparent && k % 2 == 0;
            const uint32_t fill = ColourOf(doc, under ? composed : index);
            p.At(cx * P + j, cy * P + k) = FullGridAt(doc, v, cx, cy, j, k) ? kGrid : fill;
        }
    if (P <= 4 || v.GridMode != TGridMode::Special) return;
    const uint8_t c = Doc(doc, v, cx, cy);
    const int32_t w = v.Edit.Width(), h = v.Edit.Height();
    // An equal neighbour's edge takes the colour it shows: the layer's where it is transparent.
    auto shade = [&](int32_t nx, int32_t ny) {
        const uint8_t n = Doc(doc, v, nx, ny);
        return n != c ? kGrid : ColourOf(doc, ExpectedComposed(doc, v, nx, ny));
    };
    for (int32_t i = 1; i < P; ++i) {
        if (cx + 1 < w) p.At((cx + 1) * P, cy * P + i) = shade(cx + 1, cy);
        if (cy + 1 < h) p.At(cx * P + i, (cy + 1) * P) = shade(cx, cy + 1);
    }
    if (cx > 0 && cy + 1 < h) p.At(cx * P, (cy + 1) * P) = shade(cx - 1, cy + 1);
    if (cx + 1 < w && cy > 0) p.At((cx + 1) * P, cy * P) = shade(cx + 1, cy - 1);
    if (cx + 1 < w && cy + 1 < h) p.At((cx + 1) * P, (cy + 1) * P) = shade(cx + 1, cy + 1);
}

Picture Render(TDIB& doc, TDIB& lupe, const TLupeView& v) {
    ComposeLupe(lupe, doc, v);
    Picture p = Blank(v);
    TSurface s = p.Surface();
    RenderLupeSurface(s, lupe, doc, v);
    return p;
}

struct ViewCase {
    TRect edit, layer;
    bool layerActive, layerView;
};

// Edit areas inside a 20 x 16 document: in the middle, at its corner, and with a layer area cut
// smaller by the document's edge.
const ViewCase kViews[] = {
    {{3, 2, 11, 9}, {0, 0, 8, 7}, false, false},    {{0, 0, 6, 5}, {0, 0, 6, 5}, false, false},
    {{3, 2, 11, 9}, {14, 11, 20, 16}, true, false}, {{3, 2, 11, 9}, {14, 11, 20, 16}, true, true},
    {{12, 9, 20, 16}, {1, 1, 9, 8}, true, true},
};

std::string Describe(const ViewCase& c, int32_t power, int grid) {
    return "edit " + std::to_string(c.edit.Left) + "," + std::to_string(c.edit.Top) + " layer " +
           std::to_string(c.layerActive) + std::to_string(c.layerView) + " power " +
           std::to_string(power) + " grid " + std::to_string(grid);
}

template <class Fn> void ForEveryView(Fn&& fn) {
    for (const ViewCase& c : kViews)
        for (const int32_t power : {1, 2, 4, 6, 10, 14})
            for (const uint8_t grid : {0, 1, 2}) {
                TLupeView v;
                v.Edit = c.edit;
                v.Layer = c.layer;
                v.LayerActive = c.layerActive;
                v.LayerView = c.layerView;
                v.Transparent = 1;
                v.Power = power;
                v.GridMode = TGridMode(grid);
                SCOPED_TRACE(Describe(c, power, grid));
                fn(v);
            }
}
// The special grid over an edit area without a layer.
TLupeView SpecialGridView(const TRect& edit, int32_t power) {
    TLupeView v;
    v.Edit = edit;
    v.Layer = edit;
    v.Power = power;
    v.GridMode = TGridMode::Special;
    return v;
}
} // namespace

TEST(LupeRender, ComposesTheEditAreaOverTheLayer) {
    std::mt19937 random(1);
    TDIB doc = RandomDocument(random, 20, 16, 3);
    ForEveryView([&](const TLupeView& v) {
        TDIB lupe;
        ComposeLupe(lupe, doc, v);
        ASSERT_EQ(lupe.Width(), v.Edit.Width());
        ASSERT_EQ(lupe.Height(), v.Edit.Height());
        for (int32_t cy = 0; cy < lupe.Height(); ++cy)
            for (int32_t cx = 0; cx < lupe.Width(); ++cx) {
                ASSERT_EQ(lupe.GetPixel(cx, cy), ExpectedComposed(doc, v, cx, cy))
                    << cx << ", " << cy;
                // The pen's own update of one cell agrees with the composition.
                ASSERT_EQ(ComposedPixel(doc, v, cx, cy, Doc(doc, v, cx, cy)),
                          ExpectedComposed(doc, v, cx, cy));
            }
    });
}

TEST(LupeRender, FullRenderMatchesTheRulesForEveryPowerGridAndLayerView) {
    std::mt19937 random(2);
    TDIB doc = RandomDocument(random, 20, 16, 3);
    ForEveryView([&](const TLupeView& v) {
        TDIB lupe;
        EXPECT_TRUE(Render(doc, lupe, v) == ExpectedFullRender(doc, v));
    });
}

// A cell whose left and top neighbours equal it but whose up-left one differs gets only its
// corner pixel; the first column and row get no line against pixels beyond the view.
TEST(LupeRender, SpecialGridCornerAndViewEdges) {
    std::mt19937 random(3);
    TDIB doc = RandomDocument(random, 6, 6, 1);
    doc.SetPixel(1, 1, 2); // up-left of (2, 2)
    doc.SetPixel(0, 3, 2); // left of the view's first column
    const TLupeView v = SpecialGridView(TRect{1, 1, 5, 5}, 6);
    TDIB lupe;
    Picture p = Render(doc, lupe, v);
    // Cell (1, 1) is document pixel (2, 2).
    EXPECT_EQ(p.At(6, 6), kGrid);
    EXPECT_EQ(p.At(6, 7), ColourOf(doc, 0));
    EXPECT_EQ(p.At(7, 6), ColourOf(doc, 0));
    for (int32_t y = 0; y < p.height; ++y)
        EXPECT_NE(p.At(0, y), kGrid) << y;
}

// Pen writes one cell after another; after each, the incrementally drawn picture equals the
// rules: for the plain grid and no grid the full render itself, for the special grid the full
// render patched by the changed cell's repair of its right and lower neighbours.
TEST(LupeRender, CellRedrawsFollowTheRepairRules) {
    std::mt19937 random(5);
    ForEveryView([&](const TLupeView& v) {
        TDIB doc = RandomDocument(random, 20, 16, 3);
        TDIB lupe;
        Picture drawn = Render(doc, lupe, v);
        Picture expected = drawn;
        for (int i = 0; i < 40; ++i) {
            const int32_t cx = int32_t(random() % v.Edit.Width());
            const int32_t cy = int32_t(random() % v.Edit.Height());
            const auto index = uint8_t(random() % 3);
            doc.SetPixel(v.Edit.Left + cx, v.Edit.Top + cy, index);
            const uint8_t composed = ComposedPixel(doc, v, cx, cy, index);
            lupe.SetPixel(cx, cy, composed);
            // The pen shows a transparent write as stripes with the layer view, and otherwise
            // what now lies on top.
            const uint8_t shown = v.LayerView ? index : composed;
            TSurface s = drawn.Surface();
            DrawCellSurface(s, lupe, doc, v, cx, cy, shown);
            ExpectedCellRedraw(expected, doc, v, cx, cy, shown, composed);
            ASSERT_TRUE(drawn == expected) << "write " << i << " at " << cx << ", " << cy;
        }
        // Where the two rules coincide, the picture is what a full render gives.
        const bool stripesBeyondLayer =
            v.LayerView && (v.Layer.Width() < v.Edit.Width() || v.Layer.Height() < v.Edit.Height());
        if (v.GridMode != TGridMode::Special && !stripesBeyondLayer) {
            TDIB fresh;
            EXPECT_TRUE(drawn == Render(doc, fresh, v));
        }
    });
}

// Lines appear around a changed cell at once and vanish again when it is changed back.
TEST(LupeRender, SpecialGridLinesComeAndGoWithOneCell) {
    std::mt19937 random(6);
    TDIB doc = RandomDocument(random, 5, 5, 1);
    const TLupeView v = SpecialGridView(TRect{0, 0, 5, 5}, 8);
    TDIB lupe;
    const Picture plain = Render(doc, lupe, v);
    Picture p = plain;
    TSurface s = p.Surface();
    doc.SetPixel(2, 2, 4);
    lupe.SetPixel(2, 2, 4);
    DrawCellSurface(s, lupe, doc, v, 2, 2, 4);
    for (const auto& [x, y] : {std::pair{16, 20}, {20, 16}, {24, 20}, {20, 24}})
        EXPECT_EQ(p.At(x, y), kGrid) << x << ", " << y;
    doc.SetPixel(2, 2, 0);
    lupe.SetPixel(2, 2, 0);
    DrawCellSurface(s, lupe, doc, v, 2, 2, 0);
    EXPECT_TRUE(p == plain);
}
