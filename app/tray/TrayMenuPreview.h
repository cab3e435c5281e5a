#pragma once
// The picture of a layout beside the tray menu: while "Restore primary layout" or a backup of the
// archive submenu is highlighted, a preview window shows that layout and what a restore of it would
// move; it goes when another item is highlighted or the menu closes.

#include <windows.h>

#include <string>
#include <vector>

// WM_MENUSELECT of the tray window. `backupIds` are the backups the archive submenu lists, in its
// order. Shows, changes or closes the preview.
void ShowTrayMenuPreview(WPARAM wParam, LPARAM lParam, const std::vector<std::string>& backupIds);
// Closes the preview and forgets the desktop read for it (when the menu has closed).
void CloseTrayMenuPreview();
