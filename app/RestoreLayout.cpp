// Putting the desktop icons back where a layout file says they were, and the restore action with
// its confirmation, undo backup and undo.

#include <windows.h>
#include <commctrl.h>

#include "Actions.h"
#include "AppGlobals.h"
#include "BackupArchive.h"
#include "DataFolder.h"
#include "DesktopLocate.h"
#include "ItemAccess.h"
#include "Language.h"
#include "LayoutFile.h"
#include "LayoutFileDialogs.h"
#include "LayoutMessages.h"
#include "MessageBox.h"
#include "Options.h"
#include "RestoreLayout.h"
#include "WinHandles.h"

namespace {

// Shell view commands that set the icon size on the Vista family, by the option IconSize (1 to 3).
constexpr uint16_t IconSizeCommands[4] = {0, 0x7050, 0x704E, 0x704F};

bool MessagesShown() {
    return !CommandLineMode || MessagesAllowed;
}

// The file named on the command line, else the one chosen in the open dialog (empty: cancelled).
std::string ChooseRestoreFile() {
    return CommandLineFile.empty() ? OpenLayoutFileDialog() : CommandLineFile;
}

void DeleteUndoBackup(const std::string& undoPath) {
    if (!undoPath.empty()) {
        DeleteFileA(undoPath.c_str());
    }
}

} // namespace

bool RestoreLayout(const std::string& path) {
    ExitCode = ExitSuccess;
    if (!LocateDesktop()) {
        ExitCode = ExitDesktopNotFound;
        ShowDesktopNotFound();
        return false;
    }
    AllocSharedBuffer();
    if (SharedBuffer == nullptr) {
        return false;
    }
    TScopeExit release([] {
        LayoutEntries.clear();
        FreeSharedBuffer();
    });
    // Taken before anything changes on the desktop.
    const int32_t count = DesktopItemCount();

    const int32_t code = ReadLayoutFile(path);
    if (code != LayoutReadComplete) {
        if (MessagesShown()) {
            ShowLayoutReadError(code, path);
        }
        return false;
    }

    // Align-to-grid and auto-arrange would move the icons away from their positions again.
    if ((DesktopExtendedStyle() & LVS_EX_SNAPTOGRID) != 0) {
        SendViewCommand(AlignToGridCommand);
    }
    if ((DesktopWindowStyle() & LVS_AUTOARRANGE) != 0) {
        SendViewCommand(AutoArrangeCommand);
    }
    if (IsVistaFamily && IconSize >= 1 && IconSize <= 3) {
        SendViewCommand(IconSizeCommands[IconSize]);
    }
    // A view inside a "Worker" window gets that window sized to the view, so that positions mean
    // the same as in a view inside Progman.
    if (DefViewUnderWorker) {
        RECT view = {};
        GetWindowRect(DefViewWindow, &view);
        MoveWindow(GetParent(DefViewWindow), view.left, view.top, view.right - view.left,
                   view.bottom - view.top, TRUE);
    }

    const TScreenRect origin = GetVirtualScreenRect();
    TItemProp item;
    for (int32_t i = 0; i < count; ++i) {
        // An icon that cannot be read is neither matched nor moved.
        if (!ReadIconItem(i, item)) {
            continue;
        }
        TLayoutPoint stored;
        if (!FindLayoutEntry(item.Caption, stored)) {
            continue;
        }
        const int32_t x = stored.X - origin.Left;
        const int32_t y = stored.Y - origin.Top;
        // An icon that already stands at its place is not moved again (same result, less work).
        if (x != item.X || y != item.Y) {
            SetIconPosition(i, x, y);
        }
    }
    LayoutEntries.clear();

    if (IsXPOrLater && LayoutHasGrid) {
        SendViewCommand(AlignToGridCommand);
    }
    return true;
}

