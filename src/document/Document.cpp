#include "document/Document.h"

#include "image/PaletteFile.h"

#include <algorithm>

void TDocument::Subscribe(TObserver* observer) {
    Observers_.push_back(observer);
}

void TDocument::Unsubscribe(TObserver* observer) {
    std::erase(Observers_, observer);
}

void TDocument::Notify(const TChange& change) {
    // A copy: an observer may subscribe or leave while being told.
    const std::vector<TObserver*> observers = Observers_;
    for (TObserver* observer : observers)
        observer->Changed(change);
}

void TDocument::Open(std::unique_ptr<TDIB> image, std::string fileName, int32_t transparentIndex) {
    Image_ = std::move(image);
    FileName = std::move(fileName);
    LossyFile.clear();
    Saved_ = true;
    DocTransparent_ = transparentIndex >= 0;
    if (DocTransparent_) TransparentIndex_ = transparentIndex;
    PaletteNames_ = {};
    History.Reset(kUndoSlots);
    Region_ = TRegionState::None;
    WorkImage_.MakeEmpty();
    Notify({.Document = true});
}

void TDocument::Close() {
    Image_.reset();
    FileName.clear();
    LossyFile.clear();
    DocTransparent_ = false;
    PaletteNames_ = {};
    History.Reset(0);
    Region_ = TRegionState::None;
    WorkImage_.MakeEmpty();
    Notify({.Document = true});
}

void TDocument::Reset() {
    std::vector<TObserver*> observers = std::move(Observers_);
    *this = TDocument{};
    Observers_ = std::move(observers);
}

void TDocument::SetSaved(bool saved) {
    if (saved == Saved_) return;
    Saved_ = saved;
    Notify({});
}

void TDocument::SavedAs(std::string fileName) {
    FileName = std::move(fileName);
    Saved_ = true;
    Notify({});
}

void TDocument::MarkUnsaved() {
    if (Image_) SetSaved(false);
}

void TDocument::Edit(const TStep* step, const TChange& change,
                     const std::function<void(TDIB&)>& apply) {
    if (!Image_) return;
    if (step) History.Record(*Image_, step->Rect, step->Palette, step->Run, step->Whole);
    // Unsaved even when apply turns out to change nothing: the step is recorded.
    Saved_ = false;
    // Only a palette change needs the colours from before, for the names it keeps.
    if (!change.Palette) {
        apply(*Image_);
    } else {
        const TPalette before = Image_->PaletteBlock;
        apply(*Image_);
        PaletteNames_ = NamesKept(std::move(PaletteNames_), before, Image_->PaletteBlock);
        Image_->ApplyPalette();
    }
    Notify(change);
}

void TDocument::EditPalette(const TStep* step, const TPalette& entries) {
    Edit(step, {.Palette = true}, [&](TDIB& image) { image.PaletteBlock = entries; });
}

bool TDocument::Undo() {
    return Restore(&TUndoHistory::Undo);
}

bool TDocument::Redo() {
    return Restore(&TUndoHistory::Redo);
}

// The history swaps the step's pixels (the whole picture of a whole step); a palette step brings
// its palette back here.
bool TDocument::Restore(const TUndoSlot* (TUndoHistory::*swap)(TDIB&)) {
    if (!Image_) return false;
    const int32_t width = DocWidth(), height = DocHeight();
    const TUndoSlot* step = (History.*swap)(*Image_);
    if (!step) return false;
    if (step->PaletteFlag) {
        PaletteNames_ =
            NamesKept(std::move(PaletteNames_), Image_->PaletteBlock, step->Image.PaletteBlock);
        Image_->PaletteBlock = step->Image.PaletteBlock;
        Image_->ApplyPalette();
    }
    const bool resized = width != DocWidth() || height != DocHeight();
    Notify({.Pixels = true, .Rect = step->Rect, .Resized = resized, .Palette = step->PaletteFlag});
    return true;
}

