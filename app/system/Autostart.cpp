#include "Autostart.h"

#include <windows.h>

#include "Paths.h"
#include "RegistryText.h"
#include "WinHandles.h"

namespace {

// The machine's Run key names this program: the setup program wrote it for every user.
bool MachineValueNamesThisProgram() {
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKeyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    std::string data;
    DWORD type = 0;
    if (!ReadRegistryText(key.get(), AutostartValueName, data, &type) || type != REG_SZ) {
        return false;
    }
    return lstrcmpiA(data.c_str(), AutostartCommand(ProgramFilePath()).c_str()) == 0;
}

} // namespace

std::string AutostartCommand(const std::string& programPath) {
    return "\"" + programPath + "\"";
}

bool AddAutostart() {
    if (MachineValueNamesThisProgram()) {
        // It starts for every user already; a value of the user's own would start it twice.
        return true;
    }
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
    bool removed = false;
    {
        TUniqueRegKey key;
        removed =
            RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS &&
            RegDeleteValueA(key.get(), AutostartValueName) == ERROR_SUCCESS;
    }
    if (MachineValueNamesThisProgram()) {
        // Only an administrator may change the machine's Run key; for anyone else this fails.
        TUniqueRegKey key;
        removed =
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKeyPath, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS &&
            RegDeleteValueA(key.get(), AutostartValueName) == ERROR_SUCCESS;
    }
    return removed;
}

bool IsAutostartSet() {
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_READ, key.put()) == ERROR_SUCCESS &&
        RegQueryValueExA(key.get(), AutostartValueName, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS) {
        return true;
    }
    return MachineValueNamesThisProgram();
}
