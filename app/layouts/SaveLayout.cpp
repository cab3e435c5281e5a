// Capturing the desktop into a layout file, the save-primary action, and the comparisons of the
// desktop with stored layouts. Every action reads the desktop once; the messages come only after
// the desktop session is closed, so that no box is ever open while the shell's buffer is held.

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
#include "LayoutFileWrite.h"
#include "LayoutMessages.h"
#include "MessageBox.h"
#include "Paths.h"
#include "ProcessState.h"
#include "SaveRestoreActions.h"

namespace {

// The file named on the command line, else the one chosen in the save dialog (empty: cancelled).
std::string ChooseSaveFile(const std::string& named) {
    return named.empty() ? SaveLayoutFileDialog() : named;
}

std::string TargetPath(int kind, const std::string& key, const std::string& chosenFile) {
    switch (kind) {
    case SaveKindPrimary:
        CreateFolderChain(DataFolder + "Layouts\\");
        return PrimaryLayoutPath(DataFolder, key);
    case SaveKindFile:
        return chosenFile;
    case SaveKindUndoBackup:
        CreateFolderChain(BackupFolderPath(DataFolder, key));
        return NewBackupPath(DataFolder, key, 'R', TimeStamp());
    default:
        return {};
    }
}

void ShowSavedNotice(const std::string& key) {
    const std::string text = FormatFirst(LangPick("Das Icon-Layout f\374r die Aufl\366sung %s wurde als "
                                                  "Hauptlayout gesichert.",
                                                  "The icon layout for %s was saved as primary layout."),
                                         key);
    AppMessageBox(OwnerWindow, text, TitleCaption(4000), MB_ICONINFORMATION, false);
}

// The record of the display configuration that a layout of the configuration key `key` carries:
// none for a plain configuration, whose files stay exactly as earlier versions wrote them, nor when
// the configuration changed since the key was taken (the record would not match the file's key).
std::string DisplayLineFor(const std::string& key) {
    const TDisplayConfig display = TakeDisplaySnapshot();
    return IsPlainResolutionConfig(display) || DisplayConfigKey(display) != key ? std::string()
                                                                                : DisplayConfigLine(display);
}

// Whether a capture differs from the layout file at `path`; a file that cannot be read counts as
// different.
bool CaptureDiffersFromFile(const TDesktopCapture& capture, const std::string& path, bool exact) {
    const TLayoutContent layout = ReadLayoutFile(path);
    return layout.Code != LayoutReadComplete || CaptureDiffersFrom(capture, layout.Entries, exact);
}

} // namespace

bool MessagesShown() {
    return !CommandLineMode || MessagesAllowed;
}

int32_t ExitCodeOf(TDesktopStatus status) {
    return status == TDesktopStatus::Ready ? ExitSuccess : ExitDesktopNotFound;
}

void ReportDesktopStatus(const TDesktopReport& report) {
    if (report.Status == TDesktopStatus::NotFound) {
        ShowDesktopNotFound(report.LocateError);
    } else if (report.Status == TDesktopStatus::NotResponding) {
        ShowDesktopNotResponding();
    }
}

TSaveOutcome WriteCapture(int kind, const TDesktopCapture& capture, const std::string& key,
                          const std::string& chosenFile) {
    TSaveOutcome outcome;
    outcome.Path = TargetPath(kind, key, chosenFile);
    if (outcome.Path.empty()) {
        outcome.Result = TSaveResult::Cancelled;
        return outcome;
    }
    bool written = false;
    try {
        written =
            ReplaceFileContent(outcome.Path, LayoutTextOf(capture, key, TimeStamp(), DisplayLineFor(key)));
    } catch (const std::bad_alloc&) {
        written = false;
    }
    outcome.Result = written ? TSaveResult::Saved : TSaveResult::WriteFailed;
    return outcome;
}

