#include "TrayWindow.h"

#include <string>
#include <vector>

#include "BackupArchive.h"
#include "CallbackBarrier.h"
#include "CommandActions.h"
#include "CommandTable.h"
#include "ConfigWatch.h"
#include "DataFolder.h"
#include "KavrilonNames.h"
#include "Language.h"
#include "MessageBox.h"
#include "Options.h"
#include "OptionsFile.h"
#include "ProcessState.h"
#include "ResourceIds.h"
#include "RunAction.h"
#include "SaveRestoreActions.h"
#include "Splash.h"
#include "TrayMenuPreview.h"

HMENU TrayMenu = nullptr;
HMENU BackupMenu = nullptr;
bool TrayIconAdded = false;
UINT TaskbarCreatedMessage = 0;
NOTIFYICONDATAA TrayIconRecord = {};
TInputDesktopCheck InputDesktopAvailable = OpenInputDesktopSucceeds;

namespace {

constexpr UINT_PTR InputDesktopTimer = 1;
// The pause between the return of the input desktop and the automatic restore.
constexpr UINT_PTR AutoRestoreDelayTimer = 2;
// The polls of a restarted shell's desktop until its icons are there.
constexpr UINT_PTR ShellFillTimer = 3;
// The look at the monitors for changes that bring no message.
constexpr UINT_PTR DisplayPollTimer = 4;
constexpr UINT InputDesktopPollMs = 100;
// The size of the first NOTIFYICONDATAA layout, which every Windows version takes.
constexpr DWORD TrayIconRecordSize = 88;
constexpr UINT TrayIconId = 1;
constexpr int ArchiveItemPosition = 6;
// Sent to top-level windows of DPI-aware programs when the scaling of their monitor changes
// (Windows 8.1 and later); older headers lack it.
constexpr UINT DpiChangedMessage = 0x02E0;

// The menu resource "KvrMenu"; TrayMenu is its submenu 0.
HMENU ResourceMenu = nullptr;

// Work that arrived while an action ran, carried out once no action runs any more: several
// requests of one kind collapse into one.
bool AutoRestorePending = false;
bool FirstRunPending = false;

// The backups the archive menu listed last, newest first: entry i carries the tray id of
// RestoreBackup plus i. Kept after the menu closes, for the command of the chosen entry.
std::vector<std::string> ListedBackupIds;

bool PrimaryExistsNow() {
    return PrimaryExists(ResolutionKey());
}

void AutomaticRestore() {
    RestoreAction(RestoreKindAutomatic, {});
}

void SaveFirstPrimary() {
    SaveLayout(SaveKindPrimary);
}

void RunPendingWork() {
    if (ActionRunning()) {
        return;
    }
    if (FirstRunPending) {
        FirstRunPending = false;
        PostMessageA(TrayWindow, TrayFirstRunMessage, 0, 0);
    }
    if (AutoRestorePending) {
        AutoRestorePending = false;
        RequestAutoRestore();
    }
}

// Runs a user action under the action mutex, then what was deferred meanwhile.
void RunTrayAction(const TAction& action) {
    RunAction(action);
    RunPendingWork();
}

void RunAutomaticRestore() {
    if (ActionRunning()) {
        AutoRestorePending = true;
        return;
    }
    // A deferred request may find another resolution than the one it was made for.
    if (PrimaryExistsNow()) {
        RunDirectAction(AutomaticRestore);
    }
    RunPendingWork();
}

// Restores the primary layout of the configuration now when the display configuration or the
// desktop changed since the tray last looked without a message telling it, as the options say.
void CatchUnnoticedChanges() {
    const bool displayChanged = NoteDisplayConfig();
    const bool shellRestarted = NoteDesktopListView();
    if (((displayChanged && ProgramOptions.RestoreAtChange == 1) ||
         (shellRestarted && ProgramOptions.RestoreAtShellRestart == 1)) &&
        PrimaryExistsNow()) {
        RequestAutoRestore();
    }
}

// A change of the display configuration: a new arrangement, a monitor more or less, new scaling.
void DisplayChanged() {
    NoteDisplayConfig();
    if (ProgramOptions.RestoreAtChange == 1 && PrimaryExistsNow()) {
        RequestAutoRestore();
    }
}

// "TaskbarCreated": the shell (re)started. The icon comes back at once; the layout once the new
// desktop holds its icons.
void ShellRestarted() {
    AddTrayIcon();
    if (ProgramOptions.RestoreAtShellRestart != 1) {
        return;
    }
    StartShellFillWait();
    if (SetTimer(TrayWindow, ShellFillTimer, ShellFillPollMs, nullptr) == 0) {
        ShellFilled();
    }
}

std::string MenuText(int32_t id) {
    return ApplyCaseMarks(LangText(id), CaseAuto);
}

void BuildBackupMenu() {
    for (int count = GetMenuItemCount(BackupMenu); count > 0; --count) {
        DeleteMenu(BackupMenu, 0, MF_BYPOSITION);
    }
    ListedBackupIds = EnumerateBackups(ResolutionKey(), true);
    if (ListedBackupIds.empty()) {
        AppendMenuA(BackupMenu, MF_STRING | MF_DISABLED, 0,
                    LangPick("Kein Backup vorhanden", "No backup available").c_str());
        return;
    }
    for (size_t n = 0; n < ListedBackupIds.size(); ++n) {
        AppendMenuA(BackupMenu, MF_STRING, CommandRecord(TCommand::RestoreBackup).TrayId + n,
                    BackupLabel(ListedBackupIds[n]).c_str());
    }
    AppendMenuA(BackupMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(BackupMenu, MF_STRING, CommandDeleteBackups, MenuText(CommandDeleteBackups).c_str());
}

void UpdateTrayMenuStates() {
    EnableMenuItem(TrayMenu, CommandSavePrimary, MF_BYCOMMAND | (PortableMode ? MF_GRAYED : MF_ENABLED));
    const bool canRestore = !PortableMode && PrimaryExistsNow();
    EnableMenuItem(TrayMenu, CommandRestorePrimary, MF_BYCOMMAND | (canRestore ? MF_ENABLED : MF_GRAYED));
}

void OpenTrayMenu() {
    SetForegroundWindow(TrayWindow);
    if (ModalDepth != 0) {
        return;
    }
    PrepareTrayMenu();
    CatchUnnoticedChanges();
    POINT cursor = {};
    GetCursorPos(&cursor);
    SetForegroundWindow(TrayWindow);
    TrackPopupMenu(TrayMenu, TPM_RIGHTALIGN, cursor.x, cursor.y, 0, TrayWindow, nullptr);
    // No picture outlives the menu, whatever closed it.
    CloseTrayMenuPreview();
    // Lets the menu close correctly when the user clicks elsewhere.
    PostMessageA(TrayWindow, WM_NULL, 0, 0);
    ReleaseBackupMenu();
}

void RunTrayCommand(UINT id) {
    const TCommandRecord* record = CommandOfTrayId(id);
    if (record == nullptr) {
        return;
    }
    // A layout action is never started inside another one; the menu is held off meanwhile anyway.
    const bool actionCommand = record->Command != TCommand::About && record->Command != TCommand::Exit;
    if (actionCommand && ActionRunning()) {
        return;
    }
    if (actionCommand) {
        CatchUnnoticedChanges();
    }
    switch (record->Command) {
    case TCommand::SavePrimary:
        RunTrayAction(SavePrimaryAction);
        return;
    case TCommand::RestorePrimary:
        RunTrayAction(RestorePrimaryUnlessPortable);
        return;
    case TCommand::Options:
        OptionsFromCommandLine = false;
        RunTrayAction(ShowOptionsDialog);
        return;
    case TCommand::About:
        AboutOwner = TrayWindow;
        ShowAbout();
        return;
    case TCommand::Exit:
        SendMessageA(TrayWindow, WM_CLOSE, 0, 0);
        return;
    case TCommand::DeleteBackups:
        RunTrayAction(DeleteAllBackupsAction);
        return;
    case TCommand::SaveToFile:
        RunTrayAction(SaveToFileAction);
        return;
    case TCommand::RestoreFromFile:
        RunTrayAction(RestoreFromFileAction);
        return;
    case TCommand::RestoreBackup: {
        const size_t index = id - record->TrayId;
        if (index >= ListedBackupIds.size()) {
            return;
        }
        // A copy: the listing may be made afresh while the restore runs.
        const std::string backupId = ListedBackupIds[index];
        RunTrayAction([&backupId] { RestoreAction(RestoreKindBackup, backupId); });
        return;
    }
    case TCommand::OwnerWindow:
    case TCommand::SaveToNamedFile:
    case TCommand::RestoreFromNamedFile:
    case TCommand::BackupArchive:
    case TCommand::Preview:
        return; // no item of the tray menu runs these
    }
}

void SaveAtLogoff() {
    // The session is ending: a save cannot wait for a running action, and must not run inside it.
    if (ProgramOptions.AutoSave != 1 || PortableMode || ActionRunning() || !PrimaryDiffers()) {
        return;
    }
    SavingAtLogoff = true;
    RunTrayAction(SavePrimaryAction);
    // The logoff may still be cancelled by another program; the instance then goes on as before.
    SavingAtLogoff = false;
}

void InputDesktopTimerTick() {
    if (!InputDesktopAvailable()) {
        return;
    }
    KillTimer(TrayWindow, InputDesktopTimer);
    // Waited for with a timer, so that the window keeps answering (a logoff included) meanwhile.
    const UINT delay = LoadAutoRestoreDelay(OptionsFilePath());
    if (SetTimer(TrayWindow, AutoRestoreDelayTimer, delay, nullptr) == 0) {
        RunAutomaticRestore();
    }
}

LRESULT TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (TaskbarCreatedMessage != 0 && message == TaskbarCreatedMessage) {
        ShellRestarted();
        return 0;
    }
    switch (message) {
    case WM_CREATE:
        TrayWindow = window;
        TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
        InitDefaults();
        NoteDisplayConfig();
        NoteDesktopListView();
        MonitorsMoved();
        SetTimer(window, DisplayPollTimer, DisplayPollMs, nullptr);
        if (ProgramOptions.RestoreAtStart == 1 && PrimaryExistsNow()) {
            RequestAutoRestore();
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        SaveAtLogoff();
        return 1;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETWORKAREA) {
            NoteDisplayConfig();
            if (PrimaryExistsNow()) {
                RequestAutoRestore();
            }
        } else if (NoteDisplayConfig() && ProgramOptions.RestoreAtChange == 1 && PrimaryExistsNow()) {
            // A change of scaling comes as a setting change of its own.
            RequestAutoRestore();
        }
        return 0;
    case WM_DISPLAYCHANGE:
    case DpiChangedMessage:
        DisplayChanged();
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMESUSPEND && ProgramOptions.RestoreAtResume == 1 && PrimaryExistsNow()) {
            RequestAutoRestore();
        }
        // Grants every request, a suspend request included.
        return TRUE;
    case WM_TIMER:
        if (wParam == InputDesktopTimer) {
            InputDesktopTimerTick();
        } else if (wParam == AutoRestoreDelayTimer) {
            KillTimer(window, AutoRestoreDelayTimer);
            RunAutomaticRestore();
        } else if (wParam == DisplayPollTimer) {
            if (MonitorsMoved() && NoteDisplayConfig() && ProgramOptions.RestoreAtChange == 1 &&
                PrimaryExistsNow()) {
                RequestAutoRestore();
            }
        } else if (wParam == ShellFillTimer && ShellFillWaitOver()) {
            KillTimer(window, ShellFillTimer);
            ShellFilled();
        }
        return 0;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == BackupMenu && BackupMenu != nullptr) {
            BuildBackupMenu();
        } else if (reinterpret_cast<HMENU>(wParam) == TrayMenu) {
            UpdateTrayMenuStates();
        }
        return 0;
    case WM_MENUSELECT:
        ShowTrayMenuPreview(wParam, lParam, ListedBackupIds);
        return 0;
    case WM_EXITMENULOOP:
        CloseTrayMenuPreview();
        return 0;
    case WM_COMMAND:
        RunTrayCommand(LOWORD(wParam));
        return 0;
    case TrayCallbackMessage:
        if (LOWORD(lParam) == WM_LBUTTONUP || LOWORD(lParam) == WM_RBUTTONUP) {
            OpenTrayMenu();
        }
        return 0;
    case TrayFirstRunMessage:
        FirstRunQuestion();
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

// The procedure of the class "Kavrilon": the splash and about windows are the popups of the class.
LRESULT CALLBACK KavrilonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallbackBarrier<LRESULT>(0, [&] {
        if ((GetWindowLongA(window, GWL_STYLE) & WS_POPUP) != 0) {
            return SplashWindowProc(window, message, wParam, lParam);
        }
        return TrayWindowProc(window, message, wParam, lParam);
    });
}

} // namespace

