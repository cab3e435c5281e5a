#include "WindowsVersion.h"

#include "VersionRules.h"

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
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info); // 148 bytes
    static_assert(sizeof(OSVERSIONINFOA) == 148, "the ANSI version record has 148 bytes");
    GetVersionExA(&info);

    const TVersionFlags flags =
        DeriveVersionFlags(info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId);
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
        if (HMODULE shell32 = LoadLibraryA("shell32.dll")) {
            SHCreateItemFromParsingNamePtr = reinterpret_cast<TSHCreateItemFromParsingName>(
                GetProcAddress(shell32, "SHCreateItemFromParsingName"));
        }
    }

    using TIsWow64Process = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
    if (HMODULE kernel32 = GetModuleHandleA("kernel32.dll")) {
        const auto isWow64Process =
            reinterpret_cast<TIsWow64Process>(GetProcAddress(kernel32, "IsWow64Process"));
        BOOL wow64 = FALSE;
        if (isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64)) {
            ShellIs64Bit = wow64 != FALSE;
        }
    }
    if (HMODULE user32 = GetModuleHandleA("User32.dll")) {
        SetLayeredWindowAttributesPtr = reinterpret_cast<TSetLayeredWindowAttributes>(
            GetProcAddress(user32, "SetLayeredWindowAttributes"));
    }
}
