#pragma once
// Finding, reading and answering the message boxes and dialogs of another process.

#include <windows.h>

#include <string>
#include <vector>

struct TDialogButton {
    int Id = 0;
    std::string Text;
};

struct TDialogContent {
    HWND Window = nullptr;
    std::string Caption;
    // The message text of a message box (its static text control).
    std::string Text;
    std::vector<TDialogButton> Buttons;
    LONG Style = 0;
    LONG ExStyle = 0;
};

// Waits until the process shows a visible dialog-class ("#32770") window; null on timeout.
HWND WaitForDialog(DWORD pid, DWORD timeoutMs);

TDialogContent ReadDialog(HWND dialog);

// Presses a button of the dialog (as a click would) and waits until the dialog is gone.
bool PressDialogButton(HWND dialog, int buttonId, DWORD timeoutMs = 5000);

// The layered-window alpha of a window, or -1 when it is not layered (or has no alpha set).
int LayeredAlpha(HWND window);
