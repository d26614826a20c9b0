#include "app/zoomstep.h"

#include <QAction>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
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

QPoint ViewportSpot(QScrollArea* area, QPoint anchor) {
    return anchor -
           QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}

void KeepPointInPlace(QScrollArea* area, QPoint anchor, QPoint spot, int32_t oldScale,
                      int32_t newScale) {
    // The content widget's resize reaches the scroll bars only through its resize event, which a
    // hidden window defers; bring the ranges up to date before scrolling.
    const QSize content = area->widget()->size(), view = area->viewport()->size();
    const auto scroll = [&](QScrollBar* bar, int32_t point, int32_t at, int32_t contentExtent,
                            int32_t viewExtent) {
        bar->setRange(0, std::max(0, contentExtent - viewExtent));
        bar->setValue(int32_t(int64_t(point) * newScale / oldScale) - at);
    };
    scroll(area->horizontalScrollBar(), anchor.x(), spot.x(), content.width(), view.width());
    scroll(area->verticalScrollBar(), anchor.y(), spot.y(), content.height(), view.height());
}
