// Kavrilon.exe against a desktop that hangs, and the faults found in saving and restoring: each
// case here failed before the engine was reworked.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
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

    // Kavrilon must end while the host still hangs: it never waits for a shell that does not answer.
    bool StillHung() {
        host_.SetTimeout(300);
        const bool answered = host_.Ping();
        host_.SetTimeout(20000);
        return !answered;
    }

    // Waits until the host answers again after a hang.
    bool WaitForHost() {
        for (int i = 0; i < 200; ++i) {
            if (host_.Ping()) {
                return true;
            }
            Sleep(200);
        }
        return false;
    }

    DesktopHost host_;
};

TEST_F(RestoreEngine, AHungDesktopEndsSaveAndRestoreWithoutWaitingAndRedrawsOnceItAnswers) {
    Start();
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    Scramble();
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0", "DirectUndo=0"}));

    // The shell hangs right after the view's repainting was held off for the moves.
    ASSERT_TRUE(host_.HangOnRedrawOff(25000));
    TKavrilonRun restore({"/dlg", "/r"});
    EXPECT_EQ(Answer(restore, {IDOK}), std::vector<std::string>{NotResponding});
    EXPECT_EQ(restore.ExitCode(), 2u);
    EXPECT_TRUE(StillHung());
    EXPECT_EQ(BackupFiles().size(), 1u) << "a restore given up half-way keeps its undo backup";
    // Once the host answers again, its view repaints (WM_SETREDRAW TRUE shows it again).
    ASSERT_TRUE(host_.Wake());
    ASSERT_TRUE(WaitForHost());
    DesktopHostState state;
    ASSERT_TRUE(host_.QueryState(state));
    EXPECT_NE(state.listViewStyle & WS_VISIBLE, 0u);

    // A save against a host that hangs from the start; the action mutex is free again afterwards.
    ASSERT_TRUE(host_.Hang(25000));
    const TRunResult save = RunKavrilon({"/s"}, 60000);
    EXPECT_EQ(save.ExitCode, 2u);
    EXPECT_TRUE(StillHung());
    ASSERT_TRUE(host_.Wake());
    ASSERT_TRUE(WaitForHost());
    EXPECT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe({{17, 2}, {17, 78}, {300, 40}}));
}

// A shell that is only slow carries out a request that timed out once it gets to it: the buffer the
// request names must still be committed memory of the shell then, during a save and a restore alike.
TEST_F(RestoreEngine, AShellThatWakesUpAfterATimeoutWritesOnlyIntoCommittedMemory) {
    Start();
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0", "DirectUndo=0"}));
    const struct {
        const char* Verb;
        UINT Message;
    } cases[] = {{"/s", LVM_GETITEMTEXTW}, {"/r", LVM_GETITEMPOSITION}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Verb);
        ASSERT_TRUE(host_.HangBefore(c.Message, 6000));
        EXPECT_EQ(RunKavrilon({c.Verb}, 60000).ExitCode, 2u);
        // The late request is carried out now that Kavrilon has given up on it and ended.
        ASSERT_TRUE(host_.Wake());
        ASSERT_TRUE(WaitForHost()) << "the shell did not survive its late answer";
        DesktopHostState state;
        ASSERT_TRUE(host_.QueryState(state));
        EXPECT_EQ(state.strayWrites, 0) << "the late answer went to memory that was released";
    }
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

TEST_F(RestoreEngine, AWorkerWindowGetsTheViewsRectangleAndTheGridStaysOffWithoutGridLine) {
    DesktopHostOptions worker;
    worker.worker = true;
    worker.snapToGrid = true;
    worker.hasViewRect = true;
    worker.viewRect = {100, 50, 900, 700};
    Start(worker);
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{40, 30, "Computer"}}));
    DesktopHostState before;
    ASSERT_TRUE(host_.QueryState(before));
    ASSERT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    DesktopHostState after;
    ASSERT_TRUE(host_.QueryState(after));
    const RECT& view = before.defView.rect;
    const RECT& parent = after.defViewParent.rect;
    EXPECT_EQ(std::vector<LONG>({parent.left, parent.top, parent.right, parent.bottom}),
              std::vector<LONG>({view.left, view.top, view.right, view.bottom}));
    EXPECT_EQ(after.listViewExStyle & LVS_EX_SNAPTOGRID, 0u) << "a layout without # Grid leaves the grid off";
    EXPECT_EQ(Places(after)[0], (TPlace{40, 30}));
}

