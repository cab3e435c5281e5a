#include "BackupStore.h"

#include <windows.h>

#include "DisplaySnapshot.h"
#include "FileSystem.h"
#include "WinHandles.h"

namespace {

// The bytes at the start of a primary layout in which its display record is looked for.
constexpr size_t PlainLayoutStartBytes = 64 * 1024;

// Waits until the local time has reached `stamp`, polling the clock; gives up after about two
// seconds, which is more than the one second it waits for when the clock runs normally.
void WaitForTimeStamp(const std::string& stamp) {
    for (int round = 0; round < 40 && TimeStamp() < stamp; ++round) {
        Sleep(50);
    }
}

} // namespace

std::string ResolutionKey() {
    return CurrentDisplayKey();
}

std::string PrimaryLayoutToRestore(const std::string& dataFolder, const std::string& key) {
    const std::string own = PrimaryLayoutPath(dataFolder, key);
    const size_t digest = key.find('_');
    if (digest == std::string::npos || PathExists(own)) {
        return own;
    }
    const std::string plain = PrimaryLayoutPath(dataFolder, key.substr(0, digest));
    // The record stands right after the header lines; the start of the file holds it.
    std::string start(PlainLayoutStartBytes, '\0');
    DWORD read = 0;
    {
        TUniqueFile file(CreateFileA(plain.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !ReadFile(file.get(), &start[0], static_cast<DWORD>(start.size()), &read, nullptr) ||
            read == 0) {
            return own;
        }
    }
    start.resize(read);
    const TDisplayConfig current = TakeDisplaySnapshot();
    return DisplayConfigKey(current) == key && PlainLayoutServes(start, current) ? plain : own;
}

std::string ScreenResolutionKey() {
    return ResolutionKeyOf(GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                           GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

std::string TimeStamp() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return FormatTimeStamp(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

std::vector<std::string> ListBackupIds(const std::string& dataFolder, const std::string& resolutionKey,
                                       bool prune) {
    std::vector<std::string> ids;
    const std::string folder = BackupFolderPath(dataFolder, resolutionKey);
    WIN32_FIND_DATAA found = {};
    TUniqueFind search(FindFirstFileA((folder + "*.kvl").c_str(), &found));
    if (!search) {
        return ids;
    }
    do {
        std::string id;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            BackupIdOfFileName(found.cFileName, id)) {
            ids.push_back(std::move(id));
        }
    } while (FindNextFileA(search.get(), &found));
    search.reset();

    SortBackupIdsNewestFirst(ids);
    if (prune && ids.size() > BackupsKept) {
        for (size_t i = BackupsKept; i < ids.size(); ++i) {
            DeleteFileA(BackupFilePath(dataFolder, resolutionKey, ids[i]).c_str());
        }
        ids.resize(BackupsKept);
    } else if (ids.size() > BackupListLimit) {
        ids.resize(BackupListLimit);
    }
    return ids;
}

std::string NewBackupPath(const std::string& dataFolder, const std::string& resolutionKey, char letter,
                          const std::string& stamp) {
    std::string candidate = stamp;
    for (;;) {
        const std::string path = BackupFilePath(dataFolder, resolutionKey, candidate + letter);
        if (!PathExists(path)) {
            return path;
        }
        std::string next;
        if (!NextSecondTimeStamp(candidate, next)) {
            // Not a time stamp (or the last one there is): go on from the clock.
            const std::string now = TimeStamp();
            if (now == candidate || !NextSecondTimeStamp(now, next)) {
                return {};
            }
            candidate = now;
            continue;
        }
        // Wait only when the next second is the clock's next second: a stamp from the past needs no
        // waiting, and one far ahead of a clock that was set back must not stall the program.
        const std::string now = TimeStamp();
        std::string clockNext;
        if (now < next && NextSecondTimeStamp(now, clockNext) && clockNext == next) {
            WaitForTimeStamp(next);
        }
        candidate = next;
    }
}
