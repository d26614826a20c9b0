#include "app/press.h"

#include "editor/undo.h"

#include <utility>

namespace {
std::function<void()>& Release() {
    static std::function<void()> release;
    return release;
}
} // namespace

// Undo and Redo wait for the press, and their buttons and items say so meanwhile.
void PressBegan(std::function<void()> release) {
    EndPressInProgress();
    Release() = std::move(release);
    UpdateUndoButtons();
}

void PressEnded() {
    Release() = nullptr;
    UpdateUndoButtons();
}

bool PressInProgress() {
    return static_cast<bool>(Release());
}

void EndPressInProgress() {
    // Taken out before the release runs, whose own PressEnded then finds nothing left to end.
    std::function<void()> release = std::exchange(Release(), nullptr);
    if (release) release();
}
