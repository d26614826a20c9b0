// The one place where a command's exception ends: it is shown in an error box and the editor
// carries on. Every menu command and every event handler runs through RunGuarded.
//
// In builds with VARNET_CHECK_INVARIANTS (debug and test builds) RunGuarded also checks the
// editor state after every handler, thrown or not (TEditor::Violation). A broken
// rule is a programming error, not bad input: it is written to stderr and the process aborts.
#pragma once

#include <QString>
#include <functional>

class QAction;

void RunGuarded(const std::function<void()>& handler);
// The text the error box shows for the exception being handled; called in a catch block. An
// exception of no known kind is thrown on.
QString CaughtMessage();
// Connects the action's triggered signal to handler, run guarded.
void ConnectGuarded(QAction* action, std::function<void()> handler);
