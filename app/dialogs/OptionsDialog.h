#pragma once
// The options dialog (dialog resource 200). ShowOptionsDialog itself is declared in SaveRestoreActions.h.

#include <windows.h>

#include <cstdint>
#include <vector>

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Every text of the dialog in the current language, its title and the icon-size items.
void SetDialogTexts(HWND dialog);

// Reads the shell extension's state and labels button 1007 to install or uninstall it.
void SetShellExtButtonText(HWND dialog);

// A copy of a standard dialog template with the font switched to Tahoma 8: the header moves two
// bytes forward so that the shorter face name ends where the first control record began and the
// control records stay in place. `start` receives the offset of the rewritten template in the
// block (2). A template that is not of the expected form is returned unchanged with `start` 0.
std::vector<uint8_t> TemplateWithTahoma(const uint8_t* resource, size_t size, size_t& start);
