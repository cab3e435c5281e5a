#pragma once
// How this process runs, set at start-up and read everywhere: verbs or the tray, whether messages
// may show, portable mode, the owner window, the tray window of a tray instance and the save at
// logoff.

#include <windows.h>

#include <string>

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
// The options dialog was opened by the O verb rather than from the tray menu.
extern bool OptionsFromCommandLine;
// The hidden window of class and title "Kavrilon" of a tray instance; also OwnerWindow once created.
extern HWND TrayWindow;
// Set around the automatic save at logoff: saving and restoring then show no question and no
// message.
extern bool SavingAtLogoff;
