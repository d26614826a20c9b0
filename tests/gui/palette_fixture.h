// The palette window's test fixture: an open document of known indices and colours, and what
// the swatches, their outlines and the bars show.
#pragma once

#include "docview_shown.h"
#include "editor_fixture.h"
#include "image/DIB.h"
#include "image/DisplayColor.h"
#include "palette/palettewindow.h"
#include "ui/session.h"

#include <QLabel>
#include <QMouseEvent>
#include <string>

// The pixel colour of a display colour (0x00BBGGRR) in the swatch picture.
inline QRgb Rgb(uint32_t colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}
inline QRgb Rgb(const TPaletteEntry& e) {
    return qRgb(e.Red, e.Green, e.Blue);
}

inline QRgb At(int32_t x, int32_t y) {
    return palletform->PalletBitmap.pixel(x, y);
}

// The colour of index's outline, after checking all 60 outline pixels share it.
inline QRgb Outline(int32_t index) {
    const int32_t x = index % 16 * 16, y = index / 16 * 16;
    const QRgb colour = At(x, y);
    for (int32_t k = 0; k < 16; ++k) {
        for (QRgb c : {At(x + k, y), At(x + k, y + 15), At(x, y + k), At(x + 15, y + k)})
            EXPECT_EQ(c, colour) << "outline of " << index << " is not one colour";
    }
    return colour;
}

// The colour of index's interior, after checking it is one colour.
inline QRgb Interior(int32_t index) {
    const int32_t x = index % 16 * 16, y = index / 16 * 16;
    const QRgb colour = At(x + 1, y + 1);
    for (int32_t dy = 1; dy < 15; ++dy)
        for (int32_t dx = 1; dx < 15; ++dx)
            EXPECT_EQ(At(x + dx, y + dy), colour) << "interior of " << index;
    return colour;
}

// What the bars and their labels show, as "R G B".
inline std::string Bars() {
    std::string out;
    for (TColorBar* bar : {palletform->RBar, palletform->GBar, palletform->BBar}) {
        EXPECT_EQ(bar->Tag->text(), QString::number(bar->value()));
        out += (out.empty() ? "" : " ") + std::to_string(bar->value());
    }
    return out;
}

inline void Click(TMouseButton button, int32_t x, int32_t y) {
    palletform->palletImageMouseDown(button, x, y);
    palletform->palletImageMouseUp();
}

inline void ClickBar(TColorBar* bar, int32_t x) {
    palletform->RBarMouseDown(bar, x);
    palletform->RBarMouseUp();
}

// A mouse event as Qt delivers it to a widget; a double click comes as press, release, double
// click, release.
inline void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint at,
                      Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(widget, &event);
}
inline void DoubleClick(QWidget* widget, Qt::MouseButton button, QPoint first, QPoint second) {
    SendMouse(widget, QEvent::MouseButtonPress, button, first);
    SendMouse(widget, QEvent::MouseButtonRelease, button, first);
    SendMouse(widget, QEvent::MouseButtonDblClick, button, second);
    SendMouse(widget, QEvent::MouseButtonRelease, button, second);
}

// Entry index of the grey ramp and the colour the tests give it.
inline TPaletteEntry Grey(uint8_t index) {
    return TPaletteEntry{index, index, index, 0};
}
inline const TPaletteEntry kExact{77, 200, 13, 0};

class PalletTest : public EditorTest {
protected:
    // A file of the test's folder holding text; its path.
    QString FileWith(const std::string& name, const std::string& text) {
        const QString path = TempPath(name);
        WriteFileBytes(path.toStdString(), {text.begin(), text.end()});
        return path;
    }
    // Loads path through the menu item, the open dialog answered with it.
    void LoadPalette(const QString& path) {
        dialogs->OpenNames.push_back(path);
        palletform->mnLoadPalette->trigger();
    }
    // An open 8 x 8 document whose pixel x + 8y is that index, with the grey ramp palette.
    void OpenDocument() {
        Doc().SetSaved(true); // replaces the last one without asking
        NewDocument("8", "8");
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 8; ++x)
                Doc().DocImage()->SetPixel(x, y, uint8_t(x + 8 * y));
        Doc().EditPalette(nullptr, GreyRampPalette());
        mainform->UpdateDocView();
        Doc().SetSaved(true);
        // On screen as it is now, so that a change the palette fails to show stays visible.
        EXPECT_EQ(StaleDocumentView(), "");
    }
    // Sets entry index of the open document's palette.
    void SetEntry(int32_t index, uint8_t red, uint8_t green, uint8_t blue) {
        TPalette palette = Doc().DocImage()->PaletteBlock;
        palette[index] = TPaletteEntry{blue, green, red, 0};
        const bool saved = Doc().Saved(); // set-up, not a change the tests look for
        Doc().EditPalette(nullptr, palette);
        Doc().SetSaved(saved);
    }
    // The document view's pixel of document pixel index (the document's pixel x + 8y is index),
    // the view on screen being up to date.
    QRgb DocViewColourOf(int32_t index) {
        const int z = mainform->ZoomFactor;
        EXPECT_EQ(StaleDocumentView(), "") << "document view";
        return PaintedDocument().pixel(index % 8 * z, index / 8 * z);
    }
};
