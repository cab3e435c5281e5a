// The display snapshot against a real multi-monitor setup: Wine on the Xorg display with dummy
// outputs, where a second monitor is switched on, moved and off from outside as a user would plug
// one in. Each state is read by this running process and by a fresh probe process.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BackupStore.h"
#include "DisplaySnapshot.h"
#include "MonitorDisplay.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"
#include "WinHandles.h"

namespace {

struct TProbeSnapshot {
    std::string Key;
    std::string ResolutionKey;
    TDisplayConfig Config;
};

// The snapshot of a fresh process (kv_display_probe: DPI-aware like the program).
TProbeSnapshot ProbeSnapshot() {
    const TRunResult run = RunProcess(TestToolPath("kv_display_probe.exe"), {}, 30000, true);
    EXPECT_TRUE(run.Started && !run.TimedOut);
    TProbeSnapshot snapshot;
    auto values = ProbeValues(run.Output);
    snapshot.Key = values["key"];
    snapshot.ResolutionKey = values["resolution"];
    EXPECT_TRUE(DisplayConfigOfLayout(run.Output, snapshot.Config)) << run.Output;
    return snapshot;
}

void SwitchOffSecondMonitor() {
    std::string log;
    EXPECT_TRUE(RunMonitorHelper("kv_monitor_detach DUMMY1", log)) << log;
}

class DisplaySnapshot : public testing::Test {
protected:
    void SetUp() override {
        if (MonitorDisplay().empty()) {
            GTEST_SKIP() << "no X display with several monitors: KV_MONITOR_DISPLAY is not set "
                            "(kv_start_monitor_display in scripts/wine-env.sh could not start Xorg)";
        }
        char display[64] = {};
        GetEnvironmentVariableA("DISPLAY", display, sizeof display);
        ASSERT_EQ(display, MonitorDisplay()) << "the test must run on the monitor display";
        // The program declares DPI awareness in its manifest; this test program has none.
        SetProcessDPIAware();
        SwitchOffSecondMonitor();
    }

    void TearDown() override {
        if (!MonitorDisplay().empty()) {
            SwitchOffSecondMonitor();
        }
    }
};

TEST_F(DisplaySnapshot, KeysFollowAMonitorAttachedMovedAndDetached) {
    const struct {
        const char* Helper;
        TDisplayRect Bounds;
        std::vector<TDisplayRect> Monitors; // the primary first
    } steps[] = {
        {"true", {0, 0, 1280, 1024}, {{0, 0, 1280, 1024}}},
        {"kv_monitor_attach DUMMY1 1024x768 right-of",
         {0, 0, 2304, 1024},
         {{0, 0, 1280, 1024}, {1280, 0, 2304, 768}}},
        {"kv_monitor_move DUMMY1 left-of", {-1024, 0, 1280, 1024}, {{0, 0, 1280, 1024}, {-1024, 0, 0, 768}}},
        {"kv_monitor_detach DUMMY1", {0, 0, 1280, 1024}, {{0, 0, 1280, 1024}}},
    };
    std::vector<std::string> keys;
    for (const auto& step : steps) {
        std::string log;
        ASSERT_TRUE(RunMonitorHelper(step.Helper, log)) << log;
        const TDisplayConfig here = WaitForMonitors(step.Monitors.size(), step.Bounds);
        ASSERT_EQ(here.Monitors.size(), step.Monitors.size()) << step.Helper << "\n"
                                                              << DisplayConfigLine(here);
        for (const TDisplayRect& rect : step.Monitors) {
            bool found = false;
            for (const TMonitor& monitor : here.Monitors) {
                if (monitor.Rect == rect) {
                    found = true;
                    EXPECT_EQ(monitor.Primary, rect.Left == 0 && rect.Top == 0) << step.Helper;
                    EXPECT_FALSE(monitor.Identity.empty()) << step.Helper;
                    EXPECT_NE(monitor.Identity.rfind("\\\\.\\", 0), 0u) << monitor.Identity;
                }
            }
            EXPECT_TRUE(found) << step.Helper << " " << rect.Left << "," << rect.Top << "\n"
                               << DisplayConfigLine(here);
        }
        const std::string key = DisplayConfigKey(here);
        const TDisplayRect& b = step.Bounds;
        const std::string resolution =
            std::to_string(b.Right - b.Left) + "x" + std::to_string(b.Bottom - b.Top);
        EXPECT_EQ(ScreenResolutionKey(), resolution) << step.Helper;
        EXPECT_EQ(ResolutionKey(), key) << step.Helper;
        if (step.Monitors.size() == 1) {
            EXPECT_EQ(key, resolution) << step.Helper;
        } else {
            EXPECT_EQ(key.substr(0, resolution.size() + 1), resolution + "_") << step.Helper;
        }
        // A fresh process (the shell extension's view) comes to the same key.
        const TProbeSnapshot fresh = ProbeSnapshot();
        EXPECT_EQ(fresh.Key, key) << step.Helper << "\n"
                                  << DisplayConfigLine(here) << DisplayConfigLine(fresh.Config);
        EXPECT_EQ(fresh.ResolutionKey, resolution) << step.Helper;
        keys.push_back(key);
    }
    EXPECT_NE(keys[1], keys[0]);
    EXPECT_NE(keys[2], keys[1]) << "moving the second monitor to the other side keeps the size, not the key";
    EXPECT_EQ(keys[3], keys[0]);
}

// Restores a registry value (or its absence) when it goes out of scope.
class TSavedLogPixels {
public:
    TSavedLogPixels() {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.put(), nullptr);
        DWORD size = sizeof value_;
        existed_ = RegQueryValueExA(key_.get(), "LogPixels", nullptr, &type_,
                                    reinterpret_cast<BYTE*>(&value_), &size) == ERROR_SUCCESS;
    }
    ~TSavedLogPixels() {
        if (existed_) {
            RegSetValueExA(key_.get(), "LogPixels", 0, type_, reinterpret_cast<const BYTE*>(&value_),
                           sizeof value_);
        } else {
            RegDeleteValueA(key_.get(), "LogPixels");
        }
    }
    bool Set(DWORD dpi) {
        return RegSetValueExA(key_.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                              sizeof dpi) == ERROR_SUCCESS;
    }

private:
    TUniqueRegKey key_;
    bool existed_ = false;
    DWORD type_ = REG_DWORD;
    DWORD value_ = 0;
};

