#pragma once
// Finding the shell's desktop list view, the window that owns it and the shell's process.

#include <windows.h>

#include <string>

#include "DesktopRules.h"
#include "WinHandles.h"

// What a desktop search found. Filled only by LocateDesktop; held by the desktop session of one
// action (see TShellAccess), so that nothing of the shell outlives the action.
struct TDesktopLocation {
    HWND Progman = nullptr;          // "Progman" titled "Program Manager": target of the view commands
    HWND DefView = nullptr;          // the "ShellDLL_DefView" that hosts the icon list
    bool DefViewUnderWorker = false; // DefView lies in a top-level window of a "Worker" class
    HWND ListView = nullptr;         // the "SysListView32" child of DefView
    DWORD ShellProcessId = 0;        // the process that owns ListView
    TUniqueHandle ShellProcess;      // that process, opened for memory access
    std::string ErrorText;           // "<stage> <error code>" of the last failed search
};

// Process access that the item access needs: query information, write, read and allocate memory.
inline constexpr DWORD ShellProcessAccess =
    PROCESS_QUERY_INFORMATION | PROCESS_VM_WRITE | PROCESS_VM_READ | PROCESS_VM_OPERATION;
static_assert(ShellProcessAccess == 0x438);

// Finds the desktop windows and opens the shell's process, filling `location`. Closes the process
// handle of an earlier search in the same record first. False, with ErrorText set, when a stage
// failed: 0 no Progman window, 1 no view window, 2 no list view in it, 3 the process cannot be
// opened. A successful search leaves ErrorText as it was.
bool LocateDesktop(TDesktopLocation& location);

// EnumWindows callback of LocateDesktop, with the TDesktopLocation as its parameter: stops at the
// first top-level window, in Z order, that may hold the desktop view and has a "ShellDLL_DefView"
// child.
BOOL CALLBACK FindDefViewProc(HWND window, LPARAM location);

// The virtual screen, computed afresh on each call; left and top turn list-view positions into
// layout file coordinates.
TScreenRect GetVirtualScreenRect();
