// Test probe: finds the desktop and reads every icon with the program's own procedures, printing
// one "name=value" line each, so that tests can run it under another reported Windows version.

#include <windows.h>

#include <cstdio>
#include <string>

#include "DesktopLocate.h"
#include "ItemAccess.h"
#include "ProcessState.h"
#include "WindowsVersion.h"

int main() {
    DetectWindowsVersion();
    ResolveLateBoundFunctions();
    std::printf("IsNTPlatform=%d\n", RunningWindows.IsNTPlatform ? 1 : 0);
    std::printf("ShellIs64Bit=%d\n", ShellIs64Bit ? 1 : 0);

    const bool located = LocateDesktop();
    std::printf("Located=%d\n", located ? 1 : 0);
    if (!located) {
        std::printf("LocateError=%s\n", LocateErrorText.c_str());
        return 0;
    }
    AllocSharedBuffer();
    std::printf("Buffer=%d\n", SharedBuffer != nullptr ? 1 : 0);
    std::printf("Mapping=%d\n", SharedMapping != nullptr ? 1 : 0);
    if (SharedBuffer != nullptr) {
        const int32_t count = DesktopItemCount();
        std::printf("Count=%d\n", static_cast<int>(count));
        for (int32_t index = 0; index < count; ++index) {
            TItemProp item = {"untouched", -7, -9, false};
            const bool read = ReadIconItem(index, item);
            std::printf("Item%d=%d %d %d %s\n", static_cast<int>(index), read ? 1 : 0,
                        static_cast<int>(item.X), static_cast<int>(item.Y), item.Caption.c_str());
        }
        FreeSharedBuffer();
    }
    std::printf("BufferAfterFree=%d\n", SharedBuffer != nullptr ? 1 : 0);
    std::printf("MappingAfterFree=%d\n", SharedMapping != nullptr ? 1 : 0);
    ReleaseShellProcess();
    std::fflush(stdout);
    return 0;
}
