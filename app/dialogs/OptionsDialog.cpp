// The options dialog: the settings, the language, autostart, the shell extension's installer,
// removing all traces, starting the tray program and the about screen.

#include "CallbackBarrier.h"
#include "OptionsDialog.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "Autostart.h"
#include "ExitCodes.h"
#include "KavrilonVersion.h"
#include "Language.h"
#include "Options.h"
#include "Paths.h"
#include "ProcessState.h"
#include "RemoveTraces.h"
#include "ResourceIds.h"
#include "RunAction.h"
#include "SaveRestoreActions.h"
#include "ShellExtInstaller.h"
#include "Splash.h"
#include "WinHandles.h"

namespace {

// Button_SetElevationRequiredState of comctl32 version 6.
constexpr UINT ButtonSetShield = 0x160C;

// State of the one open dialog.
uint8_t SavedLanguage = LanguageEnglish;
bool ShellExtInstalled = false;
bool TracesRemoved = false;

// The check boxes and the byte option each one shows, in the order they are set.
struct TCheckOption {
    int Id;
    uint8_t TOptions::*Member;
};
const TCheckOption CheckOptions[] = {
    {IdcRestoreAtStart, &TOptions::RestoreAtStart},
    {IdcRestoreAtResume, &TOptions::RestoreAtResume},
    {IdcRestoreAtChange, &TOptions::RestoreAtChange},
    {IdcRestoreAtShellRestart, &TOptions::RestoreAtShellRestart},
    {IdcQueryRestore, &TOptions::QueryRestore},
    {IdcQueryRestoreFile, &TOptions::QueryRestoreFile},
    {IdcQuerySave, &TOptions::QuerySave},
    {IdcDirectUndo, &TOptions::DirectUndo},
    {IdcAutoSave, &TOptions::AutoSave},
    {IdcNoSplash, &TOptions::NoSplash},
    {IdcTransparency, &TOptions::Transparency},
    {IdcSaveNotification, &TOptions::SaveNotification},
    {IdcPlaceNewIcons, &TOptions::PlaceNewIcons},
};

// The options that OK takes over also for the O verb.
const int AlwaysTakenOver[] = {IdcQueryRestore,     IdcQueryRestoreFile, IdcQuerySave,
                               IdcSaveNotification, IdcDirectUndo,       IdcAutoSave,
                               IdcTransparency,     IdcNoSplash,         IdcPlaceNewIcons};
// Those that only the tray's dialog takes over (the autostart box is handled apart).
const int TrayOnlyTakenOver[] = {IdcRestoreAtStart, IdcRestoreAtChange, IdcRestoreAtResume,
                                 IdcRestoreAtShellRestart};

// Icon-size items by the option's value.
const char* const IconSizeTexts[4][2] = {
    {"Nicht \344ndern", "Do not change"},
    {"Klassische Symbole", "Classic icons"},
    {"Mittelgro\337e Symbole", "Medium icons"},
    {"Gro\337e Symbole", "Large icons"},
};

// Offsets in a standard dialog template with DS_SETFONT and empty menu, class and title fields.
constexpr size_t HeaderSize = 18;
constexpr size_t PointSizeOffset = 24;
constexpr size_t FaceNameOffset = 26;
constexpr int TahomaMaxChars = 8;

uint8_t* OptionOf(int id) {
    for (const TCheckOption& option : CheckOptions) {
        if (option.Id == id) {
            return &(ProgramOptions.*option.Member);
        }
    }
    return nullptr;
}

bool IsChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    SetDlgItemTextA(dialog, id, text.c_str());
}

void TakeOver(HWND dialog, int id) {
    if (uint8_t* value = OptionOf(id)) {
        *value = IsChecked(dialog, id) ? 1 : 0;
    }
}

void TakeOverAndClose(HWND dialog) {
    if (!OptionsFromCommandLine) {
        for (int id : TrayOnlyTakenOver) {
            TakeOver(dialog, id);
        }
        if (IsChecked(dialog, IdcAutostart)) {
            AddAutostart();
        } else {
            RemoveAutostart();
        }
    }
    for (int id : AlwaysTakenOver) {
        TakeOver(dialog, id);
    }
    const LRESULT language = SendDlgItemMessageA(dialog, IdcLanguage, CB_GETCURSEL, 0, 0);
    if (language == LanguageGerman || language == LanguageEnglish) {
        ProgramOptions.Language = static_cast<uint8_t>(language);
    }
    const LRESULT iconSize = SendDlgItemMessageA(dialog, IdcIconSize, CB_GETCURSEL, 0, 0);
    if (iconSize >= 0 && iconSize < 4) {
        ProgramOptions.IconSize = static_cast<uint8_t>(iconSize);
    }
    EndDialog(dialog, IDOK);
}

