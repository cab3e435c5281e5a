#include "ShellExtInstaller.h"

#include <shellapi.h>

#include <string>
#include <vector>

#include "AppGlobals.h"
#include "Language.h"
#include "Paths.h"
#include "WinHandles.h"

namespace {

const char* const AdminHint = "Bitte wenden Sie sich an Ihren Systemadministrator!";
const char* const AdminHintEnglish = "Please contact your system administrator!";

std::string ProgramFolder() {
    return FolderOfPath(ProgramFilePath());
}

int ShowInstallerMessage(HWND owner, const std::string& text, const std::string& caption, UINT style) {
    return MessageBoxExA(owner, text.c_str(), caption.c_str(), style,
                         MessageLangIds[LanguageIndex == LanguageGerman ? 0 : 1]);
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

// Reads a string value in two calls (size, then data); false when the value is missing.
bool ReadRegistryText(HKEY key, const char* name, std::string& text) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return false;
    }
    std::vector<char> buffer(static_cast<size_t>(size) + 1, '\0');
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    text = buffer.data();
    return true;
}

REGSAM ShellRegistryView() {
    return ShellIs64Bit ? KEY_WOW64_64KEY : 0;
}

} // namespace

bool ShellExtUsableByShell() {
    return !ShellIs64Bit || PathExists(ProgramFolder() + ShellExt64FileName);
}

bool RunShellExtInstaller(char action, HWND owner, bool reportSuccess) {
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
    if (!succeeded) {
        ShowInstallerError(owner, FailureText(action));
        return false;
    }
    if (reportSuccess) {
        const std::string text =
            action == 'u'
                ? LangPick("Die Shell-Erweiterung wurde deinstalliert.", "Shell extension was uninstalled.")
                : LangPick("Die Shell-Erweiterung wurde installiert.", "Shell extension was installed.");
        ShowInstallerMessage(owner, text, "Kavrilon", MB_ICONINFORMATION);
    }
    return true;
}

bool IsShellExtInstalled() {
    const REGSAM access = KEY_READ | ShellRegistryView();
    {
        TUniqueRegKey key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ShellExtClassKeyPath, 0, access, key.put()) != ERROR_SUCCESS) {
            return false;
        }
    }
    {
        TUniqueRegKey key;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, 0, access, key.put()) != ERROR_SUCCESS) {
            return false;
        }
        std::string dll;
        if (!ReadRegistryText(key.get(), "", dll) || !PathExists(dll)) {
            return false;
        }
        std::string threading;
        if (!ReadRegistryText(key.get(), ThreadingModelValueName, threading) ||
            threading != ShellExtThreadingModel) {
            return false;
        }
    }
    {
        TUniqueRegKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ShellExtApprovedKeyPath, 0, access, key.put()) !=
                ERROR_SUCCESS ||
            RegQueryValueExA(key.get(), ShellExtClassIdText, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
            return false;
        }
    }
    TUniqueRegKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ShellExtHandlerKeyPath, 0, access, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    std::string handler;
    return ReadRegistryText(key.get(), "", handler) && lstrcmpA(handler.c_str(), ShellExtClassIdText) == 0;
}
