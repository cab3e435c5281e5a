// Test probe: finds the desktop and reads every icon with the program's own procedures, printing
// one "name=value" line each, so that tests can run it under another reported Windows version.

#include <windows.h>

#include <cstdio>
#include <string>

#include "ItemAccess.h"
#include "ProcessState.h"
#include "WindowsVersion.h"

int main() {
    DetectWindowsVersion();
    ResolveLateBoundFunctions();
    std::printf("IsNTPlatform=%d\n", RunningWindows.IsNTPlatform ? 1 : 0);
    std::printf("ShellIs64Bit=%d\n", ShellIs64Bit ? 1 : 0);

    TShellAccess shell;
    const bool located = LocateDesktop(shell.Location);
    std::printf("Located=%d\n", located ? 1 : 0);
    if (!located) {
        std::printf("LocateError=%s\n", shell.Location.ErrorText.c_str());
        return 0;
    }
    AllocSharedBuffer(shell);
    std::printf("Buffer=%d\n", shell.Buffer != nullptr ? 1 : 0);
    std::printf("Mapping=%d\n", shell.Mapping ? 1 : 0);
    if (shell.Buffer != nullptr) {
        const int32_t count = DesktopItemCount(shell);
        std::printf("Count=%d\n", static_cast<int>(count));
        for (int32_t index = 0; index < count; ++index) {
            TItemProp item = {"untouched", -7, -9, false};
            const bool read = ReadIconItem(shell, index, item);
            std::printf("Item%d=%d %d %d %s\n", static_cast<int>(index), read ? 1 : 0,
                        static_cast<int>(item.X), static_cast<int>(item.Y), item.Caption.c_str());
        }
        FreeSharedBuffer(shell);
    }
    std::printf("BufferAfterFree=%d\n", shell.Buffer != nullptr ? 1 : 0);
    std::printf("MappingAfterFree=%d\n", shell.Mapping ? 1 : 0);
    std::fflush(stdout);
    return 0;
}
