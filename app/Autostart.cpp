#include "Autostart.h"

#include <windows.h>

#include "WinHandles.h"

bool IsAutostartSet() {
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    return RegQueryValueExA(key.get(), AutostartValueName, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}
