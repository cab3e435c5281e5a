#include "Paths.h"

#include <windows.h>

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolderChain(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
    if (folder.size() < 3 || FolderExists(folder)) {
        return true;
    }
    const std::string parent = FolderOfPath(folder);
    if (parent == folder) {
        return true;
    }
    if (!CreateFolderChain(parent)) {
        return false;
    }
    // Another Kavrilon process may create the same folder at the same moment.
    return CreateDirectoryA(folder.c_str(), nullptr) != FALSE || FolderExists(folder);
}

std::string ProgramFilePath() {
    // Long paths are not supported by the ANSI functions this program uses anyway.
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, length);
}
