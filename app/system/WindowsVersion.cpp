#include "WindowsVersion.h"

#include "SystemFunctions.h"
#include "SystemVersion.h"

bool IsNTPlatform = false;
bool IsWindowsMe = false;
bool IsWindows2000OrLater = false;
bool IsXPOrLater = false;
bool IsVistaFamily = false;
uint32_t OpenFileNameSize = 76;
uint16_t AlignToGridCommand = 0x7052;
uint16_t AutoArrangeCommand = 0x7051;

bool ShellIs64Bit = false;

TSHCreateItemFromParsingName SHCreateItemFromParsingNamePtr = nullptr;
TSetLayeredWindowAttributes SetLayeredWindowAttributesPtr = nullptr;

void DetectWindowsVersion() {
    const TVersionFlags flags = SystemVersionFlags();
    IsNTPlatform = flags.IsNTPlatform;
    IsWindowsMe = flags.IsWindowsMe;
    IsWindows2000OrLater = flags.IsWindows2000OrLater;
    IsXPOrLater = flags.IsXPOrLater;
    IsVistaFamily = flags.IsVistaFamily;
    OpenFileNameSize = flags.OpenFileNameSize;
    AlignToGridCommand = flags.AlignToGridCommand;
    AutoArrangeCommand = flags.AutoArrangeCommand;
}

void ResolveLateBoundFunctions() {
    if (IsVistaFamily) {
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
