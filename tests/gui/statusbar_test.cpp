// The document window's status line, driven through the views' handlers: the pixel under the
// pointer with its index and colour, the indices, the size of what is being made, both
// magnifications and the file with its unsaved mark.
#include "app/statusbar.h"
#include "editor/lupe.h"
#include "editor_fixture.h"

#include <QAction>
#include <QApplication>
#include <QToolButton>

namespace {
QString Status() {
    return mainform->StatusLine->Text();
}

// The magnifier's display pixel at the centre of the cell of image pixel (x, y).
QPoint LupeSpot(int32_t x, int32_t y) {
    const int32_t p = LupeForm->Power();
    return QPoint((x - Editor().ViewLeft(kEditArea)) * p + p / 2,
                  (y - Editor().ViewTop(kEditArea)) * p + p / 2);
}

void LupeMove(int32_t x, int32_t y) {
    const QPoint at = LupeSpot(x, y);
    LupeForm->LupeBox2MouseMove(at.x(), at.y());
}

void LupePress(TMouseButton button, int32_t x, int32_t y) {
    const QPoint at = LupeSpot(x, y);
    LupeForm->LupeBox2MouseDown(button, at.x(), at.y());
}

void SendLeave(QWidget* widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}
} // namespace

class StatusLineTest : public EditorTest {
protected:
    // A 20 x 10 picture of index 2, pixel (7, 3) index 5 in #FF0080, the edit area at (4, 2).
    void SetUp() override {
        EditorTest::SetUp();
        NewDocument("20", "10");
        TDIB& image = *Doc().DocImage();
        for (int32_t y = 0; y < 10; ++y)
            std::fill_n(image.RowForWrite(y), 20, uint8_t(2));
        image.SetPixel(7, 3, 5);
        image.PaletteBlock[5] = TPaletteEntry{0x80, 0x00, 0xFF, 0};
        image.ApplyPalette();
        Editor().SetViewOrigin(kEditArea, 4, 2);
    }
};

TEST_F(StatusLineTest, ShowsThePixelUnderThePointerInEitherView) {
    mainform->xClick(mainform->x2);
    // The document window at 2x: device pixel (15, 7) lies on image pixel (7, 3).
    mainform->PaintBox2MouseMove(15, 7);
    EXPECT_EQ(Status(), "(7, 3) #5 #FF0080  描画 0  透明 0  表示 2倍  ルーペ 10倍  無題");
    // The colour and the index follow a palette edit and a pixel edit under the pointer.
    TPalette palette = Doc().DocImage()->PaletteBlock;
    palette[5] = TPaletteEntry{0x0C, 0x0B, 0x0A, 0};
    Doc().EditPalette(nullptr, palette);
    EXPECT_TRUE(Status().startsWith("(7, 3) #5 #0A0B0C  ")) << Status().toStdString();
    RecordedEdit(TRect{7, 3, 8, 4}, [](TDIB& image) { image.SetPixel(7, 3, 200); });
    EXPECT_TRUE(Status().startsWith("(7, 3) #200 #C8C8C8  ")) << Status().toStdString();
    EXPECT_TRUE(Status().endsWith("  無題 *")) << Status().toStdString();
    // Past the picture's right edge, and out of the view altogether.
    mainform->PaintBox2MouseMove(40, 7);
    EXPECT_TRUE(Status().startsWith("描画 0  ")) << Status().toStdString();
    mainform->PaintBox2MouseMove(0, 19);
    EXPECT_TRUE(Status().startsWith("(0, 9) #2 #020202  ")) << Status().toStdString();
    SendLeave(mainform->PaintBox2);
    EXPECT_TRUE(Status().startsWith("描画 0  ")) << Status().toStdString();

    // The magnifier, whose edit area begins at (4, 2).
    LupeMove(11, 6);
    EXPECT_TRUE(Status().startsWith("(11, 6) #2 #020202  ")) << Status().toStdString();
    LupeMove(7, 3);
    EXPECT_TRUE(Status().startsWith("(7, 3) #200 #C8C8C8  ")) << Status().toStdString();
    SendLeave(LupeForm->LupeBox2);
    EXPECT_TRUE(Status().startsWith("描画 0  ")) << Status().toStdString();
}

