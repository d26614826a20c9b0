// A fixture that starts the editor's five windows as start-up does, with scripted dialogs, and
// tears them down again, so every test begins from the start-up state.
#pragma once

#include "app/docwindow.h"
#include "app/new.h"
#include "app/startup.h"
#include "helpers.h"
#include "ui/dialogs.h"
#include "ui/session.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>
#include <string>
#include <utility>
#include <vector>

// Failure messages show texts as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Answers every dialog from queues the test fills and records every text shown. A dialog the
// test did not expect fails the test and is treated as cancelled.
class TScriptedDialogs : public TDialogs {
public:
    std::vector<QString> Warnings, Errors, Prompts;
    std::deque<TPromptAnswer> Answers;
    // A null QString stands for the user cancelling the dialog.
    std::deque<QString> OpenNames, SaveNames;
    std::vector<QString> OpenFilters, SaveFilters, SaveSuffixes, OpenStarts, SaveStarts;
    // The filter picked in each save dialog; when none is left, the first entry stays chosen.
    std::deque<QString> SaveChosenFilters;
    std::function<void()> OnNewForm;
    // Each colour dialog's entry and the colour it started from; the colours the user chooses,
    // nothing standing for Cancel.
    std::vector<std::pair<int32_t, TPaletteEntry>> ColorDialogs;
    std::deque<std::optional<TPaletteEntry>> ColorAnswers;

    void Warning(const QString& text) override { Warnings.push_back(text); }
    void Error(const QString& text) override { Errors.push_back(text); }
    TPromptAnswer Confirm(const QString& text) override {
        Prompts.push_back(text);
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected prompt: " << text.toStdString();
            return TPromptAnswer::Cancel;
        }
        const TPromptAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::optional<QString> OpenFileName(const QString& filter, const QString& start) override {
        OpenFilters.push_back(filter);
        OpenStarts.push_back(start);
        return Next(OpenNames, "open");
    }
    // Keeps the save dialog's promises: a name scripted without an extension gets the chosen
    // filter's, and a name in a missing folder is refused with the dialog's warning, the next
    // scripted name standing for what the user types then.
    std::optional<QString> SaveFileName(const QString& filter, const QString& defaultSuffix,
                                        const QString& start) override {
        SaveFilters.push_back(filter);
        SaveSuffixes.push_back(defaultSuffix);
        SaveStarts.push_back(start);
        QString chosen = filter.section(";;", 0, 0);
        if (!SaveChosenFilters.empty()) {
            chosen = SaveChosenFilters.front();
            SaveChosenFilters.pop_front();
        }
        const QString suffix =
            SuffixOfFilter(chosen).isEmpty() ? defaultSuffix : SuffixOfFilter(chosen);
        for (;;) {
            std::optional<QString> name = Next(SaveNames, "save");
            if (!name) return name;
            if (!QFileInfo(*name).fileName().contains('.')) *name += "." + suffix;
            const QString warning = MissingFolderWarning(*name);
            if (warning.isEmpty()) return name;
            Warnings.push_back(warning);
        }
    }
    void RunNewForm() override {
        if (OnNewForm)
            OnNewForm();
        else
            ADD_FAILURE() << "unexpected new-image dialog";
    }
    std::optional<TPaletteEntry> EditColor(int32_t index, const TPaletteEntry& initial) override {
        ColorDialogs.emplace_back(index, initial);
        return NextAnswer(ColorAnswers, "colour");
    }
    // Answers of the tile size dialog, nothing standing for the user cancelling, and the size
    // each dialog showed first.
    std::deque<std::optional<TPixelSize>> TileSizes;
    std::vector<TPixelSize> TileSizeStarts;
    std::optional<TPixelSize> AskTileSize(TPixelSize current) override {
        TileSizeStarts.push_back(current);
        return NextAnswer(TileSizes, "tile size");
    }

    // Answers of the canvas size dialog, nothing standing for the user cancelling, and the size
    // each dialog showed first.
    std::deque<std::optional<TCanvasChoice>> CanvasChoices;
    std::vector<TPixelSize> CanvasStarts;
    std::optional<TCanvasChoice> AskCanvasSize(TPixelSize current) override {
        CanvasStarts.push_back(current);
        return NextAnswer(CanvasChoices, "canvas size");
    }

    // Answers of the backdrop colour dialog (0xRRGGBB), nothing standing for the user
    // cancelling, and the colour each dialog showed first.
    std::deque<std::optional<uint32_t>> Backdrops;
    std::vector<uint32_t> BackdropStarts;
    std::optional<uint32_t> AskBackdrop(uint32_t current) override {
        BackdropStarts.push_back(current);
        return NextAnswer(Backdrops, "backdrop colour");
    }

