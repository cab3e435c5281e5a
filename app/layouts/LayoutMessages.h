#pragma once
// The messages and questions of saving and restoring layouts.

#include <cstddef>
#include <cstdint>
#include <string>

// "Desktop not found" with the diagnostic of the desktop search ("<stage> <error code>"). No gating
// of its own beyond the message box's silent mode.
void ShowDesktopNotFound(const std::string& locateError);

// The shell did not answer in time: the action was given up.
void ShowDesktopNotResponding();

// Putting the previous arrangement back failed: its undo backup is kept at `path`.
void ShowUndoFailed(const std::string& path);

// Why a layout file could not be read: a corrupt file (codes 1 to 3) or an I/O error (code 4); the
// text, and the message box that shows it.
std::string LayoutReadErrorText(int32_t code, const std::string& path);
void ShowLayoutReadError(int32_t code, const std::string& path);

// After a restore: `count` icons stayed where they were, because their stored positions lie on no
// monitor of the current display configuration.
void ShowIconsLeftInPlace(size_t count);

// A save could not write its file.
void ShowWriteError(const std::string& path);

// Verbs of BackupFailedQuery.
inline constexpr int BackupFailedRestore = 0;
inline constexpr int BackupFailedSave = 1;

// A backup could not be made: asks whether to restore or save anyway. Wherever messages may be
// shown the user decides; in silent command-line mode and during the save at logoff the action goes
// on without the backup.
bool BackupFailedQuery(int verbIndex);