TEST_F(StatusLineTest, ShowsTheIndicesAndTheSizeOfWhatIsBeingMade) {
    Editor().SetDrawIndex(3);
    Doc().SetTransparentIndex(7);
    EXPECT_EQ(Status(), "描画 3  透明 7  表示 1倍  ルーペ 10倍  無題");

    // A selection at a one-pixel step from (5, 3) to the pointer at (8, 4), then lifted.
    mainform->bt1Dot->click();
    Editor().SetTool(TTool::Region);
    LupePress(TMouseButton::Left, 5, 3);
    LupeForm->LupeBox2MouseUp();
    LupeMove(8, 4);
    EXPECT_EQ(Status(), "(8, 4) #2 #020202  選択 4×2  描画 3  透明 7  表示 1倍  ルーペ 10倍  無題");
    LupePress(TMouseButton::Left, 8, 4);
    LupeForm->LupeBox2MouseUp();
    ASSERT_TRUE(Doc().Floating());
    EXPECT_TRUE(Status().contains("  移動 4×2  ")) << Status().toStdString();
    LupePress(TMouseButton::Right, 8, 4);
    EXPECT_FALSE(Status().contains("×")) << Status().toStdString();

    // A shape's box, whichever way it is dragged, until its release draws it.
    struct Case {
        TTool tool;
        int32_t x0, y0, x1, y1;
        const char* size;
    };
    const Case cases[] = {{TTool::Rect, 5, 3, 8, 8, "図形 4×6"},
                          {TTool::Line, 9, 8, 5, 8, "図形 5×1"},
                          {TTool::FilledEllipse, 6, 6, 6, 6, "図形 1×1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Editor().SetTool(c.tool);
        LupePress(TMouseButton::Left, c.x0, c.y0);
        LupeMove(c.x1, c.y1);
        EXPECT_TRUE(Status().contains(QString("  ") + c.size + "  描画 3  "))
            << Status().toStdString();
        LupeForm->LupeBox2MouseUp();
        EXPECT_FALSE(Status().contains("×")) << Status().toStdString();
    }
    EXPECT_TRUE(Status().endsWith("  無題 *"))
        << "the shapes were drawn: " << Status().toStdString();
}

TEST_F(StatusLineTest, ShowsTheFileNameAndWhetherItIsSaved) {
    EXPECT_TRUE(Status().endsWith("  無題")) << Status().toStdString();
    // A new picture saved as it is: only the name changes.
    dialogs->SaveNames.push_back(TempPath("sprite.png"));
    ASSERT_TRUE(mainform->SaveDocumentAs());
    EXPECT_TRUE(Status().endsWith("  sprite.png")) << Status().toStdString();
    LupePress(TMouseButton::Left, 5, 5);
    LupeForm->LupeBox2MouseUp();
    EXPECT_TRUE(Status().endsWith("  sprite.png *")) << Status().toStdString();
    ASSERT_TRUE(mainform->SaveDocument());
    EXPECT_TRUE(Status().endsWith("  sprite.png")) << Status().toStdString();
    mainform->acTransparent->trigger();
    EXPECT_TRUE(Status().endsWith("  sprite.png *")) << Status().toStdString();
    // Without a document nothing of a picture is left.
    dialogs->Answers.push_back(TPromptAnswer::No);
    ASSERT_TRUE(mainform->CloseDocument());
    EXPECT_EQ(Status(), "表示 1倍  ルーペ 10倍");
}

TEST_F(StatusLineTest, FollowsBothMagnifications) {
    struct Step {
        std::function<void()> act;
        const char* shown;
    };
    const Step steps[] = {
        {[] { mainform->x4->trigger(); }, "表示 4倍  ルーペ 10倍"},
        {[] { LupeForm->N7->trigger(); }, "表示 4倍  ルーペ 14倍"},
        {[] { mainform->StepZoom(-1, QPoint(0, 0)); }, "表示 2倍  ルーペ 14倍"},
        {[] { LupeForm->StepPower(-1, QPoint(0, 0)); }, "表示 2倍  ルーペ 12倍"},
        {[] { LupeForm->PowerChange(LupeForm->N1); }, "表示 2倍  ルーペ 1倍"},
        // Without a document both still show.
        {[] { mainform->CloseDocument(); }, "表示 2倍  ルーペ 1倍"},
        {[] { mainform->x1->trigger(); }, "表示 1倍  ルーペ 1倍"},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_TRUE(Status().contains(step.shown)) << Status().toStdString();
    }
    // The magnification lives in the editor state; the magnifier's menu shows it.
    EXPECT_EQ(Editor().LupePower(), 1);
    EXPECT_TRUE(LupeForm->N1->isChecked());
}

// Where the window is too narrow for the whole line, the views' part stays whole and of the
// picture's fields only the leading ones that fit show, each whole.
TEST_F(StatusLineTest, ANarrowWindowLeavesOutTrailingFieldsWhole) {
    Editor().SetTool(TTool::Region);
    LupePress(TMouseButton::Left, 4, 2);
    LupeMove(9, 6);
    const QStringList fields = PictureFields(Editor());
    ASSERT_EQ(fields.size(), 4) << fields.join("|").toStdString();
    const QString views = ViewStatus(Editor(), mainform->ZoomFactor);
    qsizetype previous = fields.size();
    for (const int width : {1400, 483, 360, 250}) {
        SCOPED_TRACE(width);
        mainform->resize(width, mainform->height());
        QCoreApplication::processEvents();
        const QString shown = mainform->StatusLine->Shown();
        qsizetype leading = fields.size();
        while (leading >= 0 && shown != (fields.mid(0, leading) << views).join("  "))
            --leading;
        ASSERT_GE(leading, 0) << "shows " << shown.toStdString();
        EXPECT_LE(leading, previous);
        if (width == 1400) {
            EXPECT_EQ(leading, fields.size());
        }
        previous = leading;
    }
    EXPECT_LT(previous, 2) << "the narrowest window showed most fields";
    EXPECT_EQ(mainform->StatusLine->Text(), (QStringList(fields) << views).join("  "));
}
