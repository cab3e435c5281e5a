// Capturing the desktop into a layout file, the save-primary action, and the comparisons of the
// desktop with stored layouts.

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
#include "Paths.h"
#include "TrayWindow.h"
#include "WinHandles.h"

namespace {

bool MessagesShown() {
    return !CommandLineMode || MessagesAllowed;
}

// The file named on the command line, else the one chosen in the save dialog (empty: cancelled).
std::string ChooseSaveFile() {
    return CommandLineFile.empty() ? SaveLayoutFileDialog() : CommandLineFile;
}

std::string TargetPath(int kind, const std::string& key) {
    switch (kind) {
    case SaveKindPrimary:
        CreateFolderChain(DataFolder + "Layouts\\");
        return PrimaryLayoutPath(DataFolder, key);
    case SaveKindFile:
        return ChooseSaveFile();
    case SaveKindUndoBackup:
        CreateFolderChain(BackupFolderPath(DataFolder, key));
        return NewBackupPath(DataFolder, key, 'R', TimeStamp());
    default:
        return {};
    }
}

// Replaces `target` with `content` only once the whole content is on disk: it is written to a new
// file in the target's folder first, which then takes the target's place. On failure the target is
// as it was and the new file is gone.
bool ReplaceFileContent(const std::string& target, const std::string& content) {
    // A file the user marked read-only is not replaced (Windows refuses to replace it as well).
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    std::string folder = FolderOfPath(target);
    if (folder.empty()) {
        folder = ".\\";
    }
    char temporary[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder.c_str(), "kvl", 0, temporary) == 0) {
        return false;
    }
    bool written = false;
    {
        TUniqueFile file(
            CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD done = 0;
            written =
                WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &done, nullptr) &&
                done == content.size() && FlushFileBuffers(file.get());
        }
    }
    if (written &&
        MoveFileExA(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE) {
        return true;
    }
    DeleteFileA(temporary);
    return false;
}

// Captures every icon that can be read into the text of a layout file.
std::string CaptureLayout(const std::string& key) {
    std::string content = LayoutHeaderLines(key, TimeStamp());
    if ((DesktopExtendedStyle() & LVS_EX_SNAPTOGRID) != 0) {
        content += LayoutGridLine();
    }
    const int32_t count = DesktopItemCount();
    const TScreenRect origin = GetVirtualScreenRect();
    TItemProp item;
    for (int32_t i = 0; i < count; ++i) {
        // An icon that cannot be read is left out rather than written under another icon's caption.
        if (ReadIconItem(i, item)) {
            content += LayoutEntryLine(item.X + origin.Left, item.Y + origin.Top, item.Caption);
        }
    }
    return content;
}

// Compares the desktop with a layout file. `countsMustMatch` also requires that the layout has
// exactly one entry per readable icon.
bool DesktopDiffersFrom(const std::string& path, bool countsMustMatch) {
    if (!LocateDesktop()) {
        return true;
    }
    AllocSharedBuffer();
    if (SharedBuffer == nullptr) {
        return true;
    }
    TScopeExit release([] {
        LayoutEntries.clear();
        FreeSharedBuffer();
    });
    if (ReadLayoutFile(path) != LayoutReadComplete) {
        return true;
    }
    const int32_t count = DesktopItemCount();
    const TScreenRect origin = GetVirtualScreenRect();
    int32_t readable = 0;
    TItemProp item;
    for (int32_t i = 0; i < count; ++i) {
        if (!ReadIconItem(i, item)) {
            continue;
        }
        ++readable;
        TLayoutPoint stored;
        const bool listed = FindLayoutEntry(item.Caption, stored);
        if (!listed) {
            if (countsMustMatch) {
                return true;
            }
            continue;
        }
        if (stored.X != item.X + origin.Left || stored.Y != item.Y + origin.Top) {
            return true;
        }
    }
    return countsMustMatch && static_cast<size_t>(readable) != LayoutEntries.size();
}

} // namespace

bool SaveLayout(int kind, std::string* writtenPath) {
    if (writtenPath != nullptr) {
        writtenPath->clear();
    }
    ExitCode = ExitDesktopNotFound;
    const std::string key = ResolutionKey();
    const std::string target = TargetPath(kind, key);
    if (target.empty()) {
        return true;
    }
    if (!LocateDesktop()) {
        ShowDesktopNotFound();
        return true;
    }
    AllocSharedBuffer();
    if (SharedBuffer == nullptr) {
        return true;
    }
    // Auto-arrange would move icons while they are read; it is switched off meanwhile and on again
    // when the save ends, whichever way it ends.
    bool autoArrangeWasOn = false;
    TScopeExit cleanUp([&autoArrangeWasOn] {
        FreeSharedBuffer();
        if (autoArrangeWasOn) {
            SendViewCommand(AutoArrangeCommand);
        }
    });
    if (IsVistaFamily && (DesktopWindowStyle() & LVS_AUTOARRANGE) != 0) {
        autoArrangeWasOn = true;
        SendViewCommand(AutoArrangeCommand);
    }

    if (!ReplaceFileContent(target, CaptureLayout(key))) {
        if (MessagesShown() && !SavingAtLogoff) {
            ShowWriteError(target);
        }
        ExitCode = ExitLayoutFileError;
        return false;
    }
    ExitCode = ExitSuccess;
    if (writtenPath != nullptr) {
        *writtenPath = target;
    }
    if (SaveNotification == 1 && kind == SaveKindPrimary && MessagesShown() && !SavingAtLogoff) {
        const std::string text = FormatFirst(LangPick("Das Icon-Layout f\374r die Aufl\366sung %s wurde als "
                                                      "Hauptlayout gesichert.",
                                                      "The icon layout for %s was saved as primary layout."),
                                             key);
        AppMessageBox(OwnerWindow, text, TitleCaption(4000), MB_ICONINFORMATION, false);
    }
    return true;
}

void SavePrimaryAction() {
    const std::string key = ResolutionKey();
    if ((PortableMode || QuerySave != 0) && !SavingAtLogoff) {
        const std::string text =
            FormatFirst(LangPick("Wollen Sie dieses Icon-Layout als Hauptlayout f\374r die "
                                 "Aufl\366sung %s sichern?",
                                 "Do you want to save this icon layout as primary layout for %s?"),
                        key);
        if (AppMessageBox(OwnerWindow, text, TitleCaption(4000), MB_YESNO | MB_ICONQUESTION, true) != IDYES) {
            return;
        }
    }
    if (PrimaryDiffers() && !CreateBackup(key, 0, TimeStamp()) && !BackupFailedQuery(BackupFailedSave)) {
        return;
    }
    SaveLayout(SaveKindPrimary);
}

bool PrimaryDiffers() {
    return DesktopDiffersFrom(PrimaryLayoutPath(DataFolder, ResolutionKey()), true);
}

bool RestoreWouldMove(const std::string& backupId) {
    const std::string key = ResolutionKey();
    return RestoreWouldMoveFile(backupId.empty() ? PrimaryLayoutPath(DataFolder, key)
                                                 : BackupFilePath(DataFolder, key, backupId));
}

bool RestoreWouldMoveFile(const std::string& path) {
    return DesktopDiffersFrom(path, false);
}
