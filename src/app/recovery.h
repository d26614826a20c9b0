// The recovery file: a copy of a document with unsaved changes, written every minute, so that a
// crash loses at most a minute of work. A save or a close removes it; the next start offers it.
#pragma once

#include <QString>

// Where the copy lives: the user's data folder of the application.
QString RecoveryPath();
// Removes the copy; nothing happens when there is none.
void RemoveRecovery();