void AskRemoveTraces(HWND dialog) {
    const std::string caption = "Kavrilon - " + LangPick("Spuren entfernen", "Remove traces");
    const std::string text = LangPick("Achtung!\r\rDie Hauptlayouts und Backups f\374r alle Aufl\366sungen "
                                      "werden gel\366scht!\rKavrilon wird "
                                      "danach automatisch beendet.\r\rWollen Sie das wirklich?",
                                      "Caution!\r\rPrimary layouts and backups for all screen resolutions "
                                      "will be deleted!\rKavrilon will be "
                                      "terminated afterwards.\r\rDo you really want this?");
    if (MessageBoxExA(dialog, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONEXCLAMATION,
                      MessageLangIds[ProgramOptions.Language == LanguageGerman ? 0 : 1]) != IDYES) {
        return;
    }
    RemoveTraces(dialog);
    TracesRemoved = true;
    EndDialog(dialog, IDCANCEL);
}

void StartTrayProgram(HWND dialog) {
    const std::string program = ProgramFilePath();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, nullptr, program.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32) {
        // The options in memory are written, without taking over the controls.
        EndDialog(dialog, IDOK);
        return;
    }
    const std::string text = LangPick("Fehler beim Starten von Kavrilon!", "Error starting Kavrilon!") +
                             "\rCode: " + std::to_string(result);
    MessageBoxA(dialog, text.c_str(), "Kavrilon", MB_ICONHAND);
}

void InitDialog(HWND dialog) {
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SavedLanguage = ProgramOptions.Language;
    // Autostart shows as set when the value exists, except in portable mode.
    const bool autostart = IsAutostartSet() && !PortableMode;
    for (const TCheckOption& option : CheckOptions) {
        CheckDlgButton(dialog, option.Id, ProgramOptions.*option.Member == 1 ? BST_CHECKED : BST_UNCHECKED);
        if (option.Id == IdcRestoreAtChange) {
            CheckDlgButton(dialog, IdcAutostart, autostart ? BST_CHECKED : BST_UNCHECKED);
        }
    }
    if (SetLayeredWindowAttributesPtr == nullptr) {
        EnableWindow(GetDlgItem(dialog, IdcTransparency), FALSE);
    }
    if (PortableMode) {
        EnableWindow(GetDlgItem(dialog, IdcAutostart), FALSE);
        EnableWindow(GetDlgItem(dialog, IdcShellExt), FALSE);
        EnableWindow(GetDlgItem(dialog, IdcRemoveTraces), FALSE);
    }
    if (RunningWindows.IsVistaFamily && !ShellExtPerUserCopy()) {
        // Both buttons start the elevated registration utility; a per-user copy elevates nothing.
        if (ShellExtUsableByShell()) {
            SendDlgItemMessageA(dialog, IdcShellExt, ButtonSetShield, 0, 1);
        }
        SendDlgItemMessageA(dialog, IdcRemoveTraces, ButtonSetShield, 0, 1);
    }
    SendDlgItemMessageA(dialog, IdcLanguage, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Deutsch"));
    SendDlgItemMessageA(dialog, IdcLanguage, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("English"));
    SendDlgItemMessageA(dialog, IdcLanguage, CB_SETCURSEL, ProgramOptions.Language, 0);
    HANDLE icon =
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IconTray), IMAGE_ICON, 16, 16, LR_SHARED);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetDialogTexts(dialog);
    if (!ShellExtUsableByShell()) {
        EnableWindow(GetDlgItem(dialog, IdcShellExt), FALSE);
    }
    if (!RunningWindows.IsVistaFamily) {
        EnableWindow(GetDlgItem(dialog, IdcIconSize), FALSE);
    }
    if (!OptionsFromCommandLine) {
        EnableWindow(GetDlgItem(dialog, IdcStartTray), FALSE);
    }
}

void HandleCommand(HWND dialog, int id, int notification) {
    switch (id) {
    case IDOK:
        TakeOverAndClose(dialog);
        break;
    case IDCANCEL:
        ProgramOptions.Language = SavedLanguage;
        EndDialog(dialog, IDCANCEL);
        break;
    case IdcLanguage:
        if (notification == CBN_SELCHANGE) {
            const LRESULT selection = SendDlgItemMessageA(dialog, IdcLanguage, CB_GETCURSEL, 0, 0);
            if (selection == LanguageGerman || selection == LanguageEnglish) {
                ProgramOptions.Language = static_cast<uint8_t>(selection);
                SetDialogTexts(dialog);
            }
        }
        break;
    case IdcShellExt:
        RunShellExtInstaller(ShellExtInstalled ? 'u' : 'r', dialog, true);
        SetShellExtButtonText(dialog);
        break;
    case IdcRemoveTraces:
        AskRemoveTraces(dialog);
        break;
    case IdcStartTray:
        StartTrayProgram(dialog);
        break;
    case IdcAbout:
        // This thread holds the action mutex already, so the about screen does not wait for it.
        AboutOwner = dialog;
        RunAction(ShowAbout);
        break;
    default:
        break;
    }
}

} // namespace

