// The pictures on the tool window's buttons, drawn here rather than loaded from files.
#pragma once

#include "image/Shapes.h"
#include "image/Shift.h"

#include <QIcon>

// 32 x 32 pictures for the 40 x 40 tool buttons.
QIcon PencilGlyph();
QIcon PotGlyph();
// Two overlapping squares, the front one with a dashed outline.
QIcon RegionGlyph();
// The shape a shape tool draws, as a pixel picture.
QIcon ShapeGlyph(TShapeKind kind);
// A 12 x 12 filled arrow pointing in the shift's direction, for the 20 x 20 arrow buttons.
QIcon ArrowGlyph(TShiftDirection direction);
