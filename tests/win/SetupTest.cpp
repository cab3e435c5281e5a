// The setup program of the release and its uninstaller, run as a Windows user runs them: silently
// and page by page, fresh and over an installed copy, for all users and for the current user; and
// the Windows Installer package as an administrator deploys it.

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
const std::string AllUsersChoice = "For all users of this computer (in Program Files)";
const std::string CurrentUserChoice = "For me only (in my user profile)";

// The setup's exit codes when it refuses: administrator rights needed, or installed the other way.
constexpr DWORD ExitRightsNeeded = 740;
constexpr DWORD ExitOtherKindInstalled = 1638;

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

    static DWORD RunSetupSilently(const std::vector<std::string>& arguments) {
        const TSetupRun run = RunSetupProgram(SetupProgramPath(), arguments);
        EXPECT_TRUE(run.Started);
        EXPECT_FALSE(run.TimedOut) << run.Log;
        return run.ExitCode;
    }

    static void InstallSilently() { ASSERT_EQ(RunSetupSilently({"/S"}), 0u); }

    static void UninstallSilently(const std::string& uninstaller = UninstallerPath()) {
        const TSetupRun run = RunSetupProgram(uninstaller, {"/S"});
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

    // The layout for every user in each view the shell reads, as the shell sees it.
    static std::vector<TShellExtEntries> MachineShellExtEntries() {
        std::vector<TShellExtEntries> entries;
        for (REGSAM view : ShellRegistryViews()) {
            entries.push_back(ReadShellExtEntries(view));
        }
        return entries;
    }

    // The installed program's options dialog shows autostart and the context menu as installed.
    static void ExpectOptionsShowInstalled(const std::string& program) {
        TChildProcess options;
        ASSERT_TRUE(options.Start(program, {"/o"}));
        HWND dialog = WaitForDialog(options.Pid(), 15000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(ControlChecked(dialog, IdcAutostart));
        EXPECT_EQ(ControlText(dialog, IdcShellExt), "Uninstall shell &extension");
        EXPECT_TRUE(PressDialogButton(dialog, IDCANCEL));
        EXPECT_TRUE(options.Wait(15000));
    }

    // Saves the desktop with `program` /s, moves an icon and puts it back with /r.
    void ExpectSaveAndRestore(const std::string& program) {
        ASSERT_TRUE(host_.Start({{"Notes.txt", 120, 40}, {"Budget.xlsx", 300, 200}})) << host_.LastError();
        const TRunResult save = RunProcess(program, {"/s"}, 30000);
        ASSERT_FALSE(save.TimedOut) << save.WindowsDescription;
        EXPECT_EQ(save.ExitCode, 0u);
        const std::vector<TPlace> saved = CurrentPlaces(host_);
        ASSERT_TRUE(host_.Move(0, 500, 400));
        ASSERT_NE(Describe(CurrentPlaces(host_)), Describe(saved));
        const TRunResult restore = RunProcess(program, {"/r"}, 30000);
        ASSERT_FALSE(restore.TimedOut) << restore.WindowsDescription;
        EXPECT_EQ(restore.ExitCode, 0u);
        EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe(saved));
        host_.Stop();
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
    // An installation for the current user over this one is refused before anything is written.
    EXPECT_EQ(RunSetupSilently({"/S", "/CURRENTUSER"}), ExitOtherKindInstalled);
    EXPECT_FALSE(IsFolder(PerUserInstallFolder()));
    // So is the Windows Installer package: its launch condition fails (ERROR_INSTALL_FAILURE).
    EXPECT_EQ(RunMsiexec({"/i", MsiPackagePath(), "/qn"}), 1603u);
    EXPECT_TRUE(InstalledMsiProducts().empty());

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
    // An administrator is offered the choice of the kind, all users first.
    EXPECT_EQ(run.CheckBoxesShown, (std::map<std::string, bool>{{AllUsersChoice, true},
                                                                {CurrentUserChoice, false},
                                                                {AutostartChoice, true},
                                                                {ShellExtChoice, true}}))
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

TEST_F(Setup, PerUserInstallNeedsNoRightsAndItsUninstallRemovesEverythingButTheLayouts) {
    const std::string folder = PerUserInstallFolder();
    const std::string program = folder + MainProgramFileName;
    const std::string userPrograms = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs";
    const bool userProgramsExisted = IsFolder(userPrograms);
    {
        // An account without administrator rights (see TAssumedAccountType): all users are refused,
        // and /S alone installs for the current user.
        TAssumedAccountType standardUser("User");
        EXPECT_EQ(RunSetupSilently({"/S", "/ALLUSERS"}), ExitRightsNeeded);
        EXPECT_FALSE(IsFolder(InstallFolder()));
        InstallSilently();
    }
    EXPECT_EQ(FolderEntries(folder), InstalledFiles());
    EXPECT_EQ(ShortcutTarget(UserStartMenuShortcutPath()), program);
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, UninstallKeyPath, "UninstallString"),
              Quoted(PerUserUninstallerPath()));
    EXPECT_EQ(RegistryValue(HKEY_CURRENT_USER, UninstallKeyPath, "DisplayVersion"), KV_VERSION_TEXT);
    EXPECT_EQ(UserRunValue(), Quoted(program));
    // Nothing for every user: no folder, shortcut, entry, autostart or registration of the machine.
    EXPECT_FALSE(IsFile(StartMenuShortcutPath()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
    EXPECT_EQ(RunValue(), "<missing>");
    const REGSAM shellView = RunsUnderWow64() ? KEY_WOW64_64KEY : 0;
    EXPECT_FALSE(
        RegKeyExists(HKEY_LOCAL_MACHINE, std::string(ClassesKeyPath) + ShellExtClassKeyPath, shellView));
    // This user's registration of the context menu, read back: Wine's COM does not read the user's
    // classes, so no shell player can create the extension's object from them here.
    const TShellExtEntries entries = ReadShellExtEntries(shellView, true);
    EXPECT_EQ(entries.Server.Text(), folder + (RunsUnderWow64() ? ShellExt64FileName : ShellExtFileName))
        << entries.Describe();
    EXPECT_EQ(entries.ExeLocation.Text(), program) << entries.Describe();
    EXPECT_EQ(entries.ThreadingModel.Text(), ShellExtThreadingModel) << entries.Describe();
    EXPECT_EQ(entries.Handler.Text(), ShellExtClassIdText) << entries.Describe();
    EXPECT_EQ(entries.Approved.Text(), ShellExtRegisteredName) << entries.Describe();

    // Even an administrator cannot install for all users over it.
    EXPECT_EQ(RunSetupSilently({"/S", "/ALLUSERS"}), ExitOtherKindInstalled);
    EXPECT_FALSE(IsFolder(InstallFolder()));

    // The program the shortcut starts knows its registration and autostart, and does its job.
    ExpectOptionsShowInstalled(ShortcutTarget(UserStartMenuShortcutPath()));
    ExpectSaveAndRestore(ShortcutTarget(UserStartMenuShortcutPath()));
    const std::string layout = ReadFileBytes(PrimaryLayoutFile());

    {
        TAssumedAccountType standardUser("User");
        UninstallSilently(PerUserUninstallerPath());
    }
    EXPECT_FALSE(IsFolder(folder)) << ::testing::PrintToString(FolderEntries(folder));
    EXPECT_EQ(IsFolder(userPrograms), userProgramsExisted);
    EXPECT_FALSE(IsFile(UserStartMenuShortcutPath()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, UninstallKeyPath));
    EXPECT_EQ(UserRunValue(), "<missing>");
    for (REGSAM view : ShellRegistryViews()) {
        EXPECT_TRUE(NoShellExtEntries(view, true)) << ReadShellExtEntries(view, true).Describe();
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::string(ClassesKeyPath) + ShellExtHandlerKeyPath));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, ShellExtApprovedKeyPath));
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), layout);
}

