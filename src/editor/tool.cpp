#include "editor/tool.h"

Ttoolform* toolform = nullptr;

// The tool buttons and the shift arrows arrive with the tool window's own work; until then the
// window has its frame, caption and place.
Ttoolform::Ttoolform(QWidget* owner) : TToolWindow(owner, "ツール") {
    setFixedSize(223, 106);
    move(66, 584);
}
