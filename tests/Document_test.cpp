// The document's edit path and history, without any window: every edit against a model that keeps
// a copy of the whole document per step.
#include "document/Document.h"
#include "image/Shift.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {
std::unique_ptr<TDIB> Blank(int32_t width, int32_t height) {
    auto image = std::make_unique<TDIB>();
    image->Resize(width, height, 8);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image->SetPixel(x, y, 0);
    image->PaletteBlock = GreyRampPalette();
    image->ApplyPalette();
    return image;
}

// What a document shows: its size, its indices and its palette.
struct TShown {
    int32_t Width = 0;
    std::vector<uint8_t> Pixels;
    TPalette Palette;
    bool operator==(const TShown&) const = default;
};

TShown ShownBy(const TDocument& doc) {
    TShown shown{doc.DocWidth(), {}, doc.DocImage()->PaletteBlock};
    for (int32_t y = 0; y < doc.DocHeight(); ++y)
        for (int32_t x = 0; x < doc.DocWidth(); ++x)
            shown.Pixels.push_back(uint8_t(doc.DocImage()->GetPixel(x, y)));
    return shown;
}

// Records every notice.
struct TRecorder : TObserver {
    std::vector<TChange> Changes;
    void Changed(const TChange& change) override { Changes.push_back(change); }
};
} // namespace

// Random pens, shifts of two areas, bar presses and changes of the whole picture to random sizes,
// with undos and redos between, against a model that keeps each step's whole document: a run of
// shifts of one area or of bar presses is one step, undo and redo end a run, at most 49 steps
// are kept, and every change is one notice, marked Resized when the size changed.
TEST(DocumentTest, HistoryFollowsAModelOfWholeDocuments) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        TDocument doc;
        TRecorder recorder;
        doc.Subscribe(&recorder);
        doc.Open(Blank(6, 5), "");
        // model[0 .. done] are the states undo can reach; model[done + 1 ..] redo's.
        std::vector<TShown> model{ShownBy(doc)};
        size_t done = 0;
        // The rectangle of the last step while it was a shift, and whether it was a bar press.
        std::optional<TRect> lastShift;
        bool lastBar = false;
        // A new step: redo states dropped, the oldest beyond 49 forgotten.
        const auto step = [&](bool merges) {
            if (merges) {
                model[done] = ShownBy(doc);
                return;
            }
            model.resize(done + 1);
            model.push_back(ShownBy(doc));
            if (model.size() > 50) model.erase(model.begin());
            done = model.size() - 1;
        };
        const auto at = [&](int32_t length) { return int32_t(random() % uint32_t(length)); };
        for (int action = 0; action < 300; ++action) {
            const size_t noticesBefore = recorder.Changes.size();
            const int32_t width = doc.DocWidth(), height = doc.DocHeight();
            const TRect whole{0, 0, width, height};
            const int kind = int(random() % 7);
            switch (kind) {
            case 0: { // a pen pixel
                const int32_t x = at(width), y = at(height);
                const auto index = uint8_t(random() % 4);
                const TRect rect{x, y, x + 1, y + 1};
                doc.Edit(TStep{whole}, {.Pixels = true, .Rect = rect},
                         [&](TDIB& image) { image.SetPixel(x, y, index); });
                step(false);
                EXPECT_EQ(recorder.Changes.back().Rect, rect);
                break;
            }
            case 1:
            case 2: { // a shift of one of two areas, cut to the picture
                const TRect area = random() % 2
                                       ? TRect{0, 0, std::min(width, 4), std::min(height, 3)}
                                       : TRect{width / 3, height / 4, width, height};
                doc.Edit(TStep{area, false, TStepRun::Shift}, {.Pixels = true, .Rect = area},
                         [&](TDIB& image) { ShiftArea(image, area, TShiftDirection::Left); });
                step(lastShift == area);
                break;
            }
            case 3: { // a bar press
                TPalette palette = doc.DocImage()->PaletteBlock;
                palette[random() % 4].Red = uint8_t(random());
                const TStep bar{{0, 0, 1, 1}, true, TStepRun::PaletteBar};
                doc.EditPalette(&bar, palette);
                step(lastBar);
                EXPECT_TRUE(recorder.Changes.back().Palette);
                break;
            }
            case 4: // the whole picture, at a random size of 1 to 8 each way
            {
                auto picture = Blank(1 + at(8), 1 + at(8));
                for (int32_t y = 0; y < picture->Height(); ++y)
                    for (int32_t x = 0; x < picture->Width(); ++x)
                        picture->SetPixel(x, y, random() % 4);
                doc.ChangePicture(*picture);
                step(false);
                EXPECT_EQ(recorder.Changes.back().Rect,
                          (TRect{0, 0, doc.DocWidth(), doc.DocHeight()}));
                break;
            }
            case 5:
                EXPECT_EQ(doc.Undo(), done > 0);
                if (done > 0) --done;
                break;
            case 6:
                EXPECT_EQ(doc.Redo(), done + 1 < model.size());
                if (done + 1 < model.size()) ++done;
                break;
            }
            lastShift =
                kind == 1 || kind == 2 ? std::optional(recorder.Changes.back().Rect) : std::nullopt;
            lastBar = kind == 3;
            ASSERT_EQ(ShownBy(doc), model[done]) << "after action " << action;
            EXPECT_EQ(doc.History.UndoCount(), model.size() - 1);
            EXPECT_EQ(doc.History.RedoCount(), model.size() - 1 - done);
            EXPECT_LE(recorder.Changes.size(), noticesBefore + 1) << "one notice per change";
            if (recorder.Changes.size() > noticesBefore) {
                EXPECT_EQ(recorder.Changes.back().Resized,
                          width != doc.DocWidth() || height != doc.DocHeight());
            }
            EXPECT_EQ(doc.Violation(), "");
        }
        doc.Unsubscribe(&recorder);
    }
}

