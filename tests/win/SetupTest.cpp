// The setup program of the release and its uninstaller, run as a Windows user runs them: silently
// and page by page, fresh and over an installed copy.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "KavrilonVersion.h"
#include "LayoutScenario.h"
#include "ProcessRunner.h"
#include "ResourceIds.h"
#include "SetupDriver.h"
#include "RegistryReadback.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"

namespace {

const std::string AutostartChoice = "Start Kavrilon with Windows";
const std::string ShellExtChoice = "Add Kavrilon to the desktop context menu";
const std::string RemoveDataChoice = "Also remove my layouts, backups and settings";

// The files the setup program installs, sorted.
std::vector<std::string> InstalledFiles() {
    std::vector<std::string> files = {MainProgramFileName, RegUtilFileName, ShellExtFileName,
                                      ShellExt64FileName, UninstallerFileName};
    std::sort(files.begin(), files.end());
    return files;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The autostart value for every user, which the setup program writes, and the user's own.
std::string RunValue() {
    return RegistryValue(HKEY_LOCAL_MACHINE, RunKeyPath, AutostartValueName);
}
std::string UserRunValue() {
    return RegistryValue(HKEY_CURRENT_USER, RunKeyPath, AutostartValueName);
}

class Setup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(IsFile(SetupProgramPath())) << SetupProgramPath();
        RemoveInstallation();
        RemoveKavrilonData();
    }
    void TearDown() override {
        host_.Stop();
        RemoveInstallation();
        RemoveKavrilonData();
    }

    static void InstallSilently() {
        const TSetupRun run = RunSetupProgram(SetupProgramPath(), {"/S"});
        ASSERT_TRUE(run.Started);
        ASSERT_FALSE(run.TimedOut) << run.Log;
        ASSERT_EQ(run.ExitCode, 0u);
    }

    static void UninstallSilently() {
        const TSetupRun run = RunSetupProgram(UninstallerPath(), {"/S"});
        ASSERT_TRUE(run.Started);
        ASSERT_FALSE(run.TimedOut) << run.Log;
        ASSERT_EQ(run.ExitCode, 0u);
    }

    // The shell extension's entries in every view the shell reads: written by the installed copy,
    // or none at all.
    static void ExpectShellExtension(bool registered) {
        for (REGSAM view : ShellRegistryViews()) {
            SCOPED_TRACE(view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view");
            const TShellExtEntries entries = ReadShellExtEntries(view);
            const std::string dll = view == KEY_WOW64_64KEY ? ShellExt64FileName : ShellExtFileName;
            if (!registered) {
                EXPECT_TRUE(NoShellExtEntries(view)) << entries.Describe();
                continue;
            }
            EXPECT_EQ(entries.Server.Text(), InstallFolder() + dll) << entries.Describe();
            EXPECT_EQ(entries.ExeLocation.Text(), InstallFolder() + MainProgramFileName)
                << entries.Describe();
            EXPECT_EQ(entries.Handler.Text(), ShellExtClassIdText) << entries.Describe();
            EXPECT_TRUE(entries.Approved.Exists) << entries.Describe();
        }
    }

    // Starts the installed program as the tray application and waits for its window.
    void StartTray() {
        ASSERT_TRUE(tray_.Start(InstallFolder() + MainProgramFileName, {"/nosplash"}));
        ASSERT_TRUE(
            WaitUntil([] { return FindWindowA(TrayWindowClassName, TrayWindowTitle) != nullptr; }, 10000))
            << "no tray window";
    }

    static void ExpectInstalledFiles() {
        for (const std::string& file : InstalledFiles()) {
            EXPECT_TRUE(IsFile(InstallFolder() + file)) << file;
        }
        EXPECT_EQ(ShortcutTarget(StartMenuShortcutPath()), InstallFolder() + MainProgramFileName);
    }

    static void ExpectNothingInstalled() {
        EXPECT_FALSE(IsFolder(InstallFolder()))
            << "left behind: " << ::testing::PrintToString(FolderEntries(InstallFolder()));
        EXPECT_FALSE(IsFile(StartMenuShortcutPath()));
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
        EXPECT_EQ(RunValue(), "<missing>");
        EXPECT_EQ(UserRunValue(), "<missing>");
        ExpectShellExtension(false);
    }

    // A layout, a backup and options of the user's, as Kavrilon would have left them.
    static void WriteUserFiles() {
        // No restore at the tray application's start: the tests have no desktop then.
        ASSERT_TRUE(WriteOptionsFile({"RestoreAtStart=0", "QuerySave=0", "Language=0"}));
        ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 20, "Notes.txt"}}));
        ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "20260101120000S.kvl", {{30, 40, "Notes.txt"}}));
    }

    kvtest::DesktopHost host_;
    TChildProcess tray_;
};