// An EDID value in a monitor's registry key, as Windows keeps it, removed again when it goes out of
// scope. Wine writes none for the dummy outputs.
class TPlantedEdid {
public:
    TPlantedEdid(const std::string& keyPath, const std::string& edid) {
        planted_ =
            RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            key_.put(), nullptr) == ERROR_SUCCESS &&
            RegSetValueExA(key_.get(), "EDID", 0, REG_BINARY, reinterpret_cast<const BYTE*>(edid.data()),
                           static_cast<DWORD>(edid.size())) == ERROR_SUCCESS;
    }
    ~TPlantedEdid() { RegDeleteValueA(key_.get(), "EDID"); }
    bool Planted() const { return planted_; }

private:
    TUniqueRegKey key_;
    bool planted_ = false;
};

TEST_F(DisplaySnapshot, ScaledDisplayAndEdidGiveKeysOfTheirOwnAtTheSameResolution) {
    const TProbeSnapshot plain = ProbeSnapshot();
    ASSERT_EQ(plain.Config.Monitors.size(), 1u);
    ASSERT_EQ(plain.Config.Monitors[0].Dpi, StandardDpi);
    EXPECT_EQ(plain.Key, "1280x1024");

    // 125 %: Wine takes the DPI from LogPixels when a process starts.
    TSavedLogPixels logPixels;
    ASSERT_TRUE(logPixels.Set(120));
    const TProbeSnapshot scaled = ProbeSnapshot();
    ASSERT_EQ(scaled.Config.Monitors.size(), 1u);
    EXPECT_EQ(scaled.Config.Monitors[0].Dpi, 120);
    EXPECT_EQ(scaled.ResolutionKey, "1280x1024") << "the probe is DPI-aware: physical pixels";
    EXPECT_EQ(scaled.Key.size(), 18u) << scaled.Key;
    EXPECT_EQ(scaled.Key.rfind("1280x1024_", 0), 0u) << scaled.Key;

    // With an EDID in the monitor's registry key, its manufacturer, product and serial name the
    // monitor instead of its device path.
    std::string keyPath;
    ASSERT_TRUE(MonitorRegistryKeyOfPath(scaled.Config.Monitors[0].Identity, keyPath))
        << scaled.Config.Monitors[0].Identity;
    std::string edid(128, '\0');
    const unsigned char base[16] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00,
                                    0x10, 0xAC, 0xF5, 0x40, 0x1D, 0x2C, 0x3B, 0x4A};
    edid.replace(0, sizeof base, reinterpret_cast<const char*>(base), sizeof base);
    TPlantedEdid planted(keyPath, edid);
    ASSERT_TRUE(planted.Planted()) << keyPath;
    const TProbeSnapshot named = ProbeSnapshot();
    ASSERT_EQ(named.Config.Monitors.size(), 1u);
    EXPECT_EQ(named.Config.Monitors[0].Identity, "DEL40F5-4A3B2C1D");
    EXPECT_NE(named.Key, scaled.Key);
}

} // namespace
