#include "app/windowplace.h"

#include "app/docwindow.h"
#include "editor/animation.h"
#include "editor/lupe.h"
#include "editor/tilepreview.h"
#include "editor/toolwindow.h"
#include "palette/palettewindow.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QSettings>
#include <algorithm>

namespace {
// The least client area the document window and the magnifier shrink to for a small screen, in
// logical pixels: room for their menus and buttons and a view still worth working in.
constexpr QSize kLeastClient(240, 200);

// Takes up to the excess from width, not below least; the excess shrinks by what was taken.
void GiveUp(int& width, int least, int& excess) {
    const int taken = std::clamp(width - least, 0, std::max(excess, 0));
    width -= taken;
    excess -= taken;
}

// The client size of a window not yet shown: its layout settles a size fixed by its contents.
QSize ClientSize(QWidget& window) {
    if (window.layout()) window.layout()->activate();
    return window.size();
}

bool Sizeable(const QWidget& window) {
    return window.minimumSize() != window.maximumSize();
}

QSize LeastClientSize(QWidget& window) {
    const QSize size = ClientSize(window);
    return Sizeable(window) ? kLeastClient.expandedTo(window.minimumSizeHint()).boundedTo(size)
                            : size;
}

QSize Framed(QSize client) {
    return client.grownBy(kFrameAllowance);
}

void PlaceFrame(QWidget& window, const QRect& frame) {
    window.setGeometry(frame.marginsRemoved(kFrameAllowance));
}

QScreen* ScreenNamed(const QString& name) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name) return screen;
    return QGuiApplication::primaryScreen();
}
} // namespace

TWindowLayout StartLayout(const QRect& area, const TFrameSize& document, QSize tools, QSize palette,
                          const TFrameSize& magnifier) {
    // Side by side: the column of the document and tool windows, the magnifier, the palette.
    int documentWidth = document.Size.width(), magnifierWidth = magnifier.Size.width();
    int excess =
        std::max(documentWidth, tools.width()) + magnifierWidth + palette.width() - area.width();
    // Narrower than the tool window below it, the document window would gain no room.
    GiveUp(documentWidth, std::max(document.Minimum.width(), tools.width()), excess);
    GiveUp(magnifierWidth, magnifier.Minimum.width(), excess);
    const int documentHeight =
        std::max(document.Minimum.height(),
                 std::min(document.Size.height(), area.height() - tools.height()));
    const int magnifierHeight =
        std::max(magnifier.Minimum.height(), std::min(magnifier.Size.height(), area.height()));
    const int column = std::max(documentWidth, tools.width());

    const QPoint origin = area.topLeft();
    const QRect documentFrame(origin, QSize(documentWidth, documentHeight));
    const QRect toolsFrame(origin + QPoint(0, documentHeight), tools);
    const QRect magnifierFrame(origin + QPoint(column, 0), QSize(magnifierWidth, magnifierHeight));
    const QRect paletteFrame(origin + QPoint(column + magnifierWidth, 0), palette);
    const auto into = [&area](const QRect& frame) { return ClampOnto(frame, area, frame.size()); };
    return {into(documentFrame), into(toolsFrame), into(paletteFrame), into(magnifierFrame)};
}

QRect ClampOnto(QRect frame, const QRect& area, QSize minimum) {
    frame.setSize(frame.size().boundedTo(area.size()).expandedTo(minimum.boundedTo(frame.size())));
    frame.moveLeft(
        std::max(area.left(), std::min(frame.left(), area.x() + area.width() - frame.width())));
    frame.moveTop(
        std::max(area.top(), std::min(frame.top(), area.y() + area.height() - frame.height())));
    return frame;
}

void PlaceWindowsForStart() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const auto sizes = [](QWidget& window) {
        return TFrameSize{Framed(ClientSize(window)), Framed(LeastClientSize(window))};
    };
    const TWindowLayout layout = StartLayout(area, sizes(*mainform), Framed(ClientSize(*toolform)),
                                             Framed(ClientSize(*palletform)), sizes(*LupeForm));
    PlaceFrame(*mainform, layout.Document);
    PlaceFrame(*toolform, layout.Tools);
    PlaceFrame(*palletform, layout.Palette);
    PlaceFrame(*LupeForm, layout.Magnifier);
    // The previews, hidden at a first start, open below the magnifier side by side, moved (and
    // shrunk) onto the screen where that runs off it.
    const QRect animation(layout.Magnifier.bottomLeft() + QPoint(0, 1),
                          Framed(ClientSize(*AnimationForm)));
    PlaceFrame(*AnimationForm, ClampOnto(animation, area, Framed(LeastClientSize(*AnimationForm))));
    const QRect tiles(animation.topRight() + QPoint(1, 0), Framed(ClientSize(*TileForm)));
    PlaceFrame(*TileForm, ClampOnto(tiles, area, Framed(LeastClientSize(*TileForm))));
}

void SavePlace(QSettings& store, const QString& key, const QWidget& window) {
    const QScreen* screen = window.screen();
    const QRect client = window.isMaximized() ? window.normalGeometry() : window.geometry();
    const QPointF offset = client.topLeft() - screen->geometry().topLeft();
    store.beginGroup("place/" + key);
    store.setValue("screen", screen->name());
    store.setValue("offset", (offset * screen->devicePixelRatio()).toPoint());
    store.setValue("size", client.size());
    store.setValue("maximized", window.isMaximized());
    store.endGroup();
}

void RestorePlace(const QSettings& store, const QString& key, QWidget& window) {
    const QString group = "place/" + key + "/";
    const QSize size = store.value(group + "size").toSize();
    if (!size.isValid()) return;
    const QScreen* screen = ScreenNamed(store.value(group + "screen").toString());
    const QPointF offset = store.value(group + "offset").toPoint();
    const QPoint topLeft =
        screen->geometry().topLeft() + (offset / screen->devicePixelRatio()).toPoint();
    const QSize least = LeastClientSize(window);
    const QRect client(topLeft, Sizeable(window) ? size : window.size());
    PlaceFrame(window, ClampOnto(client.marginsAdded(kFrameAllowance), screen->availableGeometry(),
                                 Framed(least)));
    if (store.value(group + "maximized").toBool())
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}