TEST_F(Setup, AnAdministratorChoosesOnThePagesToInstallForTheCurrentUserOnly) {
    const TSetupRun run = RunSetupProgram(SetupProgramPath(), {}, true, {{CurrentUserChoice, true}});
    ASSERT_FALSE(run.TimedOut) << run.Log;
    EXPECT_EQ(run.ExitCode, 0u) << run.Log;
    EXPECT_EQ(FolderEntries(PerUserInstallFolder()), InstalledFiles());
    EXPECT_EQ(UserRunValue(), Quoted(PerUserInstallFolder() + MainProgramFileName));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, UninstallKeyPath));
    EXPECT_FALSE(IsFolder(InstallFolder()));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
}

TEST_F(Setup, MsiPackageInstallsForEveryUserUpgradesWithItsPropertiesAndUninstallsCompletely) {
    ASSERT_TRUE(IsFile(MsiPackagePath())) << MsiPackagePath();
    ASSERT_EQ(RunMsiexec({"/i", MsiPackagePath(), "/qn"}), 0u);

    std::vector<std::string> programs = {MainProgramFileName, RegUtilFileName, ShellExtFileName,
                                         ShellExt64FileName};
    std::sort(programs.begin(), programs.end());
    EXPECT_EQ(FolderEntries(InstallFolder()), programs);
    // Windows Installer puts the shortcut into the Start menu of all users (ALLUSERS=1); Wine 8's
    // puts it into the installing user's (its ProgramMenuFolder ignores ALLUSERS).
    const std::string shortcut =
        IsFile(StartMenuShortcutPath()) ? StartMenuShortcutPath() : UserStartMenuShortcutPath();
    EXPECT_EQ(ShortcutTarget(shortcut), InstallFolder() + MainProgramFileName);
    EXPECT_EQ(RunValue(), Quoted(InstallFolder() + MainProgramFileName));
    ExpectShellExtension(true);
    const std::vector<TShellExtEntries> packageEntries = MachineShellExtEntries();
    const std::vector<std::string> products = InstalledMsiProducts();
    ASSERT_EQ(products.size(), 1u);
    ExpectSaveAndRestore(InstallFolder() + MainProgramFileName);
    // The setup program is not installed beside the package.
    EXPECT_EQ(RunSetupSilently({"/S"}), ExitOtherKindInstalled);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));

    // A higher version replaces it, here without autostart and context menu.
    ASSERT_EQ(RunMsiexec({"/i", NextMsiPackagePath(), "/qn", "AUTOSTART=0", "CONTEXTMENU=0"}), 0u);
    const std::vector<std::string> upgraded = InstalledMsiProducts();
    ASSERT_EQ(upgraded.size(), 1u);
    EXPECT_NE(upgraded[0], products[0]);
    EXPECT_EQ(FolderEntries(InstallFolder()), programs);
    EXPECT_EQ(RunValue(), "<missing>");
    ExpectShellExtension(false);

    // The package wrote exactly what the registration utility writes, in every view.
    const TRunResult utility = RunProcess(InstallFolder() + RegUtilFileName, {"r"}, 15000);
    EXPECT_EQ(utility.ExitCode, 1u);
    const std::vector<TShellExtEntries> utilityEntries = MachineShellExtEntries();
    for (size_t i = 0; i < packageEntries.size() && i < utilityEntries.size(); ++i) {
        EXPECT_TRUE(packageEntries[i] == utilityEntries[i]) << "package:\n"
                                                            << packageEntries[i].Describe() << "utility:\n"
                                                            << utilityEntries[i].Describe();
    }
    EXPECT_EQ(RunProcess(InstallFolder() + RegUtilFileName, {"u"}, 15000).ExitCode, 1u);

    ASSERT_EQ(RunMsiexec({"/x", NextMsiPackagePath(), "/qn"}), 0u);
    EXPECT_TRUE(InstalledMsiProducts().empty());
    ExpectNothingInstalled();
    EXPECT_FALSE(IsFile(shortcut));
}

} // namespace
