// The editor's keys, the same in every editor window. The tool keys choose the drawing tool: B pen,
// G fill, M region, L line, U rectangle (Shift+U filled), O ellipse (Shift+O filled). The block
// keys flip or turn the floating block: X left to right, Y top to bottom, R a quarter clockwise,
// Shift+R a quarter counter-clockwise.
#pragma once

#include "document/Editor.h"
#include "image/Transform.h"

#include <QKeyEvent>
#include <QString>
#include <Qt>
#include <optional>

// The tool key (a Qt::Key) chooses with modifiers held; nothing for any other key, and for any
// key with Ctrl, Alt or Meta held, which belong to the menus.
std::optional<TTool> ToolOfKey(int key, Qt::KeyboardModifiers modifiers);
// Chooses the key's tool, unless a press is in progress: a tool changed mid-stroke would leave
// the stroke to a tool that did not begin it. True when the key is a tool key.
bool ToolKey(int key, Qt::KeyboardModifiers modifiers);
// The block key's transform with modifiers held; nothing for any other key, and for any key with
// Ctrl, Alt or Meta held.
std::optional<TTransform> BlockTransformOfKey(int key, Qt::KeyboardModifiers modifiers);
// ToolKey, else the block key's transform of the floating block, for a key event of a window,
// guarded like every handler. True when the key is one of the editor's keys.
bool EditorKeyEvent(const QKeyEvent& event);
// The tool's name with its key, for tool tips.
QString ToolCaption(TTool tool);

// The floating block's transforms in the edit menu, each caption with its block key after the tab.
struct TBlockItem {
    TTransform Transform;
    const char* Caption;
};
inline constexpr TBlockItem kBlockItems[] = {
    {TTransform::FlipLeftRight, "ブロックを左右反転\tX"},
    {TTransform::FlipTopBottom, "ブロックを上下反転\tY"},
    {TTransform::TurnRight, "ブロックを右に90度回転\tR"},
    {TTransform::TurnLeft, "ブロックを左に90度回転\tShift+R"},
};
