// The open document: its picture and palette, where it came from, whether it is saved, its undo
// history and its selection or floating block. Every change goes through the edit path below,
// which records the undo step, applies the change, marks the document unsaved and sends one
// notice to the observers. Positions and sizes are image pixels.
#pragma once

#include "document/Change.h"
#include "document/UndoHistory.h"
#include "image/DIB.h"
#include "image/PaletteNames.h"
#include "image/Selection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// An undo step: the document rectangle a change may touch (right and bottom exclusive), whether
// the step holds the palette, and the run it may merge into. A whole step holds the whole
// picture instead, for a change that may give it another size; its Rect is not used.
struct TStep {
    TRect Rect;
    bool Palette = false;
    TStepRun Run = TStepRun::None;
    bool Whole = false;
};

// The region tool's state: nothing, a selection being made, or a block floating.
enum class TRegionState : uint8_t { None, Selecting, Floating };

class TDocument {
public:
    // Slots of a new document's history: 49 steps.
    static constexpr uint32_t kUndoSlots = 50;

    // The picture; null while no document is open.
    TDIB* DocImage() const { return Image_.get(); }
    bool IsOpen() const { return Image_ != nullptr; }
    // The picture's size; 0 while none is open.
    int32_t DocWidth() const { return Image_ ? Image_->Width() : 0; }
    int32_t DocHeight() const { return Image_ ? Image_->Height() : 0; }

    // Path of the file the document belongs to; empty for a new picture never saved.
    std::string FileName;
    // The file the document came from when opening it left part of the file out; the first save
    // over that file asks first. Empty otherwise.
    std::string LossyFile;
    // True while the document has no unsaved changes.
    bool Saved() const { return Saved_; }
    // The file commands' word on it: a file was written or given up. Edits use the edit path.
    void SetSaved(bool saved);
    // The document was written as fileName, whose document it now is, saved; a notice tells the
    // views even when only the name changed.
    void SavedAs(std::string fileName);
    // The document keeps TransparentIndex transparent in its file (a PNG save writes tRNS).
    bool DocTransparent() const { return DocTransparent_; }
    // The palette index the layer overlay skips and a transparent file keeps clear. It stays
    // when a document closes: it is the user's choice on the swatches as much as the file's.
    int32_t TransparentIndex() const { return TransparentIndex_; }
    // The names of the palette file last loaded, written back by a GIMP palette save; an entry
    // whose colour changes loses its name.
    const TPaletteNames& DocPaletteNames() const { return PaletteNames_; }

    TUndoHistory History;

    // The region tool: a selection (Selecting), or a block (WorkImage) floating at Sel.
    TRegionState Region() const { return Region_; }
    bool Selecting() const { return Region_ == TRegionState::Selecting; }
    bool Floating() const { return Region_ == TRegionState::Floating; }
    const TSelectionBox& Sel() const { return Sel_; }
    const TDIB& WorkImage() const { return WorkImage_; }

    void Subscribe(TObserver* observer);
    void Unsubscribe(TObserver* observer);
    void Notify(const TChange& change);

    // Makes image the open document of fileName, saved, with an empty history; a
    // transparentIndex of 0..255 becomes the transparent index, kept in the file.
    void Open(std::unique_ptr<TDIB> image, std::string fileName, int32_t transparentIndex = -1);
    // Lets the document go: no picture, history released, no selection.
    void Close();
    // Back to the start-up state (transparent index 0 too) without a notice; observers stay.
    void Reset();

    // The edit path. Records step (none for nullptr), has apply change the picture, marks the
    // document unsaved and sends change. A change of the palette keeps the pixels' storage in
    // step with it and drops the names of the entries whose colour changed.
    void Edit(const TStep* step, const TChange& change, const std::function<void(TDIB&)>& apply);
    void Edit(const TStep& step, const TChange& change, const std::function<void(TDIB&)>& apply) {
        Edit(&step, change, apply);
    }
    // Replaces the palette through the edit path.
    void EditPalette(const TStep* step, const TPalette& entries);
    // Marks the document unsaved with nothing else changed.
    void MarkUnsaved();

    // Undoes or redoes one step, restoring the palette of a palette step and the size of a whole
    // step; false when there is none. Neither changes the saved flag.
    bool Undo();
    bool Redo();

    // The transparent index; moving it is a change to save while the file keeps it.
    void SetTransparentIndex(int32_t index);
    // Whether the file keeps the transparent index; a change to save.
    void SetDocTransparent(bool kept);
    // The names of a palette file just loaded into the palette.
    void SetPaletteNames(TPaletteNames names);

    // The region tool's moves; step is the snap step, positions image pixels.
    void StartSelection(int32_t x, int32_t y, TSnapStep step);
    void DragSelection(int32_t x, int32_t y, TSnapStep step);
    // Copies the selection into WorkImage, which then floats where the selection was.
    void LiftSelection(TSnapStep step);
    // A block from elsewhere (the clipboard) floats at (left, top), replacing any selection or
    // block.
    void FloatBlock(TDIB block, int32_t left, int32_t top);
    void MoveFloat(int32_t x, int32_t y, TSnapStep step);
    // Writes the floating block where it floats, cut at the document's edges, as one step.
    void PlaceFloat();
    void CancelSelection();

    // Makes picture's pixels the document's, its size included, as one whole step (the palette
    // stays the document's); a selection being made ends with it. Nothing while a block floats,
    // which would be left to be placed on a picture it was not lifted from.
    void ChangePicture(const TDIB& picture);

    // The first broken rule of the document, in words, or an empty string.
    std::string Violation() const;

private:
    std::unique_ptr<TDIB> Image_;
    bool Saved_ = false;
    bool DocTransparent_ = false;
    int32_t TransparentIndex_ = 0;
    TPaletteNames PaletteNames_;
    TRegionState Region_ = TRegionState::None;
    TSelectionBox Sel_;
    TDIB WorkImage_;
    std::vector<TObserver*> Observers_;

    void SetRegion(TRegionState state, const TSelectionBox& box);
    // Undoes or redoes one step by swap (TUndoHistory::Undo or Redo) and shows it; false for
    // none.
    bool Restore(const TUndoSlot* (TUndoHistory::*swap)(TDIB&));
};
