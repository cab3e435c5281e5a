#include "DataFolder.h"

#include "ExitCodes.h"
#include "Language.h"
#include "MessageBox.h"
#include "Paths.h"
#include "PathText.h"
#include "ProcessState.h"
#include "UserFolders.h"

std::string DataFolder;

void ChooseDataFolder() {
    DataFolder =
        PerUserDataFolder(OwnerWindow, RunningWindows.IsWindows2000OrLater || RunningWindows.IsWindowsMe);
}

bool DataFolderAvailable() {
    if (!DataFolder.empty()) {
        return true;
    }
    ExitCode = ExitDataFolderMissing;
    AppMessageBox(OwnerWindow,
                  LangPick("Der Ordner f\374r die Dateien von Kavrilon wurde nicht gefunden!\r"
                           "Windows nennt keinen Ordner f\374r Anwendungsdaten.",
                           "The folder for Kavrilon's files was not found!\r"
                           "Windows names no application data folder."),
                  ErrorCaption(), MB_ICONERROR, false);
    return false;
}

void ChoosePortableDataFolder() {
    DataFolder = ProgramFolder();
}

std::string OptionsFilePath() {
    return DataFolder + "Options.ini";
}
