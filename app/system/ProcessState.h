#pragma once
// The state of Kavrilon.exe that lives as long as the process, listed in one place rather than
// passed from procedure to procedure. Each entry says why it is process-wide; each is defined in
// the file of the unit that sets it. The state that only one file sees is listed at the end.

#include <windows.h>
#include <objidl.h>
#include <shellapi.h>

#include <cstdint>
#include <string>

#include "OptionTable.h"
#include "VersionRules.h"

// How this run was started. Set once by the start-up and the command line, and read by every layer
// below them (message boxes, saving, restoring, the tray, the options dialog).
// Started to perform verbs; the process ends after them unless TrayRequested. (RunMode.cpp)
extern bool CommandLineMode;
// Messages and questions may be shown although CommandLineMode is set (DLG switch). (RunMode.cpp)
extern bool MessagesAllowed;
// TRAY switch: the tray application starts after the verbs. (RunMode.cpp)
extern bool TrayRequested;
// PORT switch: the data folder is the program's own folder. (RunMode.cpp)
extern bool PortableMode;
// TRAY or NOSPLASH: this start behaves as with the option NoSplash = 1. (RunMode.cpp)
extern bool SplashSuppressed;
// The options dialog was opened by the O verb rather than from the tray menu. (RunMode.cpp)
extern bool OptionsFromCommandLine;
// Owner of this process's message boxes and dialogs: the H verb's window, the desktop, or the tray
// window; every message of every layer is owned by it. (RunMode.cpp)
extern HWND OwnerWindow;
// The hidden window of class and title "Kavrilon" of a tray instance: the window procedure, the
// timers and the splash screen's close report to it. (RunMode.cpp)
extern HWND TrayWindow;
// Set around the automatic save at logoff, which the window procedure starts: saving and restoring
// then show no question and no message. (RunMode.cpp)
extern bool SavingAtLogoff;
// The code the process ends with (ExitCodes.h). Process-wide because it is the process's outcome:
// the verbs of one command line each leave theirs in turn and the last one's counts, a restore of
// a backup reads it after the save it may start, and the entry point's last-resort handler must
// still see it when an action was cut short by an exception. (RunMode.cpp)
extern int32_t ExitCode;

// The system, found once at start: every layer asks it.
// What the running Windows version means for the program. (WindowsVersion.cpp)
extern TVersionFlags RunningWindows;
// This 32-bit program runs under WOW64, so the shell's process is 64-bit. (WindowsVersion.cpp)
extern bool ShellIs64Bit;
// System functions that not every Windows version has, looked up once; null when missing.
// (WindowsVersion.cpp)
using TSHCreateItemFromParsingName = HRESULT(WINAPI*)(PCWSTR path, IBindCtx* context, REFIID riid,
                                                      void** item);
using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND window, COLORREF key, BYTE alpha, DWORD flags);
extern TSHCreateItemFromParsingName SHCreateItemFromParsingNamePtr;
extern TSetLayeredWindowAttributes SetLayeredWindowAttributesPtr;
// The folder of the options file, the primary layouts and the backups; always ends with "\", empty
// when the per-user folder cannot be found. (DataFolder.cpp)
extern std::string DataFolder;

// The options of Options.ini, the language among them (the language of every text shown): read at
// start and whenever the tray menu opens, changed by the options dialog and the file dialogs, and
// read by every layer. (Options.cpp)
extern TOptions ProgramOptions;

// Windows open right now.
// Number of modal windows of the program open right now (message boxes, dialogs); the tray menu
// does not open while it is above 0. Message boxes of every layer count. (MessageBox.cpp)
extern int32_t ModalDepth;
// The splash or about window while it exists, otherwise null; there is one at a time, and the tray
// and the options dialog both open it. (Splash.cpp)
extern HWND SplashWindow;
// Owner of the next about screen, set just before the about screen runs as an action (an action is
// a procedure without parameters): the tray window or the options dialog. (Splash.cpp)
extern HWND AboutOwner;

// The tray instance: what its window procedure keeps between messages. (TrayWindow.cpp)
// Submenu 0 of the menu resource "KvrMenu" (the resource menu is held too).
extern HMENU TrayMenu;
// The archive submenu, created each time the tray menu opens and destroyed after it closes.
extern HMENU BackupMenu;
// Set when an icon was added to the notification area; never cleared.
extern bool TrayIconAdded;
// The message by which a restarted shell asks for the icon again.
extern UINT TaskbarCreatedMessage;
// The icon as added, to add it again and to remove it.
extern NOTIFYICONDATAA TrayIconRecord;
// Whether the workstation's input desktop can be opened (not locked, no other desktop active).
// Replaceable, so that tests can play a locked workstation.
using TInputDesktopCheck = bool (*)();
extern TInputDesktopCheck InputDesktopAvailable;

// State that only one file sees (file-local), for callbacks that take no context:
// - RunAction.cpp: the number of actions running on this thread (ActionRunning).
// - MessageBox.cpp: the hook and the box of the one translucent message box being shown.
// - LayoutFileDialogs.cpp: the event sink of the item dialog while it runs, and the picture beside
//   the classic open dialog.
// - TrayWindow.cpp: the menu resource, and the automatic restore and first-run question that wait
//   for a running action to end.
// - TrayWindow.cpp: also the backups its archive submenu lists, since the chosen item's command
//   arrives after the menu has gone.
// - TrayMenuPreview.cpp: the picture beside the open tray menu, with the file it shows and the
//   desktop read once for that menu (WM_MENUSELECT carries no context).
// - ConfigWatch.cpp: the display configuration's key and the desktop's list view noted last (at the
//   start, at every display message and every action), the start and last item count of the wait
//   for a restarted shell's icons, and the monitors' rectangles of the last look.
// - Splash.cpp: the closing flag and the two link areas of the splash or about window.
// - OptionsDialog.cpp: the open dialog's language to go back to, the extension's state and whether
//   traces were removed.
