// Stepping a view's magnification from the wheel or the keyboard: the next choice of a radio
// menu, and the scroll that keeps the pixel under the pointer where it was.
#pragma once

#include <QPoint>
#include <QPointF>
#include <cstdint>
#include <initializer_list>

class QAction;
class QScrollArea;

// The choice next to the one whose data is current, one step up (direction > 0) or down, in the
// order given (smallest magnification first); nullptr past either end.
QAction* NeighbourZoom(std::initializer_list<QAction*> choices, int32_t current, int32_t direction);

// The spot of the viewport, in its logical pixels, where the pointer on content device pixel
// anchor is now; taken before a zoom changes the content, whose resize may already clamp the
// scroll position.
QPointF ViewportSpot(QScrollArea* area, QPoint anchor);

// After area's content grew or shrank from oldScale to newScale device pixels per image pixel
// (in the device pixels of its screen), scrolls so that the image pixel of content device
// pixel anchor (at oldScale) lies under viewport spot again, as far as the scroll range allows.
void KeepPointInPlace(QScrollArea* area, QPoint anchor, QPointF spot, int32_t oldScale,
                      int32_t newScale);
