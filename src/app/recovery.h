// The recovery file: a copy of a document with unsaved changes, written every minute, so that a
// crash loses at most a minute of work. A save or a close removes it; the next start offers it.
#pragma once

#include <QString>

// Where this process keeps its copy: the user's data folder of the application, under a name that
// holds the process id, so that editors running side by side never overwrite or remove each
// other's copy.
QString RecoveryPath();
// Removes the copy; nothing happens when there is none.
void RemoveRecovery();
