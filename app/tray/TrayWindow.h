#pragma once
// The hidden tray window of a tray instance: the icon in the notification area with its menu, the
// automatic restores after start, changes of the display configuration and the work area, resume
// and a restart of the shell, the save at logoff and the first-run question.

// Its state between messages (menus, icon, the input-desktop check) is listed in ProcessState.h.

// The input-desktop check that InputDesktopAvailable starts with: whether the workstation's input
// desktop can be opened (not locked, no other desktop active).
bool OpenInputDesktopSucceeds();

// Registers the window class "Kavrilon" (also used by the splash and about windows).
void RegisterTrayWindowClass();

// Runs the tray instance while the single-instance mutex is held; returns the message loop's result.
int RunTrayInstance();

// The parts of RunTrayInstance: loading the menu and creating the window (false when the window
// could not be created; nothing is then held), and removing the icon and the menus at the end.
bool CreateTrayWindow();
void ReleaseTrayResources();

// Shell_NotifyIconA(NIM_ADD) with the tray icon record.
void AddTrayIcon();

// The automatic restore of the primary layout: at once when the input desktop is available, else
// once it is. A request that arrives while an action runs is carried out right after it ends.
void RequestAutoRestore();

// The end of the wait for a restarted shell's icons: the automatic restore of the primary layout
// (option RestoreAtShellRestart).
void ShellFilled();

// Asks whether the desktop should be saved as the first primary layout of this resolution.
void FirstRunQuestion();

// Prepares the tray menu for opening (options re-read, a new archive submenu, texts in the current
// language), and takes the archive submenu out again and destroys it after the menu closed.
void PrepareTrayMenu();
void ReleaseBackupMenu();
