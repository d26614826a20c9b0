// The dialogs as the user meets them: the Qt implementations behind the dialog seam, driven
// through their own widgets, and the captions the window system shows.
#include "editor_fixture.h"
#include "window_system.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <filesystem>

namespace {
const QString kSaveFilter = "PNGファイル (*.png);;BMPファイル (*.bmp);;すべてのファイル (*)";

// The file-name field and the filter list of Qt's own file dialog.
QLineEdit* NameField(QFileDialog& dialog) {
    return dialog.findChild<QLineEdit*>("fileNameEdit");
}

// Picks a filter as the user does, stepping through the dialog's list with the arrow keys.
void ChooseFilter(QFileDialog& dialog, const QString& filter) {
    auto* list = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(list, nullptr);
    const int index = list->findText(filter);
    ASSERT_GE(index, 0) << filter.toStdString();
    while (list->currentIndex() != index) {
        QKeyEvent press(QEvent::KeyPress, list->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up,
                        Qt::NoModifier);
        const int before = list->currentIndex();
        QCoreApplication::sendEvent(list, &press);
        ASSERT_NE(list->currentIndex(), before) << "the list did not move";
    }
}

// Types name into the dialog's name field and presses Save.
void TypeAndSave(QFileDialog& dialog, const QString& name) {
    QLineEdit* field = NameField(dialog);
    ASSERT_NE(field, nullptr);
    field->setText(name);
    auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(buttons, nullptr);
    buttons->button(QDialogButtonBox::Save)->click();
}

class QtDialogsTest : public EditorTest {
protected:
    // Runs the Qt save dialog, started in this test's folder, against the script.
    std::optional<QString> Save(TModalScript& script, const QString& start) {
        std::optional<QString> chosen;
        script.Play([&] { chosen = TQtDialogs().SaveFileName(kSaveFilter, "png", start); });
        return chosen;
    }

    // Opens a dialog through ask, types typed where the focus is and presses OK, or キャンセル
    // when ok is false; gives what ask answered, and the dialog's title in title.
    template <typename T>
    static std::optional<T> TypeAndAnswer(const std::function<std::optional<T>()>& ask,
                                          const char* typed, bool ok, QString& title) {
        TModalScript script;
        script.On<QDialog>([&](QDialog& dialog) {
            title = PlatformTitle(dialog.windowTitle());
            TypeInto(QApplication::focusWidget(), typed);
            for (QPushButton* button : dialog.findChildren<QPushButton*>())
                if (button->text() == (ok ? "OK" : "キャンセル")) button->click();
        });
        std::optional<T> answer;
        script.Play([&] { answer = ask(); });
        return answer;
    }
};
} // namespace

TEST(SuffixOfFilter, TakesTheFirstPatternsExtension) {
    const struct {
        const char* filter;
        const char* suffix;
    } cases[] = {
        {"PNGファイル (*.png)", "png"},
        {"BMPファイル (*.bmp)", "bmp"},
        {"標準サポートファイル (*.png *.bmp)", "png"},
        {"すべてのファイル (*)", ""},
        {"Some (*.b?p)", ""},
        {"no patterns", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SuffixOfFilter(c.filter), QString(c.suffix)) << c.filter;
}

TEST_F(QtDialogsTest, SaveGivesATypedNameTheChosenFiltersExtension) {
    const struct {
        const char* filter;
        const char* typed;
        const char* written;
    } cases[] = {
        {"BMPファイル (*.bmp)", "plain", "plain.bmp"},
        {"PNGファイル (*.png)", "plain", "plain.png"},
        {"すべてのファイル (*)", "plain", "plain.png"},
        {"PNGファイル (*.png)", "typed.bmp", "typed.bmp"},
        // Back and forth: the last choice counts.
        {"BMPファイル (*.bmp);;PNGファイル (*.png)", "again", "again.png"},
    };
    const QString folder = QFileInfo(TempPath("x")).absolutePath();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        TModalScript script;
        script.On<QFileDialog>([&](QFileDialog& dialog) {
            for (const QString& filter : QString(c.filter).split(";;"))
                ChooseFilter(dialog, filter);
            TypeAndSave(dialog, c.typed);
        });
        EXPECT_EQ(Save(script, folder), folder + "/" + c.written);
    }
}

TEST_F(QtDialogsTest, SaveStartsInTheGivenFolderWithTheGivenName) {
    const QString folder = QFileInfo(TempPath("x")).absolutePath();
    const struct {
        QString start, name;
    } cases[] = {{folder + "/doc.bmp", "doc.bmp"}, {folder, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start.toStdString());
        QString shownFolder, shownName;
        TModalScript script;
        script.On<QFileDialog>([&](QFileDialog& dialog) {
            shownFolder = dialog.directory().absolutePath();
            shownName = NameField(dialog)->text();
            dialog.reject();
        });
        EXPECT_EQ(Save(script, c.start), std::nullopt);
        EXPECT_EQ(shownFolder, folder);
        EXPECT_EQ(shownName, c.name);
    }
}

