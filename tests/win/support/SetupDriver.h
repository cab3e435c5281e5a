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

// Where the setup program installs: Kavrilon\ in the native Program Files folder (the 64-bit one
// on 64-bit Windows), with trailing "\".
std::string InstallFolder();
std::string UninstallerPath();
// The Start-menu shortcut for all users.
std::string StartMenuShortcutPath();
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
    // Every check box seen on a page, by its text, with the state the page showed first.
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

// Removes every trace of an installation left by a test (files, shortcut, registry entries), by the
// installed uninstaller and then by hand.
void RemoveInstallation();