bool OpenInputDesktopSucceeds() {
    const HDESK desktop = OpenInputDesktop(0, FALSE, 0);
    if (desktop == nullptr) {
        return false;
    }
    CloseDesktop(desktop);
    return true;
}

void RegisterTrayWindowClass() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = KavrilonWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = static_cast<HICON>(
        LoadImageA(windowClass.hInstance, MAKEINTRESOURCEA(IconMain), IMAGE_ICON, 32, 32, LR_SHARED));
    windowClass.lpszClassName = TrayWindowClassName;
    RegisterClassA(&windowClass);
}

void AddTrayIcon() {
    if (Shell_NotifyIconA(NIM_ADD, &TrayIconRecord)) {
        TrayIconAdded = true;
    }
}

void ShellFilled() {
    // This desktop is the one the next action compares with.
    NoteDesktopListView();
    if (ProgramOptions.RestoreAtShellRestart == 1 && PrimaryExistsNow()) {
        RequestAutoRestore();
    }
}

void RequestAutoRestore() {
    if (ActionRunning()) {
        AutoRestorePending = true;
        return;
    }
    if (!RunningWindows.IsWindows2000OrLater || InputDesktopAvailable()) {
        RunAutomaticRestore();
        return;
    }
    // Locked workstation or another desktop: WM_TIMER finishes the work once it is available.
    SetTimer(TrayWindow, InputDesktopTimer, InputDesktopPollMs, nullptr);
}