TEST_F(RestoreEngine, AFailedUndoBackupAsksWhetherToRestoreAnyway) {
    Start();
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{40, 30, "Computer"}}));
    // A file where the backup folder belongs: no undo backup can be written.
    ASSERT_TRUE(RemoveTree(KavrilonDataFolder() + "Backups"));
    ASSERT_TRUE(WriteFileBytes(KavrilonDataFolder() + "Backups", "in the way"));
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0", "DirectUndo=0"}));
    TKavrilonRun asked({"/dlg", "/r"});
    const std::vector<std::string> texts = Answer(asked, {IDOK, IDNO});
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("I/O error saving to:\r\r", 0), 0u) << texts[0];
    EXPECT_EQ(texts[1], "Creating a backup failed!\r\rRestore anyway?");
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{17, 2})) << "No restores nothing";
    // Without DLG the restore goes on without the backup.
    EXPECT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{40, 30}));
}

TEST_F(RestoreEngine, PortableModeAsksBeforeSavingWhateverQuerySaveSays) {
    Start();
    const std::string folder = MakeTempFolder("portable");
    const std::string copy = folder + "Kavrilon.exe";
    ASSERT_TRUE(CopyFileA(KavrilonExePath().c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(folder + "Options.ini", "[Opt]\r\nQuerySave=0\r\n"));
    TChildProcess run;
    ASSERT_TRUE(run.Start(copy, {"/port", "/dlg", "/s"}));
    HWND question = WaitForDialog(run.Pid(), 15000);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ReadDialog(question).Text,
              "Do you want to save this icon layout as primary layout for " + DisplayResolutionKey() + "?");
    ASSERT_TRUE(PressDialogButton(question, IDNO));
    ASSERT_TRUE(run.Wait(20000));
    EXPECT_FALSE(IsFolder(folder + "Layouts")) << "No saves nothing";
    RemoveTree(folder);
}

TEST_F(RestoreEngine, FromWindows8OnAViewWithoutPositionsInterfaceFallsBackToTheListView) {
    // Windows 10 makes Kavrilon look for the shell's positioning interface first. Wine's shell
    // windows know only Wine's own desktop, whose view is not the one found and cannot report
    // positions either: the messages must do the work, with the same result.
    TWineVersionOverride version("Kavrilon.exe", "win10");
    const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\";
    ASSERT_TRUE(WriteFileBytes(desktop + "Notes.txt", "sample"));
    ASSERT_TRUE(host_.StartShell()) << host_.LastError();
    DesktopHostState shell;
    ASSERT_TRUE(host_.QueryState(shell));
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    if ((shell.listViewStyle & LVS_AUTOARRANGE) != 0) {
        SendMessageA(shell.progman.handle, WM_COMMAND, 0x7051, 0);
    }
    for (size_t i = 0; i < shell.items.size(); ++i) {
        ASSERT_TRUE(host_.Move(static_cast<int>(i), 500 + static_cast<int>(i) * 90, 400));
    }
    ASSERT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe(Places(shell)));
    DeleteFileA((desktop + "Notes.txt").c_str());
}

TEST_F(RestoreEngine, ADesktopServingThePositioningInterfaceIsSavedAndRestoredThroughItAlike) {
    // The host registers itself as the shell's desktop, so that the shell windows find its view.
    // Windows 7 keeps to the messages; Windows 10 takes the interface, with the same file and places.
    DesktopHostOptions options;
    options.folderView = true;
    Start(options);
    std::vector<std::string> files[2];
    DesktopHostState moved[2];
    const char* versions[2] = {"win7", "win10"};
    for (int i = 0; i < 2; ++i) {
        TWineVersionOverride version("Kavrilon.exe", versions[i]);
        RemoveKavrilonData();
        ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u) << versions[i];
        files[i] = ReadLines(PrimaryLayoutFile());
        ASSERT_EQ(files[i].size(), 6u) << versions[i];
        files[i][2].clear(); // the time of the save
        Scramble();
        ASSERT_EQ(RunKavrilon({"/r"}).ExitCode, 0u) << versions[i];
        ASSERT_TRUE(host_.QueryState(moved[i]));
        EXPECT_EQ(Describe(Places(moved[i])), Describe({{17, 2}, {17, 78}, {300, 40}})) << versions[i];
    }
    EXPECT_EQ(files[1], files[0]);
    EXPECT_GE(moved[0].movesByMessages, 3);
    EXPECT_EQ(moved[0].movesByFolderView, 0);
    EXPECT_EQ(moved[1].movesByMessages, moved[0].movesByMessages) << "no message moves an icon on Windows 10";
    EXPECT_EQ(moved[1].movesByFolderView, 3);
}