TEST_F(Setup, SilentInstallPutsKavrilonInPlaceAndSilentUninstallRemovesItButKeepsTheLayouts) {
    // The setup program's own version block carries the project version.
    DWORD ignored = 0;
    std::vector<char> block(GetFileVersionInfoSizeA(SetupProgramPath().c_str(), &ignored));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        !block.empty() &&
        GetFileVersionInfoA(SetupProgramPath().c_str(), 0, static_cast<DWORD>(block.size()), block.data()) &&
        VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(MAKELONG(KV_VERSION_MINOR, KV_VERSION_MAJOR)));

    InstallSilently();

    ExpectInstalledFiles();
    EXPECT_EQ(FolderEntries(InstallFolder()), InstalledFiles());
    const std::string entry = UninstallKeyPath;
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, entry, "DisplayName"), "Kavrilon");
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, entry, "DisplayVersion"), KV_VERSION_TEXT);
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, entry, "Publisher"), PublisherName);
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, entry, "DisplayIcon"),
              InstallFolder() + MainProgramFileName + ",0");
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, entry, "UninstallString"), Quoted(UninstallerPath()));
    // In KB: at least the main program's size.
    const std::string size = RegistryValue(HKEY_LOCAL_MACHINE, entry, "EstimatedSize");
    EXPECT_GE(std::atoi(size.c_str()),
              static_cast<int>(ReadFileBytes(InstallFolder() + MainProgramFileName).size() / 1024))
        << size;
    // Autostart for every user, whoever the setup ran as; nothing in the profile of that account.
    EXPECT_EQ(RunValue(), Quoted(InstallFolder() + MainProgramFileName));
    EXPECT_EQ(UserRunValue(), "<missing>");
    ExpectShellExtension(true);
    {
        // The installed program's options show it.
        TChildProcess options;
        ASSERT_TRUE(options.Start(InstallFolder() + MainProgramFileName, {"/o"}));
        HWND dialog = WaitForDialog(options.Pid(), 15000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(ControlChecked(dialog, IdcAutostart));
        EXPECT_TRUE(PressDialogButton(dialog, IDCANCEL));
        EXPECT_TRUE(options.Wait(15000));
    }

    // The installed program does its job.
    ASSERT_TRUE(host_.Start({{"Notes.txt", 120, 40}, {"Budget.xlsx", 300, 200}})) << host_.LastError();
    const TRunResult save = RunProcess(InstallFolder() + MainProgramFileName, {"/s"}, 30000);
    ASSERT_FALSE(save.TimedOut) << save.WindowsDescription;
    EXPECT_EQ(save.ExitCode, 0u);
    const std::vector<std::string> layout = ReadLines(PrimaryLayoutFile());
    ASSERT_GE(layout.size(), 5u);
    EXPECT_EQ(layout[layout.size() - 2], "120 40 Notes.txt");
    EXPECT_EQ(layout.back(), "300 200 Budget.xlsx");

    // The uninstaller ends the running tray application first.
    ASSERT_TRUE(WriteOptionsFile({"RestoreAtStart=0"}));
    StartTray();
    UninstallSilently();
    EXPECT_TRUE(tray_.Wait(5000)) << "the tray application still runs";
    ExpectNothingInstalled();
    EXPECT_EQ(ReadLines(PrimaryLayoutFile()), layout);
}

TEST_F(Setup, PagesOfferBothOptionsOnAndWriteNeitherWhenSwitchedOff) {
    const TSetupRun run =
        RunSetupProgram(SetupProgramPath(), {}, true, {{AutostartChoice, false}, {ShellExtChoice, false}});
    ASSERT_TRUE(run.Started);
    ASSERT_FALSE(run.TimedOut) << run.Log;
    EXPECT_EQ(run.ExitCode, 0u) << run.Log;
    EXPECT_EQ(run.CheckBoxesShown,
              (std::map<std::string, bool>{{AutostartChoice, true}, {ShellExtChoice, true}}))
        << run.Log;

    ExpectInstalledFiles();
    EXPECT_EQ(RunValue(), "<missing>");
    ExpectShellExtension(false);
}

