// The tray application: the real Kavrilon.exe started without verbs, against the desktop host.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "LayoutScenario.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"

namespace {

using kvtest::DesktopHost;
using kvtest::DesktopIcon;

// A pattern of our own: a diagonal that no auto-arrange produces.
const std::vector<DesktopIcon> Icons = {{"Alpha", 400, 100}, {"Beta", 520, 220}, {"Gamma", 640, 340}};
const std::vector<TPlace> Stored = {{400, 100}, {520, 220}, {640, 340}};
const std::vector<TPlace> Scrambled = {{20, 20}, {20, 100}, {20, 180}};

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveKavrilonData();
        ASSERT_TRUE(host_.Start(Icons)) << host_.LastError();
    }
    void TearDown() override {
        host_.Stop();
        RemoveKavrilonData();
    }

    static void WriteOptions(const std::vector<std::string>& lines) {
        // The profile functions take the first of two equal keys: the test's own lines come first.
        std::vector<std::string> all = lines;
        for (const char* line :
             {"QuerySave=0", "QueryRestore=0", "DirectUndo=0", "SaveNotification=0", "Language=1"}) {
            all.push_back(line);
        }
        ASSERT_TRUE(WriteOptionsFile(all));
    }
    static void WritePrimary() {
        MakeDataFolders();
        ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{Stored[0].X, Stored[0].Y, "Alpha"},
                                                          {Stored[1].X, Stored[1].Y, "Beta"},
                                                          {Stored[2].X, Stored[2].Y, "Gamma"}}));
    }
    void Scramble() {
        for (size_t i = 0; i < Scrambled.size(); ++i) {
            ASSERT_TRUE(host_.Move(static_cast<int>(i), Scrambled[i].X, Scrambled[i].Y));
        }
    }
    bool IconsAt(const std::vector<TPlace>& places) { return CurrentPlaces(host_) == places; }

    DesktopHost host_;
};

TEST_F(Tray, PlainStartShowsTheSplashWithItsOwnerDisabledThenAsksForAFirstPrimaryLayout) {
    WriteOptions({"NoSplash=0"});
    TTrayInstance tray;
    ASSERT_NE(tray.Window(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return tray.Splash() != nullptr; }, 5000));
    const ULONGLONG shown = GetTickCount64();
    RECT client = {};
    GetClientRect(tray.Splash(), &client);
    EXPECT_EQ(client.right, 260);
    EXPECT_EQ(client.bottom, 180);
    EXPECT_FALSE(IsWindowEnabled(tray.Window()));
    // The icon is added right after the splash shows.
    EXPECT_TRUE(WaitUntil([&] { return tray.IconPresent(); }, 2000));
    // A second tray instance is refused while this one runs.
    EXPECT_EQ(RunKavrilon({}).ExitCode, 1u);

    // The splash closes by itself, the owner is enabled again, and the question follows.
    ASSERT_TRUE(WaitUntil([&] { return tray.Splash() == nullptr; }, 5000));
    const double seconds = (GetTickCount64() - shown) / 1000.0;
    EXPECT_GT(seconds, 0.8);
    const HWND question = tray.NextBox(5000);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(ReadDialog(question).Text.find("There is no primary layout for " + DisplayResolutionKey()),
              std::string::npos);
    ASSERT_TRUE(PressDialogButton(question, IDYES));
    EXPECT_TRUE(WaitUntil([] { return IsFile(PrimaryLayoutFile()); }, 5000));
    // The box gives its owner back as it found it: enabled again by the closing splash.
    EXPECT_TRUE(IsWindowEnabled(tray.Window()));

    // "TaskbarCreated" (a restarted taskbar) adds the icon again.
    ASSERT_TRUE(tray.RemoveIcon());
    EXPECT_FALSE(tray.IconPresent());
    tray.Send(RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(tray.IconPresent());

    EXPECT_EQ(tray.Exit(), 0);
    EXPECT_FALSE(tray.IconPresent());
}

TEST_F(Tray, SplashWidthFollowsTheWindowsVersion) {
    const struct {
        const char* Version;
        LONG Width;
    } cases[] = {{"win98", 290}, {"winxp", 260}};
    WriteOptions({"NoSplash=0"});
    for (const auto& c : cases) {
        TWineVersionOverride version("Kavrilon.exe", c.Version);
        TTrayInstance tray;
        ASSERT_TRUE(WaitUntil([&] { return tray.Splash() != nullptr; }, 5000)) << c.Version;
        RECT client = {};
        GetClientRect(tray.Splash(), &client);
        EXPECT_EQ(client.right, c.Width) << c.Version;
        EXPECT_EQ(tray.Exit(), 0) << c.Version;
    }
    // Windows 98 keeps its data in the roaming application data folder.
    RemoveTree(ShellFolder(CSIDL_APPDATA) + "\\Quellwyn");
}