TEST_F(RestoreEngine, AShellHangingInItsPositioningInterfaceEndsTheRestoreWithoutWaiting) {
    // A call into the shell's interface cannot time out by itself: the restore gives it up.
    TWineVersionOverride version("Kavrilon.exe", "win10");
    DesktopHostOptions options;
    options.folderView = true;
    Start(options);
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    Scramble();
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0", "DirectUndo=0"}));
    ASSERT_TRUE(host_.HangOnPositioning(25000));
    TKavrilonRun restore({"/dlg", "/r"});
    EXPECT_EQ(Answer(restore, {IDOK}), std::vector<std::string>{NotResponding});
    EXPECT_EQ(restore.ExitCode(), 2u);
    EXPECT_TRUE(StillHung());
    ASSERT_TRUE(host_.Wake());
    ASSERT_TRUE(WaitForHost());
    // The action mutex is free: the next restore runs (and finds the icons placed by the late call).
    EXPECT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    DesktopHostState state;
    ASSERT_TRUE(host_.QueryState(state));
    EXPECT_EQ(Describe(Places(state)), Describe({{17, 2}, {17, 78}, {300, 40}}));
    EXPECT_EQ(state.movesByMessages, 0);
}

TEST_F(RestoreEngine, OnAScaledDisplayTheKeyAndThePositionsArePhysicalPixels) {
    // 150 %: processes started from now on see 144 DPI; this test process still sees the physical
    // metrics it started with.
    const char* desktopKey = "Control Panel\\Desktop";
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_CURRENT_USER, desktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    DWORD previous = 0;
    DWORD size = sizeof previous;
    const bool hadValue = RegQueryValueExA(key, "LogPixels", nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(&previous), &size) == ERROR_SUCCESS;
    const DWORD scaled = 144;
    RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&scaled), sizeof scaled);
    struct TRestore {
        HKEY Key;
        bool Had;
        DWORD Value;
        ~TRestore() {
            if (Had) {
                RegSetValueExA(Key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&Value),
                               sizeof Value);
            } else {
                RegDeleteValueA(Key, "LogPixels");
            }
            RegCloseKey(Key);
        }
    } restore{key, hadValue, previous};

    const TRunResult unaware = RunProcess(TestToolPath("kv_metrics_probe.exe"), {}, 20000, true);
    const auto seen = ProbeValues(unaware.Output);
    ASSERT_EQ(seen.count("dpi"), 1u) << unaware.Output;
    std::printf("A program without DPI awareness sees: dpi %s, screen %s, virtual screen %s (physical %s)\n",
                seen.at("dpi").c_str(), seen.at("screen").c_str(), seen.at("virtual").c_str(),
                DisplayResolutionKey().c_str());

    // Another scaling at the same resolution is another configuration: its key extends the
    // physical resolution key, and its layouts record the configuration.
    const std::string configKey = ProbedDisplayKey();
    ASSERT_EQ(configKey.rfind(DisplayResolutionKey() + "_", 0), 0u) << configKey;
    // Until it has a layout of its own it restores the layout of the plain key, which was saved on
    // one monitor of the same size.
    Start();
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(),
                                {{17, 2, "Computer"}, {17, 78, "Recycle Bin"}, {300, 40, "Notes.txt"}}));
    Scramble();
    ASSERT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe({{17, 2}, {17, 78}, {300, 40}}));

    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);
    const std::string primary = KavrilonDataFolder() + "Layouts\\Layout_" + configKey + ".kvl";
    ASSERT_TRUE(IsFile(primary)) << "the layout is filed under the key " << configKey << ": "
                                 << FolderEntries(KavrilonDataFolder() + "Layouts").size();
    const std::vector<std::string> lines = ReadLines(primary);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "# " + configKey);
    const std::string screen =
        std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " " + std::to_string(GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(lines[3].rfind("# Display 0 0 " + screen + " ", 0), 0u) << lines[3];
    EXPECT_NE(lines[3].find(" 144 P "), std::string::npos) << lines[3];
    EXPECT_EQ(lines[4], "17 2 Computer");
    EXPECT_EQ(lines[6], "300 40 Notes.txt");
    Scramble();
    ASSERT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe({{17, 2}, {17, 78}, {300, 40}}));
}

} // namespace
