#pragma once
// The autostart value "Kavrilon" under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.

inline constexpr const char* RunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* AutostartValueName = "Kavrilon";

// The value exists (its data is not read).
bool IsAutostartSet();
