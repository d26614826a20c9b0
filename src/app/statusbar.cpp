#include "app/statusbar.h"

#include "ui/session.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QStringList>
#include <cstdlib>

namespace {
QString Size(const char* caption, int32_t width, int32_t height) {
    return QString("%1 %2×%3").arg(caption).arg(width).arg(height);
}

// The pixel under the pointer with its index and colour; empty while the pointer is over no
// pixel of the picture.
QString PointerPart(const TEditor& editor) {
    const TDIB& image = *editor.Doc.DocImage();
    const std::optional<TCell> pixel = editor.Pointer();
    // A pointer noted over an earlier, larger picture lies over nothing of this one.
    if (!pixel || pixel->X < 0 || pixel->Y < 0 || pixel->X >= image.Width() ||
        pixel->Y >= image.Height())
        return {};
    const auto index = static_cast<uint8_t>(image.GetPixel(pixel->X, pixel->Y));
    const TPaletteEntry& colour = image.PaletteBlock[index];
    const uint32_t rgb = uint32_t(colour.Red) << 16 | uint32_t(colour.Green) << 8 | colour.Blue;
    return QString("(%1, %2) #%3 #%4")
        .arg(pixel->X)
        .arg(pixel->Y)
        .arg(index)
        .arg(QString::number(rgb, 16).rightJustified(6, '0').toUpper());
}

// The size of what is being made: the shape dragged out, else the selection or floating block.
QString SizePart(const TEditor& editor) {
    if (const std::optional<TShapeDrag>& drag = editor.ShapeDrag())
        return Size("図形", std::abs(drag->X1 - drag->X0) + 1, std::abs(drag->Y1 - drag->Y0) + 1);
    const TSelectionBox& sel = editor.Doc.Sel();
    if (editor.Doc.Selecting()) return Size("選択", sel.Width, sel.Height);
    if (editor.Doc.Floating()) return Size("移動", sel.Width, sel.Height);
    return {};
}
} // namespace

QStringList PictureFields(const TEditor& editor) {
    if (!editor.Doc.IsOpen()) return {};
    QStringList fields = {PointerPart(editor), SizePart(editor),
                          QString("描画 %1").arg(editor.DrawIndex()),
                          QString("透明 %1").arg(editor.Doc.TransparentIndex())};
    fields.removeAll(QString());
    return fields;
}

QString ViewStatus(const TEditor& editor, int32_t docZoom) {
    const TDocument& doc = editor.Doc;
    QString text = QString("表示 %1倍  ルーペ %2倍").arg(docZoom).arg(editor.LupePower());
    if (!doc.IsOpen()) return text;
    const QString name = QFileInfo(QString::fromStdString(doc.FileName)).fileName();
    return text + "  " + (name.isEmpty() ? QString("無題") : name) + (doc.Saved() ? "" : " *");
}

namespace {
QString Joined(QStringList fields, const QString& views) {
    fields << views;
    fields.removeAll(QString());
    return fields.join("  ");
}
} // namespace

QString StatusText(const TEditor& editor, int32_t docZoom) {
    return Joined(PictureFields(editor), ViewStatus(editor, docZoom));
}

TStatusLine::TStatusLine(std::function<int32_t()> docZoom, QWidget* parent)
    : QWidget(parent), docZoom_(std::move(docZoom)), picture_(new QLabel(this)),
      views_(new QLabel(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(QFontMetrics(font()).horizontalAdvance("  "));
    // The picture's fields take what room is left rather than widening the window.
    picture_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(picture_, 1);
    row->addWidget(views_);
    Doc().Subscribe(this);
    Refresh();
}

TStatusLine::~TStatusLine() {
    Doc().Unsubscribe(this);
}

void TStatusLine::Changed(const TChange&) {
    Refresh();
}

void TStatusLine::Refresh() {
    pictureFields_ = PictureFields(Editor());
    views_->setText(ViewStatus(Editor(), docZoom_()));
    ShowPictureFields();
}

void TStatusLine::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ShowPictureFields();
}

// A field that does not fit is left out whole rather than cut through a character. The room is
// what the views' part leaves, as the layout will share it out, whether or not it has yet.
void TStatusLine::ShowPictureFields() {
    const int room = contentsRect().width() - layout()->spacing() - views_->sizeHint().width();
    const QFontMetrics metrics(picture_->font());
    QString shown;
    for (const QString& field : pictureFields_) {
        const QString longer = shown.isEmpty() ? field : shown + "  " + field;
        if (metrics.horizontalAdvance(longer) > room) break;
        shown = longer;
    }
    picture_->setText(shown);
}

QString TStatusLine::Text() const {
    return Joined(pictureFields_, views_->text());
}

QString TStatusLine::Shown() const {
    return Joined({picture_->text()}, views_->text());
}
