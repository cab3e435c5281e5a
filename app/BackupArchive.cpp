#include "BackupArchive.h"

#include <windows.h>
#include <shellapi.h>

#include "Actions.h"
#include "AppGlobals.h"
#include "DataFolder.h"
#include "Language.h"
#include "MessageBox.h"
#include "Paths.h"

std::vector<std::string> BackupIds;

namespace {

// "Alle Backups &löschen" / "&Delete all #backups": the menu text of the tray command, also the
// title of its question.
constexpr int32_t DeleteAllBackupsText = 3008;

// SHFileOperationA without any user interface. Both lists end with a second NUL character, which
// std::string's terminator and the one appended here provide.
int SilentFileOperation(UINT function, const std::string& from, const std::string& to) {
    const std::string fromList = from + '\0';
    const std::string toList = to + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = function;
    operation.pFrom = fromList.c_str();
    operation.pTo = to.empty() ? nullptr : toList.c_str();
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
    return SHFileOperationA(&operation);
}

} // namespace

bool PrimaryExists(const std::string& resolutionKey) {
    return PathExists(PrimaryLayoutPath(DataFolder, resolutionKey));
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

void EnumerateBackups(const std::string& resolutionKey, bool prune) {
    BackupIds = ListBackupIds(DataFolder, resolutionKey, prune);
}

std::string BackupLabel(const std::string& id) {
    return FormatBackupLabel(id, LanguageIndex);
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