// Reports the outcome of a save (after the desktop session has been closed) and sets the exit code.
bool FinishSave(int kind, const TSaveOutcome& outcome, const std::string& key) {
    switch (outcome.Result) {
    case TSaveResult::Saved:
        ExitCode = ExitSuccess;
        if (ProgramOptions.SaveNotification == 1 && kind == SaveKindPrimary && MessagesShown() &&
            !SavingAtLogoff) {
            ShowSavedNotice(key);
        }
        return true;
    case TSaveResult::WriteFailed:
        ExitCode = ExitLayoutFileError;
        if (MessagesShown() && !SavingAtLogoff) {
            ShowWriteError(outcome.Path);
        }
        return false;
    case TSaveResult::Cancelled:
    default:
        ExitCode = ExitDesktopNotFound;
        return true;
    }
}

bool SaveLayout(int kind, const std::string& file, std::string* writtenPath) {
    if (writtenPath != nullptr) {
        writtenPath->clear();
    }
    ExitCode = ExitDesktopNotFound;
    const std::string key = ResolutionKey();
    // The file is chosen once, before the desktop is touched; a cancelled dialog ends the save.
    const std::string chosenFile = kind == SaveKindFile ? ChooseSaveFile(file) : std::string();
    if (kind == SaveKindFile && chosenFile.empty()) {
        return true;
    }
    TDesktopCapture capture;
    const TDesktopReport desktop = CaptureDesktop(capture, RunningWindows.IsVistaFamily);
    if (desktop.Status != TDesktopStatus::Ready) {
        ExitCode = ExitCodeOf(desktop.Status);
        ReportDesktopStatus(desktop);
        return true;
    }
    const TSaveOutcome outcome = WriteCapture(kind, capture, key, chosenFile);
    if (outcome.Result == TSaveResult::Saved && writtenPath != nullptr) {
        *writtenPath = outcome.Path;
    }
    return FinishSave(kind, outcome, key);
}

void SavePrimaryAction() {
    const std::string key = ResolutionKey();
    if ((PortableMode || ProgramOptions.QuerySave != 0) && !SavingAtLogoff) {
        const std::string text =
            FormatFirst(LangPick("Wollen Sie dieses Icon-Layout als Hauptlayout f\374r die "
                                 "Aufl\366sung %s sichern?",
                                 "Do you want to save this icon layout as primary layout for %s?"),
                        key);
        if (AppMessageBox(OwnerWindow, text, TitleCaption(4000), MB_YESNO | MB_ICONQUESTION, true) != IDYES) {
            return;
        }
    }
    // One reading serves the comparison with the primary layout and the new file. Without a
    // reading nothing is written, so the old primary layout is not copied into the archive either.
    TDesktopCapture capture;
    const TDesktopReport desktop = CaptureDesktop(capture, RunningWindows.IsVistaFamily);
    if (desktop.Status != TDesktopStatus::Ready) {
        ExitCode = ExitCodeOf(desktop.Status);
        ReportDesktopStatus(desktop);
        return;
    }
    if (CaptureDiffersFromFile(capture, PrimaryLayoutPath(DataFolder, key), true) &&
        !CreateBackup(key, 0, TimeStamp()) && !BackupFailedQuery(BackupFailedSave)) {
        return;
    }
    FinishSave(SaveKindPrimary, WriteCapture(SaveKindPrimary, capture, key), key);
}

bool PrimaryDiffers() {
    TDesktopCapture capture;
    return CaptureDesktop(capture, false).Status != TDesktopStatus::Ready ||
           CaptureDiffersFromFile(capture, PrimaryLayoutPath(DataFolder, ResolutionKey()), true);
}

bool RestoreWouldMove(const std::string& backupId) {
    const std::string key = ResolutionKey();
    return RestoreWouldMoveFile(backupId.empty() ? PrimaryLayoutToRestore(DataFolder, key)
                                                 : BackupFilePath(DataFolder, key, backupId));
}

bool RestoreWouldMoveFile(const std::string& path) {
    TDesktopCapture capture;
    return CaptureDesktop(capture, false).Status != TDesktopStatus::Ready ||
           CaptureDiffersFromFile(capture, path, false);
}
