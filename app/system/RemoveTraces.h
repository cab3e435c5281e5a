#pragma once
// Removing everything the program has left on the machine.

#include <windows.h>

// Deletes the data folder with its content (not to the recycle bin), the vendor folder when it is
// then empty, the autostart value, and uninstalls the shell extension, the current user's
// registration and, from a copy for every user, the machine-wide one (`owner` owns a failure
// message; success is not reported). Each step runs whatever the previous one gave. The data folder
// is only deleted when it is this program's own per-user folder (see IsRemovableDataFolder).
void RemoveTraces(HWND owner);
