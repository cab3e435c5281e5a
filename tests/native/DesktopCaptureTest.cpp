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

TMonitor Monitor(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    TMonitor monitor;
    monitor.Rect = monitor.WorkArea = {left, top, right, bottom};
    return monitor;
}

TEST(DesktopCapture, RestoreLeavesIconsOfGoneMonitorsAndMovesCoveredNewIcons) {
    // File positions. A returns to the top-left cell, where the new icon N1 now sits; B belongs to a
    // monitor right of the primary one, C to one left of it; B stands in the cell below A; N2 is
    // covered by nothing.
    const auto layout = Entries({{0, 0, "A"}, {1500, 100, "B"}, {-500, 0, "C"}});
    const struct {
        const char* What;
        TDisplayConfig Display;
        bool PlaceNew;
        size_t LeftInPlace;
        std::vector<std::pair<int32_t, TDisplayPoint>> Moves; // icon index, file position
    } cases[] = {
        {"only the primary monitor", {{Monitor(0, 0, 1280, 1024)}}, true, 2, {{0, {0, 0}}, {3, {100, 0}}}},
        {"monitor on the left",
         {{Monitor(0, 0, 1280, 1024), Monitor(-1024, 0, 0, 768)}},
         true,
         1,
         {{0, {0, 0}}, {2, {-500, 0}}, {3, {100, 0}}}},
        {"new icons stay", {{Monitor(0, 0, 1280, 1024)}}, false, 2, {{0, {0, 0}}}},
    };
    for (const auto& c : cases) {
        const TDisplayRect screen = VirtualScreenOf(c.Display);
        const auto view = [&](int32_t x) { return x - screen.Left; };
        const TDesktopCapture desktop = Capture({{0, "A", view(500), 500},
                                                 {1, "B", view(0), 100},
                                                 {2, "C", view(700), 500},
                                                 {3, "N1", view(0), 0},
                                                 {4, "N2", view(900), 900}},
                                                screen.Left, screen.Top);
        const TRestorePlan plan =
            PlanRestore(desktop, layout, false, c.Display, c.PlaceNew, {100, 100, 0, 0});
        EXPECT_EQ(plan.LeftInPlace, c.LeftInPlace) << c.What;
        EXPECT_TRUE(plan.Changes) << c.What;
        std::vector<TIconMove> moves = plan.Moves;
        moves.insert(moves.end(), plan.NewIconMoves.begin(), plan.NewIconMoves.end());
        ASSERT_EQ(moves.size(), c.Moves.size()) << c.What;
        for (size_t i = 0; i < moves.size(); ++i) {
            EXPECT_EQ(moves[i].Index, c.Moves[i].first) << c.What << " " << i;
            EXPECT_EQ(moves[i].X, view(c.Moves[i].second.X)) << c.What << " " << i;
            EXPECT_EQ(moves[i].Y, c.Moves[i].second.Y) << c.What << " " << i;
        }
    }
}

} // namespace
