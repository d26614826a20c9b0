// The keys that choose the drawing tool, the same in every editor window: B pen, G fill, M region,
// L line, U rectangle (Shift+U filled), O ellipse (Shift+O filled).
#pragma once

#include "document/Editor.h"

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
// ToolKey for a key event of a window, guarded like every handler.
bool ToolKeyEvent(const QKeyEvent& event);
// The tool's name with its key, for tool tips.
QString ToolCaption(TTool tool);
