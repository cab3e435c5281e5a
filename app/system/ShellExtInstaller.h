#pragma once
// Installing and removing the shell extension through the elevated registration utility, and the
// test whether it is installed.

#include <windows.h>

// This copy of the program lies outside the folders that only administrators can change (a
// portable copy, a user's own folder): it installs the shell extension for the current user only,
// by itself and without elevation. A copy below Program Files or the Windows folder installs it for
// every user through the elevated registration utility.
bool ShellExtPerUserCopy();

// Installs ("r") or uninstalls ("u") the shell extension: for a per-user copy by writing or removing
// the current user's registration itself; otherwise by starting KVRegShellEx.exe with the letter and
// waiting up to 10 s with the wait cursor. Reports the outcome in a message box owned by `owner`:
// failures always, success only with `reportSuccess`. True exactly when the registration was
// written or removed (for the utility: it ran and ended with exit code 1).
bool RunShellExtInstaller(char action, HWND owner, bool reportSuccess);

// The shell extension's registration of the current user or the one for every user is complete
// and names an existing DLL, in the registry view of the shell that loads it (the 64-bit view when
// the shell is 64-bit).
bool IsShellExtInstalled();

// Removes the current user's registration, silently. True when nothing of it is left.
bool RemovePerUserShellExt();

// The shell can load an extension of this program: the shell is 32-bit, or the 64-bit build of the
// extension lies beside the program; and for a per-user copy the shell reads per-user classes
// (Windows 2000 and later).
bool ShellExtUsableByShell();

// How long the utility may take before the timeout message.
inline constexpr DWORD ShellExtInstallerWaitMs = 10000;
