#include "Startup.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "CommandLine.h"
#include "DataFolder.h"
#include "ExitCodes.h"
#include "KavrilonNames.h"
#include "Options.h"
#include "ProcessState.h"
#include "SystemFunctions.h"
#include "TrayWindow.h"
#include "WindowsVersion.h"
#include "WinHandles.h"

namespace {

// Loads the common controls that the manifest names (version 6 from Windows XP on: themed controls
// and the shield) and registers their classes before any dialog is made. Looked up at run time, so
// that a Windows without InitCommonControlsEx still starts; the library stays loaded.
void LoadCommonControls() {
    const HMODULE library = LoadLibraryA("comctl32.dll");
    if (library == nullptr) {
        return;
    }
    using TInitCommonControlsEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto initialize = ModuleFunction<TInitCommonControlsEx>(library, "InitCommonControlsEx");
    if (initialize != nullptr) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        initialize(&controls);
    }
}

void RunTrayPhase() {
    if (!DataFolderAvailable()) {
        return;
    }
    InitDefaults();
    WriteOptions();

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
    LoadCommonControls();
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

    CoUninitialize();
    return ExitCode;
}
