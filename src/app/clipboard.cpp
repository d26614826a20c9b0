#include "app/clipboard.h"

#include "image/NearestEntry.h"
#include "ui/dialogs.h"
#include "ui/session.h"

#include <QClipboard>
#include <QGuiApplication>
#include <unordered_map>

QImage BlockToImage(const TDIB& image, int32_t left, int32_t top, int32_t width, int32_t height) {
    QImage picture(width, height, QImage::Format_Indexed8);
    QList<QRgb> colors;
    for (const TPaletteEntry& entry : image.PaletteBlock)
        colors.push_back(qRgb(entry.Red, entry.Green, entry.Blue));
    picture.setColorTable(colors);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            picture.scanLine(y)[x] = uint8_t(image.GetPixel(left + x, top + y));
    return picture;
}

TDIB ImageToBlock(const QImage& picture, const TPalette& palette, uint8_t transparent) {
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    TDIB block;
    block.Resize(argb.width(), argb.height(), 8);
    block.PaletteBlock = palette;
    block.ApplyPalette();
    // Pictures repeat few colours, so each is searched for once.
    std::unordered_map<QRgb, uint8_t> found;
    for (int32_t y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uint8_t* out = block.RowForWrite(y);
        for (int32_t x = 0; x < argb.width(); ++x) {
            if (qAlpha(row[x]) == 0) {
                out[x] = transparent;
                continue;
            }
            const QRgb color = row[x] | 0xff000000u;
            auto it = found.find(color);
            if (it == found.end()) {
                const uint8_t entry =
                    NearestPaletteEntry(palette, qRed(color), qGreen(color), qBlue(color));
                it = found.emplace(color, entry).first;
            }
            out[x] = it->second;
        }
    }
    return block;
}

void CopyToClipboard() {
    const TDocument& doc = Doc();
    if (!doc.IsOpen()) return;
    QImage picture;
    if (doc.Floating()) {
        const TDIB& work = doc.WorkImage();
        picture = BlockToImage(work, 0, 0, work.Width(), work.Height());
    } else if (doc.Selecting()) {
        const TSelectionBox& sel = doc.Sel();
        picture = BlockToImage(*doc.DocImage(), sel.Left, sel.Top, sel.Width, sel.Height);
    } else {
        const TRect area = Editor().ViewRect(kEditArea);
        picture = BlockToImage(*doc.DocImage(), area.Left, area.Top, area.Width(), area.Height());
    }
    QGuiApplication::clipboard()->setImage(picture);
}

void PasteFromClipboard() {
    if (!Doc().IsOpen()) return;
    const QImage picture = QGuiApplication::clipboard()->image();
    if (picture.isNull()) {
        Dialogs().Warning("クリップボードに画像がありません。");
        return;
    }
    TDIB block =
        ImageToBlock(picture, Doc().DocImage()->PaletteBlock, uint8_t(Doc().TransparentIndex()));
    // A press would go on into the block's tool; a block already floating is replaced, not placed.
    Editor().EndPressInProgress();
    Doc().FloatBlock(std::move(block), Editor().ViewLeft(kEditArea), Editor().ViewTop(kEditArea));
    Editor().SetTool(TTool::Region);
}
