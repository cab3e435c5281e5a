// The start-up, options file and command line of the real Kavrilon.exe, run as a process.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "KavrilonNames.h"
#include "MutexHolder.h"
#include "DialogDriver.h"
#include "LayoutScenario.h"
#include "ProcessRunner.h"
#include "ShellPlayer.h"
#include "TestEnvironment.h"

namespace {

const char* const SingleInstanceMutex = SingleInstanceMutexName;
const char* const ActionMutex = ActionMutexName;

const std::vector<std::string> DefaultOptionLines = {
    "[Opt]",
    "RestoreAtStart=1",
    "RestoreAtChange=1",
    "RestoreAtResume=1",
    "QueryRestore=1",
    "QueryRestoreFile=1",
    "QuerySave=1",
    "Transparency=0",
    "SaveNotification=1",
    "DirectUndo=1",
    "Language=1",
    "IconSize=0",
    "AutoSave=0",
    "NoSplash=0",
    "RestoreAtShellRestart=1",
    "PlaceNewIcons=1",
    "SavePath=",
    "RestorePath=",
};

// Removes empty lines, which the profile functions may leave at the end.
std::vector<std::string> NonEmptyLines(const std::string& path) {
    std::vector<std::string> lines;
    for (const std::string& line : ReadLines(path)) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

class KavrilonStartup : public ::testing::Test {
protected:
    void SetUp() override { RemoveKavrilonData(); }
    void TearDown() override { RemoveKavrilonData(); }

    static void ExpectCleanExit(const TRunResult& run, DWORD exitCode) {
        ASSERT_TRUE(run.Started);
        ASSERT_FALSE(run.TimedOut) << "Kavrilon.exe did not end; windows: " << run.WindowsDescription;
        EXPECT_EQ(run.ExitCode, exitCode);
        EXPECT_EQ(run.WindowsDescription, "") << "no window may be shown";
    }

    std::string OptionsFile() const { return KavrilonDataFolder() + "Options.ini"; }
};

TEST_F(KavrilonStartup, FirstStartWritesTheFifteenKeysInOrder) {
    const TRunResult run = RunKavrilon({"--S"});
    ExpectCleanExit(run, 0);
    EXPECT_EQ(NonEmptyLines(OptionsFile()), DefaultOptionLines);
}

TEST_F(KavrilonStartup, HandEditedValuesAreNormalisedWhenTheFileIsRewritten) {
    CreateDirectoryA((ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn").c_str(), nullptr);
    CreateDirectoryA(KavrilonDataFolder().c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(OptionsFile(), "[Opt]\r\n"
                                              "NoSplash=$1\r\n"
                                              "RestoreAtStart=yes\r\n"
                                              "QuerySave=0\r\n"
                                              "IconSize=259\r\n"
                                              "Transparency=-1\r\n"
                                              "SavePath=*\r\n"
                                              "RestorePath=C:\\Layouts\\\r\n"
                                              "DelayAutoRest=500\r\n"));
    const TRunResult run = RunKavrilon({"/rb", "2008"});
    ExpectCleanExit(run, 0);
    const std::string text = ReadFileBytes(OptionsFile());
    EXPECT_NE(text.find("RestoreAtStart=1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("QuerySave=0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("IconSize=3\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("NoSplash=1\r\n"), std::string::npos) << text;
    // Wine has SetLayeredWindowAttributes, so the value is only cut to its low byte.
    EXPECT_NE(text.find("Transparency=255\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SavePath=\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("RestorePath=C:\\Layouts\\\r\n"), std::string::npos) << text;
    // Keys the program never writes stay as the user left them.
    EXPECT_NE(text.find("DelayAutoRest=500"), std::string::npos) << text;
}

TEST_F(KavrilonStartup, LanguageValuesOtherThanZeroOrOneMeanEnglish) {
    const struct {
        const char* Stored;
        const char* Written;
    } cases[] = {{"7", "1"}, {"300", "1"}, {"-1", "1"}, {"256", "0"}, {"0", "0"}, {"abc", "1"}};
    for (const auto& c : cases) {
        RemoveKavrilonData();
        CreateDirectoryA((ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn").c_str(), nullptr);
        CreateDirectoryA(KavrilonDataFolder().c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(OptionsFile(), std::string("[Opt]\r\nLanguage=") + c.Stored + "\r\n"));
        ExpectCleanExit(RunKavrilon({"--S"}), 0);
        const std::string text = ReadFileBytes(OptionsFile());
        EXPECT_NE(text.find(std::string("Language=") + c.Written + "\r\n"), std::string::npos)
            << "Language=" << c.Stored << " gave " << text;
    }
}

TEST_F(KavrilonStartup, PortableModeKeepsTheOptionsBesideTheProgramAndCreatesNoFolder) {
    const std::string folder = MakeTempFolder("portable");
    const std::string copy = folder + "Kavrilon.exe";
    ASSERT_TRUE(CopyFileA(KavrilonExePath().c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(folder + "Options.ini", "[Opt]\r\nQuerySave=0\r\n"));

    const TRunResult run = RunProcess(copy, {"/port", "--S"}, 20000);
    ExpectCleanExit(run, 0);

    const std::string text = ReadFileBytes(folder + "Options.ini");
    EXPECT_NE(text.find("QuerySave=0\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("RestorePath=\r\n"), std::string::npos) << text;
    EXPECT_FALSE(IsFolder(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn"));
    RemoveTree(folder);
}

TEST_F(KavrilonStartup, AWindows98StartKeepsItsDataInTheApplicationDataFolder) {
    TWineVersionOverride win98("Kavrilon.exe", "win98");
    ExpectCleanExit(RunKavrilon({"--S"}), 0);
    EXPECT_TRUE(IsFile(ShellFolder(CSIDL_APPDATA) + "\\Quellwyn\\Kavrilon\\Options.ini"));
    EXPECT_FALSE(IsFolder(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn"));
}

// Without an application-data folder nothing is read or written anywhere else (least of all beside
// the current folder or at its drive's root): the program says so and ends with exit code 4.
TEST_F(KavrilonStartup, WithoutAnApplicationDataFolderNothingIsWrittenAndTheExitCodeIsFour) {
    // Where a relative data folder would have put its files: the child's current folder (the
    // test's, or the Windows folder where Wine starts it) and the root of that drive.
    char current[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, current);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string strays[] = {
        std::string(current) + "\\Options.ini", std::string(windows) + "\\Options.ini",
        std::string(current, 2) + "\\Quellwyn", std::string(windows, 2) + "\\Quellwyn"};
    TUnfindableLocalAppData unfindable;
    ExpectCleanExit(RunKavrilon({"--S"}), 4);
    ExpectCleanExit(RunKavrilon({"/s"}), 4);

    TKavrilonRun shown({"/dlg", "/s"});
    HWND box = shown.NextBox();
    ASSERT_NE(box, nullptr);
    const TDialogContent content = ReadDialog(box);
    EXPECT_EQ(content.Caption, "Kavrilon - Error");
    EXPECT_EQ(content.Text,
              "The folder for Kavrilon's files was not found!\rWindows names no application data folder.");
    EXPECT_TRUE(PressDialogButton(box, IDOK));
    EXPECT_TRUE(shown.Finish());
    EXPECT_EQ(shown.ExitCode(), 4u);
    for (const std::string& stray : strays) {
        EXPECT_EQ(GetFileAttributesA(stray.c_str()), INVALID_FILE_ATTRIBUTES) << stray;
    }
}

TEST_F(KavrilonStartup, TrayStartWhileAnotherInstanceRunsExitsWithOneAndShowsNothing) {
    TMutexHolder otherInstance(SingleInstanceMutex, 60000);
    ASSERT_TRUE(otherInstance.Ready());
    ExpectCleanExit(RunKavrilon({}), 1);
    ExpectCleanExit(RunKavrilon({"/tray"}), 1);
    ExpectCleanExit(RunKavrilon({"/nosplash", "/dlg"}), 1);
    // Verbs run first, then the tray phase is refused.
    ExpectCleanExit(RunKavrilon({"/s", "/tray"}), 1);
    // A command-line run never touches the single-instance mutex (here: no desktop to save).
    ExpectCleanExit(RunKavrilon({"/s"}), 2);
}

// Counts how many actions a command line started by holding the action mutex in another process:
// every action then waits 2 s for it and is dropped.
class ActionCounting : public KavrilonStartup {
protected:
    void SetUp() override {
        KavrilonStartup::SetUp();
        holder_ = std::make_unique<TMutexHolder>(ActionMutex, 120000);
        ASSERT_TRUE(holder_->Ready());
        // The first program started in a fresh prefix takes seconds longer (Wine sets up its display
        // driver and caches), and ctest may well run this test first: measure a warm start.
        ASSERT_FALSE(RunKavrilon({"--S"}).TimedOut);
        const TRunResult baseline = RunKavrilon({"--S"});
        ASSERT_FALSE(baseline.TimedOut);
        overhead_ = baseline.Seconds;
        ASSERT_LT(overhead_, 1.8) << "starting Kavrilon.exe takes too long to count actions by time";
    }

    int ActionsStartedBy(const std::vector<std::string>& arguments) {
        const TRunResult run = RunKavrilon(arguments, 30000);
        EXPECT_FALSE(run.TimedOut) << run.WindowsDescription;
        EXPECT_EQ(run.ExitCode, 0u);
        return static_cast<int>(std::lround((run.Seconds - overhead_) / 2.0));
    }

    std::unique_ptr<TMutexHolder> holder_;
    double overhead_ = 0;
};

TEST_F(ActionCounting, EachVerbConsumesExactlyTheArgumentsOfTheVerbTable) {
    EXPECT_EQ(ActionsStartedBy({"RF", "a.kvl", "RFX"}), 2);
    EXPECT_EQ(ActionsStartedBy({"/s", "/rf"}), 2);
    EXPECT_EQ(ActionsStartedBy({"rb", "20080101120000r"}), 1);
    EXPECT_EQ(ActionsStartedBy({"RB", "2008"}), 0);
    EXPECT_EQ(ActionsStartedBy({"/h", "12345", "/dlg", "/s"}), 1);
    EXPECT_EQ(ActionsStartedBy({"/h", "/s"}), 0);
    EXPECT_EQ(ActionsStartedBy({"/sf", "/r"}), 1);
    EXPECT_EQ(ActionsStartedBy({"--S", "/port", "hello"}), 0);
}

TEST_F(ActionCounting, AVerbWhoseActionMutexStaysBusyIsSkippedAndTheNextIsTried) {
    // Three verbs, each dropped after its own 2 s wait; the process still ends with 0.
    EXPECT_EQ(ActionsStartedBy({"/s", "/o", "/x"}), 3);
}

} // namespace
