// The palette commands over a document, without any window: pictures written as rows of indices
// ('0' + index), palettes as letters of colours, the picture's colours before and after, the
// indices that follow their colours, and the one undo step that gives back pixels and palette.
#include "document/PaletteTools.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
using TRows = std::vector<std::string>;

const std::map<char, TPaletteEntry> kColours = {
    {'k', {0, 0, 0, 0}},   {'w', {255, 255, 255, 0}}, {'e', {128, 128, 128, 0}},
    {'r', {0, 0, 255, 0}}, {'d', {0, 0, 128, 0}},     {'g', {0, 255, 0, 0}},
    {'b', {255, 0, 0, 0}}, {'y', {0, 255, 255, 0}},   {'m', {255, 0, 255, 0}},
};

// The palette's entries as letters; entries past them get colours of their own, unused.
TPalette PaletteOf(const std::string& letters) {
    TPalette palette{};
    for (size_t i = 0; i < 256; ++i)
        palette[i] = i < letters.size() ? kColours.at(letters[i])
                                        : TPaletteEntry{77, uint8_t(255 - i), uint8_t(i), 0};
    return palette;
}

std::string LettersOf(const TPalette& palette, size_t count) {
    std::string letters;
    for (size_t i = 0; i < count; ++i) {
        char letter = '?';
        for (const auto& [c, entry] : kColours)
            if (entry == palette[i]) letter = c;
        letters += letter;
    }
    return letters;
}

void Open(TEditor& editor, const std::string& palette, const TRows& rows) {
    auto image = std::make_unique<TDIB>();
    image->Resize(int32_t(rows[0].size()), int32_t(rows.size()), 8);
    image->PaletteBlock = PaletteOf(palette);
    image->ApplyPalette();
    for (size_t y = 0; y < rows.size(); ++y)
        for (size_t x = 0; x < rows[y].size(); ++x)
            image->SetPixel(int32_t(x), int32_t(y), uint32_t(rows[y][x] - '0'));
    editor.Doc.Open(std::move(image), "");
}

TRows Indices(const TDocument& doc) {
    TRows rows;
    for (int32_t y = 0; y < doc.DocHeight(); ++y) {
        std::string row;
        for (int32_t x = 0; x < doc.DocWidth(); ++x)
            row += char('0' + doc.DocImage()->GetPixel(x, y));
        rows.push_back(row);
    }
    return rows;
}

// The picture as the letters of its pixels' colours.
TRows Colours(const TDocument& doc) {
    TRows rows = Indices(doc);
    for (std::string& row : rows)
        for (char& c : row)
            c = LettersOf({doc.DocImage()->PaletteBlock[size_t(c - '0')]}, 1)[0];
    return rows;
}

struct TRecorder : TObserver {
    std::vector<TChange> Changes;
    void Changed(const TChange& change) override { Changes.push_back(change); }
};

// A document's palette (as letters), indices and the drawing and transparent index.
struct TState {
    std::string palette;
    TRows rows;
    int32_t draw, clear;
};

using TCommand = std::function<bool(TEditor&)>;
TCommand Swap(uint8_t a, uint8_t b, bool follow = true) {
    return [=](TEditor& e) { return SwapEntries(e, a, b, follow); };
}
TCommand Move(uint8_t from, uint8_t to) {
    return [=](TEditor& e) { return MoveEntry(e, from, to); };
}
TCommand Sort(TSortKey key, bool keepTransparent = false) {
    return [=](TEditor& e) { return SortEntries(e, key, keepTransparent); };
}

// Runs command from before: the picture looks the same, the indices and the palette are after's
// (its first entries), the change was one notice of the whole picture with the palette, and one
// undo gives back both.
void ExpectRemap(const char* name, const TCommand& command, const TState& before,
                 const TState& after) {
    SCOPED_TRACE(name);
    TEditor editor;
    Open(editor, before.palette, before.rows);
    editor.SetDrawIndex(before.draw);
    editor.Doc.SetTransparentIndex(before.clear);
    const TRows colours = Colours(editor.Doc);
    const TPalette palette = editor.Doc.DocImage()->PaletteBlock;
    TRecorder recorder;
    editor.Doc.Subscribe(&recorder);
    ASSERT_TRUE(command(editor));
    EXPECT_EQ(Indices(editor.Doc), after.rows);
    EXPECT_EQ(Colours(editor.Doc), colours);
    EXPECT_EQ(LettersOf(editor.Doc.DocImage()->PaletteBlock, after.palette.size()), after.palette);
    EXPECT_EQ(TDIB(*editor.Doc.DocImage()).PaletteBlock, editor.Doc.DocImage()->PaletteBlock)
        << "the storage's colour table";
    EXPECT_EQ(editor.DrawIndex(), after.draw);
    EXPECT_EQ(editor.Doc.TransparentIndex(), after.clear);
    int pictureNotices = 0;
    for (const TChange& change : recorder.Changes) {
        if (!change.Pixels) continue;
        ++pictureNotices;
        EXPECT_TRUE(change.Palette);
        EXPECT_EQ(change.Rect, (TRect{0, 0, editor.Doc.DocWidth(), editor.Doc.DocHeight()}));
    }
    EXPECT_EQ(pictureNotices, 1);
    EXPECT_FALSE(editor.Doc.Saved());
    EXPECT_EQ(editor.Doc.History.UndoCount(), 1u);
    ASSERT_TRUE(editor.Doc.Undo());
    EXPECT_EQ(Indices(editor.Doc), before.rows);
    EXPECT_EQ(editor.Doc.DocImage()->PaletteBlock, palette);
    editor.Doc.Unsubscribe(&recorder);
}
} // namespace

