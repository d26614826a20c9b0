#include "ui/toolkeys.h"

#include "document/PictureCommands.h"
#include "ui/errors.h"
#include "ui/session.h"

std::optional<TTool> ToolOfKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_B:
        return TTool::Pen;
    case Qt::Key_G:
        return TTool::Fill;
    case Qt::Key_M:
        return TTool::Region;
    case Qt::Key_L:
        return TTool::Line;
    case Qt::Key_U:
        return shift ? TTool::FilledRect : TTool::Rect;
    case Qt::Key_O:
        return shift ? TTool::FilledEllipse : TTool::Ellipse;
    default:
        return {};
    }
}

bool ToolKey(int key, Qt::KeyboardModifiers modifiers) {
    const std::optional<TTool> tool = ToolOfKey(key, modifiers);
    if (!tool) return false;
    if (!Editor().PressInProgress()) Editor().SetTool(*tool);
    return true;
}

std::optional<TTransform> BlockTransformOfKey(int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return {};
    switch (key) {
    case Qt::Key_X:
        return TTransform::FlipLeftRight;
    case Qt::Key_Y:
        return TTransform::FlipTopBottom;
    case Qt::Key_R:
        return modifiers & Qt::ShiftModifier ? TTransform::TurnLeft : TTransform::TurnRight;
    default:
        return {};
    }
}

bool EditorKeyEvent(const QKeyEvent& event) {
    bool taken = false;
    RunGuarded([&] {
        taken = ToolKey(event.key(), event.modifiers());
        if (taken) return;
        const std::optional<TTransform> transform =
            BlockTransformOfKey(event.key(), event.modifiers());
        if (transform) TransformBlock(Editor(), *transform);
        taken = transform.has_value();
    });
    return taken;
}

QString ToolCaption(TTool tool) {
    switch (tool) {
    case TTool::Pen:
        return "ペン (B)";
    case TTool::Fill:
        return "塗りつぶし (G)";
    case TTool::Region:
        return "範囲 (M)";
    case TTool::Line:
        return "直線 (L)";
    case TTool::Rect:
        return "四角形 (U)";
    case TTool::FilledRect:
        return "塗りつぶし四角形 (Shift+U)";
    case TTool::Ellipse:
        return "楕円 (O)";
    case TTool::FilledEllipse:
        return "塗りつぶし楕円 (Shift+O)";
    }
    return {};
}
