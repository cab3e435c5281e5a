#include "UserFolders.h"

#include <shlobj.h>

#include "KavrilonNames.h"
#include "RegistryText.h"
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

// A full path: a drive with its root ("C:\...") or a share ("\\server\share..."). A registry value
// may hold anything; a relative or rooted one would place the data beside whatever folder or on
// whatever drive is current in the process that asks (the shell's, for the shell extension).
bool IsFullPath(const std::string& path) {
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    const bool driveRoot = path.size() >= 3 &&
                           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                           path[1] == ':' && isSeparator(path[2]);
    const bool share =
        path.size() >= 3 && isSeparator(path[0]) && isSeparator(path[1]) && !isSeparator(path[2]);
    return driveRoot || share;
}

} // namespace

std::string ShellFoldersValue(HKEY root, const char* valueName) {
    TUniqueRegKey key;
    if (RegOpenKeyExA(root, ShellFoldersKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return {};
    }
    std::string text;
    ReadRegistryText(key.get(), valueName, text);
    return text;
}

std::string SpecialFolderLookup(HWND owner, int csidl, const char* valueName) {
    std::string folder = ShellLookup(owner, csidl);
    if (!IsFullPath(folder)) {
        folder = ShellFoldersValue(HKEY_CURRENT_USER, valueName);
    }
    if (!IsFullPath(folder)) {
        folder = ShellFoldersValue(HKEY_LOCAL_MACHINE, valueName);
    }
    return IsFullPath(folder) ? folder : std::string();
}

std::string VendorFolder(HWND owner, bool useLocalAppData) {
    const std::string folder =
        SpecialFolderLookup(owner, DataFolderCsidl(useLocalAppData), DataFolderValueName(useLocalAppData));
    return folder.empty() ? std::string() : folder + "\\" + VendorFolderName;
}

std::string PerUserDataFolder(HWND owner, bool useLocalAppData) {
    const std::string vendor = VendorFolder(owner, useLocalAppData);
    return vendor.empty() ? std::string() : vendor + "\\" + ProductFolderName + "\\";
}
