#include "DataFolder.h"

#include "AppGlobals.h"
#include "PathText.h"
#include "UserFolders.h"

std::string DataFolder;

void ChooseDataFolder() {
    DataFolder = PerUserDataFolder(OwnerWindow, IsWindows2000OrLater || IsWindowsMe);
}

void ChoosePortableDataFolder() {
    DataFolder = FolderOfPath(ProgramFilePath());
}

std::string OptionsFilePath() {
    return DataFolder + "Options.ini";
}
