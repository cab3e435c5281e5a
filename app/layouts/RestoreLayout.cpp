// Putting the desktop icons back where a layout file says they were, and the restore action with
// its confirmation, undo backup and undo. A restore reads the desktop once: that reading decides
// whether anything would move, is written as the undo backup and drives the moves.

#include <windows.h>

#include "ActionSteps.h"
#include "BackupArchive.h"
#include "DataFolder.h"
#include "DesktopSession.h"
#include "DisplaySnapshot.h"
#include "ExitCodes.h"
#include "Language.h"
#include "LayoutFile.h"
#include "LayoutFileDialogs.h"
#include "LayoutMessages.h"
#include "MessageBox.h"
#include "ProcessState.h"
#include "RestoreLayout.h"
#include "SaveRestoreActions.h"

namespace {

// Shell view commands that set the icon size on the Vista family, by the option IconSize (1 to 3).
constexpr uint16_t IconSizeCommands[4] = {0, 0x7050, 0x704E, 0x704F};

// The file named on the command line, else the one chosen in the open dialog (empty: cancelled).
std::string ChooseRestoreFile(const std::string& named) {
    return named.empty() ? OpenLayoutFileDialog() : named;
}

bool ChangesIconSize() {
    return RunningWindows.IsVistaFamily && ProgramOptions.IconSize >= 1 && ProgramOptions.IconSize <= 3;
}

// What became of a restore, for the caller to report once the desktop session is closed.
struct TRestoreOutcome {
    TDesktopReport Desktop;
    int32_t ReadCode = LayoutReadComplete; // of the layout file, when the desktop was ready
    size_t LeftInPlace = 0;                // listed icons whose stored position lies on no monitor
    bool Changed = false;                  // some icon was not where the restore put it
    bool Restored() const {
        return Desktop.Status == TDesktopStatus::Ready && ReadCode == LayoutReadComplete;
    }
};

// Moves the icons of `capture` (read in `session`) to the positions of `layout`: align-to-grid and
// auto-arrange off first (they would move the icons away again), the icon size, the Worker window
// sized to the view, the moves in one batch, with `placeNewIcons` the icons the layout does not
// list out from under the restored ones in a second batch, and align-to-grid on again when the
// layout carried it. Icons whose stored position lies on no monitor of the current configuration
// stay where they are (counted in `outcome`).
TDesktopStatus ApplyLayout(TDesktopSession& session, const TDesktopCapture& capture,
                           const TLayoutContent& layout, bool placeNewIcons, TRestoreOutcome& outcome) {
    if (capture.Grid) {
        SendDesktopCommand(session, RunningWindows.AlignToGridCommand);
    }
    if (capture.AutoArrange) {
        SendDesktopCommand(session, RunningWindows.AutoArrangeCommand);
    }
    if (ChangesIconSize()) {
        SendDesktopCommand(session, IconSizeCommands[ProgramOptions.IconSize]);
    }
    // A view inside a "Worker" window gets that window sized to the view, so that positions mean
    // the same as in a view inside Progman. Asynchronous: the move never waits for the shell.
    const TDesktopLocation& location = session.Shell.Location;
    if (session.Status == TDesktopStatus::Ready && location.DefViewUnderWorker) {
        RECT view = {};
        GetWindowRect(location.DefView, &view);
        SetWindowPos(GetParent(location.DefView), nullptr, view.left, view.top, view.right - view.left,
                     view.bottom - view.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    }
    // The grid after the icon size has changed: the cells are those of the new size.
    TDesktopGrid grid;
    if (placeNewIcons) {
        ReadDesktopGrid(session, grid);
    }
    // After a change of the icon size, or with auto-arrange on at the reading, the view may have
    // moved icons since: every listed icon is placed.
    const TRestorePlan plan = PlanRestore(capture, layout.Entries, ChangesIconSize() || capture.AutoArrange,
                                          TakeDisplaySnapshot(), placeNewIcons, grid);
    outcome.LeftInPlace = plan.LeftInPlace;
    outcome.Changed = plan.Changes;
    MoveDesktopIcons(session, plan.Moves);
    MoveDesktopIcons(session, plan.NewIconMoves);
    if (RunningWindows.IsXPOrLater && layout.Grid) {
        SendDesktopCommand(session, RunningWindows.AlignToGridCommand);
    }
    return session.Status;
}

// Reads the layout file and restores it in an open session whose desktop is in `capture`.
TRestoreOutcome RestoreInSession(TDesktopSession& session, const TDesktopCapture& capture,
                                 const std::string& path, bool placeNewIcons) {
    TRestoreOutcome outcome;
    if (session.Status == TDesktopStatus::Ready) {
        const TLayoutContent layout = ReadLayoutFile(path);
        outcome.ReadCode = layout.Code;
        if (layout.Code == LayoutReadComplete) {
            ApplyLayout(session, capture, layout, placeNewIcons, outcome);
        }
    }
    outcome.Desktop = ReportOf(session);
    return outcome;
}

// The whole restore of a file in a session of its own.
TRestoreOutcome RestoreFile(const std::string& path, bool placeNewIcons) {
    TDesktopSession session;
    TDesktopSessionGuard guard(session);
    TDesktopCapture capture;
    if (OpenDesktopSession(session) == TDesktopStatus::Ready) {
        ReadDesktop(session, capture);
    }
    return RestoreInSession(session, capture, path, placeNewIcons);
}

// Sets the exit code of a restore and shows what went wrong (the session must be closed).
bool ReportRestore(const TRestoreOutcome& outcome, const std::string& path) {
    if (outcome.Desktop.Status != TDesktopStatus::Ready) {
        ExitCode = ExitCodeOf(outcome.Desktop.Status);
        ReportDesktopStatus(outcome.Desktop);
        return false;
    }
    ExitCode = outcome.ReadCode == LayoutReadError ? ExitLayoutFileError : ExitSuccess;
    if (outcome.ReadCode != LayoutReadComplete) {
        if (MessagesShown()) {
            ShowLayoutReadError(outcome.ReadCode, path);
        }
        return false;
    }
    return true;
}

void DeleteUndoBackup(const std::string& undoPath) {
    if (!undoPath.empty()) {
        DeleteFileA(undoPath.c_str());
    }
}

// After No to the keep question: puts the undo backup back; it is deleted only when that worked. The
// undo backup lists every icon, so no icon is placed as a new one.
void UndoRestore(const std::string& undoPath, bool hadGrid) {
    const TRestoreOutcome undone = RestoreFile(undoPath, false);
    if (undone.Restored() && hadGrid) {
        TDesktopSession session;
        TDesktopSessionGuard guard(session);
        TDesktopCapture now;
        if (OpenDesktopSession(session, false) == TDesktopStatus::Ready &&
            ReadDesktop(session, now) == TDesktopStatus::Ready && !now.Grid) {
            SendDesktopCommand(session, RunningWindows.AlignToGridCommand);
        }
    }
    if (undone.Restored()) {
        DeleteUndoBackup(undoPath);
        return;
    }
    ReportRestore(undone, undoPath);
    if (MessagesShown()) {
        ShowUndoFailed(undoPath);
    }
}

// A restored backup may become the new primary layout. Without a readable primary layout the offer
// is not made.
void OfferBackupAsPrimary(const std::string& key) {
    if (ReadLayoutFile(PrimaryLayoutPath(DataFolder, key)).Code != LayoutReadComplete || !PrimaryDiffers()) {
        return;
    }
    const std::string caption =
        "Kavrilon - " + StripAccelerators(ApplyCaseMarks(
                            LangPick("Hauptlayout sichern", "Save #primary #layout"), CaseUpper));
    const std::string text = LangPick(
        "Das restaurierte Layout unterscheidet sich vom aktuellen Hauptlayout.\rSoll es als neues "
        "Hauptlayout gesichert werden?",
        "The restored layout differs from the current primary layout.\rDo you want it to be saved as "
        "new primary layout?");
    if (AppMessageBox(OwnerWindow, text, caption, MB_YESNO | MB_ICONQUESTION, true) != IDYES) {
        return;
    }
    if (!CreateBackup(key, 0, TimeStamp()) && !BackupFailedQuery(BackupFailedSave)) {
        return;
    }
    SaveLayout(SaveKindPrimary);
}

} // namespace

bool RestoreLayout(const std::string& path, bool placeNewIcons) {
    return ReportRestore(RestoreFile(path, placeNewIcons), path);
}

void RestoreAction(int kind, const std::string& name) {
    const bool placeNewIcons = ProgramOptions.PlaceNewIcons != 0;
    const std::string key = ResolutionKey();
    std::string path;
    std::string titleSuffix;
    switch (kind) {
    case RestoreKindPrimary:
    case RestoreKindAutomatic:
        path = PrimaryLayoutToRestore(DataFolder, key);
        titleSuffix = " - " + ApplyCaseMarks(LangPick("Hauptlayout", "Primary #layout"), CaseUpper);
        break;
    case RestoreKindFile:
        path = ChooseRestoreFile(name);
        titleSuffix = " - " + LangPick("Datei", "File");
        break;
    case RestoreKindBackup:
        // Only a well-formed id names a file inside the archive.
        if (IsValidBackupId(name)) {
            path = BackupFilePath(DataFolder, key, name);
            titleSuffix = " - " + BackupLabel(name);
        }
        break;
    default:
        return;
    }
    if (path.empty()) {
        return;
    }

    const bool userRestore = kind != RestoreKindAutomatic;
    const uint8_t askOption =
        kind == RestoreKindFile ? ProgramOptions.QueryRestoreFile : ProgramOptions.QueryRestore;
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

    // The one reading of the desktop, and the undo backup written from it, in one session. A box
    // is only ever shown after the session is closed.
    std::string undoPath;
    std::string failedUndoPath;
    bool undoFailed = false;
    bool hadGrid = false;
    TRestoreOutcome outcome;
    {
        TDesktopSession session;
        TDesktopSessionGuard guard(session);
        TDesktopCapture capture;
        if (OpenDesktopSession(session) == TDesktopStatus::Ready) {
            // The reading for the undo backup is a save: on the Vista family auto-arrange is off
            // while the icons are read, and on again afterwards, before the restore itself.
            ReadDesktop(session, capture, userRestore && RunningWindows.IsVistaFamily);
            RestoreAutoArrange(session);
        }
        if (session.Status == TDesktopStatus::Ready) {
            hadGrid = capture.Grid;
            if (userRestore) {
                const TSaveOutcome undo = WriteCapture(SaveKindUndoBackup, capture, key);
                undoFailed = undo.Result != TSaveResult::Saved;
                (undoFailed ? failedUndoPath : undoPath) = undo.Path;
            }
        }
        if (!undoFailed) {
            outcome = RestoreInSession(session, capture, path, placeNewIcons);
        }
    }
    if (undoFailed) {
        if (MessagesShown() && !SavingAtLogoff) {
            ShowWriteError(failedUndoPath);
        }
        if (!BackupFailedQuery(BackupFailedRestore)) {
            ExitCode = ExitLayoutFileError;
            return;
        }
        outcome = RestoreFile(path, placeNewIcons);
    }
    if (!ReportRestore(outcome, path)) {
        // A shell that stopped answering may have taken some of the moves: the undo backup then
        // keeps the arrangement before them. Otherwise nothing moved and it is not needed.
        if (outcome.Desktop.Status != TDesktopStatus::NotResponding) {
            DeleteUndoBackup(undoPath);
        }
        return;
    }

    if (userRestore && outcome.LeftInPlace > 0 && MessagesShown()) {
        ShowIconsLeftInPlace(outcome.LeftInPlace);
    }

    const bool undoSaved = !undoPath.empty();
    if (undoSaved && ProgramOptions.DirectUndo == 1 && MessagesShown()) {
        const std::string text =
            LangPick("Wollen Sie dieses Layout behalten?", "Do you want to keep this layout?");
        if (AppMessageBox(OwnerWindow, text, TitleCaption(4001), MB_YESNO | MB_ICONQUESTION, true) == IDNO) {
            UndoRestore(undoPath, hadGrid);
            return;
        }
    }
    if (!outcome.Changed && undoSaved) {
        // Nothing moved: the undo backup is not needed.
        DeleteUndoBackup(undoPath);
    }

    // Only the restore of a backup offers to make it the primary layout, whatever backup was
    // chosen before.
    if (kind == RestoreKindBackup && ExitCode == ExitSuccess) {
        OfferBackupAsPrimary(key);
    }
}
