#include "AdminFolders.h"

#include <windows.h>

#include <vector>

#include "FolderTrust.h"
#include "RegistryText.h"
#include "ShellExtRegistry.h"
#include "SystemFunctions.h"
#include "WinHandles.h"

namespace {

// Where Windows keeps the Program Files folder of a registry view. HKEY_LOCAL_MACHINE is what only
// administrators can change; the environment (ProgramFiles, ProgramW6432) comes from whoever
// starts the program, and the shell's folder functions are outside this code's floor and give a
// 32-bit program only the 32-bit folder.
constexpr const char* CurrentVersionKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* ProgramFilesValueName = "ProgramFilesDir";

std::string ProgramFilesFolder(REGSAM viewFlag) {
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CurrentVersionKeyPath, 0, KEY_QUERY_VALUE | viewFlag, key.put()) !=
        ERROR_SUCCESS) {
        return {};
    }
    std::string folder;
    DWORD type = 0;
    if (!ReadRegistryText(key.get(), ProgramFilesValueName, folder, &type) || type != REG_SZ) {
        return {};
    }
    return folder;
}

// The system's own Windows folder. On a terminal server GetWindowsDirectoryA may answer a private
// folder of the user's; GetSystemWindowsDirectoryA (Windows 2000 on) never does.
std::string WindowsFolder() {
    using TGetFolder = UINT(WINAPI*)(LPSTR, UINT);
    const auto systemWindows = LoadedFunction<TGetFolder>("kernel32.dll", "GetSystemWindowsDirectoryA");
    char buffer[MAX_PATH + 1] = {};
    const UINT length =
        systemWindows != nullptr ? systemWindows(buffer, MAX_PATH) : GetWindowsDirectoryA(buffer, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

} // namespace

std::string FullLongPath(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    char full[MAX_PATH + 1] = {};
    char* filePart = nullptr;
    const DWORD fullLength = GetFullPathNameA(path.c_str(), MAX_PATH, full, &filePart);
    if (fullLength == 0 || fullLength >= MAX_PATH) {
        return {};
    }
    // Windows 95 and NT 4 have no GetLongPathNameA; there a short name stays short, and so a folder
    // named by its short name is never taken for one of the administrators' folders.
    using TGetLongPathName = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
    const auto getLongPathName = LoadedFunction<TGetLongPathName>("kernel32.dll", "GetLongPathNameA");
    if (getLongPathName == nullptr) {
        return std::string(full, fullLength);
    }
    char longPath[MAX_PATH + 1] = {};
    const DWORD longLength = getLongPathName(full, longPath, MAX_PATH);
    if (longLength == 0 || longLength >= MAX_PATH) {
        return {};
    }
    return std::string(longPath, longLength);
}

bool IsAdminOnlyFolder(const std::string& folder) {
    const std::string resolved = FullLongPath(folder);
    if (resolved.empty()) {
        return false;
    }
    std::vector<std::string> bases = {ProgramFilesFolder(0), WindowsFolder()};
    if (IsWow64System()) {
        bases.push_back(ProgramFilesFolder(KEY_WOW64_64KEY));
    }
    for (const std::string& base : bases) {
        const std::string resolvedBase = FullLongPath(base);
        if (!resolvedBase.empty() && FolderLiesWithin(resolved, resolvedBase)) {
            return true;
        }
    }
    return false;
}
