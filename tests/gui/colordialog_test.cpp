// The colour dialog as the user meets it: the channels and the "#RRGGBB" text following each
// other, and the Qt dialog behind the dialog seam answering OK and Cancel.
#include "editor_fixture.h"
#include "palette/colordialog.h"
#include "window_system.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace {
// What the dialog's channels, text, OK button and preview show, as "R G B text ok|off #preview".
std::string Shown(const TColorDialog& dialog) {
    const QColor preview = dialog.NewSwatch->palette().color(QPalette::Window);
    const QString text = QString("%1 %2 %3 %4 %5 %6")
                             .arg(dialog.RedEdit->value())
                             .arg(dialog.GreenEdit->value())
                             .arg(dialog.BlueEdit->value())
                             .arg(dialog.HexEdit->text())
                             .arg(dialog.OkButton->isEnabled() ? "ok" : "off")
                             .arg(preview.name().toUpper());
    return text.toStdString();
}

bool MarkedInvalid(const TColorDialog& dialog) {
    return dialog.HexEdit->palette().color(QPalette::Text) == QColor(Qt::red);
}

class ColorDialogTest : public EditorTest {};
} // namespace

TEST_F(ColorDialogTest, TheChannelsAndTheTextFollowEachOther) {
    TColorDialog dialog(37, TPaletteEntry{77, 200, 13, 0}, nullptr);
    EXPECT_EQ(Shown(dialog), "13 200 77 #0DC84D ok #0DC84D");
    struct Step {
        std::function<void(TColorDialog&)> edit;
        const char* shown;
    };
    const Step steps[] = {
        // Valid text sets the channels and stays as typed; other text changes nothing else.
        {[](TColorDialog& d) { d.HexEdit->setText("#ff8000"); }, "255 128 0 #ff8000 ok #FF8000"},
        {[](TColorDialog& d) { d.HexEdit->setText("00a0Ff"); }, "0 160 255 00a0Ff ok #00A0FF"},
        {[](TColorDialog& d) { d.HexEdit->setText("#00a0F"); }, "0 160 255 #00a0F off #00A0FF"},
        {[](TColorDialog& d) { d.HexEdit->setText("#GG0000"); }, "0 160 255 #GG0000 off #00A0FF"},
        {[](TColorDialog& d) { d.HexEdit->setText(""); }, "0 160 255  off #00A0FF"},
        // A channel writes the text anew, valid again.
        {[](TColorDialog& d) { d.GreenEdit->setValue(1); }, "0 1 255 #0001FF ok #0001FF"},
        {[](TColorDialog& d) { d.RedEdit->setValue(171); }, "171 1 255 #AB01FF ok #AB01FF"},
        {[](TColorDialog& d) { d.BlueEdit->setValue(999); }, "171 1 255 #AB01FF ok #AB01FF"},
    };
    for (const Step& s : steps) {
        s.edit(dialog);
        EXPECT_EQ(Shown(dialog), s.shown);
        EXPECT_EQ(MarkedInvalid(dialog), !dialog.OkButton->isEnabled()) << s.shown;
    }
    // Typed into a channel, as the user does.
    dialog.BlueEdit->selectAll();
    TypeInto(dialog.BlueEdit, "16");
    EXPECT_EQ(Shown(dialog), "171 1 16 #AB0110 ok #AB0110");
    EXPECT_EQ(dialog.Color(), (TPaletteEntry{16, 1, 171, 0}));
    EXPECT_EQ(dialog.OldSwatch->palette().color(QPalette::Window), QColor(13, 200, 77));
}

TEST_F(ColorDialogTest, TheQtDialogAnswersTheChosenColourOrNothingForCancel) {
    struct Case {
        const char* typed;
        bool ok;
        std::optional<TPaletteEntry> answer;
    };
    const Case cases[] = {
        {"#0dc84d", true, TPaletteEntry{77, 200, 13, 0}},
        {"#0dc84d", false, std::nullopt},
        // OK stays off for text that is no colour; the user can only cancel.
        {"#0dc84", true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QString caption, number;
        TModalScript script;
        script.On<TColorDialog>([&](TColorDialog& dialog) {
            caption = PlatformTitle(dialog.windowTitle());
            for (const QLabel* label : dialog.findChildren<QLabel*>())
                if (label->text().contains("番号")) number = label->text();
            dialog.HexEdit->setText(c.typed);
            (c.ok ? dialog.OkButton : dialog.CancelButton)->click();
            if (dialog.isVisible()) dialog.CancelButton->click();
        });
        std::optional<TPaletteEntry> answer;
        script.Play([&] { answer = TQtDialogs().EditColor(37, TPaletteEntry{1, 2, 3, 0}); });
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(caption, QString("色の編集"));
        EXPECT_EQ(number, QString("パレット番号 37"));
    }
}
