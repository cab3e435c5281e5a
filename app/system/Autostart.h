#pragma once
// The autostart value "Kavrilon" under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.

#include <string>

#include "KavrilonNames.h"

// Writes the value: the running program's full path in double quotes, without arguments, so that
// Windows starts the tray application at logon. True on success.
bool AddAutostart();

// Deletes the value. True on success.
bool RemoveAutostart();

// The value exists (its data is not read).
bool IsAutostartSet();

// The data written for a program path: the path in double quotes. An unquoted path with a space
// (C:\Program Files\...) would make Windows try C:\Program.exe first.
std::string AutostartCommand(const std::string& programPath);