void FirstRunQuestion() {
    if (ActionRunning()) {
        FirstRunPending = true;
        return;
    }
    const std::string caption = "Kavrilon - " + StripAccelerators(ApplyCaseMarks(LangText(4000), CaseUpper));
    const std::string text = FormatFirst(
        LangPick("Es gibt noch kein Hauptlayout f\374r die Aufl\366sung %s. Soll dieses Icon-Layout "
                 "als Hauptlayout gesichert werden?",
                 "There is no primary layout for %s yet. Do you want to this icon layout to be saved "
                 "as primary layout?"),
        ResolutionKey());
    if (AppMessageBox(OwnerWindow, text, caption, MB_YESNO | MB_ICONQUESTION, true) == IDYES) {
        RunDirectAction(SaveFirstPrimary);
    }
    RunPendingWork();
}

void PrepareTrayMenu() {
    ReadOptions();
    BackupMenu = CreatePopupMenu();
    ModifyMenuA(TrayMenu, ArchiveItemPosition, MF_BYPOSITION | MF_POPUP | (PortableMode ? MF_GRAYED : 0),
                reinterpret_cast<UINT_PTR>(BackupMenu), MenuText(CommandBackupArchive).c_str());
    for (const TCommandRecord& record : CommandTable) {
        if (record.TrayIdCount != 1) {
            continue;
        }
        const UINT id = record.TrayId;
        // Only plain items: not the archive popup, nor ids that no item carries.
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_SUBMENU | MIIM_ID;
        if (!GetMenuItemInfoA(TrayMenu, id, FALSE, &info) || info.hSubMenu != nullptr) {
            continue;
        }
        ModifyMenuA(TrayMenu, id, MF_BYCOMMAND | MF_STRING, id, MenuText(static_cast<int32_t>(id)).c_str());
    }
}

