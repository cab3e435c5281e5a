#include "UserFolders.h"

#include <shlobj.h>

#include <vector>

#include "KavrilonNames.h"
#include "WinHandles.h"

namespace {

constexpr const char* ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string ShellLookup(HWND owner, int csidl) {
    LPITEMIDLIST idList = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &idList)) || idList == nullptr) {
        return {};
    }
    char buffer[MAX_PATH] = {};
    std::string result;
    if (SHGetPathFromIDListA(idList, buffer)) {
        result = buffer;
    }
    // The item id list belongs to the shell's allocator.
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator != nullptr) {
        allocator->Free(idList);
        allocator->Release();
    }
    return result;
}

const char* DataFolderValueName(bool useLocalAppData) {
    return useLocalAppData ? "Local AppData" : "AppData";
}

int DataFolderCsidl(bool useLocalAppData) {
    return useLocalAppData ? CSIDL_LOCAL_APPDATA : CSIDL_APPDATA;
}

} // namespace

std::string ShellFoldersValue(HKEY root, const char* valueName) {
    TUniqueRegKey key;
    if (RegOpenKeyExA(root, ShellFoldersKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size == 0) {
        return {};
    }
    std::vector<char> data(size, '\0');
    if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return {};
    }
    // The stored size counts the terminating NUL; a value that changed size in between is cut at
    // the first NUL all the same.
    std::string text(data.data(), data.size() - 1);
    const size_t nul = text.find('\0');
    if (nul != std::string::npos) {
        text.resize(nul);
    }
    return text;
}

std::string SpecialFolderLookup(HWND owner, int csidl, const char* valueName) {
    std::string folder = ShellLookup(owner, csidl);
    if (folder.empty()) {
        folder = ShellFoldersValue(HKEY_CURRENT_USER, valueName);
    }
    if (folder.empty()) {
        folder = ShellFoldersValue(HKEY_LOCAL_MACHINE, valueName);
    }
    return folder;
}

std::string VendorFolder(HWND owner, bool useLocalAppData) {
    return SpecialFolderLookup(owner, DataFolderCsidl(useLocalAppData),
                               DataFolderValueName(useLocalAppData)) +
           "\\" + VendorFolderName;
}

std::string PerUserDataFolder(HWND owner, bool useLocalAppData) {
    return VendorFolder(owner, useLocalAppData) + "\\" + ProductFolderName + "\\";
}
