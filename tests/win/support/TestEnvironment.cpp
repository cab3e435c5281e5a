#include "TestEnvironment.h"

#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>

std::string TestBinDir() {
    char buffer[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    std::string path(buffer);
    return path.substr(0, path.find_last_of('\\') + 1);
}

std::string DeliverablesDir() {
    std::string tests = TestBinDir();
    tests.pop_back(); // the trailing "\" of ...\tests
    return tests.substr(0, tests.find_last_of('\\') + 1) + "bin\\";
}

std::string KavrilonExePath() {
    return DeliverablesDir() + "Kavrilon.exe";
}

std::string TestToolPath(const char* fileName) {
    return TestBinDir() + fileName;
}

bool RunsUnderWow64() {
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 != FALSE;
}

std::string ShellFolder(int csidl) {
    char buffer[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) {
        return {};
    }
    return buffer;
}

std::string KavrilonDataFolder() {
    return ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn\\Kavrilon\\";
}

void RemoveKavrilonData() {
    RemoveTree(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn");
    RemoveTree(ShellFolder(CSIDL_APPDATA) + "\\Quellwyn");
}

std::string MakeTempFolder(const char* hint) {
    static std::atomic<unsigned> counter{0};
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::ostringstream name;
    name << temp << "kvtest-" << hint << "-" << GetCurrentProcessId() << "-" << counter++ << "\\";
    RemoveTree(name.str());
    CreateDirectoryA(name.str().c_str(), nullptr);
    return name.str();
}

bool RemoveTree(const std::string& path) {
    std::string target = path;
    while (!target.empty() && target.back() == '\\') {
        target.pop_back();
    }
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(target.c_str()) != FALSE;
    }
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((target + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name != "." && name != "..") {
                RemoveTree(target + "\\" + name);
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(target.c_str()) != FALSE;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\') {
        pattern += '\\';
    }
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((pattern + "*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::vector<std::string> ReadLines(const std::string& path) {
    const std::string content = ReadFileBytes(path);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& value,
                       REGSAM view) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const LONG result =
        RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

void DeleteRegistryTree(HKEY root, const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ | KEY_WRITE, &handle) == ERROR_SUCCESS) {
        char name[256];
        while (true) {
            DWORD length = sizeof(name);
            if (RegEnumKeyExA(handle, 0, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            DeleteRegistryTree(root, key + "\\" + name);
        }
        RegCloseKey(handle);
    }
    RegDeleteKeyA(root, key.c_str());
}

TWineVersionOverride::TWineVersionOverride(const std::string& exeFileName, const std::string& version)
    : key_("Software\\Wine\\AppDefaults\\" + exeFileName) {
    SetRegistryString(HKEY_CURRENT_USER, key_, "Version", version);
}

TWineVersionOverride::~TWineVersionOverride() {
    DeleteRegistryTree(HKEY_CURRENT_USER, key_);
}

std::string InstallProgramCopy(const char* hint, const std::vector<std::string>& otherFiles,
                               bool forEveryUser) {
    std::string folder;
    if (forEveryUser) {
        folder = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Kavrilon Test " + hint + "\\";
        RemoveTree(folder);
        CreateDirectoryA(folder.c_str(), nullptr);
    } else {
        folder = MakeTempFolder(hint);
    }
    CopyFileA(KavrilonExePath().c_str(), (folder + "Kavrilon.exe").c_str(), FALSE);
    for (const std::string& name : otherFiles) {
        if (!CopyFileA((DeliverablesDir() + name).c_str(), (folder + name).c_str(), FALSE)) {
            WriteFileBytes(folder + name, "");
        }
    }
    return folder;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(50);
    }
}
