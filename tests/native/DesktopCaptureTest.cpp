#include "DesktopCapture.h"

#include <gtest/gtest.h>

#include "LayoutFile.h"

namespace {

TDesktopCapture Capture(std::vector<TCapturedIcon> icons, int32_t left = 0, int32_t top = 0) {
    TDesktopCapture capture;
    capture.Icons = std::move(icons);
    capture.Origin = VirtualScreenFromMetrics(left, top, 1280, 1024, 1280, 1024);
    return capture;
}

std::vector<TItemProp> Entries(std::vector<std::tuple<int32_t, int32_t, std::string>> lines) {
    std::vector<TItemProp> entries;
    for (auto& [x, y, caption] : lines) {
        TItemProp entry;
        entry.X = x;
        entry.Y = y;
        entry.Caption = caption;
        entries.push_back(entry);
    }
    return entries;
}

TEST(DesktopCapture, ComparisonsAgainstALayout) {
    const TDesktopCapture desktop = Capture({{0, "A", 10, 20}, {1, "B", 30, 40}, {2, "A", 50, 60}});
    struct TCase {
        const char* What;
        std::vector<TItemProp> Layout;
        bool Differs;   // exact comparison (is the primary layout still the desktop?)
        bool WouldMove; // does a restore of it move anything?
    } const cases[] = {
        {"same", Entries({{10, 20, "A"}, {30, 40, "B"}, {50, 60, "A"}}), false, false},
        {"one icon more on the desktop", Entries({{10, 20, "A"}, {50, 60, "A"}}), true, false},
        {"one entry more in the layout", Entries({{10, 20, "A"}, {30, 40, "B"}, {50, 60, "A"}, {1, 1, "C"}}),
         true, false},
        {"duplicates paired in order", Entries({{50, 60, "A"}, {30, 40, "B"}, {10, 20, "A"}}), true, true},
        {"one icon elsewhere", Entries({{10, 20, "A"}, {31, 40, "B"}, {50, 60, "A"}}), true, true},
        {"caption differs in case", Entries({{10, 20, "A"}, {30, 40, "B"}, {50, 60, "a"}}), true, false},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(CaptureDiffersFrom(desktop, c.Layout, true), c.Differs) << c.What;
        EXPECT_EQ(CaptureDiffersFrom(desktop, c.Layout, false), c.WouldMove) << c.What;
        EXPECT_EQ(!PlanRestoreMoves(desktop, c.Layout, false).empty(), c.WouldMove) << c.What;
    }
}

TEST(DesktopCapture, MovesAreInViewCoordinatesOfANegativeOrigin) {
    // The virtual screen starts 1280 left of and 200 above the primary monitor.
    const TDesktopCapture desktop =
        Capture({{0, "A", 10, 20}, {3, "B", 30, 40}, {4, "C", 0, 0}}, -1280, -200);
    const auto layout = Entries({{-1270, -180, "A"}, {0, 0, "B"}, {5, 5, "Z"}});
    const std::vector<TIconMove> moves = PlanRestoreMoves(desktop, layout, false);
    ASSERT_EQ(moves.size(), 1u) << "A stands at its place, C is not listed, Z has no icon";
    EXPECT_EQ(moves[0].Index, 3);
    EXPECT_EQ(moves[0].X, 1280);
    EXPECT_EQ(moves[0].Y, 200);
    EXPECT_EQ(PlanRestoreMoves(desktop, layout, true).size(), 2u) << "everything listed when asked";

    const TLayoutContent saved = ReadLayoutBytes(LayoutTextOf(desktop, "2560x1224", "20081124093015"));
    ASSERT_EQ(saved.Code, 0);
    ASSERT_EQ(saved.Entries.size(), 3u);
    EXPECT_EQ(saved.Entries[1].X, -1250);
    EXPECT_EQ(saved.Entries[1].Y, -160);
    EXPECT_FALSE(CaptureDiffersFrom(desktop, saved.Entries, true)) << "a saved desktop matches its file";
}

} // namespace
