// Kavrilon.exe against a desktop that hangs, and the faults found in saving and restoring: each
// case here failed before the engine was reworked.

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "LayoutScenario.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

using kvtest::DesktopHost;
using kvtest::DesktopHostOptions;
using kvtest::DesktopHostState;

const std::vector<kvtest::DesktopIcon> Icons = {
    {"Computer", 17, 2}, {"Recycle Bin", 17, 78}, {"Notes.txt", 300, 40}};
const std::vector<TPlace> Scrambled = {{700, 100}, {700, 200}, {700, 300}};
const std::string NotResponding = "The desktop does not respond!\r\nThe action was cancelled.";

class RestoreEngine : public ::testing::Test {
protected:
    void SetUp() override { RemoveKavrilonData(); }
    void TearDown() override {
        host_.Stop();
        RemoveKavrilonData();
    }

    void Start(const DesktopHostOptions& options = {}) {
        ASSERT_TRUE(host_.Start(Icons, options)) << host_.LastError();
    }

    void Scramble() {
        for (size_t i = 0; i < Scrambled.size(); ++i) {
            ASSERT_TRUE(host_.Move(static_cast<int>(i), Scrambled[i].X, Scrambled[i].Y));
        }
    }

    // Runs Kavrilon, answers its boxes in order and returns the texts it showed.
    static std::vector<std::string> Answer(TKavrilonRun& run, const std::vector<int>& buttons) {
        std::vector<std::string> texts;
        for (const int button : buttons) {
            HWND box = run.NextBox();
            if (box == nullptr) {
                ADD_FAILURE() << "box " << texts.size() << " did not come";
                break;
            }
            texts.push_back(ReadDialog(box).Text);
            EXPECT_TRUE(PressDialogButton(box, button));
        }
        EXPECT_TRUE(run.Finish()) << "more boxes than expected: " << run.WindowsSeen();
        return texts;
    }

    // Waits until the host answers again after a hang.
    bool WaitForHost() {
        for (int i = 0; i < 100; ++i) {
            if (host_.Ping()) {
                return true;
            }
            Sleep(200);
        }
        return false;
    }

    DesktopHost host_;
};

TEST_F(RestoreEngine, AHungDesktopEndsSaveAndRestoreWithinSecondsAndRedrawsOnceItAnswers) {
    Start();
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    Scramble();
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0", "DirectUndo=0"}));

    // The shell hangs right after the view's repainting was held off for the moves.
    ASSERT_TRUE(host_.HangOnRedrawOff(9000));
    const double started = NowSeconds();
    TKavrilonRun restore({"/dlg", "/r"});
    EXPECT_EQ(Answer(restore, {IDOK}), std::vector<std::string>{NotResponding});
    EXPECT_LT(NowSeconds() - started, 8.0);
    EXPECT_EQ(restore.ExitCode(), 2u);
    EXPECT_TRUE(BackupFiles().empty()) << "the undo backup of a restore given up is removed";
    // Once the host answers again, its view repaints (WM_SETREDRAW TRUE shows it again).
    ASSERT_TRUE(WaitForHost());
    DesktopHostState state;
    ASSERT_TRUE(host_.QueryState(state));
    EXPECT_NE(state.listViewStyle & WS_VISIBLE, 0u);

    // A save against a host that hangs from the start; the action mutex is free again afterwards.
    ASSERT_TRUE(host_.Hang(9000));
    TRunResult save = RunKavrilon({"/s"});
    EXPECT_EQ(save.ExitCode, 2u);
    EXPECT_LT(save.Seconds, 7.0);
    ASSERT_TRUE(WaitForHost());
    EXPECT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe({{17, 2}, {17, 78}, {300, 40}}));
}

TEST_F(RestoreEngine, NoBoxIsOpenWhileTheShellIsHeldAndTheReadingChangedItsSettings) {
    // On the Vista family a save switches auto-arrange off while it reads: by the time its notice
    // is shown, auto-arrange must be on again.
    TWineVersionOverride version("Kavrilon.exe", "vista");
    DesktopHostOptions arranged;
    arranged.autoArrange = true;
    Start(arranged);
    ASSERT_TRUE(WriteOptionsFile({"QuerySave=0", "SaveNotification=1"}));
    TKavrilonRun run({"/dlg", "/s"});
    HWND notice = run.NextBox();
    ASSERT_NE(notice, nullptr);
    DesktopHostState state;
    ASSERT_TRUE(host_.QueryState(state));
    EXPECT_NE(state.listViewStyle & LVS_AUTOARRANGE, 0u) << "auto-arrange still off while the notice is open";
    ASSERT_TRUE(PressDialogButton(notice, IDOK));
    ASSERT_TRUE(run.Finish());
    EXPECT_EQ(run.ExitCode(), 0u);
}

