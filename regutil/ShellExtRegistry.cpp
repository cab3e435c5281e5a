#include "ShellExtRegistry.h"

#include <cstring>

#include "KavrilonNames.h"
#include "WinHandles.h"

namespace {

constexpr TRegistryView View32 = {0, ShellExtFileName};
constexpr TRegistryView View64 = {KEY_WOW64_64KEY, ShellExt64FileName};

bool CreateKey(HKEY root, const char* path, const TRegistryView& view, TUniqueRegKey& key) {
    DWORD disposition = 0;
    return RegCreateKeyExA(root, path, 0, const_cast<char*>(""), REG_OPTION_NON_VOLATILE,
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
LONG DeleteKey(HKEY root, const char* path, const TRegistryView& view) {
    if (view.ViewFlag == 0) {
        return RegDeleteKeyA(root, path);
    }
    HMODULE advapi = GetModuleHandleA("advapi32.dll");
    auto deleteKeyEx = advapi == nullptr ? nullptr
                                         : reinterpret_cast<TRegDeleteKeyExA>(reinterpret_cast<void*>(
                                               GetProcAddress(advapi, "RegDeleteKeyExA")));
    if (deleteKeyEx == nullptr) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    return deleteKeyEx(root, path, view.ViewFlag, 0);
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

std::string ProgramFolder() {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string folder(buffer, length < MAX_PATH ? length : MAX_PATH);
    while (!folder.empty() && folder.back() != '\\') {
        folder.pop_back();
    }
    return folder;
}

bool WriteShellExtEntries(const TRegistryView& view, const std::string& folder) {
    {
        TUniqueRegKey approved;
        if (!CreateKey(HKEY_LOCAL_MACHINE, ShellExtApprovedKeyPath, view, approved) ||
            !SetText(approved.get(), ShellExtClassIdText, ShellExtRegisteredName)) {
            return false;
        }
    }
    {
        TUniqueRegKey classKey;
        if (!CreateKey(HKEY_CLASSES_ROOT, ShellExtClassKeyPath, view, classKey) ||
            !SetText(classKey.get(), nullptr, ShellExtRegisteredName)) {
            return false;
        }
    }
    {
        TUniqueRegKey server;
        if (!CreateKey(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, view, server)) {
            return false;
        }
        const std::string extensionPath = folder + view.ExtensionFileName;
        if (!FileExists(extensionPath) || !SetText(server.get(), nullptr, extensionPath) ||
            !SetText(server.get(), ThreadingModelValueName, ShellExtThreadingModel) ||
            !SetText(server.get(), ExeLocationValueName, folder + MainProgramFileName)) {
            return false;
        }
    }
    TUniqueRegKey handler;
    if (!CreateKey(HKEY_CLASSES_ROOT, ShellExtHandlerKeyPath, view, handler)) {
        return false;
    }
    // The key's default value, 38 characters and the terminating zero.
    return RegSetValueA(handler.get(), "", REG_SZ, ShellExtClassIdText,
                        static_cast<DWORD>(std::strlen(ShellExtClassIdText) + 1)) == ERROR_SUCCESS;
}

bool RemoveShellExtEntries(const TRegistryView& view) {
    bool result = true;
    TUniqueRegKey approved;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ShellExtApprovedKeyPath, 0, KEY_SET_VALUE | view.ViewFlag,
                      approved.put()) != ERROR_SUCCESS) {
        result = false;
    } else {
        result = Removed(RegDeleteValueA(approved.get(), ShellExtClassIdText));
        approved.reset();
    }
    // The server key before its parent, the class key.
    result = Removed(DeleteKey(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, view)) && result;
    result = Removed(DeleteKey(HKEY_CLASSES_ROOT, ShellExtClassKeyPath, view)) && result;
    result = Removed(DeleteKey(HKEY_CLASSES_ROOT, ShellExtHandlerKeyPath, view)) && result;
    return result;
}

bool RunsUnderWow64() {
    using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto isWow64 = kernel == nullptr ? nullptr
                                     : reinterpret_cast<TIsWow64Process>(
                                           reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

bool RegisterShellExtension() {
    const std::string folder = ProgramFolder();
    bool result = WriteShellExtEntries(View32, folder);
    if (result && RunsUnderWow64()) {
        if (FileExists(folder + View64.ExtensionFileName)) {
            result = WriteShellExtEntries(View64, folder);
        } else {
            // Without the 64-bit extension the 64-bit shell gets no menu; a server key left there
            // by an earlier installation would name a missing file. Entries 1 and 6 stay: on
            // systems that share those keys between the views they belong to the 32-bit layout.
            DeleteKey(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, View64);
            DeleteKey(HKEY_CLASSES_ROOT, ShellExtClassKeyPath, View64);
        }
    }
    if (!result) {
        UnregisterShellExtension();
    }
    return result;
}

bool UnregisterShellExtension() {
    bool result = RemoveShellExtEntries(View32);
    if (RunsUnderWow64()) {
        result = RemoveShellExtEntries(View64) && result;
    }
    return result;
}