TEST(PaletteToolsTest, RemapsKeepThePictureAndTheIndicesFollowTheirColours) {
    const TRows picture = {"0123", "3321", "1000"};
    const std::string rgbw = "rgbw";
    struct Case {
        const char* name;
        TCommand command;
        TState before, after;
    };
    const Case cases[] = {
        {"swap 1 and 3",
         Swap(1, 3),
         {rgbw, picture, 1, 0},
         {"rwbg", {"0321", "1123", "3000"}, 3, 0}},
        {"swap keeping the indices",
         Swap(1, 3, false),
         {rgbw, picture, 1, 3},
         {"rwbg", {"0321", "1123", "3000"}, 1, 3}},
        {"move 0 to 3",
         Move(0, 3),
         {rgbw, picture, 0, 2},
         {"gbwr", {"3012", "2210", "0333"}, 3, 1}},
        {"move 3 to 0",
         Move(3, 0),
         {rgbw, picture, 3, 1},
         {"wrgb", {"1230", "0032", "2111"}, 0, 2}},
        // Luma: blue, red, green, white; 4 and up unused.
        {"sort by brightness",
         Sort(TSortKey::Brightness),
         {rgbw, picture, 2, 0},
         {"brgw", {"1203", "3302", "2111"}, 0, 1}},
        {"sort by brightness, transparent kept",
         Sort(TSortKey::Brightness, true),
         {rgbw, picture, 2, 0},
         {"rbgw", {"0213", "3312", "2000"}, 1, 0}},
        // Greys by brightness, then yellow, green and magenta; the red 5 is not used.
        {"sort by hue",
         Sort(TSortKey::Hue),
         {"mgkeyrw", {"0123", "4446", "6666"}, 0, 3},
         {"kewygmr", {"5401", "3332", "2222"}, 5, 1}},
        // Most used first: 0 (4 pixels), then 1 and 3 (3 each, in their order), then 2.
        {"sort by usage",
         Sort(TSortKey::Usage),
         {rgbw, picture, 3, 2},
         {"rgwb", {"0132", "2231", "1000"}, 2, 3}},
    };
    for (const Case& c : cases)
        ExpectRemap(c.name, c.command, c.before, c.after);
}