void TDocument::SetTransparentIndex(int32_t index) {
    if (index == TransparentIndex_) return;
    TransparentIndex_ = index;
    // The file keeps the transparent index when the document carries transparency.
    if (Image_ && DocTransparent_) Saved_ = false;
    Notify({.Indices = true});
}

void TDocument::SetDocTransparent(bool kept) {
    if (!Image_) return;
    DocTransparent_ = kept;
    // The file to be written changed, so closing now asks to save.
    Saved_ = false;
    Notify({});
}

void TDocument::SetPaletteNames(TPaletteNames names) {
    PaletteNames_ = std::move(names);
}

void TDocument::SetRegion(TRegionState state, const TSelectionBox& box) {
    Region_ = state;
    Sel_ = box;
    Notify({.Selection = true});
}

void TDocument::StartSelection(int32_t x, int32_t y, TSnapStep step) {
    if (!Image_) return;
    const TSelectionBox anchor = AnchorSelection(x, y, step, DocWidth(), DocHeight());
    SetRegion(TRegionState::Selecting, SizeSelection(anchor, x, y, step, DocWidth(), DocHeight()));
}

void TDocument::DragSelection(int32_t x, int32_t y, TSnapStep step) {
    if (!Selecting()) return;
    SetRegion(Region_, SizeSelection(Sel_, x, y, step, DocWidth(), DocHeight()));
}

void TDocument::LiftSelection(TSnapStep step) {
    if (!Selecting()) return;
    // Copied before the state changes, so a failed copy leaves the selection as it was.
    LiftBlock(WorkImage_, *Image_, Sel_);
    SetRegion(TRegionState::Floating, MoveBlock(Sel_, Sel_.Left, Sel_.Top, step));
}

void TDocument::FloatBlock(TDIB block, int32_t left, int32_t top) {
    if (!Image_) return;
    WorkImage_ = std::move(block);
    SetRegion(TRegionState::Floating,
              TSelectionBox{left, top, WorkImage_.Width(), WorkImage_.Height()});
}

void TDocument::MoveFloat(int32_t x, int32_t y, TSnapStep step) {
    if (!Floating()) return;
    SetRegion(Region_, MoveBlock(Sel_, x, y, step));
}

void TDocument::PlaceFloat() {
    if (!Floating()) return;
    TDIB block = WorkImage_;
    WorkImage_.MakeEmpty();
    const TRect part = PlacedPart(*Image_, block, Sel_.Left, Sel_.Top);
    Sel_.Width = part.Width();
    Sel_.Height = part.Height();
    Region_ = TRegionState::None;
    // A block wholly outside the document writes nothing and records no step.
    if (part.Width() <= 0 || part.Height() <= 0) return Notify({.Selection = true});
    Edit(TStep{part}, {.Pixels = true, .Rect = part, .Selection = true},
         [&](TDIB& image) { PlaceBlock(image, part, block, Sel_.Left, Sel_.Top); });
}

void TDocument::CancelSelection() {
    if (Region_ == TRegionState::None) return;
    WorkImage_.MakeEmpty();
    SetRegion(TRegionState::None, Sel_);
}

void TDocument::ChangePicture(const TDIB& picture) {
    if (!Image_ || Floating()) return;
    const bool resized = picture.Width() != DocWidth() || picture.Height() != DocHeight();
    const bool selecting = Selecting();
    Region_ = TRegionState::None;
    Edit(TStep{.Rect = {}, .Whole = true},
         {.Pixels = true,
          .Rect = {0, 0, picture.Width(), picture.Height()},
          .Resized = resized,
          .Selection = selecting},
         [&](TDIB& image) { image.SharePixels(picture); });
}

std::string TDocument::Violation() const {
    if (!Image_) {
        if (History.UndoCapacity() != 0) return "no document open but the undo history is kept";
        if (Region_ != TRegionState::None) return "no document open but a selection is kept";
        return {};
    }
    if (History.UndoCapacity() == 0) return "an open document without an undo history";
    return History.Violation();
}
