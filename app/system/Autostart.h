#pragma once
// The autostart value "Kavrilon" under HKCU\Software\Microsoft\Windows\CurrentVersion\Run, and the
// one for every user under the same key of HKEY_LOCAL_MACHINE that the setup program writes.

#include <string>

#include "KavrilonNames.h"

// Writes the user's value: the running program's full path in double quotes, without arguments,
// so that Windows starts the tray application at logon. Writes nothing when the value for every
// user already names this program. True on success.
bool AddAutostart();

// Deletes the user's value and, when it names this program, the value for every user (which only
// an administrator may). True when the last deletion tried succeeded.
bool RemoveAutostart();

// The user's value exists (its data is not read), or the value for every user names this program.
bool IsAutostartSet();

// The data written for a program path: the path in double quotes. An unquoted path with a space
// (C:\Program Files\...) would make Windows try C:\Program.exe first.
std::string AutostartCommand(const std::string& programPath);
