#include "ShellExtInstaller.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "AdminFolders.h"
#include "KavrilonNames.h"
#include "Language.h"
#include "Paths.h"
#include "ProcessState.h"
#include "ShellExtRegistry.h"
#include "WinHandles.h"

namespace {

const char* const AdminHint = "Bitte wenden Sie sich an Ihren Systemadministrator!";
const char* const AdminHintEnglish = "Please contact your system administrator!";

int ShowInstallerMessage(HWND owner, const std::string& text, const std::string& caption, UINT style) {
    return MessageBoxExA(owner, text.c_str(), caption.c_str(), style,
                         MessageLangIds[ProgramOptions.Language == LanguageGerman ? 0 : 1]);
}

void ShowInstallerError(HWND owner, const std::string& text) {
    ShowInstallerMessage(owner, text, ErrorCaption(), MB_ICONHAND);
}

std::string FailureText(char action) {
    if (action == 'u') {
        return LangPick(std::string("Das Deinstallieren der Shell-Erweiterung ist fehlgeschlagen!\r\r") +
                            AdminHint,
                        std::string("Uninstalling the shell extension failed!\r\r") + AdminHintEnglish);
    }
    std::string note;
    if (!PathExists(ProgramFolder() + ShellExtFileName)) {
        note = std::string("\r\r'") + ShellExtFileName + "' " + LangPick("fehlt!", "is missing!");
    }
    return LangPick("Das Installieren der Shell-Erweiterung ist fehlgeschlagen!",
                    "Installing the shell extension failed!") +
           note + "\r\r" + LangPick(AdminHint, AdminHintEnglish);
}

REGSAM ShellRegistryView() {
    return ShellIs64Bit ? KEY_WOW64_64KEY : 0;
}

// Failures always, success only when asked.
void ReportOutcome(char action, HWND owner, bool reportSuccess, bool succeeded) {
    if (!succeeded) {
        ShowInstallerError(owner, FailureText(action));
    } else if (reportSuccess) {
        const std::string text =
            action == 'u'
                ? LangPick("Die Shell-Erweiterung wurde deinstalliert.", "Shell extension was uninstalled.")
                : LangPick("Die Shell-Erweiterung wurde installiert.", "Shell extension was installed.");
        ShowInstallerMessage(owner, text, "Kavrilon", MB_ICONINFORMATION);
    }
}

} // namespace

bool ShellExtUsableByShell() {
    // The shell reads the classes of the current user from Windows 2000 on only.
    if (!RunningWindows.IsWindows2000OrLater && ShellExtPerUserCopy()) {
        return false;
    }
    return !ShellIs64Bit || PathExists(ProgramFolder() + ShellExt64FileName);
}

bool ShellExtPerUserCopy() {
    return !IsAdminOnlyFolder(ProgramFolder());
}

bool RunShellExtInstaller(char action, HWND owner, bool reportSuccess) {
    if (ShellExtPerUserCopy()) {
        // This copy registers itself for the current user, without the utility and elevation.
        const bool done = action == 'u' ? UnregisterShellExtension(HKEY_CURRENT_USER)
                                        : RegisterShellExtension(HKEY_CURRENT_USER, ProgramFolder());
        ReportOutcome(action, owner, reportSuccess, done);
        return done;
    }
    const std::string folder = ProgramFolder();
    // The full path: the utility is never looked up anywhere else than beside the program.
    const std::string utility = folder + RegUtilFileName;
    const char parameters[2] = {action, '\0'};
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = utility.c_str();
    info.lpParameters = parameters;
    info.lpDirectory = folder.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info)) {
        ShowInstallerError(
            owner,
            LangPick(std::string("Beim \326ffnen von 'KVRegShellEx.exe' ist ein Fehler aufgetreten!\r\r") +
                         AdminHint,
                     std::string("An error ocurred opening 'KVRegShellEx.exe'!\r\r") + AdminHintEnglish));
        return false;
    }
    if (info.hProcess == nullptr) {
        return false;
    }
    TUniqueHandle process(info.hProcess);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    TScopeExit arrow([] { SetCursor(LoadCursorA(nullptr, IDC_ARROW)); });

    if (WaitForSingleObject(process.get(), ShellExtInstallerWaitMs) == WAIT_TIMEOUT) {
        ShowInstallerError(
            owner,
            LangPick(std::string("Timeout-Fehler beim \326ffnen von 'KVRegShellEx.exe'!\r\r") + AdminHint,
                     std::string("Timeout error opening 'KVRegShellEx.exe'!\r\r") + AdminHintEnglish));
        return false;
    }
    DWORD exitCode = 0;
    const bool succeeded = GetExitCodeProcess(process.get(), &exitCode) && exitCode == 1;
    ReportOutcome(action, owner, reportSuccess, succeeded);
    return succeeded;
}

bool IsShellExtInstalled() {
    return ShellExtRegistrationComplete(HKEY_CURRENT_USER, ShellRegistryView()) ||
           ShellExtRegistrationComplete(HKEY_LOCAL_MACHINE, ShellRegistryView());
}

bool RemovePerUserShellExt() {
    return UnregisterShellExtension(HKEY_CURRENT_USER);
}
