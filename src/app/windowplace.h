// Where the editor's four windows go: a start-up layout that fits the screen's available area
// without overlap, and places kept between runs in a form that holds at any display scale.
#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

class QSettings;
class QWidget;

// What the window system's frame adds around a window, in logical pixels, as long as it is not
// known (it is not before the first show): a title bar and thin borders, as most desktops draw
// them.
constexpr QMargins kFrameAllowance(4, 32, 4, 4);

// A window's frame size at start-up and the least it may shrink to, in logical pixels.
struct TFrameSize {
    QSize Size, Minimum;
};

// The frames of the four windows, in logical pixels.
struct TWindowLayout {
    QRect Document, Tools, Palette, Magnifier;
};

// The start-up layout within area, a screen's available area in logical pixels: the document
// window at the top left with the tool window below it, the magnifier to their right and the
// palette window beyond it. Where area is too narrow or too short, the document window gives up
// room first, then the magnifier, neither below its minimum; only an area too small for the
// minimums lets frames overlap, each then moved into area as far as it fits.
TWindowLayout StartLayout(const QRect& area, const TFrameSize& document, QSize tools, QSize palette,
                          const TFrameSize& magnifier);

// frame moved into area, where it is larger than area first shrunk towards minimum; its top
// left corner, where the title bar is grabbed, always lies in area.
QRect ClampOnto(QRect frame, const QRect& area, QSize minimum);

// Lays out the editor's windows, not yet shown, over the primary screen's available area: the
// four of StartLayout, and the previews below the magnifier.
void PlaceWindowsForStart();

// Keeps window's place in store under key: its screen, where its top left corner is on that
// screen in device pixels (so that it comes back to the same spot at any display scale) and its
// size in logical pixels (so that it holds the same view), and whether it is maximised.
void SavePlace(QSettings& store, const QString& key, const QWidget& window);
// Puts back a place that SavePlace kept, clamped onto the available area of its screen (the
// primary screen when that one is gone); a place never kept leaves window where it is.
void RestorePlace(const QSettings& store, const QString& key, QWidget& window);
