#pragma once
// The one message box through which the main program shows its questions and messages.

#include <windows.h>

#include <cstdint>
#include <string>

// Every box counts in ModalDepth (ProcessState.h) while it is open.

// Shows a message box and returns the id of the pressed button (IDYES 6, IDNO 7, IDOK 1).
// In silent command-line mode (command-line run without DLG) nothing is shown and 6 comes back,
// so every question counts as answered Yes. The box is topmost and uses the current language for
// its buttons; with `transparent` and the option Transparency = 1 it is shown translucent.
int AppMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT style,
                  bool transparent);

// The CBT hook that makes the message box being created layered with alpha 180.
LRESULT CALLBACK CbtHookProc(int code, WPARAM wParam, LPARAM lParam);
