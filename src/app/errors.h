// The one place where a command's exception ends: it is shown in an error box and the editor
// carries on. Every menu command and every event handler runs through RunGuarded.
#pragma once

#include <functional>

class QAction;

void RunGuarded(const std::function<void()>& handler);
// Connects the action's triggered signal to handler, run guarded.
void ConnectGuarded(QAction* action, std::function<void()> handler);