void RestoreAction(int kind, const std::string& backupId) {
    const std::string key = ResolutionKey();
    std::string path;
    std::string titleSuffix;
    switch (kind) {
    case RestoreKindPrimary:
    case RestoreKindAutomatic:
        path = PrimaryLayoutPath(DataFolder, key);
        titleSuffix = " - " + ApplyCaseMarks(LangPick("Hauptlayout", "Primary #layout"), CaseUpper);
        break;
    case RestoreKindFile:
        path = ChooseRestoreFile();
        titleSuffix = " - " + LangPick("Datei", "File");
        break;
    case RestoreKindBackup:
        path = BackupFilePath(DataFolder, key, backupId);
        titleSuffix = " - " + BackupLabel(backupId);
        break;
    default:
        return;
    }
    if (path.empty()) {
        return;
    }

    const bool userRestore = kind != RestoreKindAutomatic;
    const uint8_t askOption = kind == RestoreKindFile ? QueryRestoreFile : QueryRestore;
    if (userRestore && askOption != 0) {
        const std::string caption =
            "Kavrilon - " + StripAccelerators(ApplyCaseMarks(LangText(4001), CaseUpper) + titleSuffix);
        const std::string text =
            FormatFirst(LangPick("Wollen Sie das Icon-Layout f\374r die Aufl\366sung %s restaurieren?",
                                 "Do you want to restore the icon layout for %s?"),
                        key);
        if (AppMessageBox(OwnerWindow, text, caption, MB_YESNO | MB_ICONQUESTION, true) != IDYES) {
            return;
        }
    }

    const bool hadGrid = LocateDesktop() && (DesktopExtendedStyle() & LVS_EX_SNAPTOGRID) != 0;
    // Whether the restore will move anything, judged against the layout that is being restored.
    const bool wouldMove = userRestore && RestoreWouldMoveFile(path);

    // The undo backup: only the file this restore wrote is ever restored or deleted as such.
    std::string undoPath;
    if (userRestore) {
        SaveLayout(SaveKindUndoBackup, &undoPath);
        if (undoPath.empty() && !BackupFailedQuery(BackupFailedRestore)) {
            return;
        }
    }
    const bool undoSaved = !undoPath.empty();

    if (!RestoreLayout(path)) {
        DeleteUndoBackup(undoPath);
        return;
    }

    if (undoSaved && DirectUndo == 1 && MessagesShown()) {
        const std::string text =
            LangPick("Wollen Sie dieses Layout behalten?", "Do you want to keep this layout?");
        if (AppMessageBox(OwnerWindow, text, TitleCaption(4001), MB_YESNO | MB_ICONQUESTION, true) == IDNO) {
            RestoreLayout(undoPath);
            if (hadGrid && LocateDesktop() && (DesktopExtendedStyle() & LVS_EX_SNAPTOGRID) == 0) {
                SendViewCommand(AlignToGridCommand);
            }
            DeleteUndoBackup(undoPath);
            return;
        }
    }
    if (!wouldMove && undoSaved) {
        // Nothing moved: the undo backup is not needed.
        DeleteUndoBackup(undoPath);
    }

    // A restored backup may become the new primary layout. Without a readable primary layout the
    // offer is not made, and the restore's own exit code stands.
    if (!SelectedBackupId.empty() && ExitCode == ExitSuccess && PrimaryExists(key)) {
        const int32_t exitCode = ExitCode;
        const bool differs = PrimaryDiffers();
        const bool primaryReadable = ExitCode == exitCode;
        ExitCode = exitCode;
        if (differs && primaryReadable) {
            const std::string caption =
                "Kavrilon - " + StripAccelerators(ApplyCaseMarks(
                                    LangPick("Hauptlayout sichern", "Save #primary #layout"), CaseUpper));
            const std::string text = LangPick(
                "Das restaurierte Layout unterscheidet sich vom aktuellen Hauptlayout.\rSoll es als neues "
                "Hauptlayout gesichert werden?",
                "The restored layout differs from the current primary layout.\rDo you want it to be saved as "
                "new primary layout?");
            if (AppMessageBox(OwnerWindow, text, caption, MB_YESNO | MB_ICONQUESTION, true) == IDYES) {
                if (!CreateBackup(key, 0, TimeStamp()) && !BackupFailedQuery(BackupFailedSave)) {
                    return;
                }
                SaveLayout(SaveKindPrimary);
            }
        }
    }
}
