#pragma once
// Installing and removing the shell extension through the elevated registration utility, and the
// test whether it is installed.

#include <windows.h>

// Starts KVRegShellEx.exe with "r" (install) or "u" (uninstall), waits up to 10 s with the wait
// cursor and reports the outcome in a message box owned by `owner`: failures always, success only
// with `reportSuccess`. True exactly when the utility ran and ended with exit code 1.
bool RunShellExtInstaller(char action, HWND owner, bool reportSuccess);

// The shell extension's registration is complete and its DLL exists, in the registry view of the
// shell that loads it (the 64-bit view when the shell is 64-bit).
bool IsShellExtInstalled();

// The shell can load an extension of this program: the shell is 32-bit, or the 64-bit build of the
// extension lies beside the program.
bool ShellExtUsableByShell();

// How long the utility may take before the timeout message.
inline constexpr DWORD ShellExtInstallerWaitMs = 10000;