std::vector<uint8_t> TemplateWithTahoma(const uint8_t* resource, size_t size, size_t& start) {
    std::vector<uint8_t> block(resource, resource + size);
    start = 0;
    DWORD style = 0;
    if (size < FaceNameOffset + 2 * TahomaMaxChars) {
        return block;
    }
    std::memcpy(&style, resource, sizeof(style));
    const bool emptyFields = std::all_of(resource + HeaderSize, resource + PointSizeOffset,
                                         [](uint8_t byte) { return byte == 0; });
    if ((style & DS_SETFONT) == 0 || !emptyFields) {
        return block;
    }
    const WORD pointSize = 8;
    std::memcpy(block.data() + PointSizeOffset, &pointSize, sizeof(pointSize));
    std::memmove(block.data() + 2, block.data(), FaceNameOffset);
    wchar_t face[TahomaMaxChars] = {};
    MultiByteToWideChar(CP_ACP, 0, "Tahoma", -1, face, TahomaMaxChars);
    std::memcpy(block.data() + FaceNameOffset + 2, face, sizeof(face));
    start = 2;
    return block;
}

void SetDialogTexts(HWND dialog) {
    for (int id = IdcRestoreAtStart; id <= IdcPlaceNewIcons; ++id) {
        if (id != IdcShellExt) {
            SetControlText(dialog, id, ApplyCaseMarks(LangText(id), CaseAuto));
        }
    }
    SetShellExtButtonText(dialog);
    SetControlText(dialog, IDCANCEL, ApplyCaseMarks(LangText(IDCANCEL), CaseAuto));
    std::string title = "Kavrilon " KV_VERSION_TEXT;
    if (PortableMode) {
        title += " - Portable";
    }
    title += " - " + LangPick("Optionen", "Options");
    SetWindowTextA(dialog, title.c_str());

    HWND iconSize = GetDlgItem(dialog, IdcIconSize);
    for (int i = 0; i < 4; ++i) {
        SendMessageA(iconSize, CB_DELETESTRING, 0, 0);
    }
    for (const auto& texts : IconSizeTexts) {
        const std::string text = LangPick(texts[0], texts[1]);
        SendMessageA(iconSize, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageA(iconSize, CB_SETCURSEL, ProgramOptions.IconSize, 0);
}

void SetShellExtButtonText(HWND dialog) {
    ShellExtInstalled = IsShellExtInstalled();
    // A shell that cannot load the extension is offered nothing but installing (the button is
    // disabled then).
    const bool installed = ShellExtInstalled && ShellExtUsableByShell();
    const std::string text = FormatFirst(LangText(IdcShellExt), LangText(installed ? 501 : 500));
    SetControlText(dialog, IdcShellExt, ApplyCaseMarks(text, CaseAuto));
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return CallbackBarrier<INT_PTR>(FALSE, [&]() -> INT_PTR {
        switch (message) {
        case WM_INITDIALOG:
            InitDialog(dialog);
            return TRUE;
        case WM_COMMAND:
            HandleCommand(dialog, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    });
}

void ShowOptionsDialog() {
    ++ModalDepth;
    TScopeExit lowerDepth([] { --ModalDepth; });
    TracesRemoved = false;

    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC found =
        FindResourceA(instance, MAKEINTRESOURCEA(DialogOptions), reinterpret_cast<LPCSTR>(RT_DIALOG));
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void* locked = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (locked == nullptr) {
        return;
    }
    const auto* resource = static_cast<const uint8_t*>(locked);
    const size_t size = SizeofResource(instance, found);
    size_t start = 0;
    // DWORD-aligned storage: the control records must keep their alignment.
    std::vector<uint8_t> block = RunningWindows.IsVistaFamily
                                     ? std::vector<uint8_t>(resource, resource + size)
                                     : TemplateWithTahoma(resource, size, start);
    std::vector<DWORD> aligned((block.size() + 3) / 4, 0);
    std::memcpy(aligned.data(), block.data(), block.size());
    const auto* dialogTemplate =
        reinterpret_cast<LPCDLGTEMPLATEA>(reinterpret_cast<const uint8_t*>(aligned.data()) + start);

    const INT_PTR result =
        DialogBoxIndirectParamA(instance, dialogTemplate, OwnerWindow, OptionsDialogProc, 0);
    if (result == IDOK) {
        WriteOptions();
    }
    ExitCode = ExitSuccess;
    if (TracesRemoved) {
        if (OptionsFromCommandLine) {
            OwnerWindow = FindWindowA(TrayWindowClassName, TrayWindowTitle);
        }
        if (OwnerWindow != nullptr) {
            // Posted: a tray instance that hangs must not hold this process, nor the action mutex
            // that it still holds.
            PostMessageA(OwnerWindow, WM_CLOSE, 0, 0);
        }
    }
}
