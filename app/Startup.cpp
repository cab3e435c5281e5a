#include "Startup.h"

#include <windows.h>
#include <objbase.h>

#include "AppGlobals.h"
#include "CommandLine.h"
#include "DataFolder.h"
#include "DesktopLocate.h"
#include "Options.h"
#include "TrayWindow.h"
#include "WinHandles.h"
#include "WindowsVersion.h"

namespace {

void RunTrayPhase() {
    InitDefaults();
    WriteOptions();
    CommandLineFile.clear();

    SetLastError(ERROR_SUCCESS);
    TUniqueHandle mutex(CreateMutexA(nullptr, FALSE, SingleInstanceMutexName));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS) {
        // Another tray instance runs: nothing is shown and it is not notified.
        ExitCode = ExitTrayAlreadyRunning;
        return;
    }
    MessagesAllowed = true;
    // The mutex is held for the whole life of the tray instance.
    ExitCode = RunTrayInstance();
}

} // namespace

int RunKavrilon(const std::vector<std::string>& arguments) {
    CoInitialize(nullptr);
    DetectWindowsVersion();
    ChooseDataFolder();
    ExitCode = ExitSuccess;
    CommandLineMode = false;
    OwnerWindow = GetDesktopWindow();
    RegisterTrayWindowClass();
    ResolveLateBoundFunctions();
    TrayRequested = false;
    MessagesAllowed = false;
    PortableMode = false;
    SplashSuppressed = false;

    if (!arguments.empty()) {
        RunCommandLinePhase(arguments);
    }
    if (!CommandLineMode) {
        RunTrayPhase();
    }

    // The only handle that outlives an action: the shell's process of the last desktop search.
    ReleaseShellProcess();
    CoUninitialize();
    return ExitCode;
}
