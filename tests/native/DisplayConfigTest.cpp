#include "DisplayConfig.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "BackupRules.h"
#include "LayoutFile.h"

namespace {

TMonitor Monitor(const char* identity, int32_t left, int32_t top, int32_t width, int32_t height,
                 int32_t dpi = StandardDpi) {
    TMonitor monitor;
    monitor.Identity = identity;
    monitor.Rect = {left, top, left + width, top + height};
    monitor.WorkArea = {left, top, left + width, top + height - 40};
    monitor.Dpi = dpi;
    monitor.Primary = left == 0 && top == 0;
    return monitor;
}

const TMonitor Main = Monitor("DEL40F5-4A3B2C1D", 0, 0, 1280, 1024);
const TMonitor Side = Monitor("GSM5B7F-0001B2C3", 1280, 0, 1024, 768);
const TMonitor SideLeft = Monitor("GSM5B7F-0001B2C3", -1024, 0, 1024, 768);

TEST(DisplayConfig, KeysKeepThePlainResolutionKeyOnlyForOneMonitorAt96Dpi) {
    const struct {
        const char* Name;
        TDisplayConfig Config;
    } configs[] = {
        {"one monitor", {{Main}}},
        {"one monitor at 120 dpi", {{Monitor("DEL40F5-4A3B2C1D", 0, 0, 1280, 1024, 120)}}},
        {"second monitor right", {{Main, Side}}},
        {"second monitor left", {{Main, SideLeft}}},
        {"another second monitor", {{Main, Monitor("GSM5B7F-0009FFFF", 1280, 0, 1024, 768)}}},
        {"per-monitor dpi", {{Main, Monitor("GSM5B7F-0001B2C3", 1280, 0, 1024, 768, 144)}}},
        {"monitor without identity", {{Main, Monitor("", 1280, 0, 1024, 768)}}},
    };
    std::set<std::string> keys;
    for (const auto& entry : configs) {
        const std::string key = DisplayConfigKey(entry.Config);
        const TDisplayRect bounds = VirtualScreenOf(entry.Config);
        const std::string resolution =
            ResolutionKeyOf(bounds.Right - bounds.Left, bounds.Bottom - bounds.Top, 1280, 1024);
        if (IsPlainResolutionConfig(entry.Config)) {
            EXPECT_EQ(key, resolution) << entry.Name;
        } else {
            ASSERT_EQ(key.size(), resolution.size() + 9) << entry.Name << ": " << key;
            EXPECT_EQ(key.substr(0, resolution.size() + 1), resolution + "_") << entry.Name;
            EXPECT_EQ(key.find_first_not_of("0123456789abcdef", resolution.size() + 1), std::string::npos)
                << entry.Name << ": " << key;
        }
        EXPECT_TRUE(keys.insert(key).second) << entry.Name << " shares its key " << key;
    }
    EXPECT_EQ(DisplayConfigKey({{Main}}), "1280x1024");
    EXPECT_EQ(DisplayConfigKey({{Main, SideLeft}}).substr(0, 10), "2304x1024_");

    // Unplugging gives the one monitor's key, replugging (in another enumeration order) the first key.
    EXPECT_EQ(DisplayConfigKey({{Side, Main}}), DisplayConfigKey({{Main, Side}}));
    // The work area does not count: a taskbar that moves changes no key.
    TMonitor taskbarLeft = Side;
    taskbarLeft.WorkArea.Left += 60;
    EXPECT_EQ(DisplayConfigKey({{Main, taskbarLeft}}), DisplayConfigKey({{Main, Side}}));
}

TEST(DisplayConfig, DigestIsFnv1aOfTheCanonicalText) {
    // Published FNV-1a 32-bit test vectors.
    EXPECT_EQ(Fnv1a32(""), 0x811c9dc5u);
    EXPECT_EQ(Fnv1a32("a"), 0xe40c292cu);
    EXPECT_EQ(Fnv1a32("foobar"), 0xbf9cf968u);

    const TDisplayConfig config{{SideLeft, Monitor("", 0, 0, 1280, 1024, 120)}};
    const std::string canonical = "*\t0,0,1280,1024\t120\nGSM5B7F-0001B2C3\t-1024,0,0,768\t96\n";
    EXPECT_EQ(CanonicalDisplayText(config), canonical);
    char digest[9];
    std::snprintf(digest, sizeof digest, "%08x", static_cast<unsigned>(Fnv1a32(canonical)));
    EXPECT_EQ(DisplayConfigKey(config), std::string("2304x1024_") + digest);
}

TEST(DisplayConfig, CommentLineRoundTripsAndTodaysReaderSkipsIt) {
    const TDisplayConfig config{
        {Main,
         Monitor("\\\\?\\DISPLAY#Default_Monitor#0002&0000#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}", -1024,
                 -200, 1024, 768, 120),
         Monitor("", 1280, 0, 800, 600), Monitor("a b;c%d*\xC3\xA9", 2080, 0, 800, 600)}};
    const std::string line = DisplayConfigLine(config);
    ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
    EXPECT_EQ(line.rfind("# Display 1280 0 2080 600 1280 0 2080 560 96 - *; ", 0), 0u) << line;

    TDisplayConfig parsed;
    ASSERT_TRUE(ParseDisplayConfigLine(line.substr(0, line.size() - 2), parsed)) << line;
    ASSERT_EQ(parsed.Monitors.size(), config.Monitors.size());
    for (const TMonitor& monitor : config.Monitors) {
        bool found = false;
        for (const TMonitor& back : parsed.Monitors) {
            found = found || (back.Identity == monitor.Identity && back.Rect == monitor.Rect &&
                              back.WorkArea == monitor.WorkArea && back.Dpi == monitor.Dpi &&
                              back.Primary == monitor.Primary);
        }
        EXPECT_TRUE(found) << monitor.Identity;
    }
    EXPECT_EQ(DisplayConfigKey(parsed), DisplayConfigKey(config));

    // Through the layout reader of earlier versions: the line is a comment.
    const std::string file = LayoutHeaderLines("2304x1024_0123abcd", "20261208120000") + line +
                             LayoutEntryLine(17, 2, "My Computer") + LayoutEntryLine(-1007, 78, "Trash");
    const TLayoutContent content = ReadLayoutBytes(file);
    ASSERT_EQ(content.Code, LayoutReadComplete);
    ASSERT_EQ(content.Entries.size(), 2u);
    EXPECT_EQ(content.Entries[1].Caption, "Trash");
    EXPECT_EQ(content.Entries[1].X, -1007);
    TDisplayConfig recorded;
    ASSERT_TRUE(DisplayConfigOfLayout(file, recorded));
    EXPECT_EQ(DisplayConfigKey(recorded), DisplayConfigKey(config));
    EXPECT_FALSE(DisplayConfigOfLayout(LayoutHeaderLines("1280x1024", "20261208120000"), recorded));
    // Line ends as a text-mode stream writes them (CR CR LF), as the reader reads them.
    TDisplayConfig fromStream;
    ASSERT_TRUE(
        DisplayConfigOfLayout("key=x\r\r\n" + line.substr(0, line.size() - 2) + "\r\r\n", fromStream));
    EXPECT_EQ(fromStream.Monitors.size(), config.Monitors.size());

    for (const char* malformed :
         {"# Display", "# Display ", "#Display 0 0 1 1 0 0 1 1 96 P x", "# Display 0 0 1 1 0 0 1 1 96 P",
          "# Display 0 0 1 1 0 0 1 1 96 X x", "# Display 0 0 1 1 0 0 1 1 0 P x",
          "# Display 0 0 1 1 0 0 1 96 P x", "# Display 0 0 1 1 0 0 1 1 96 P x y",
          "# Display 0 0 1 1 0 0 1 1 96 P %4", "# Display 0 0 1 1 0 0 1 1 96 P %zz",
          "# Display 0 0 1 1 0 0 1 1 96 P x;", "# Display 0x10 0 1 1 0 0 1 1 96 P x",
          "# Display 0 0 1 1 0 0 1 1 99999999999 P x", "# Display 0 0 1 1 0 0 1 1 96 P x; "}) {
        TDisplayConfig untouched{{Main}};
        EXPECT_FALSE(ParseDisplayConfigLine(malformed, untouched)) << malformed;
        EXPECT_EQ(untouched.Monitors.size(), 1u) << malformed;
    }
}

TEST(DisplayConfig, SameArrangementComparesRectanglesOnly) {
    const struct {
        const char* Name;
        TDisplayConfig Other;
        bool Same;
    } cases[] = {
        {"same monitors in another order", {{Side, Main}}, true},
        {"other identities and dpi",
         {{Monitor("X", 0, 0, 1280, 1024, 120), Monitor("Y", 1280, 0, 1024, 768, 144)}},
         true},
        {"second monitor moved left", {{Main, SideLeft}}, false},
        {"second monitor unplugged", {{Main}}, false},
        {"no monitors", {}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameArrangement({{Main, Side}}, c.Other), c.Same) << c.Name;
        EXPECT_EQ(SameArrangement(c.Other, {{Main, Side}}), c.Same) << c.Name;
    }
}

TEST(DisplayConfig, PositionsOnMonitorsWithGapsAndNegativeCoordinates) {
    const TDisplayConfig both{{Main, Side, Monitor("Z", -800, -600, 800, 600)}};
    const struct {
        TDisplayPoint Position;
        bool OnMonitor;
        int Monitor;
    } cases[] = {
        {{0, 0}, true, 0},       {{1279, 1023}, true, 0},    {{1280, 0}, true, 1},    {{2303, 767}, true, 1},
        {{1500, 900}, false, 1}, {{2304, 0}, false, 1},      {{-800, -600}, true, 2}, {{-1, -1}, true, 2},
        {{-1, 0}, false, 0},     {{-5000, -5000}, false, 2}, {{100, 5000}, false, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LiesOnSomeMonitor(both, c.Position), c.OnMonitor) << c.Position.X << "," << c.Position.Y;
        EXPECT_EQ(MonitorOfPosition(both, c.Position), c.Monitor) << c.Position.X << "," << c.Position.Y;
    }
    // Unplugged: what lay on the second monitor lies on none.
    EXPECT_FALSE(LiesOnSomeMonitor({{Main}}, {1500, 100}));
    EXPECT_EQ(MonitorOfPosition({}, {0, 0}), -1);
}

TEST(DisplayConfig, NewIconsCoveredByRestoredOnesMoveToTheNearestFreeCell) {
    const TDesktopGrid grid{100, 100, 10, 5};
    // Work areas: 1280x984 (12 columns of 9 cells) and, left of it, 320x260 (3 columns of 2 cells).
    const TDisplayConfig config{{Main, Monitor("L", -320, 0, 320, 300)}};
    const struct {
        const char* Name;
        std::vector<TDisplayPoint> Restored;
        std::vector<TDisplayPoint> Unlisted;
        std::vector<TNewIconMove> Moves;
        size_t Unplaced;
    } cases[] = {
        {"no overlap stays", {{10, 5}}, {{110, 5}, {10, 105}}, {}, 0},
        {"equally near cells: down the column first", {{10, 5}}, {{10, 5}}, {{0, {10, 105}}}, 0},
        {"nearest cell, not the first", {{510, 405}}, {{530, 420}}, {{0, {610, 405}}}, 0},
        {"an icon that stays takes its cell", {{10, 5}}, {{10, 105}, {20, 5}}, {{1, {110, 5}}}, 0},
        {"two covered icons get two cells",
         {{10, 5}},
         {{10, 5}, {15, 5}},
         {{0, {10, 105}}, {1, {110, 5}}},
         0},
        {"same monitor at negative coordinates", {{-310, 5}}, {{-310, 5}}, {{0, {-310, 105}}}, 0},
        {"full monitor: stays and is counted",
         {{-310, 5}, {-210, 5}, {-110, 5}, {-310, 105}, {-210, 105}, {-110, 105}},
         {{-210, 105}},
         {},
         1},
    };
    for (const auto& c : cases) {
        const TNewIconPlacement placement = PlaceNewIcons(config, grid, c.Restored, c.Unlisted);
        EXPECT_EQ(placement.Unplaced, c.Unplaced) << c.Name;
        ASSERT_EQ(placement.Moves.size(), c.Moves.size()) << c.Name;
        for (size_t i = 0; i < c.Moves.size(); ++i) {
            EXPECT_EQ(placement.Moves[i].Index, c.Moves[i].Index) << c.Name;
            EXPECT_EQ(placement.Moves[i].Position.X, c.Moves[i].Position.X) << c.Name;
            EXPECT_EQ(placement.Moves[i].Position.Y, c.Moves[i].Position.Y) << c.Name;
        }
    }
    // A grid that was not read moves nothing.
    const TNewIconPlacement unread = PlaceNewIcons(config, {}, {{10, 5}}, {{10, 5}});
    EXPECT_TRUE(unread.Moves.empty());
    EXPECT_EQ(unread.Unplaced, 1u);
}

std::string Edid(uint16_t maker, uint16_t product, uint32_t serial, const char* serialText = nullptr) {
    std::string edid(128, '\0');
    const unsigned char header[] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    edid.replace(0, 8, reinterpret_cast<const char*>(header), 8);
    edid[8] = static_cast<char>(maker >> 8);
    edid[9] = static_cast<char>(maker & 0xFF);
    edid[10] = static_cast<char>(product & 0xFF);
    edid[11] = static_cast<char>(product >> 8);
    for (int i = 0; i < 4; ++i) {
        edid[12 + i] = static_cast<char>(serial >> (8 * i));
    }
    edid[72 + 3] = static_cast<char>(0xFC); // a name descriptor before the serial
    edid.replace(72 + 5, 4, "DELL");
    if (serialText != nullptr) {
        edid[90 + 3] = static_cast<char>(0xFF);
        std::string text = std::string(serialText) + "\n            ";
        edid.replace(90 + 5, 13, text.substr(0, 13));
    }
    return edid;
}

TEST(DisplayConfig, MonitorIdentitiesFromEdidAndDevicePaths) {
    const uint16_t del = 0x10AC;
    const struct {
        std::string Edid;
        const char* Identity;
    } edids[] = {
        {Edid(del, 0x40F5, 0x4A3B2C1D), "DEL40F5-4A3B2C1D"},
        {Edid(del, 0x40F5, 0x4A3B2C1D, "CN0F 12AB"), "DEL40F5-CN0F 12AB"},
        {Edid(del, 0x40F5, 0, "  "), ""},
        {Edid(del, 0x40F5, 0), ""},
        {Edid(0, 0x40F5, 7), ""},
        {Edid(del, 0x40F5, 7).substr(0, 127), ""},
        {"\x01" + Edid(del, 0x40F5, 7).substr(1), ""},
    };
    for (const auto& entry : edids) {
        EXPECT_EQ(MonitorIdentityFromEdid(entry.Edid), entry.Identity);
    }

    const struct {
        const char* Path;
        const char* Key;
    } paths[] = {
        {"\\\\?\\DISPLAY#DEL40F5#5&1a2b3c&0&UID4353#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}",
         "SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\DEL40F5\\5&1a2b3c&0&UID4353\\Device Parameters"},
        {"\\\\?\\DISPLAY#DEL40F5#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}", nullptr},
        {"\\\\?\\DISPLAY#..\\x#1#{e6f07b5f}", nullptr},
        {"\\\\?\\DISPLAY##1#{e6f07b5f}", nullptr},
        {"DISPLAY#DEL40F5#1#{e6f07b5f}", nullptr},
        {"\\\\.\\DISPLAY1", nullptr},
    };
    for (const auto& entry : paths) {
        std::string key = "untouched";
        EXPECT_EQ(MonitorRegistryKeyOfPath(entry.Path, key), entry.Key != nullptr) << entry.Path;
        EXPECT_EQ(key, entry.Key != nullptr ? entry.Key : "untouched") << entry.Path;
    }
}

TEST(DisplayConfig, PlainLayoutServesOnlyTheArrangementItWasSavedWith) {
    const std::string header = "\xEF\xBB\xBFKavrilon 8.2\r\n# 2304x1024\r\n# 20260101120000\r\n";
    const std::string entry = "17 2 Computer\r\n";
    const TMonitor scaled = Monitor("DEL40F5-4A3B2C1D", 0, 0, 1280, 1024, 144);
    const TMonitor wide = Monitor("DEL40F5-4A3B2C1D", 0, 0, 2304, 1024, 120);
    const struct {
        const char* What;
        std::string Layout;
        TDisplayConfig Current;
        bool Serves;
    } cases[] = {
        {"no record: one monitor at 0,0, here scaled", header + entry, {{scaled}}, true},
        {"no record, two monitors of that size", header + entry, {{Main, Side}}, false},
        {"recorded the same arrangement",
         header + DisplayConfigLine({{Side, Main}}) + entry,
         {{Main, Side}},
         true},
        {"recorded another arrangement",
         header + DisplayConfigLine({{Main, SideLeft}}) + entry,
         {{Main, Side}},
         false},
        {"recorded one monitor, now two",
         header + DisplayConfigLine({{wide}}) + entry,
         {{Main, Side}},
         false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlainLayoutServes(c.Layout, c.Current), c.Serves) << c.What;
    }
}

} // namespace
