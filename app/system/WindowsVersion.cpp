#include "WindowsVersion.h"

#include "ProcessState.h"
#include "SystemFunctions.h"
#include "SystemVersion.h"

TVersionFlags RunningWindows;

bool ShellIs64Bit = false;

TSHCreateItemFromParsingName SHCreateItemFromParsingNamePtr = nullptr;
TSetLayeredWindowAttributes SetLayeredWindowAttributesPtr = nullptr;

void DetectWindowsVersion() {
    RunningWindows = SystemVersionFlags();
}

void ResolveLateBoundFunctions() {
    if (RunningWindows.IsVistaFamily) {
        // Kept loaded for the whole process: the file dialogs use the function.
        SHCreateItemFromParsingNamePtr = ModuleFunction<TSHCreateItemFromParsingName>(
            LoadLibraryA("shell32.dll"), "SHCreateItemFromParsingName");
    }

    using TIsWow64Process = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
    const auto isWow64Process = LoadedFunction<TIsWow64Process>("kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    if (isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64)) {
        ShellIs64Bit = wow64 != FALSE;
    }
    SetLayeredWindowAttributesPtr =
        LoadedFunction<TSetLayeredWindowAttributes>("User32.dll", "SetLayeredWindowAttributes");
}
