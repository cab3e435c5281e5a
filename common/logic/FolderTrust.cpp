#include "FolderTrust.h"

#include "PathText.h"

#include <vector>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The components of a path after dropping empty and "." ones and applying "..". False when a ".."
// would climb above the first component.
bool Components(std::string_view path, std::vector<std::string_view>& parts) {
    size_t position = 0;
    while (position < path.size()) {
        size_t end = position;
        while (end < path.size() && !IsSeparator(path[end])) {
            ++end;
        }
        const std::string_view part = path.substr(position, end - position);
        if (part == "..") {
            if (parts.empty()) {
                return false;
            }
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        position = end + 1;
    }
    return true;
}

} // namespace

bool FolderLiesWithin(std::string_view folder, std::string_view base) {
    std::vector<std::string_view> folderParts;
    std::vector<std::string_view> baseParts;
    if (!Components(folder, folderParts) || !Components(base, baseParts) || baseParts.empty() ||
        folderParts.size() < baseParts.size()) {
        return false;
    }
    for (size_t i = 0; i < baseParts.size(); ++i) {
        if (!EqualsIgnoringAsciiCase(folderParts[i], baseParts[i])) {
            return false;
        }
    }
    return true;
}
