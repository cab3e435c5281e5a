#include "FileDialogRules.h"

#include "KavrilonNames.h"
#include "PathText.h"

namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && EqualsIgnoringAsciiCase(text.substr(0, start.size()), start);
}

} // namespace

std::string LayoutFileBase(std::string_view resolutionKey, std::string_view timeStamp) {
    return std::string(resolutionKey) + "_" + std::string(timeStamp.substr(0, 8));
}

std::string LayoutFileCandidate(std::string_view base, int counter) {
    std::string name(base);
    if (counter > 0) {
        name += "[" + std::to_string(counter) + "]";
    }
    return name + ".kvl";
}

std::string WithTrailingBackslash(std::string_view folder) {
    std::string result(folder);
    if (!result.empty() && result.back() != '\\') {
        result += '\\';
    }
    return result;
}

bool IsRemovableDataFolder(std::string_view dataFolder, std::string_view programFolder) {
    const std::string suffix = std::string("\\") + VendorFolderName + "\\" + ProductFolderName + "\\";
    if (dataFolder.size() < suffix.size() ||
        !EqualsIgnoringAsciiCase(dataFolder.substr(dataFolder.size() - suffix.size()), suffix)) {
        return false;
    }
    // The data folder is the program's folder or one of its parents: deleting it deletes the program.
    return programFolder.empty() || !StartsWithIgnoringCase(WithTrailingBackslash(programFolder), dataFolder);
}

std::string FolderPathFromReply(const char* buffer, size_t bufferSize, long reply) {
    if (buffer == nullptr || reply <= 0 || static_cast<unsigned long>(reply) > bufferSize) {
        return {};
    }
    // Up to the terminating zero, within the reply's length.
    const size_t limit = static_cast<size_t>(reply);
    size_t length = 0;
    while (length < limit && buffer[length] != '\0') {
        ++length;
    }
    return std::string(buffer, length);
}
