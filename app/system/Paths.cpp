#include "Paths.h"

#include <windows.h>

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
