// The setup program of the release and its uninstaller, run as a Windows user runs them: silently
// and page by page, fresh and over an installed copy.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "KavrilonNames.h"
#include "KavrilonVersion.h"
#include "LayoutScenario.h"
#include "ProcessRunner.h"
#include "SetupDriver.h"
#include "TestEnvironment.h"

namespace {

const std::string AutostartChoice = "Start Kavrilon with Windows";
const std::string ShellExtChoice = "Add Kavrilon to the desktop context menu";
const std::string RemoveDataChoice = "Also remove my layouts, backups and settings";

const std::string ClassKey = std::string("CLSID\\") + ShellExtClassIdText;
const std::string ServerKey = ClassKey + "\\InProcServer32";
const std::string HandlerKey = "Directory\\Background\\shellex\\ContextMenuHandlers\\Kavrilon";
const std::string ApprovedKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

const char* const InstalledFiles[] = {MainProgramFileName, RegUtilFileName, ShellExtFileName,
                                      UninstallerFileName};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string RunValue() {
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

    // The registration entries in every view the shell reads, as (view, entry) descriptions of what
    // differs from `registered` (registered by the installed copy, or absent).
    static void ExpectShellExtension(bool registered) {
        const std::vector<REGSAM> views = ShellRegistryViews();
        for (REGSAM view : views) {
            SCOPED_TRACE(view == KEY_WOW64_64KEY ? "64-bit view" : "32-bit view");
            if (!registered) {
                EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, ClassKey, view));
                EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, HandlerKey, view));
                EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, ApprovedKey, ShellExtClassIdText, view),
                          "<missing>");
                continue;
            }
            const char* dll = view == KEY_WOW64_64KEY ? ShellExt64FileName : ShellExtFileName;
            EXPECT_EQ(RegistryValue(HKEY_CLASSES_ROOT, ServerKey, "", view), InstallFolder() + dll);
            EXPECT_EQ(RegistryValue(HKEY_CLASSES_ROOT, ServerKey, "ExeLocation", view),
                      InstallFolder() + MainProgramFileName);
            EXPECT_EQ(RegistryValue(HKEY_CLASSES_ROOT, HandlerKey, "", view), ShellExtClassIdText);
            EXPECT_NE(RegistryValue(HKEY_LOCAL_MACHINE, ApprovedKey, ShellExtClassIdText, view), "<missing>");
        }
    }

    static void ExpectInstalledFiles() {
        for (const char* file : InstalledFiles) {
            EXPECT_TRUE(IsFile(InstallFolder() + file)) << file;
        }
        EXPECT_EQ(ShortcutTarget(StartMenuShortcutPath()), InstallFolder() + MainProgramFileName);
    }

    static void ExpectNothingInstalled() {
        EXPECT_FALSE(IsFolder(InstallFolder()))
            << "left behind: " << ::testing::PrintToString(FolderEntries(InstallFolder()));
        EXPECT_FALSE(IsFile(StartMenuShortcutPath()));
        EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
        EXPECT_EQ(RunValue(), "<missing>");
        ExpectShellExtension(false);
    }

    // A layout, a backup and options of the user's, as Kavrilon would have left them.
    static void WriteUserFiles() {
        ASSERT_TRUE(WriteOptionsFile({"QuerySave=0", "Language=0"}));
        ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 20, "Notes.txt"}}));
        ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "20260101120000S.kvl", {{30, 40, "Notes.txt"}}));
    }

    kvtest::DesktopHost host_;
};

TEST_F(Setup, SilentInstallPutsKavrilonInPlaceAndSilentUninstallRemovesItButKeepsTheLayouts) {
    InstallSilently();

    ExpectInstalledFiles();
    EXPECT_EQ(FolderEntries(InstallFolder()).size(), std::size(InstalledFiles) + (RunsUnderWow64() ? 1 : 0))
        << ::testing::PrintToString(FolderEntries(InstallFolder()));
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
    EXPECT_EQ(RunValue(), Quoted(InstallFolder() + MainProgramFileName));
    ExpectShellExtension(true);

    // The installed program does its job.
    ASSERT_TRUE(host_.Start({{"Notes.txt", 120, 40}, {"Budget.xlsx", 300, 200}})) << host_.LastError();
    const TRunResult save = RunProcess(InstallFolder() + MainProgramFileName, {"/s"}, 30000);
    ASSERT_FALSE(save.TimedOut) << save.WindowsDescription;
    EXPECT_EQ(save.ExitCode, 0u);
    const std::vector<std::string> layout = ReadLines(PrimaryLayoutFile());
    ASSERT_GE(layout.size(), 5u);
    EXPECT_EQ(layout[layout.size() - 2], "120 40 Notes.txt");
    EXPECT_EQ(layout.back(), "300 200 Budget.xlsx");

    UninstallSilently();
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

TEST_F(Setup, UninstallRemovesTheUsersLayoutsWhenAsked) {
    InstallSilently();
    WriteUserFiles();

    const TSetupRun run = RunSetupProgram(UninstallerPath(), {}, true, {{RemoveDataChoice, true}});
    ASSERT_FALSE(run.TimedOut) << run.Log;
    EXPECT_EQ(run.CheckBoxesShown, (std::map<std::string, bool>{{RemoveDataChoice, false}})) << run.Log;

    ExpectNothingInstalled();
    EXPECT_FALSE(IsFolder(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\" + VendorFolderName));
}

TEST_F(Setup, InstallingOverAnInstallationKeepsTheUsersSettingsAndLayouts) {
    InstallSilently();
    WriteUserFiles();
    const std::string options = ReadFileBytes(KavrilonDataFolder() + OptionsFileName);
    const std::string layout = ReadFileBytes(PrimaryLayoutFile());
    // The user switched autostart off in Kavrilon's options.
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_SET_VALUE, &run), ERROR_SUCCESS);
    RegDeleteValueA(run, AutostartValueName);
    RegCloseKey(run);

    InstallSilently();

    ExpectInstalledFiles();
    EXPECT_EQ(RegistryValue(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayVersion"), KV_VERSION_TEXT);
    EXPECT_EQ(RunValue(), "<missing>");
    ExpectShellExtension(true);
    EXPECT_EQ(ReadFileBytes(KavrilonDataFolder() + OptionsFileName), options);
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), layout);
    EXPECT_EQ(BackupFiles(), std::vector<std::string>{"20260101120000S.kvl"});
}

} // namespace
