#pragma once
// Choosing a layout file to save to or restore from: the item dialogs on Windows Vista and later,
// the classic open and save dialogs before. Both remember the chosen folder (SavePath,
// RestorePath) and, when saving, propose a free file name made of the resolution and the date.

#include <windows.h>

#include <string>

// The full path chosen for saving, or empty when the user cancelled or the dialog failed.
std::string SaveLayoutFileDialog();

// The full path chosen for restoring, or empty.
std::string OpenLayoutFileDialog();

// The item-dialog variant of both: the save dialog with `saving`, else the open dialog.
std::string RunItemDialog(bool saving);

// The hook of the classic dialogs; their request's lCustData is 1 for the save dialog, 0 for the
// open dialog.
UINT_PTR CALLBACK ClassicDialogHook(HWND hook, UINT message, WPARAM wParam, LPARAM lParam);

// A file name (without folder) that does not exist yet in the folder: resolution_date.kvl, else
// resolution_date[1].kvl up to resolution_date[50].kvl (the last one even if it exists).
std::string SuggestLayoutFileName(const std::string& folder);

// The folder a dialog starts in: the one last used for its purpose, else the other one; the
// program's own folder in portable mode.
std::string LayoutDialogStartFolder(bool saving);
