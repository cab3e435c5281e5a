#include "Autostart.h"

#include <windows.h>

#include "Paths.h"
#include "WinHandles.h"

std::string AutostartCommand(const std::string& programPath) {
    return "\"" + programPath + "\"";
}

bool AddAutostart() {
    TUniqueRegKey key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::string command = AutostartCommand(ProgramFilePath());
    return RegSetValueExA(key.get(), AutostartValueName, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

bool RemoveAutostart() {
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    return RegDeleteValueA(key.get(), AutostartValueName) == ERROR_SUCCESS;
}

bool IsAutostartSet() {
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    return RegQueryValueExA(key.get(), AutostartValueName, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}
