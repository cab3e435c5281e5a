#include "ShellExtRegistry.h"

#include <cstring>

#include "FileSystem.h"
#include "KavrilonNames.h"
#include "RegistryText.h"
#include "SystemFunctions.h"
#include "WinHandles.h"

namespace {

constexpr TRegistryView View32 = {0, ShellExtFileName};
constexpr TRegistryView View64 = {KEY_WOW64_64KEY, ShellExt64FileName};

// A key of the layout below a root: the "Approved" key as it is, the class keys below
// Software\Classes.
std::string ClassPath(const char* key) {
    return std::string(ClassesKeyPath) + key;
}

bool CreateKey(HKEY root, const std::string& path, const TRegistryView& view, TUniqueRegKey& key) {
    DWORD disposition = 0;
    return RegCreateKeyExA(root, path.c_str(), 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
                           KEY_SET_VALUE | view.ViewFlag, nullptr, key.put(), &disposition) == ERROR_SUCCESS;
}

// A REG_SZ value with its terminating zero counted.
bool SetText(HKEY key, const char* name, const std::string& text) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool Removed(LONG status) {
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

using TRegDeleteKeyExA = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

// Deletes a key of a view. The 64-bit view needs RegDeleteKeyExA, which only systems that have a
// 64-bit view export; advapi32.dll is loaded already, so nothing is loaded here.
LONG DeleteKey(HKEY root, const std::string& path, const TRegistryView& view) {
    if (view.ViewFlag == 0) {
        return RegDeleteKeyA(root, path.c_str());
    }
    const auto deleteKeyEx = LoadedFunction<TRegDeleteKeyExA>("advapi32.dll", "RegDeleteKeyExA");
    if (deleteKeyEx == nullptr) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    return deleteKeyEx(root, path.c_str(), view.ViewFlag, 0);
}

} // namespace

bool WriteShellExtEntries(HKEY root, const TRegistryView& view, const std::string& folder) {
    {
        TUniqueRegKey approved;
        if (!CreateKey(root, ShellExtApprovedKeyPath, view, approved) ||
            !SetText(approved.get(), ShellExtClassIdText, ShellExtRegisteredName)) {
            return false;
        }
    }
    {
        TUniqueRegKey classKey;
        if (!CreateKey(root, ClassPath(ShellExtClassKeyPath), view, classKey) ||
            !SetText(classKey.get(), nullptr, ShellExtRegisteredName)) {
            return false;
        }
    }
    {
        TUniqueRegKey server;
        if (!CreateKey(root, ClassPath(ShellExtServerKeyPath), view, server)) {
            return false;
        }
        const std::string extensionPath = folder + view.ExtensionFileName;
        if (!PathExists(extensionPath) || !SetText(server.get(), nullptr, extensionPath) ||
            !SetText(server.get(), ThreadingModelValueName, ShellExtThreadingModel) ||
            !SetText(server.get(), ExeLocationValueName, folder + MainProgramFileName)) {
            return false;
        }
    }
    TUniqueRegKey handler;
    if (!CreateKey(root, ClassPath(ShellExtHandlerKeyPath), view, handler)) {
        return false;
    }
    // The key's default value, 38 characters and the terminating zero.
    return RegSetValueA(handler.get(), "", REG_SZ, ShellExtClassIdText,
                        static_cast<DWORD>(std::strlen(ShellExtClassIdText) + 1)) == ERROR_SUCCESS;
}

bool RemoveShellExtEntries(HKEY root, const TRegistryView& view) {
    bool result = true;
    TUniqueRegKey approved;
    if (RegOpenKeyExA(root, ShellExtApprovedKeyPath, 0, KEY_SET_VALUE | view.ViewFlag, approved.put()) !=
        ERROR_SUCCESS) {
        // A user who never approved an extension has no such key: nothing is there to remove.
        result = root == HKEY_CURRENT_USER;
    } else {
        result = Removed(RegDeleteValueA(approved.get(), ShellExtClassIdText));
        approved.reset();
    }
    // The server key before its parent, the class key.
    result = Removed(DeleteKey(root, ClassPath(ShellExtServerKeyPath), view)) && result;
    result = Removed(DeleteKey(root, ClassPath(ShellExtClassKeyPath), view)) && result;
    result = Removed(DeleteKey(root, ClassPath(ShellExtHandlerKeyPath), view)) && result;
    return result;
}

bool IsWow64System() {
    using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64 = LoadedFunction<TIsWow64Process>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

bool RegisterShellExtension(HKEY root, const std::string& folder) {
    bool result = WriteShellExtEntries(root, View32, folder);
    if (result && IsWow64System()) {
        if (PathExists(folder + View64.ExtensionFileName)) {
            result = WriteShellExtEntries(root, View64, folder);
        } else {
            // Without the 64-bit extension the 64-bit shell gets no menu; a server key left there
            // by an earlier installation would name a missing file. Entries 1 and 6 stay: on
            // systems that share those keys between the views they belong to the 32-bit layout.
            DeleteKey(root, ClassPath(ShellExtServerKeyPath), View64);
            DeleteKey(root, ClassPath(ShellExtClassKeyPath), View64);
        }
    }
    if (!result) {
        UnregisterShellExtension(root);
    }
    return result;
}

bool UnregisterShellExtension(HKEY root) {
    bool result = RemoveShellExtEntries(root, View32);
    if (IsWow64System()) {
        result = RemoveShellExtEntries(root, View64) && result;
    }
    return result;
}

bool ShellExtRegistrationComplete(HKEY root, REGSAM viewFlag) {
    const REGSAM access = KEY_READ | viewFlag;
    {
        TUniqueRegKey key;
        if (RegOpenKeyExA(root, ClassPath(ShellExtClassKeyPath).c_str(), 0, access, key.put()) !=
            ERROR_SUCCESS) {
            return false;
        }
    }
    {
        TUniqueRegKey key;
        if (RegOpenKeyExA(root, ClassPath(ShellExtServerKeyPath).c_str(), 0, access, key.put()) !=
            ERROR_SUCCESS) {
            return false;
        }
        std::string dll;
        if (!ReadRegistryText(key.get(), "", dll) || !PathExists(dll)) {
            return false;
        }
        std::string threading;
        if (!ReadRegistryText(key.get(), ThreadingModelValueName, threading) ||
            threading != ShellExtThreadingModel) {
            return false;
        }
    }
    {
        TUniqueRegKey key;
        if (RegOpenKeyExA(root, ShellExtApprovedKeyPath, 0, access, key.put()) != ERROR_SUCCESS ||
            RegQueryValueExA(key.get(), ShellExtClassIdText, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
            return false;
        }
    }
    TUniqueRegKey key;
    if (RegOpenKeyExA(root, ClassPath(ShellExtHandlerKeyPath).c_str(), 0, access, key.put()) !=
        ERROR_SUCCESS) {
        return false;
    }
    std::string handler;
    return ReadRegistryText(key.get(), "", handler) && lstrcmpA(handler.c_str(), ShellExtClassIdText) == 0;
}
