#include "RemoveTraces.h"

#include <shellapi.h>

#include "AppGlobals.h"
#include "Autostart.h"
#include "DataFolder.h"
#include "FileDialogRules.h"
#include "FileOperations.h"
#include "PathText.h"
#include "ShellExtInstaller.h"
#include "UserFolders.h"

void RemoveTraces(HWND owner) {
    if (IsRemovableDataFolder(DataFolder, FolderOfPath(ProgramFilePath()))) {
        SilentFileOperation(FO_DELETE, DataFolder.substr(0, DataFolder.size() - 1), {});
    }
    // Fails, as intended, while anything else is left in it.
    RemoveDirectoryA(VendorFolder(owner, IsWindows2000OrLater || IsWindowsMe).c_str());
    RemoveAutostart();
    RunShellExtInstaller('u', owner, false);
}