    // Answers of the question how a file of frames opens, and the frame count each one named.
    std::deque<TFramesAnswer> FramesAnswers;
    std::vector<int32_t> FramesAsked;
    TFramesAnswer AskFrames(int32_t frames) override {
        FramesAsked.push_back(frames);
        if (FramesAnswers.empty()) {
            ADD_FAILURE() << "unexpected frames question";
            return TFramesAnswer::Cancel;
        }
        const TFramesAnswer answer = FramesAnswers.front();
        FramesAnswers.pop_front();
        return answer;
    }

    // Answers of the export scale dialog, nothing standing for the user cancelling, and the
    // scale each dialog showed first.
    std::deque<std::optional<int32_t>> ExportScales;
    std::vector<int32_t> ExportScaleStarts;
    std::optional<int32_t> AskExportScale(int32_t current) override {
        ExportScaleStarts.push_back(current);
        return NextAnswer(ExportScales, "export scale");
    }

private:
    // The next scripted answer of a dialog; one the test did not script fails it and counts as
    // cancelled.
    template <typename T>
    static std::optional<T> NextAnswer(std::deque<std::optional<T>>& answers, const char* which) {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << which << " dialog";
            return std::nullopt;
        }
        const std::optional<T> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    static std::optional<QString> Next(std::deque<QString>& names, const char* which) {
        if (names.empty()) {
            ADD_FAILURE() << "unexpected " << which << " dialog";
            return std::nullopt;
        }
        const QString name = names.front();
        names.pop_front();
        if (name.isNull()) return std::nullopt;
        return name;
    }
};

class EditorTest : public testing::Test {
protected:
    void SetUp() override {
        QApplication::setQuitOnLastWindowClosed(false);
        auto scripted = std::make_unique<TScriptedDialogs>();
        dialogs = scripted.get();
        SetDialogs(std::move(scripted));
        Editor().Reset();
        LastFolder().clear();
        CreateWindows();
    }
    void TearDown() override {
        DestroyWindows();
        Editor().Reset();
        SetDialogs(std::make_unique<TQtDialogs>());
    }

    // Runs New through the dialog with the given field texts.
    void NewDocument(const QString& width, const QString& height) {
        dialogs->OnNewForm = [&] {
            NewForm->XEdit->setText(width);
            NewForm->YEdit->setText(height);
            NewForm->Button1Click();
        };
        mainform->acNewExecute();
        dialogs->OnNewForm = nullptr;
    }
    // Path of a file name in this test's own temporary folder.
    QString TempPath(const std::string& name) {
        if (dir.empty()) dir = MakeTempDir();
        return QString::fromStdString(dir + "/" + name);
    }

    TScriptedDialogs* dialogs = nullptr;
    std::string dir;
};

// A key press as the window system delivers it, shortcuts first.
inline void PressWindowKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
        window->windowHandle(), QEvent::KeyPress, key, modifiers);
    QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
        window->windowHandle(), QEvent::KeyRelease, key, modifiers);
}

// The open document's indices, row by row.
inline std::vector<uint8_t> DocPixels() {
    const TDIB& image = *Doc().DocImage();
    std::vector<uint8_t> out;
    for (int32_t y = 0; y < image.Height(); ++y)
        out.insert(out.end(), image.RowForRead(y), image.RowForRead(y) + image.Width());
    return out;
}

// Set-up through the editor's own paths, with the snap step of the moment where the region tool
// reads one.
inline void StartSelection(int32_t x, int32_t y) {
    Doc().StartSelection(x, y, Editor().SnapStep());
}
inline void DragSelection(int32_t x, int32_t y) {
    Doc().DragSelection(x, y, Editor().SnapStep());
}
inline void LiftSelection() {
    Doc().LiftSelection(Editor().SnapStep());
}
inline void MoveFloat(int32_t x, int32_t y) {
    Doc().MoveFloat(x, y, Editor().SnapStep());
}
inline void PlaceFloat() {
    Doc().PlaceFloat();
}
inline void CancelSelection() {
    Doc().CancelSelection();
}
// A selection of exactly this box, made at a one-pixel step.
inline void SelectBox(int32_t left, int32_t top, int32_t width, int32_t height) {
    Doc().CancelSelection();
    Doc().StartSelection(left, top, TSnapStep{});
    Doc().DragSelection(left + width - 1, top + height - 1, TSnapStep{});
}
// The block of this box lifted and floating at (x, y).
inline void FloatBox(int32_t left, int32_t top, int32_t width, int32_t height, int32_t x,
                     int32_t y) {
    SelectBox(left, top, width, height);
    Doc().LiftSelection(TSnapStep{});
    Doc().MoveFloat(x, y, TSnapStep{});
}
// An edit of rect recorded as one step, as a tool makes it.
inline void RecordedEdit(const TRect& rect, const std::function<void(TDIB&)>& apply,
                         bool palette = false) {
    Doc().Edit(TStep{rect, palette}, {.Pixels = true, .Rect = rect, .Palette = palette}, apply);
}