void ReleaseBackupMenu() {
    if (BackupMenu == nullptr) {
        return;
    }
    // The archive item gives up the submenu before it is destroyed, so that the tray menu never
    // refers to a destroyed menu whose handle a later menu may receive.
    RemoveMenu(TrayMenu, ArchiveItemPosition, MF_BYPOSITION);
    InsertMenuA(TrayMenu, ArchiveItemPosition, MF_BYPOSITION | MF_STRING, CommandBackupArchive,
                MenuText(CommandBackupArchive).c_str());
    DestroyMenu(BackupMenu);
    BackupMenu = nullptr;
}

bool CreateTrayWindow() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    ResourceMenu = LoadMenuA(instance, "KvrMenu");
    TrayMenu = GetSubMenu(ResourceMenu, 0);
    CreateWindowExA(0, TrayWindowClassName, TrayWindowTitle, 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                    nullptr);
    if (TrayWindow == nullptr || !IsWindow(TrayWindow)) {
        TrayWindow = nullptr;
        ReleaseTrayResources();
        return false;
    }
    OwnerWindow = TrayWindow;

    TrayIconRecord = {};
    TrayIconRecord.cbSize = TrayIconRecordSize;
    TrayIconRecord.hWnd = TrayWindow;
    TrayIconRecord.uID = TrayIconId;
    TrayIconRecord.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    TrayIconRecord.uCallbackMessage = TrayCallbackMessage;
    TrayIconRecord.hIcon =
        static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IconTray), IMAGE_ICON, 16, 16, LR_SHARED));
    lstrcpynA(TrayIconRecord.szTip, "Kavrilon", sizeof TrayIconRecord.szTip);
    return true;
}

void ReleaseTrayResources() {
    if (TrayIconAdded) {
        Shell_NotifyIconA(NIM_DELETE, &TrayIconRecord);
    }
    ReleaseBackupMenu();
    // Destroying the resource menu destroys TrayMenu, its submenu, with it: destroying that first
    // would leave the resource menu holding a dead handle to destroy a second time.
    if (ResourceMenu != nullptr) {
        DestroyMenu(ResourceMenu);
        ResourceMenu = nullptr;
    }
    TrayMenu = nullptr;
}

int RunTrayInstance() {
    if (!CreateTrayWindow()) {
        return 0;
    }
    if (ProgramOptions.NoSplash == 0 && !SplashSuppressed) {
        if (ShowSplash(TrayWindow) != nullptr) {
            ShowWindow(SplashWindow, SW_SHOWNORMAL);
            SetTimer(nullptr, 0, SplashDurationMs, SplashTimerProc);
        }
    }
    AddTrayIcon();
    if ((ProgramOptions.NoSplash == 1 || SplashSuppressed) && !PrimaryExistsNow()) {
        FirstRunQuestion();
    }

    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    ReleaseTrayResources();
    return static_cast<int>(message.wParam);
}
