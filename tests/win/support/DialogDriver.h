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

// The text of a window of any process (read with a timeout), its class name, and every child window
// (descendants included).
std::string TextOf(HWND window);
std::string ClassOf(HWND window);
std::vector<HWND> ChildWindows(HWND window);

// Waits until the process shows a visible dialog-class ("#32770") window; null on timeout.
HWND WaitForDialog(DWORD pid, DWORD timeoutMs);

TDialogContent ReadDialog(HWND dialog);

// Presses a button of the dialog (as a click would) and waits until the dialog is gone.
bool PressDialogButton(HWND dialog, int buttonId, DWORD timeoutMs = 5000);

// The layered-window alpha of a window, or -1 when it is not layered (or has no alpha set).
int LayeredAlpha(HWND window);

// Controls of another process's dialog, read and set as a user would see and change them.
std::string ControlText(HWND dialog, int id);
bool ControlEnabled(HWND dialog, int id);
bool ControlChecked(HWND dialog, int id);
// Clicks a check box whose state differs from `checked`.
void SetControlChecked(HWND dialog, int id, bool checked);
std::vector<std::string> ComboItems(HWND dialog, int id);
int ComboSelection(HWND dialog, int id);
// Selects an item and notifies the dialog as a selection by the user does.
void SelectComboItem(HWND dialog, int id, int index);
// A control's rectangle in the dialog's client coordinates, in pixels.
RECT ControlClientRect(HWND dialog, int id);

// A rectangle in dialog units converted to pixels for a dialog in the font `face` of `points` points
// (the base units computed as the dialog manager does). Another process's font handle cannot be read,
// so tests tell a dialog's font by the pixel rectangles of its controls.
RECT DialogUnitsToPixels(const std::string& face, int points, const RECT& dialogUnits);

// Waits for a visible top-level dialog of the process other than `except`; null on timeout.
HWND WaitForOtherDialog(DWORD pid, HWND except, DWORD timeoutMs);

// Every child window of a dialog with its id, class and text, one a line (for failure messages).
std::string DescribeChildren(HWND dialog);

// The first child of the class (any class when empty) with the id; null when there is none.
HWND FindChild(HWND dialog, int id, const std::string& className);
