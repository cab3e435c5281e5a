#include "LayoutFileWrite.h"

#include <windows.h>

#include "FileSystem.h"
#include "PathText.h"
#include "SystemFunctions.h"
#include "WinHandles.h"

namespace {

using TMoveFileExA = BOOL(WINAPI*)(LPCSTR existing, LPCSTR replacement, DWORD flags);

std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 2] = {};
    char* name = nullptr;
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, &name);
    return length == 0 || length >= sizeof full ? std::string() : std::string(full, length);
}

// The fallback without MoveFileExA: the old file steps aside under a temporary name of its own,
// the new one takes its name, and the old one comes back when that fails.
bool MoveIntoPlaceByHand(const std::string& temporary, const std::string& target, const std::string& folder) {
    if (!PathExists(target)) {
        return MoveFileA(temporary.c_str(), target.c_str()) != FALSE;
    }
    char aside[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder.c_str(), "kvo", 0, aside) == 0) {
        return false;
    }
    DeleteFileA(aside);
    if (!MoveFileA(target.c_str(), aside)) {
        return false;
    }
    if (!MoveFileA(temporary.c_str(), target.c_str())) {
        MoveFileA(aside, target.c_str());
        return false;
    }
    DeleteFileA(aside);
    return true;
}

} // namespace

bool MoveIntoPlace(const std::string& temporary, const std::string& target, bool useMoveFileEx) {
    const TMoveFileExA moveFileEx =
        useMoveFileEx ? LoadedFunction<TMoveFileExA>("kernel32.dll", "MoveFileExA") : nullptr;
    if (moveFileEx != nullptr) {
        if (moveFileEx(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        // Windows 9x has a stub that only answers "not implemented".
        if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
            return false;
        }
    }
    return MoveIntoPlaceByHand(temporary, target, FolderOfFilePath(target));
}

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::string target = FullPath(path);
    if (target.empty()) {
        return false;
    }
    // A file the user marked read-only is not replaced (Windows refuses to replace it as well).
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    const std::string folder = FolderOfFilePath(target);
    char temporary[MAX_PATH + 1] = {};
    if (folder.empty() || GetTempFileNameA(folder.c_str(), "kvl", 0, temporary) == 0) {
        return false;
    }
    bool written = false;
    {
        TUniqueFile file(
            CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD done = 0;
            written =
                WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &done, nullptr) &&
                done == content.size() && FlushFileBuffers(file.get());
        }
    }
    if (written && MoveIntoPlace(temporary, target)) {
        return true;
    }
    DeleteFileA(temporary);
    return false;
}
