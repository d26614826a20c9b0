#include "ui/zoomstep.h"

#include "ui/devicepixels.h"

#include <QAction>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <vector>

QAction* NeighbourZoom(std::initializer_list<QAction*> choices, int32_t current,
                       int32_t direction) {
    const std::vector<QAction*> steps(choices);
    for (size_t i = 0; i < steps.size(); ++i) {
        if (steps[i]->data().toInt() != current) continue;
        const size_t next = direction > 0 ? i + 1 : i - 1; // wraps past zero to a huge value
        return next < steps.size() ? steps[next] : nullptr;
    }
    return nullptr;
}

QPointF ViewportSpot(QScrollArea* area, QPoint anchor) {
    return LogicalPosition(*area->widget(), anchor) -
           QPointF(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}

void KeepPointInPlace(QScrollArea* area, QPoint anchor, QPointF spot, int32_t oldScale,
                      int32_t newScale) {
    const double ratio = area->widget()->devicePixelRatioF();
    QScrollBar *across = area->horizontalScrollBar(), *down = area->verticalScrollBar();
    // The content widget's resize reaches the scroll bars only through its resize event, which a
    // hidden window defers; bring the ranges up to date before scrolling.
    const QSize content = area->widget()->size(), view = area->viewport()->size();
    across->setRange(0, std::max(0, content.width() - view.width()));
    down->setRange(0, std::max(0, content.height() - view.height()));
    const auto scrollTo = [&](QScrollBar* bar, int32_t point, double at) {
        const int64_t moved = int64_t(point) * newScale / oldScale;
        bar->setValue(static_cast<int32_t>(std::lround(double(moved) / ratio - at)));
    };
    scrollTo(across, anchor.x(), spot.x());
    scrollTo(down, anchor.y(), spot.y());
    // A scroll step moves the content by ratio device pixels, and the content lands on the
    // nearest whole device pixel; at a fractional ratio the nearest step can leave the pointer
    // on a neighbour of the pixel, one step further brings it back where a step can.
    const QPoint pixel(anchor.x() / oldScale, anchor.y() / oldScale);
    const auto nudge = [newScale](QScrollBar* bar, int32_t shown, int32_t wanted) {
        const int32_t shownPixel = shown / newScale;
        if (shownPixel != wanted) bar->setValue(bar->value() + (shownPixel < wanted ? 1 : -1));
    };
    for (int step = 0; step < 2; ++step) {
        const QPoint shown =
            DevicePixelAt(*area->widget(), spot + QPointF(across->value(), down->value()));
        nudge(across, shown.x(), pixel.x());
        nudge(down, shown.y(), pixel.y());
    }
}
