#pragma once
// Finding the shell's desktop list view, the window that owns it and the shell's process.

#include <windows.h>

#include <string>

#include "DesktopRules.h"

// Written only by LocateDesktop; read by the item access and the layout actions.
extern HWND ProgmanWindow;          // "Progman" titled "Program Manager": target of the view commands
extern HWND DefViewWindow;          // the "ShellDLL_DefView" that hosts the icon list
extern bool DefViewUnderWorker;     // DefViewWindow lies in a top-level window of a "Worker" class
extern HWND DesktopListView;        // the "SysListView32" child of DefViewWindow
extern DWORD ShellProcessId;        // the process that owns DesktopListView
extern HANDLE ShellProcess;         // that process, opened for memory access; owned here
extern std::string LocateErrorText; // "<stage> <error code>" of the last failed search

// Process access that the item access needs: query information, write, read and allocate memory.
inline constexpr DWORD ShellProcessAccess =
    PROCESS_QUERY_INFORMATION | PROCESS_VM_WRITE | PROCESS_VM_READ | PROCESS_VM_OPERATION;
static_assert(ShellProcessAccess == 0x438);

// Finds the desktop windows and opens the shell's process, filling the globals above. Closes the
// process handle of an earlier call first. False, with LocateErrorText set, when a stage failed:
// 0 no Progman window, 1 no view window, 2 no list view in it, 3 the process cannot be opened.
bool LocateDesktop();

// EnumWindows callback of LocateDesktop: stops at the first top-level window, in Z order, that may
// hold the desktop view and has a "ShellDLL_DefView" child.
BOOL CALLBACK FindDefViewProc(HWND window, LPARAM);

// Closes the shell process handle that the last successful LocateDesktop left open.
void ReleaseShellProcess();

// The virtual screen, computed afresh on each call; left and top turn list-view positions into
// layout file coordinates.
TScreenRect GetVirtualScreenRect();
