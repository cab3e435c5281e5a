#include "FileSystem.h"

#include "PathText.h"

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string ModuleFilePath(HMODULE module) {
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(module, buffer, sizeof(buffer));
    if (length == 0 || length >= sizeof(buffer)) {
        return {};
    }
    return std::string(buffer, length);
}

std::string ProgramFilePath() {
    return ModuleFilePath(nullptr);
}

std::string ProgramFolder() {
    return FolderOfPath(ProgramFilePath());
}
