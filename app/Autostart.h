#pragma once
// The autostart value "Kavrilon" under HKCU\Software\Microsoft\Windows\CurrentVersion\Run.

#include "KavrilonNames.h"

// The value exists (its data is not read).
bool IsAutostartSet();