// The edit path marks the document, undo and redo do not, and a palette change drops the names of
// the entries whose colour it changed.
TEST(DocumentTest, EditsMarkTheDocumentAndPaletteChangesDropStaleNames) {
    TDocument doc;
    doc.Open(Blank(4, 4), "a.png");
    EXPECT_TRUE(doc.Saved());
    EXPECT_EQ(doc.FileName, "a.png");
    doc.SetPaletteNames({"Sunset", {"dark", "light"}});
    TPalette palette = doc.DocImage()->PaletteBlock;
    palette[1].Blue = 99;
    doc.EditPalette(nullptr, palette);
    EXPECT_FALSE(doc.Saved());
    EXPECT_EQ(doc.DocPaletteNames(), (TPaletteNames{"Sunset", {"dark", ""}}));
    // The pixels' storage follows the palette, so a copy shows the new colour.
    EXPECT_EQ(TDIB(*doc.DocImage()).PaletteBlock[1].Blue, 99);

    doc.SetSaved(true);
    doc.Edit(TStep{{0, 0, 1, 1}}, {.Pixels = true, .Rect = {0, 0, 1, 1}},
             [](TDIB& image) { image.SetPixel(0, 0, 7); });
    EXPECT_FALSE(doc.Saved());
    doc.SetSaved(true);
    EXPECT_TRUE(doc.Undo());
    EXPECT_TRUE(doc.Redo());
    EXPECT_TRUE(doc.Saved()) << "undo and redo leave the saved flag";
}

// The region tool's states: at most one of selecting and floating, a placed block is one step
// cut at the document's edges, and a block placed wholly outside records nothing.
TEST(DocumentTest, SelectionLiftsAndPlacesABlockAsOneStep) {
    TDocument doc;
    doc.Open(Blank(8, 6), "");
    doc.Edit(TStep{{0, 0, 8, 6}}, {.Pixels = true, .Rect = {0, 0, 8, 6}}, [](TDIB& image) {
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 8; ++x)
                image.SetPixel(x, y, uint8_t(x + 8 * y));
    });
    const TShown before = ShownBy(doc);
    const TSnapStep one;
    doc.StartSelection(1, 1, one);
    doc.DragSelection(2, 2, one);
    EXPECT_TRUE(doc.Selecting());
    EXPECT_EQ(doc.Sel(), (TSelectionBox{1, 1, 2, 2}));
    doc.LiftSelection(one);
    EXPECT_FALSE(doc.Selecting());
    EXPECT_TRUE(doc.Floating());
    doc.MoveFloat(7, 5, one);
    doc.PlaceFloat();
    EXPECT_EQ(doc.Region(), TRegionState::None);
    EXPECT_EQ(doc.DocImage()->GetPixel(7, 5), 9u) << "the block's top-left pixel, cut to 1 x 1";
    EXPECT_EQ(doc.Sel(), (TSelectionBox{7, 5, 1, 1}));
    EXPECT_EQ(doc.History.UndoCount(), 2u);
    EXPECT_TRUE(doc.Undo());
    EXPECT_EQ(ShownBy(doc), before);

    doc.FloatBlock(TDIB(*doc.DocImage()), 8, 0);
    doc.PlaceFloat();
    EXPECT_EQ(doc.History.RedoCount(), 1u) << "a block outside the document records no step";
    EXPECT_EQ(ShownBy(doc), before);

    doc.StartSelection(0, 0, one);
    doc.Close();
    EXPECT_EQ(doc.Region(), TRegionState::None);
    EXPECT_EQ(doc.History.UndoCapacity(), 0u);
    EXPECT_EQ(doc.DocWidth(), 0);
    EXPECT_EQ(doc.Violation(), "");
}
