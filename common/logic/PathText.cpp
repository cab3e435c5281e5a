#include "PathText.h"

std::string FolderOfPath(std::string_view path) {
    const size_t last = path.find_last_of("\\:");
    if (last == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, last + 1));
}

std::string FolderOfFilePath(std::string_view path) {
    const size_t last = path.find_last_of("\\/:");
    if (last == std::string_view::npos) {
        return {};
    }
    return std::string(path.substr(0, last + 1));
}
