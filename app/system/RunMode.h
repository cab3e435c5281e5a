#pragma once
// The file or backup of the current verb. How this process runs (verbs or the tray, whether
// messages may show, portable mode, the owner window, ...) is listed in ProcessState.h.

#include <string>

// File named with RF or SF.
extern std::string CommandLineFile;
// Backup to restore (RB verb, backup archive menu).
extern std::string SelectedBackupId;