TEST_F(Tray, NosplashAsksAtOnceWithTheMenuHeldOffAndNoAnswerSavesNothing) {
    WriteOptions({"NoSplash=0"});
    TTrayInstance tray({"/nosplash"});
    const HWND question = tray.NextBox(5000);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(tray.Splash(), nullptr);
    // The menu stays shut while a box of the program is open.
    PostMessageA(tray.Window(), TrayCallbackMessage, 1, WM_RBUTTONUP);
    EXPECT_FALSE(WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") != nullptr; }, 1500));
    ASSERT_TRUE(PressDialogButton(question, IDNO));
    ASSERT_TRUE(tray.Idle());
    EXPECT_TRUE(IsWindowEnabled(tray.Window()));
    EXPECT_FALSE(IsFile(PrimaryLayoutFile()));
    EXPECT_EQ(tray.Exit(), 0);
}

TEST_F(Tray, OnlyTheReleaseOfTheLeftOrRightButtonOpensTheMenu) {
    WritePrimary();
    WriteOptions({"NoSplash=1", "RestoreAtStart=0"});
    TTrayInstance tray;
    ASSERT_TRUE(tray.Idle());
    const struct {
        UINT Mouse;
        bool Opens;
    } cases[] = {{WM_MBUTTONUP, false}, {WM_RBUTTONUP, true}, {WM_LBUTTONUP, true}, {WM_LBUTTONDOWN, false}};
    for (const auto& c : cases) {
        PostMessageA(tray.Window(), TrayCallbackMessage, 1, c.Mouse);
        const bool opened = WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") != nullptr; }, 1500);
        EXPECT_EQ(opened, c.Opens) << "mouse message " << std::hex << c.Mouse;
        if (opened) {
            PostMessageA(tray.VisibleWindowOfClass("#32768"), WM_KEYDOWN, VK_ESCAPE, 0);
            EXPECT_TRUE(WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") == nullptr; }, 5000));
        }
    }
    EXPECT_EQ(tray.Exit(), 0);
}

// Each notification is sent the way the system sends it; the restore runs before the call returns.
TEST_F(Tray, NotificationsRestoreThePrimaryLayoutAsTheOptionsSay) {
    WritePrimary();
    const struct {
        const char* Options;
        UINT Message;
        WPARAM WParam;
        bool Restores;
    } cases[] = {
        {"RestoreAtChange=1", WM_DISPLAYCHANGE, 32, true},
        {"RestoreAtChange=0", WM_DISPLAYCHANGE, 32, false},
        {"RestoreAtChange=0", WM_SETTINGCHANGE, SPI_SETWORKAREA, true},
        {"RestoreAtChange=1", WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, false},
        {"RestoreAtResume=1", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, true},
        {"RestoreAtResume=0", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, false},
        {"RestoreAtResume=1", WM_POWERBROADCAST, PBT_APMSUSPEND, false},
    };
    for (const auto& c : cases) {
        WriteOptions({"NoSplash=1", "RestoreAtStart=0", c.Options});
        TTrayInstance tray;
        ASSERT_TRUE(tray.Idle());
        Scramble();
        const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        tray.Send(c.Message, c.WParam, c.Message == WM_DISPLAYCHANGE ? size : 0);
        EXPECT_EQ(IconsAt(Stored), c.Restores)
            << c.Options << " message " << std::hex << c.Message << " " << Describe(CurrentPlaces(host_));
        EXPECT_EQ(tray.Process().DescribeWindowsSeen(), "") << "no question before an automatic restore";
        EXPECT_EQ(tray.Exit(), 0);
    }

    // Without a primary layout for the resolution nothing happens, and nothing is reported.
    DeleteFileA(PrimaryLayoutFile().c_str());
    WriteOptions({"NoSplash=1", "RestoreAtStart=0", "RestoreAtChange=1"});
    TTrayInstance tray;
    const HWND question = tray.NextBox(5000);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(PressDialogButton(question, IDNO));
    Scramble();
    tray.Send(WM_DISPLAYCHANGE, 32, 0);
    EXPECT_TRUE(IconsAt(Scrambled));
    EXPECT_EQ(tray.NextBox(500), nullptr);
    EXPECT_EQ(tray.Exit(), 0);
}

// Explorer restarts: its desktop comes back with the icons in its own order. "TaskbarCreated" brings
// the icon back and, with the option, the primary layout once the icons are there; without the
// message the next action (here: opening the menu) sees the new desktop.
TEST_F(Tray, ARestartedShellGetsItsLayoutBackOnceItsIconsAreThereAsTheOptionSays) {
    WritePrimary();
    const struct {
        const char* Option;
        bool Broadcast;
        bool Restores;
    } cases[] = {
        {"RestoreAtShellRestart=1", true, true},
        {"RestoreAtShellRestart=0", true, false},
        {"RestoreAtShellRestart=1", false, true},
    };
    std::vector<DesktopIcon> reborn = Icons;
    for (size_t i = 0; i < reborn.size(); ++i) {
        reborn[i].x = Scrambled[i].X;
        reborn[i].y = Scrambled[i].Y;
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Option) + (c.Broadcast ? " with TaskbarCreated" : " at the next action"));
        ASSERT_TRUE(host_.Start(Icons)) << host_.LastError();
        WriteOptions({"NoSplash=1", "RestoreAtStart=0", c.Option});
        TTrayInstance tray;
        ASSERT_TRUE(tray.Idle());
        ASSERT_TRUE(host_.Stop());
        ASSERT_TRUE(host_.Start(reborn)) << host_.LastError();
        ASSERT_TRUE(IconsAt(Scrambled));
        if (c.Broadcast) {
            ASSERT_TRUE(WaitUntil([&] { return tray.RemoveIcon(); }, 5000));
            tray.Send(RegisterWindowMessageA("TaskbarCreated"), 0, 0);
            EXPECT_TRUE(tray.IconPresent());
            // The restore waits for the icon count to stand still: half a second at least.
            EXPECT_EQ(WaitUntil([&] { return IconsAt(Stored); }, 8000), c.Restores)
                << Describe(CurrentPlaces(host_));
        } else {
            PostMessageA(tray.Window(), TrayCallbackMessage, 1, WM_RBUTTONUP);
            ASSERT_TRUE(WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") != nullptr; }, 5000));
            EXPECT_EQ(IconsAt(Stored), c.Restores) << Describe(CurrentPlaces(host_));
            PostMessageA(tray.VisibleWindowOfClass("#32768"), WM_KEYDOWN, VK_ESCAPE, 0);
        }
        EXPECT_EQ(tray.Process().DescribeWindowsSeen(), "") << "no question before an automatic restore";
        EXPECT_EQ(tray.Exit(), 0);
    }
}

TEST_F(Tray, RestoreAtStartRestoresBeforeTheSplashShows) {
    WritePrimary();
    WriteOptions({"NoSplash=0", "RestoreAtStart=1"});
    Scramble();
    TTrayInstance tray;
    ASSERT_TRUE(WaitUntil([&] { return tray.Splash() != nullptr; }, 5000));
    EXPECT_TRUE(IconsAt(Stored)) << Describe(CurrentPlaces(host_));
    EXPECT_EQ(tray.Exit(), 0);
}

TEST_F(Tray, LogoffWithAutoSaveSavesAChangedDesktopWithoutQuestions) {
    WritePrimary();
    WriteOptions({"NoSplash=1", "RestoreAtStart=0", "AutoSave=1", "QuerySave=1", "SaveNotification=1"});
    TTrayInstance tray;
    ASSERT_TRUE(tray.Idle());
    Scramble();
    EXPECT_EQ(tray.Send(WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(tray.Process().DescribeWindowsSeen(), "");
    const std::vector<std::string> lines = ReadLines(PrimaryLayoutFile());
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[3], "20 20 Alpha");
    EXPECT_EQ(BackupFiles().size(), 1u) << "the replaced primary layout is kept";
    // An unchanged desktop is not saved again.
    EXPECT_EQ(tray.Send(WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(BackupFiles().size(), 1u);
    EXPECT_EQ(tray.Exit(), 0);
}

// A resolution change while a save shows its notice: the save is not disturbed, the restore waits
// for the save to end, and nothing the two allocated in the desktop's process is left behind.
TEST_F(Tray, ARestoreRequestedDuringASaveRunsAfterItAndLeavesNoMemoryInTheShell) {
    WritePrimary();
    WriteOptions({"NoSplash=1", "RestoreAtStart=0", "RestoreAtChange=1", "SaveNotification=1"});
    TTrayInstance tray;
    ASSERT_TRUE(tray.Idle());

    // The host's count sees memory that another process allocates in it.
    long long before = 0, withForeign = 0, counted = 0;
    ASSERT_TRUE(host_.PrivateAllocations(before));
    {
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION, FALSE, host_.ProcessId());
        ASSERT_NE(process, nullptr);
        void* foreign = VirtualAllocEx(process, nullptr, 1024, MEM_COMMIT, PAGE_READWRITE);
        ASSERT_NE(foreign, nullptr);
        ASSERT_TRUE(host_.PrivateAllocations(withForeign));
        VirtualFreeEx(process, foreign, 0, MEM_RELEASE);
        CloseHandle(process);
        ASSERT_EQ(withForeign, before + 1);
    }

    PostMessageA(tray.Window(), WM_COMMAND, CommandSavePrimary, 0);
    const HWND notice = tray.NextBox(10000);
    ASSERT_NE(notice, nullptr);
    EXPECT_NE(ReadDialog(notice).Text.find("saved as primary layout"), std::string::npos);
    Scramble();
    ASSERT_NE(tray.Send(WM_DISPLAYCHANGE, 32, 0), -1);
    EXPECT_TRUE(IconsAt(Scrambled)) << "a restore ran inside the save";
    EXPECT_TRUE(IsWindow(notice));

    ASSERT_TRUE(PressDialogButton(notice, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return IconsAt(Stored); }, 10000)) << Describe(CurrentPlaces(host_));
    // The save itself was complete: the primary layout holds the arrangement it saw.
    const std::vector<std::string> lines = ReadLines(PrimaryLayoutFile());
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[3], "400 100 Alpha");
    // The restore frees its buffer right after the last move.
    WaitUntil([&] { return host_.PrivateAllocations(counted) && counted == before; }, 5000);
    EXPECT_EQ(counted, before);
    EXPECT_EQ(tray.Exit(), 0);
}

// Keyboard navigation in the open tray menu: the picture follows the highlighted layout and never
// outlives the menu, whether it is closed or a backup is restored from it.
TEST_F(Tray, TheHighlightedLayoutOfTheMenuShowsItsPictureUntilTheMenuCloses) {
    WritePrimary();
    const std::string older = BackupFolder() + "20260101000000S.kvl";
    const std::string newer = BackupFolder() + "20260102000000R.kvl";
    ASSERT_TRUE(CopyFileA(PrimaryLayoutFile().c_str(), older.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(PrimaryLayoutFile().c_str(), newer.c_str(), FALSE));
    WriteOptions({"NoSplash=1", "RestoreAtStart=0"});
    TTrayInstance tray;
    ASSERT_TRUE(tray.Idle());
    const auto previewOf = [&]() -> std::string {
        const HWND preview = tray.VisibleWindowOfClass("KavrilonLayoutPreview");
        char text[MAX_PATH] = {};
        return preview == nullptr ? "" : (GetWindowTextA(preview, text, MAX_PATH), text);
    };
    const auto press = [&](std::vector<WPARAM> keys, const std::string& shown) {
        // The menu loop takes every key of the tray's thread, whichever of its menus is open.
        for (const WPARAM key : keys) {
            PostMessageA(tray.Window(), WM_KEYDOWN, key, 0);
        }
        return WaitUntil([&] { return previewOf() == shown; }, 5000);
    };
    for (const WPARAM last : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
        PostMessageA(tray.Window(), TrayCallbackMessage, 1, WM_RBUTTONUP);
        ASSERT_TRUE(WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") != nullptr; }, 5000));
        EXPECT_TRUE(press({VK_DOWN}, "")) << "saving has no picture";
        EXPECT_TRUE(press({VK_DOWN}, PrimaryLayoutFile())) << previewOf();
        EXPECT_TRUE(press({VK_DOWN}, "")) << previewOf();
        // Restore from file, then into the archive: its newest backup comes first.
        EXPECT_TRUE(press({VK_DOWN, VK_DOWN, VK_RIGHT}, newer)) << previewOf();
        EXPECT_TRUE(press({VK_DOWN}, older)) << previewOf();
        if (last == VK_ESCAPE) {
            EXPECT_TRUE(press({VK_ESCAPE, VK_ESCAPE}, "")) << previewOf();
        } else {
            PostMessageA(tray.Window(), WM_KEYDOWN, VK_RETURN, 0);
            EXPECT_TRUE(WaitUntil([&] { return previewOf().empty(); }, 5000));
            EXPECT_TRUE(tray.Idle());
            EXPECT_EQ(previewOf(), "");
        }
        EXPECT_TRUE(WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") == nullptr; }, 5000));
    }
    EXPECT_EQ(tray.Exit(), 0);
}

} // namespace
