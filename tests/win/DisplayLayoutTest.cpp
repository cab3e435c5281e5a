// Layouts per display configuration with several monitors: Kavrilon.exe against the desktop host on
// the Xorg display with dummy outputs, a second monitor plugged in and pulled out from outside (the
// X server alone, which tells the program nothing) and through ChangeDisplaySettingsEx.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "DisplayConfig.h"
#include "LayoutScenario.h"
#include "MonitorDisplay.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

// One icon on the primary monitor, two on the second one, right of it.
const std::vector<kvtest::DesktopIcon> Icons = {
    {"Main", 100, 100}, {"Side A", 1400, 100}, {"Side B", 1600, 300}};
const std::vector<TPlace> Saved = {{100, 100}, {1400, 100}, {1600, 300}};
const std::vector<TPlace> Gathered = {{300, 300}, {400, 300}, {500, 300}};

class DisplayLayout : public testing::Test {
protected:
    void SetUp() override {
        if (MonitorDisplay().empty()) {
            GTEST_SKIP() << "no X display with several monitors: KV_MONITOR_DISPLAY is not set "
                            "(kv_start_monitor_display in scripts/wine-env.sh could not start Xorg)";
        }
        SetProcessDPIAware();
        Helper("kv_monitor_detach DUMMY1");
        RemoveKavrilonData();
    }

    void TearDown() override {
        host_.Stop();
        if (!MonitorDisplay().empty()) {
            Helper("kv_monitor_detach DUMMY1");
        }
        RemoveKavrilonData();
    }

    static void Helper(const std::string& call) {
        std::string log;
        EXPECT_TRUE(RunMonitorHelper(call, log)) << log;
    }

    void AttachSecondMonitor() {
        Helper("kv_monitor_attach DUMMY1 1024x768 right-of");
        ASSERT_EQ(WaitForMonitors(2, {0, 0, 2304, 1024}).Monitors.size(), 2u)
            << "the second monitor did not come";
    }

    void Gather() {
        for (size_t i = 0; i < Gathered.size(); ++i) {
            ASSERT_TRUE(host_.Move(static_cast<int>(i), Gathered[i].X, Gathered[i].Y));
        }
    }

    kvtest::DesktopHost host_;
};

TEST_F(DisplayLayout, TwoMonitorsHaveALayoutOfTheirOwnWhoseIconsStayPutWhileTheirMonitorIsGone) {
    AttachSecondMonitor();
    ASSERT_TRUE(host_.Start(Icons)) << host_.LastError();
    ASSERT_EQ(RunKavrilon({"/s"}).ExitCode, 0u);

    const std::string key = ProbedDisplayKey();
    ASSERT_EQ(key.size(), 18u) << key;
    ASSERT_EQ(key.rfind("2304x1024_", 0), 0u) << key;
    const std::string layouts = KavrilonDataFolder() + "Layouts\\";
    EXPECT_EQ(FolderEntries(layouts), std::vector<std::string>{"Layout_" + key + ".kvl"});
    const std::string layout = layouts + "Layout_" + key + ".kvl";
    const std::vector<std::string> lines = ReadLines(layout);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[1], "# " + key);
    TDisplayConfig recorded;
    ASSERT_TRUE(ParseDisplayConfigLine(lines[3], recorded)) << lines[3];
    EXPECT_EQ(recorded.Monitors.size(), 2u) << lines[3];
    EXPECT_EQ(DisplayConfigKey(recorded), key) << lines[3];
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 4, lines.end()),
              (std::vector<std::string>{"100 100 Main", "1400 100 Side A", "1600 300 Side B"}));
    const std::string bytes = ReadFileBytes(layout);
    ASSERT_TRUE(WriteOptionsFile({"QueryRestore=0", "QueryRestoreFile=0", "DirectUndo=0"}));

    const struct {
        const char* How;
        bool (*Detach)();
    } ways[] = {
        {"X server alone",
         [] {
             std::string log;
             return RunMonitorHelper("kv_monitor_detach DUMMY1", log);
         }},
        {"ChangeDisplaySettingsEx", DetachSecondMonitorByDisplaySettings},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.How);
        Gather();
        ASSERT_TRUE(way.Detach());
        ASSERT_EQ(WaitForMonitors(1, {0, 0, 1280, 1024}).Monitors.size(), 1u)
            << "the second monitor did not go";
        EXPECT_EQ(ProbedDisplayKey(), "1280x1024");

        // The icons of the gone monitor would vanish off-screen: they stay, and the box says so.
        TKavrilonRun restore({"/dlg", "/rf", layout});
        HWND box = restore.NextBox();
        ASSERT_NE(box, nullptr) << restore.WindowsSeen();
        EXPECT_EQ(ReadDialog(box).Text, "2 icons were left in place because their stored positions lie on no "
                                        "monitor of the current display configuration.");
        EXPECT_TRUE(PressDialogButton(box, IDOK));
        ASSERT_TRUE(restore.Finish()) << restore.WindowsSeen();
        EXPECT_EQ(restore.ExitCode(), 0u);
        EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe({{100, 100}, {400, 300}, {500, 300}}));
        EXPECT_EQ(ReadFileBytes(layout), bytes) << "the layout keeps the icons of the gone monitor";

        // Plugged in again, the configuration has its key again, and its primary layout puts back all.
        AttachSecondMonitor();
        EXPECT_EQ(ProbedDisplayKey(), key);
        ASSERT_EQ(RunKavrilon({"/r"}).ExitCode, 0u);
        EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe(Saved));
    }
}

} // namespace
