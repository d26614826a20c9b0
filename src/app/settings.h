// What the editor remembers between runs in the user's settings: where its windows are and how
// big, which previews are shown, the magnifier's magnification and grid, the document view's
// grids, the animation's settings, the palette sorts' choice to keep the transparent entry in
// place, the enlarged export's scale, the last folder and the recent files.
#pragma once

#include <QStringList>

// Keeps the state of the open windows; called as the document window closes.
void SaveSettings();
// Puts back what SaveSettings kept; a value never kept leaves the start-up state.
void RestoreSettings();

// The files last opened or saved, newest first, at most kRecentCount.
constexpr int kRecentCount = 10;
QStringList RecentFiles();
// Puts path first, dropping an older entry of the same file and any beyond kRecentCount.
void AddRecentFile(const QString& path);
void RemoveRecentFile(const QString& path);
