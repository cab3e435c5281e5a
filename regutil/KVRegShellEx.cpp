// KVRegShellEx.exe: the registration utility that writes ("r") or removes ("u") the shell
// extension's registry entries. It shows no window and no message: its exit code is its only
// report, 1 for success, -1 for failure and 0 for a parameter it does not know.

#include <windows.h>

#include "RegUtilArgs.h"
#include "ShellExtRegistry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    switch (OperationOfParameter(CommandLineParameter(GetCommandLineA(), 1))) {
    case RegUtilRegister:
        return RegisterShellExtension() ? 1 : -1;
    case RegUtilUnregister:
        return UnregisterShellExtension() ? 1 : -1;
    default:
        return 0;
    }
}