TEST_F(RestoreEngine, OnlyABackupRestoreOffersToBecomeThePrimaryLayout) {
    Start();
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 10, "Computer"}}));
    ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "20250102030405S.kvl", {{50, 60, "Computer"}}));
    const std::string folder = MakeTempFolder("offer");
    ASSERT_TRUE(WriteLayoutFile(folder + "other.kvl", {{90, 90, "Computer"}}));
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0", "QueryRestoreFile=0", "DirectUndo=0"}));
    // The backup restore offers (answered No); the file restore after it, in the same process with
    // the backup still selected, does not.
    TKavrilonRun run({"/dlg", "/rb", "20250102030405S", "/rf", folder + "other.kvl"});
    const std::vector<std::string> texts = Answer(run, {IDNO});
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("The restored layout differs", 0), 0u);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{90, 90}));
    RemoveTree(folder);
}

TEST_F(RestoreEngine, AFailedUndoKeepsTheUndoBackupAndSaysSo) {
    Start();
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    Scramble();
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0"}));
    TKavrilonRun run({"/dlg", "/r"});
    HWND keep = run.NextBox();
    ASSERT_NE(keep, nullptr);
    // The desktop goes away while the keep question is open: No cannot put anything back.
    ASSERT_TRUE(host_.Stop());
    ASSERT_TRUE(PressDialogButton(keep, IDNO));
    const std::vector<std::string> texts = Answer(run, {IDOK, IDOK});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("Desktop not found!", 0), 0u) << texts[0];
    const std::vector<std::string> backups = BackupFiles();
    ASSERT_EQ(backups.size(), 1u) << "the previous arrangement must not be lost";
    EXPECT_EQ(texts[1], "The previous layout could not be put back.\rIt is kept as a backup:\r\r" +
                            BackupFolder() + backups[0]);
    EXPECT_NE(ReadFileBytes(BackupFolder() + backups[0]).find("\r\n700 100 Computer\r\n"), std::string::npos);
}

TEST_F(RestoreEngine, SavingWithoutADesktopKeepsNoCopyOfTheUnchangedPrimaryLayout) {
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 10, "Computer"}}));
    const std::string primary = ReadFileBytes(PrimaryLayoutFile());
    EXPECT_EQ(RunKavrilon({"/s"}).ExitCode, 2u);
    EXPECT_TRUE(BackupFiles().empty());
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), primary);
}

TEST_F(RestoreEngine, ABackupIdMustNotReachOutsideTheArchive) {
    Start();
    MakeDataFolders();
    // "..\..\Layouts\A" has the length of an id and names <data>\Layouts\A.kvl.
    ASSERT_TRUE(WriteLayoutFile(KavrilonDataFolder() + "Layouts\\A.kvl", {{444, 444, "Computer"}}));
    EXPECT_EQ(RunKavrilon({"/rb", "..\\..\\Layouts\\A"}).ExitCode, 0u);
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{17, 2}));
}

TEST_F(RestoreEngine, AHugeLayoutFileIsUnreadable) {
    Start();
    const std::string folder = MakeTempFolder("huge");
    const std::string huge = folder + "huge.kvl";
    ASSERT_TRUE(WriteLayoutFile(huge, {{444, 444, "Computer"}}));
    {
        HANDLE file = CreateFileA(huge.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LONG high = 0;
        SetFilePointer(file, 17 * 1024 * 1024, &high, FILE_BEGIN);
        EXPECT_TRUE(SetEndOfFile(file));
        CloseHandle(file);
    }
    EXPECT_EQ(RunKavrilon({"/rf", huge}).ExitCode, 3u);
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{17, 2}));
    RemoveTree(folder);
}

TEST_F(RestoreEngine, AFailedReplaceLeavesTheOldFileAndNoTemporaryFile) {
    Start();
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    const std::string previous = ReadFileBytes(PrimaryLayoutFile());
    ASSERT_TRUE(host_.Move(0, 640, 480));
    // Open without delete sharing: the new file is written but cannot take the old one's place.
    HANDLE held = CreateFileA(PrimaryLayoutFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const TRunResult run = RunKavrilon({"/s"});
    CloseHandle(held);
    EXPECT_EQ(run.ExitCode, 3u);
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), previous);
    EXPECT_EQ(FolderEntries(KavrilonDataFolder() + "Layouts"),
              std::vector<std::string>{"Layout_" + DisplayResolutionKey() + ".kvl"});

    // Paths with forward slashes work as well.
    const std::string folder = MakeTempFolder("slashes");
    std::string slashed = folder + "sub.kvl";
    for (char& c : slashed) {
        c = c == '\\' ? '/' : c;
    }
    EXPECT_EQ(RunKavrilon({"/sf", slashed}).ExitCode, 0u);
    EXPECT_EQ(FolderEntries(folder), std::vector<std::string>{"sub.kvl"});
    RemoveTree(folder);
}

} // namespace
