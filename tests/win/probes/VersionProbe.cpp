// Test probe: runs the program's own version detection and start-up lookups and prints what they
// found, one "name=value" line each, so that tests can run it under other reported Windows versions.

#include <windows.h>

#include <cstdio>

#include "DataFolder.h"
#include "ProcessState.h"
#include "WindowsVersion.h"

int main() {
    DetectWindowsVersion();
    ResolveLateBoundFunctions();
    ChooseDataFolder();

    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    GetVersionExA(&info);

    std::printf("Version=%lu.%lu.%lu\n", info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId);
    std::printf("IsNTPlatform=%d\n", RunningWindows.IsNTPlatform ? 1 : 0);
    std::printf("IsWindowsMe=%d\n", RunningWindows.IsWindowsMe ? 1 : 0);
    std::printf("IsWindows2000OrLater=%d\n", RunningWindows.IsWindows2000OrLater ? 1 : 0);
    std::printf("IsXPOrLater=%d\n", RunningWindows.IsXPOrLater ? 1 : 0);
    std::printf("IsVistaFamily=%d\n", RunningWindows.IsVistaFamily ? 1 : 0);
    std::printf("OpenFileNameSize=%u\n", static_cast<unsigned>(RunningWindows.OpenFileNameSize));
    std::printf("AlignToGridCommand=0x%04X\n", static_cast<unsigned>(RunningWindows.AlignToGridCommand));
    std::printf("AutoArrangeCommand=0x%04X\n", static_cast<unsigned>(RunningWindows.AutoArrangeCommand));
    std::printf("ShellIs64Bit=%d\n", ShellIs64Bit ? 1 : 0);
    std::printf("SetLayeredWindowAttributes=%d\n", SetLayeredWindowAttributesPtr != nullptr ? 1 : 0);
    std::printf("SHCreateItemFromParsingName=%d\n", SHCreateItemFromParsingNamePtr != nullptr ? 1 : 0);
    std::printf("DataFolder=%s\n", DataFolder.c_str());
    std::fflush(stdout);
    return 0;
}