TEST(PaletteToolsTest, DuplicatesGiveTheirPixelsToTheFirstEntryOfTheirColour) {
    struct Case {
        const char* name;
        int32_t clear;
        TRows after;
        int32_t merged;
    };
    // Entries 0 and 3 are both red, 1, 4 and 5 green; 5 is not used.
    const TRows picture = {"01234", "43210"};
    const Case cases[] = {
        {"every duplicate", 7, {"01201", "10210"}, 2},
        {"the transparent 3 kept apart", 3, {"01231", "13210"}, 1},
        {"the transparent 1 kept apart, 4 keeps its pixels", 1, {"01204", "40210"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TEditor editor;
        Open(editor, "rgbrgg", picture);
        editor.SetDrawIndex(4);
        editor.Doc.SetTransparentIndex(c.clear);
        const TRows colours = Colours(editor.Doc);
        EXPECT_EQ(MergeDuplicates(editor), c.merged);
        EXPECT_EQ(Indices(editor.Doc), c.after);
        EXPECT_EQ(Colours(editor.Doc), colours);
        EXPECT_EQ(editor.Doc.DocImage()->PaletteBlock, PaletteOf("rgbrgg")) << "no entry moves";
        EXPECT_EQ(editor.DrawIndex(), 4);
        EXPECT_EQ(editor.Doc.TransparentIndex(), c.clear);
        EXPECT_EQ(editor.Doc.History.UndoCount(), 1u);
        editor.Doc.Undo();
        EXPECT_EQ(Indices(editor.Doc), picture);
    }
}

// A loaded palette in place of the old one: every pixel takes the loaded colour nearest its own,
// the entries past the file's keep their colours, and the indices follow.
TEST(PaletteToolsTest, LoadingNearestMovesEveryPixelToTheNearestLoadedColour) {
    TEditor editor;
    // Entry 0 dark red, 1 grey, 2 blue, 3 white, 4 green.
    Open(editor, "debwg", {"01234", "43210"});
    editor.SetDrawIndex(3);
    editor.Doc.SetTransparentIndex(2);
    const TPaletteColors loaded = {kColours.at('k'), kColours.at('w'), kColours.at('r'),
                                   kColours.at('b')};
    ASSERT_TRUE(LoadNearest(editor, loaded));
    // Dark red is nearest red, grey a little nearer white than black, green nearest black.
    EXPECT_EQ(Indices(editor.Doc), (TRows{"21310", "01312"}));
    EXPECT_EQ(LettersOf(editor.Doc.DocImage()->PaletteBlock, 5), "kwrbg");
    EXPECT_EQ(Colours(editor.Doc), (TRows{"rwbwk", "kwbwr"}));
    EXPECT_EQ(editor.DrawIndex(), 1);
    EXPECT_EQ(editor.Doc.TransparentIndex(), 3);
    EXPECT_EQ(editor.Doc.History.UndoCount(), 1u);
    editor.Doc.Undo();
    EXPECT_EQ(Indices(editor.Doc), (TRows{"01234", "43210"}));
    EXPECT_EQ(editor.Doc.DocImage()->PaletteBlock, PaletteOf("debwg"));
    EXPECT_FALSE(LoadNearest(editor, {}));
    EXPECT_EQ(editor.Doc.History.UndoCount(), 1u);
}

TEST(PaletteToolsTest, TheRampIsOnePaletteStepThatLeavesThePixels) {
    TEditor editor;
    Open(editor, "kwwwe", {"0123", "4444"});
    ASSERT_TRUE(RampEntries(editor.Doc, 4, 0));
    const TPalette& ramp = editor.Doc.DocImage()->PaletteBlock;
    for (uint8_t i = 1; i < 4; ++i)
        EXPECT_EQ(ramp[i], (TPaletteEntry{uint8_t(32 * i), uint8_t(32 * i), uint8_t(32 * i), 0}));
    EXPECT_EQ(Indices(editor.Doc), (TRows{"0123", "4444"}));
    EXPECT_EQ(editor.Doc.History.UndoCount(), 1u);
    EXPECT_FALSE(RampEntries(editor.Doc, 0, 4)) << "the same ramp again changes nothing";
    EXPECT_FALSE(RampEntries(editor.Doc, 2, 3));
    editor.Doc.Undo();
    EXPECT_EQ(editor.Doc.DocImage()->PaletteBlock, PaletteOf("kwwwe"));
}

// Nothing to do, no document, or a floating block whose own pixels would keep the old indices:
// no step, no change.
TEST(PaletteToolsTest, CommandsThatWouldChangeNothingOrCannotRecordNothing) {
    const std::function<bool(TEditor&)> commands[] = {
        [](TEditor& e) { return SwapEntries(e, 1, 2); },
        [](TEditor& e) { return MoveEntry(e, 0, 2); },
        [](TEditor& e) { return SortEntries(e, TSortKey::Hue, false); },
        [](TEditor& e) { return MergeDuplicates(e) > 0; },
        [](TEditor& e) { return LoadNearest(e, {kColours.at('w')}); },
    };
    for (size_t i = 0; i < std::size(commands); ++i) {
        TEditor editor;
        EXPECT_FALSE(commands[i](editor)) << i << " without a document";
        Open(editor, "rrgk", {"0123"});
        editor.Doc.StartSelection(0, 0, TSnapStep{});
        editor.Doc.LiftSelection(TSnapStep{});
        EXPECT_FALSE(commands[i](editor)) << i << " while a block floats";
        EXPECT_EQ(Indices(editor.Doc), TRows{"0123"});
        EXPECT_EQ(editor.Doc.History.UndoCount(), 0u);
    }
    TEditor editor;
    Open(editor, "kegw", {"0123", "3333"});
    EXPECT_FALSE(SwapEntries(editor, 2, 2));
    EXPECT_FALSE(SortEntries(editor, TSortKey::Brightness, false)) << "already in order";
    editor.Doc.SetTransparentIndex(3);
    EXPECT_FALSE(SortEntries(editor, TSortKey::Usage, true)) << "in order but for the kept 3";
    EXPECT_EQ(MergeDuplicates(editor), 0);
    EXPECT_EQ(editor.Doc.History.UndoCount(), 0u);
    EXPECT_TRUE(editor.Doc.Saved());
}

// The names of a loaded GIMP palette go with their colours when the entries move.
TEST(PaletteToolsTest, EntryNamesFollowTheirColours) {
    TEditor editor;
    Open(editor, "rgb", {"012"});
    editor.Doc.SetPaletteNames({"Trio", {"Red", "Green", "Blue"}});
    ASSERT_TRUE(MoveEntry(editor, 2, 0));
    const std::vector<std::string>& names = editor.Doc.DocPaletteNames().Entries;
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 3),
              (std::vector<std::string>{"Blue", "Red", "Green"}));
    EXPECT_EQ(editor.Doc.DocPaletteNames().Title, "Trio");
}
