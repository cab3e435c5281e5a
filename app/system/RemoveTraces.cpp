#include "RemoveTraces.h"

#include <shellapi.h>

#include "Autostart.h"
#include "FileDialogRules.h"
#include "FileOperations.h"
#include "Paths.h"
#include "PathText.h"
#include "ProcessState.h"
#include "ShellExtInstaller.h"
#include "UserFolders.h"

void RemoveTraces(HWND owner) {
    if (IsRemovableDataFolder(DataFolder, ProgramFolder())) {
        SilentFileOperation(FO_DELETE, DataFolder.substr(0, DataFolder.size() - 1), {});
    }
    // Fails, as intended, while anything else is left in it.
    RemoveDirectoryA(
        VendorFolder(owner, RunningWindows.IsWindows2000OrLater || RunningWindows.IsWindowsMe).c_str());
    RemoveAutostart();
    // A per-user copy removes the current user's registration itself; a copy for every user also
    // removes one that a per-user copy of this user left.
    if (!ShellExtPerUserCopy()) {
        RemovePerUserShellExt();
    }
    RunShellExtInstaller('u', owner, false);
}
