#include "BackupArchive.h"

#include <windows.h>
#include <shellapi.h>

#include "FileOperations.h"
#include "Language.h"
#include "MessageBox.h"
#include "Paths.h"
#include "ProcessState.h"
#include "SaveRestoreActions.h"

namespace {

// "Alle Backups &löschen" / "&Delete all #backups": the menu text of the tray command, also the
// title of its question.
constexpr int32_t DeleteAllBackupsText = 3008;

} // namespace

bool PrimaryExists(const std::string& resolutionKey) {
    return PathExists(PrimaryLayoutToRestore(DataFolder, resolutionKey));
}

bool CreateBackup(const std::string& resolutionKey, int letterIndex, const std::string& stamp) {
    const std::string primary = PrimaryLayoutPath(DataFolder, resolutionKey);
    if (!PathExists(primary)) {
        return true;
    }
    const char letter = BackupLetter(letterIndex);
    if (letter == 0) {
        return false;
    }
    CreateFolderChain(BackupFolderPath(DataFolder, resolutionKey));
    const std::string target = NewBackupPath(DataFolder, resolutionKey, letter, stamp);
    if (target.empty()) {
        return false;
    }
    return SilentFileOperation(FO_COPY, primary, target) == 0;
}

std::vector<std::string> EnumerateBackups(const std::string& resolutionKey, bool prune) {
    return ListBackupIds(DataFolder, resolutionKey, prune);
}

std::string BackupLabel(const std::string& id) {
    return FormatBackupLabel(id, ProgramOptions.Language);
}

void DeleteAllBackups() {
    // The folder itself, without its trailing "\". A missing folder is left alone: the shell would
    // report the missing source in an error box of its own. The result is of no use to anybody.
    std::string folder = BackupFolderPath(DataFolder, ResolutionKey());
    folder.pop_back();
    if (FolderExists(folder)) {
        SilentFileOperation(FO_DELETE, folder, {});
    }
}

void DeleteAllBackupsAction() {
    const std::string question =
        LangPick("Wollen Sie wirklich alle Backups l\366schen?", "Do you really want to delete all backups?");
    if (AppMessageBox(OwnerWindow, question, TitleCaption(DeleteAllBackupsText),
                      MB_YESNO | MB_ICONEXCLAMATION, false) == IDYES) {
        DeleteAllBackups();
    }
}