TEST_F(QtDialogsTest, SaveKeepsTheUserWhileTheFolderIsMissing) {
    const QString folder = QFileInfo(TempPath("x")).absolutePath();
    const QString missing = folder + "/missing/picture.png";
    QString warning, caption;
    bool stayed = false;
    TModalScript script;
    script
        .On<QFileDialog>([&](QFileDialog& dialog) {
            TypeAndSave(dialog, missing);
            stayed = dialog.isVisible();
        })
        .On<QMessageBox>([&](QMessageBox& box) {
            caption = box.windowTitle();
            warning = box.text();
            box.buttons().front()->click();
        })
        .On<QFileDialog>([&](QFileDialog& dialog) { TypeAndSave(dialog, "found.png"); });
    EXPECT_EQ(Save(script, folder), folder + "/found.png");
    EXPECT_TRUE(stayed);
    EXPECT_EQ(caption, QString("警告"));
    EXPECT_EQ(warning, MissingFolderWarning(missing));
    EXPECT_TRUE(warning.contains(folder + "/missing")) << warning.toStdString();
    EXPECT_FALSE(std::filesystem::exists((folder + "/missing").toStdString()));
}

TEST_F(QtDialogsTest, NewDialogReopensAtTheWidthReadyToBeTypedOver) {
    // First use: the user types into the height and leaves with Cancel.
    TModalScript first;
    first.On<TNewForm>([](TNewForm& form) {
        form.YEdit->setFocus(Qt::MouseFocusReason);
        form.YEdit->deselect();
        form.Button2->click();
    });
    first.Play([] { TQtDialogs().RunNewForm(); });

    // Second use: what the user types at once replaces the width.
    QString width, height;
    TModalScript second;
    second.On<TNewForm>([&](TNewForm& form) {
        TypeInto(QApplication::focusWidget(), "100");
        width = form.XEdit->text();
        height = form.YEdit->text();
        form.Button2->click();
    });
    second.Play([] { TQtDialogs().RunNewForm(); });
    EXPECT_EQ(width, QString("100"));
    EXPECT_EQ(height, QString("256"));
}

// The tile size dialog opens at the size it is given, the width ready to be typed over, and
// keeps both sides within the sizes a tile may have.
TEST_F(QtDialogsTest, TileSizeDialogAnswersWhatTheUserChose) {
    struct Case {
        const char* typed;
        bool ok;
        std::optional<TPixelSize> answer;
    };
    const Case cases[] = {{"12", true, TPixelSize{12, 16}},
                          // A digit that would pass kMostTileSide is refused.
                          {"99999", true, TPixelSize{999, 16}},
                          {"7", false, std::nullopt}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QString title;
        const std::optional<TPixelSize> answer = TypeAndAnswer<TPixelSize>(
            [] {
                return TQtDialogs().AskTileSize(TPixelSize{32, 16});
            },
            c.typed, c.ok, title);
        EXPECT_EQ(title, QString("タイルの大きさ"));
        EXPECT_EQ(answer, c.answer);
    }
}

// The export scale dialog opens at the scale it is given, ready to be typed over, and keeps the
// scale within 1 to 16.
TEST_F(QtDialogsTest, ExportScaleDialogAnswersWhatTheUserChose) {
    struct Case {
        const char* typed;
        bool ok;
        std::optional<int32_t> answer;
    };
    const Case cases[] = {{"5", true, 5}, {"16", true, 16}, {"99", true, 9}, {"7", false, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QString title;
        const std::optional<int32_t> answer = TypeAndAnswer<int32_t>(
            [] { return TQtDialogs().AskExportScale(3); }, c.typed, c.ok, title);
        EXPECT_EQ(title, QString("拡大して書き出す"));
        EXPECT_EQ(answer, c.answer);
    }
}

// The question how a file of frames opens names their count; each button gives its answer.
TEST_F(QtDialogsTest, FramesQuestionAnswersByItsButtons) {
    const std::pair<const char*, TFramesAnswer> cases[] = {
        {"最初のフレーム(&F)", TFramesAnswer::First},
        {"すべてのフレーム(&A)", TFramesAnswer::Sheet},
        {"キャンセル", TFramesAnswer::Cancel},
    };
    for (const auto& [caption, expected] : cases) {
        SCOPED_TRACE(caption);
        QString text;
        TModalScript script;
        script.On<QMessageBox>([&](QMessageBox& box) {
            text = box.text();
            for (QAbstractButton* button : box.buttons())
                if (button->text() == caption) button->click();
        });
        // Anything but the expected answer until the box gives one.
        TFramesAnswer answer =
            expected == TFramesAnswer::Cancel ? TFramesAnswer::First : TFramesAnswer::Cancel;
        script.Play([&] { answer = TQtDialogs().AskFrames(12); });
        EXPECT_TRUE(text.contains("12 枚のフレーム")) << text.toStdString();
        EXPECT_EQ(answer, expected);
    }
}

TEST_F(QtDialogsTest, BoxCaptionsReachTheWindowSystemUnchanged) {
    const struct {
        const char* caption;
        std::function<void()> open;
    } cases[] = {
        {"警告", [] { TQtDialogs().Warning("w"); }},
        {"確認", [] { TQtDialogs().Confirm("c"); }},
        {"Varnet計画", [] { TQtDialogs().Error("e"); }},
    };
    for (const auto& c : cases) {
        QString title;
        TModalScript script;
        script.On<QMessageBox>([&](QMessageBox& box) {
            title = PlatformTitle(box.windowTitle());
            box.buttons().front()->click();
        });
        script.Play(c.open);
        EXPECT_EQ(title, QString(c.caption));
    }
}
