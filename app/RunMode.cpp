#include "RunMode.h"

bool CommandLineMode = false;
bool MessagesAllowed = false;
bool TrayRequested = false;
bool PortableMode = false;
bool SplashSuppressed = false;
HWND OwnerWindow = nullptr;
std::string CommandLineFile;
std::string SelectedBackupId;
bool OptionsFromCommandLine = false;

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

std::string ProgramFilePath() {
    // Long paths are not supported by the ANSI functions this program uses anyway.
    char buffer[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::string(buffer, length);
}
