#pragma once
// Process-wide state of the main program that is set at start-up and read everywhere.

#include <windows.h>
#include <objidl.h>

#include <cstdint>
#include <string>

#include "ExitCodes.h"
#include "KavrilonNames.h"

// Started to perform verbs; the process ends after them unless TrayRequested.
extern bool CommandLineMode;
// Messages and questions may be shown although CommandLineMode is set (DLG switch).
extern bool MessagesAllowed;
extern bool TrayRequested;
// The PORT switch: the data folder is the program's own folder.
extern bool PortableMode;
// TRAY or NOSPLASH: this start behaves as with the option NoSplash = 1.
extern bool SplashSuppressed;
// Owner of this process's message boxes and dialogs.
extern HWND OwnerWindow;
// File named with RF or SF.
extern std::string CommandLineFile;
// Backup to restore (RB verb, backup archive menu).
extern std::string SelectedBackupId;
// The options dialog was opened by the O verb rather than from the tray menu.
extern bool OptionsFromCommandLine;

// Windows-version flags, set once by DetectWindowsVersion.
extern bool IsNTPlatform;
extern bool IsWindowsMe;
extern bool IsWindows2000OrLater;
extern bool IsXPOrLater;
extern bool IsVistaFamily;
extern uint32_t OpenFileNameSize;
extern uint16_t AlignToGridCommand;
extern uint16_t AutoArrangeCommand;

// This 32-bit program runs under WOW64, so the shell's process is 64-bit.
extern bool ShellIs64Bit;

// System functions that not every Windows version has; empty when missing.
using TSHCreateItemFromParsingName = HRESULT(WINAPI*)(PCWSTR path, IBindCtx* context, REFIID riid,
                                                      void** item);
using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND window, COLORREF key, BYTE alpha, DWORD flags);
extern TSHCreateItemFromParsingName SHCreateItemFromParsingNamePtr;
extern TSetLayeredWindowAttributes SetLayeredWindowAttributesPtr;

// The full path of the running program file.
std::string ProgramFilePath();
