// The tray application with several monitors: the real Kavrilon.exe on the Xorg display with dummy
// outputs, against the desktop host. Each monitor configuration has a primary layout of its own;
// the tray restores the one of the configuration it finds after a change, whether the change
// brought WM_DISPLAYCHANGE (ChangeDisplaySettingsEx) or no message at all (the X server alone: the
// next action of the tray notices it).

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "BackupStore.h"
#include "DesktopHostClient.h"
#include "DisplaySnapshot.h"
#include "KavrilonNames.h"
#include "LayoutScenario.h"
#include "MonitorDisplay.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"

namespace {

using kvtest::DesktopIcon;

const std::vector<DesktopIcon> Icons = {{"Alpha", 400, 100}, {"Beta", 520, 220}, {"Gamma", 640, 340}};
const std::vector<TPlace> Scrambled = {{20, 20}, {20, 100}, {20, 180}};

// One configuration: how the X server makes it, its virtual screen, and its layout in screen
// coordinates (Gamma on the second monitor).
struct TConfigLayout {
    const char* Helper;
    TDisplayRect Bounds;
    std::vector<TLayoutLine> Layout;
};
const TConfigLayout Right = {"kv_monitor_attach DUMMY1 1024x768 right-of",
                             {0, 0, 2304, 1024},
                             {{400, 100, "Alpha"}, {520, 220, "Beta"}, {1400, 100, "Gamma"}}};
const TConfigLayout Left = {"kv_monitor_move DUMMY1 left-of",
                            {-1024, 0, 1280, 1024},
                            {{300, 300, "Alpha"}, {100, 500, "Beta"}, {-900, 100, "Gamma"}}};

// The list-view positions a layout means on a virtual screen that starts at bounds' left and top.
std::vector<TPlace> ViewPlaces(const TConfigLayout& config) {
    std::vector<TPlace> places;
    for (const TLayoutLine& line : config.Layout) {
        places.push_back({line.X - config.Bounds.Left, line.Y - config.Bounds.Top});
    }
    return places;
}

bool WaitForBounds(size_t count, const TDisplayRect& bounds) {
    return WaitUntil(
        [&] {
            const TDisplayConfig config = TakeDisplaySnapshot();
            return config.Monitors.size() == count && VirtualScreenOf(config) == bounds;
        },
        10000);
}

// Moves or switches off (width 0) the monitor that is not the primary one through
// ChangeDisplaySettingsEx, which broadcasts WM_DISPLAYCHANGE: in a fresh process (the display probe),
// as a running one keeps stale display modes under Wine.
bool ChangeSecondMonitor(int x, int width, int height, std::string& outcome) {
    const TRunResult run =
        RunProcess(TestToolPath("kv_display_probe.exe"),
                   {"place", std::to_string(x), std::to_string(width), std::to_string(height)}, 30000, true);
    outcome = run.Output;
    return run.Started && !run.TimedOut &&
           ProbeValues(run.Output)["change"].find(" 0 0") != std::string::npos;
}

class TrayMonitors : public testing::Test {
protected:
    void SetUp() override {
        if (MonitorDisplay().empty()) {
            GTEST_SKIP() << "no X display with several monitors: KV_MONITOR_DISPLAY is not set";
        }
        SetProcessDPIAware();
        Helper("kv_monitor_detach DUMMY1");
        RemoveKavrilonData();
        ASSERT_TRUE(host_.Start(Icons)) << host_.LastError();
    }
    void TearDown() override {
        host_.Stop();
        RemoveKavrilonData();
        if (!MonitorDisplay().empty()) {
            Helper("kv_monitor_detach DUMMY1");
        }
    }
    static void Helper(const std::string& call) {
        std::string log;
        EXPECT_TRUE(RunMonitorHelper(call, log)) << log;
    }
    // Makes the configuration with the X server alone and waits until this process sees it.
    static void Make(const TConfigLayout& config) {
        Helper(config.Helper);
        ASSERT_TRUE(WaitForBounds(2, config.Bounds)) << config.Helper;
    }
    void Scramble() {
        for (size_t i = 0; i < Scrambled.size(); ++i) {
            ASSERT_TRUE(host_.Move(static_cast<int>(i), Scrambled[i].X, Scrambled[i].Y));
        }
    }
    // Opens the tray menu, an action of the tray, and closes it again.
    static void OpenAndCloseMenu(TTrayInstance& tray) {
        PostMessageA(tray.Window(), TrayCallbackMessage, 1, WM_RBUTTONUP);
        ASSERT_TRUE(WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") != nullptr; }, 10000));
        PostMessageA(tray.VisibleWindowOfClass("#32768"), WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(WaitUntil([&] { return tray.VisibleWindowOfClass("#32768") == nullptr; }, 5000));
    }
    bool PlacedAs(const TConfigLayout& config) {
        return WaitUntil([&] { return CurrentPlaces(host_) == ViewPlaces(config); }, 10000);
    }

    kvtest::DesktopHost host_;
};

TEST_F(TrayMonitors, EachConfigurationGetsItsOwnLayoutWithOrWithoutAMessage) {
    // The primary layout of each configuration, filed under the key the program stores it by.
    MakeDataFolders();
    std::map<std::string, int> written;
    for (const TConfigLayout* config : {&Right, &Left}) {
        Make(*config);
        ++written[ResolutionKey()];
        ASSERT_TRUE(WriteLayoutFile(KavrilonDataFolder() + "Layouts\\Layout_" + ResolutionKey() + ".kvl",
                                    config->Layout));
    }
    if (written.size() != 2) {
        GTEST_SKIP() << "layouts are stored by the virtual screen's size alone (" << written.begin()->first
                     << "): the two arrangements share one layout";
    }
    Helper("kv_monitor_move DUMMY1 right-of");
    ASSERT_TRUE(WaitForBounds(2, Right.Bounds));
    ASSERT_TRUE(WriteOptionsFile({"NoSplash=1", "RestoreAtStart=0", "RestoreAtChange=1", "QueryRestore=0",
                                  "DirectUndo=0", "Language=1"}));
    TTrayInstance tray;
    ASSERT_TRUE(tray.Idle());

    // The second monitor to the left through the system: WM_DISPLAYCHANGE, the same size.
    Scramble();
    ASSERT_TRUE(tray.Idle()); // Wine may drop the broadcast to a thread idle for long
    std::string outcome;
    ASSERT_TRUE(ChangeSecondMonitor(-1024, 1024, 768, outcome)) << outcome;
    ASSERT_TRUE(WaitForBounds(2, Left.Bounds));
    EXPECT_TRUE(PlacedAs(Left)) << Describe(CurrentPlaces(host_));

    // Back to the right through the X server alone: no message; the menu's opening notices it.
    Scramble();
    Make(Right);
    OpenAndCloseMenu(tray);
    EXPECT_TRUE(PlacedAs(Right)) << Describe(CurrentPlaces(host_));

    // Unplugged (through the system; one monitor has no layout here, nothing moves) while the icons
    // gather on the primary monitor, then plugged in again through the X server: Gamma goes back
    // to the second monitor.
    ASSERT_TRUE(tray.Idle());
    ASSERT_TRUE(ChangeSecondMonitor(0, 0, 0, outcome)) << outcome;
    ASSERT_TRUE(WaitUntil([] { return TakeDisplaySnapshot().Monitors.size() == 1; }, 10000));
    Scramble();
    Make(Right);
    OpenAndCloseMenu(tray);
    EXPECT_TRUE(PlacedAs(Right)) << Describe(CurrentPlaces(host_));
    EXPECT_EQ(tray.Process().DescribeWindowsSeen(), "") << "no question before an automatic restore";
    EXPECT_EQ(tray.Exit(), 0);
}

} // namespace