TEST_F(Setup, UninstallRemovesTheUsersLayoutsWhenAskedButNotFilesAUserPutBesideTheProgram) {
    InstallSilently();
    WriteUserFiles();
    // A portable start of the installed program keeps its files beside it: they are the user's.
    ASSERT_TRUE(WriteFileBytes(InstallFolder() + OptionsFileName, "[Opt]\r\n"));
    for (const char* folder : {LayoutsFolderName, BackupsFolderName}) {
        ASSERT_TRUE(CreateDirectoryA((InstallFolder() + folder).c_str(), nullptr));
        ASSERT_TRUE(WriteFileBytes(InstallFolder() + folder + "\\Mine.kvl", "x"));
    }

    const TSetupRun run = RunSetupProgram(UninstallerPath(), {}, true, {{RemoveDataChoice, true}});
    ASSERT_FALSE(run.TimedOut) << run.Log;
    EXPECT_EQ(run.CheckBoxesShown, (std::map<std::string, bool>{{RemoveDataChoice, false}})) << run.Log;

    EXPECT_EQ(FolderEntries(InstallFolder()),
              (std::vector<std::string>{BackupsFolderName, LayoutsFolderName, OptionsFileName}));
    for (const char* folder : {LayoutsFolderName, BackupsFolderName}) {
        EXPECT_EQ(ReadFileBytes(InstallFolder() + folder + "\\Mine.kvl"), "x") << folder;
    }
    RemoveTree(InstallFolder());
    ExpectNothingInstalled();
    EXPECT_FALSE(IsFolder(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\" + VendorFolderName));
}

TEST_F(Setup, InstallingOverAnInstallationKeepsTheUsersSettingsAndLayouts) {
    InstallSilently();
    WriteUserFiles();
    const std::string layout = ReadFileBytes(PrimaryLayoutFile());
    // An administrator switched autostart off in Kavrilon's options, and the tray application runs.
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKeyPath, 0, KEY_SET_VALUE, &run), ERROR_SUCCESS);
    RegDeleteValueA(run, AutostartValueName);
    RegCloseKey(run);
    // The installed program, marked as the earlier version's by bytes after its image, which
    // Windows does not load.
    const std::string program = InstallFolder() + MainProgramFileName;
    const std::string release = ReadFileBytes(program);
    ASSERT_TRUE(WriteFileBytes(program, release + "earlier version"));
    StartTray();
    // The program runs on where the setup cannot end it (as in another user's session): here its
    // options dialog, which is no tray window.
    TChildProcess elsewhere;
    ASSERT_TRUE(elsewhere.Start(program, {"/o"}));
    ASSERT_NE(WaitForDialog(elsewhere.Pid(), 15000), nullptr);
    // Windows refuses to write into or delete the file of a running program but lets it be renamed;
    // Wine refuses only the deletion, so a handle without write sharing stands in for the rest.
    HANDLE running = CreateFileA(program.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(running, INVALID_HANDLE_VALUE);
    // Explorer keeps the shell extension it loaded open, as this process does now.
    HMODULE inUse =
        LoadLibraryExA((InstallFolder() + ShellExtFileName).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(inUse, nullptr);

    InstallSilently();

    FreeLibrary(inUse);
    CloseHandle(running);
    EXPECT_TRUE(tray_.Wait(5000)) << "the tray application still runs";
    EXPECT_TRUE(elsewhere.Running());
    elsewhere.Terminate();
    ExpectInstalledFiles();
    const std::string installed = ReadFileBytes(program);
    EXPECT_TRUE(installed == release) << "the program was not replaced: " << installed.size() << " bytes";
    // The extension and the program in use were moved aside, to be deleted at the next restart.
    EXPECT_EQ(FolderEntries(InstallFolder()).size(), InstalledFiles().size() + 2)
        << ::testing::PrintToString(FolderEntries(InstallFolder()));
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayVersion"), KV_VERSION_TEXT);
    EXPECT_EQ(RunValue(), "<missing>");
    ExpectShellExtension(true);
    const std::vector<std::string> options = ReadLines(KavrilonDataFolder() + OptionsFileName);
    for (const char* setting : {"RestoreAtStart=0", "QuerySave=0", "Language=0"}) {
        EXPECT_NE(std::find(options.begin(), options.end(), setting), options.end()) << setting;
    }
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), layout);
    EXPECT_EQ(BackupFiles(), std::vector<std::string>{"20260101120000S.kvl"});
}

} // namespace
