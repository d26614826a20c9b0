// The document window's status line: the pixel under the pointer in either view with its index
// and colour, the size of the selection, floating block or shape being made, the drawing and
// transparent indices, both views' magnifications and the file, with a mark while it is unsaved.
#pragma once

#include "document/Change.h"

#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;
class TEditor;

// The fields on the picture, most wanted first: the pixel under the pointer, the size of what is
// being made, the indices ("(12, 34) #5 #FF0080", "選択 16×8", "描画 3", "透明 0"); none without
// a document.
QStringList PictureFields(const TEditor& editor);
// Both views' magnifications and the file: "表示 2倍  ルーペ 10倍  sprite.png *".
QString ViewStatus(const TEditor& editor, int32_t docZoom);
// The whole line, fields two spaces apart:
// "(12, 34) #5 #FF0080  選択 16×8  描画 3  透明 0  表示 2倍  ルーペ 10倍  sprite.png *".
QString StatusText(const TEditor& editor, int32_t docZoom);

class TStatusLine : public QWidget, public TObserver {
public:
    // docZoom gives the document window's zoom, asked afresh at every refresh.
    TStatusLine(std::function<int32_t()> docZoom, QWidget* parent);
    ~TStatusLine() override;

    // Every notice may change the text: the pointer, the indices, the colours and pixels under
    // the pointer, the selection, the shape, the saved flag.
    void Changed(const TChange& change) override;
    // Shows the text for the state now; the document window calls it after its zoom changed.
    void Refresh();
    // The whole line, as it shows where the window is wide enough.
    QString Text() const;
    // What the line shows now: the views' part whole at the right, and of the picture's fields
    // those that fit before it, whole, the most wanted first.
    QString Shown() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowPictureFields();

    std::function<int32_t()> docZoom_;
    QStringList pictureFields_;
    QLabel *picture_, *views_;
};
