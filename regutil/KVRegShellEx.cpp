// KVRegShellEx.exe: the registration utility that writes ("r") or removes ("u") the shell
// extension's registry entries for every user. It shows no window and no message: its exit code is
// its only report, 1 for success, -1 for failure and 0 for a parameter it does not know.

#include <windows.h>

#include "AdminFolders.h"
#include "FileSystem.h"
#include "RegUtilArgs.h"
#include "ShellExtRegistry.h"

namespace {

// The entries make every user's shell load the extension from, and start the main program in, the
// utility's folder. So they are written only when that folder is one that only administrators can
// change; a copy anywhere else (a portable copy in the user's Downloads) is refused and nothing
// is written. The folder is written as it was checked, in its full long form.
bool RegisterForEveryUser() {
    std::string folder = FullLongPath(ProgramFolder());
    if (folder.empty() || !IsAdminOnlyFolder(folder)) {
        return false;
    }
    if (folder.back() != '\\') {
        folder += '\\';
    }
    return RegisterShellExtension(HKEY_LOCAL_MACHINE, folder);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    switch (OperationOfParameter(CommandLineParameter(GetCommandLineA(), 1))) {
    case RegUtilRegister:
        return RegisterForEveryUser() ? 1 : -1;
    case RegUtilUnregister:
        return UnregisterShellExtension(HKEY_LOCAL_MACHINE) ? 1 : -1;
    default:
        return 0;
    }
}
