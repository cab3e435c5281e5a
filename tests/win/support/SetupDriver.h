#pragma once
// The release under test: where its setup program and the installed copy are, running the setup
// program and the uninstaller silently or page by page, and reading what they leave behind.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// The release folder (build/release\) and the setup program of this version in it.
std::string ReleaseDir();
std::string SetupProgramPath();
// The release's Windows Installer package for this prefix's Windows (64-bit or 32-bit), and the
// same package built with a higher version (8.2.1 for 8.2) beside the tests.
std::string MsiPackagePath();
std::string NextMsiPackagePath();

// Where the setup program installs: Kavrilon\ in the native Program Files folder (the 64-bit one
// on 64-bit Windows), with trailing "\".
std::string InstallFolder();
std::string UninstallerPath();
// The Start-menu shortcut for all users.
std::string StartMenuShortcutPath();
// An installation for the current user: %LOCALAPPDATA%\Programs\Kavrilon\ (with trailing "\"), its
// uninstaller and the user's own Start-menu shortcut.
std::string PerUserInstallFolder();
std::string PerUserUninstallerPath();
std::string UserStartMenuShortcutPath();
// The file a shortcut points to; empty when it cannot be read.
std::string ShortcutTarget(const std::string& shortcut);

// A registry value as text (REG_SZ) or decimal number (REG_DWORD); "<missing>" when absent. `view`
// is 0 (this process's view), KEY_WOW64_32KEY or KEY_WOW64_64KEY.
std::string RegistryValue(HKEY root, const std::string& key, const std::string& name, REGSAM view = 0);
// The registry views the shell uses: the 64-bit and the 32-bit one on 64-bit Windows, else the one.
std::vector<REGSAM> ShellRegistryViews();

// What a run of the setup program or the uninstaller did.
struct TSetupRun {
    bool Started = false;
    bool TimedOut = false;
    DWORD ExitCode = 0; // of the program started (not of the copies it hands its work to)
    // Every check box and radio button seen on a page, by its text, with the state the page
    // showed first.
    std::map<std::string, bool> CheckBoxesShown;
    // Pages passed and message boxes met, for failure messages.
    std::string Log;
};

// Runs a setup program or an uninstaller and waits until it has ended, and with it the copy of
// itself that an uninstaller starts from the temp folder to do its work. With `pages`, the run is not silent:
// on every page the check boxes named in `choices` are set as given and the default button (Next,
// Install, Uninstall, Close, Finish) is pressed. A message box ends the run as timed out.
TSetupRun RunSetupProgram(const std::string& exe, const std::vector<std::string>& arguments,
                          bool pages = false, const std::map<std::string, bool>& choices = {},
                          DWORD timeoutMs = 120000);

// Removes every trace of an installation left by a test (files, shortcut, registry entries), for
// all users and for the current user, by the installed uninstallers and then by hand, and every
// installed Windows Installer package of Kavrilon.
void RemoveInstallation();

// Runs msiexec.exe with the arguments and returns its exit code (~0u when it did not end in time).
DWORD RunMsiexec(const std::vector<std::string>& arguments);
// The product codes of the installed Windows Installer packages of Kavrilon (by its upgrade code).
std::vector<std::string> InstalledMsiProducts();

// While it lives, the setup programs started from this process take the account for one of the
// given type ("User": without administrator rights) whatever the account really is: under Wine
// every account is an administrator. The setup program reads KAVRILON_SETUP_ACCOUNT_TYPE.
class TAssumedAccountType {
public:
    explicit TAssumedAccountType(const char* type);
    ~TAssumedAccountType();
    TAssumedAccountType(const TAssumedAccountType&) = delete;
    TAssumedAccountType& operator=(const TAssumedAccountType&) = delete;
};
