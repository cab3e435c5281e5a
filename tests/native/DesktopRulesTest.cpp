#include "DesktopRules.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(DesktopRules, WhichTopLevelClassesMayHoldTheView) {
    // Only six characters are compared for the worker windows, case-sensitively.
    for (const char* accepted : {"Progman", "WorkerW", "WorkerA", "Worker", "Worker with a long name"}) {
        EXPECT_TRUE(MayHoldDesktopView(accepted)) << accepted;
    }
    for (const char* refused : {"progman", "PROGMAN", "Progman2", "Progma", "workerw", "WORKERW", "Worke",
                                "SHELLDLL_DefView", "Shell_TrayWnd", ""}) {
        EXPECT_FALSE(MayHoldDesktopView(refused)) << refused;
    }
    EXPECT_TRUE(IsWorkerClass("WorkerW"));
    EXPECT_FALSE(IsWorkerClass("Progman"));
    EXPECT_FALSE(IsWorkerClass("workerw"));
}

TEST(DesktopRules, ErrorTextIsStageBlankAndUnsignedCode) {
    EXPECT_EQ(FormatLocateError(3, 5), "3 5");
    EXPECT_EQ(FormatLocateError(0, 0), "0 0");
    EXPECT_EQ(FormatLocateError(1, 1400), "1 1400");
    // Codes with the top bit set stay positive.
    EXPECT_EQ(FormatLocateError(2, 0x80070005u), "2 2147942405");
}

TEST(DesktopRules, VirtualScreenFromMetrics) {
    // A second monitor left of the primary one.
    TScreenRect rect = VirtualScreenFromMetrics(-1280, -200, 2560, 1224, 1280, 1024);
    EXPECT_EQ(rect.Left, -1280);
    EXPECT_EQ(rect.Top, -200);
    EXPECT_EQ(rect.Right, 1280);
    EXPECT_EQ(rect.Bottom, 1024);

    // A system without virtual-screen metrics: the primary screen's size, the origin as reported.
    for (const auto& size : {std::pair<int32_t, int32_t>{0, 0}, {0, 768}, {1024, 0}}) {
        rect = VirtualScreenFromMetrics(5, 7, size.first, size.second, 800, 600);
        EXPECT_EQ(rect.Left, 5);
        EXPECT_EQ(rect.Top, 7);
        EXPECT_EQ(rect.Right, 805);
        EXPECT_EQ(rect.Bottom, 607);
    }
}

TEST(DesktopRules, CoordinatesConvertAroundANegativeOriginWithoutWrapping) {
    constexpr int32_t Max = INT32_MAX;
    constexpr int32_t Min = INT32_MIN;
    struct TCase {
        int32_t View, Origin, Layout;
    } const cases[] = {
        {17, 0, 17},         // one monitor: the same numbers
        {17, -1280, -1263},  // a monitor left of the primary one
        {0, -200, -200},     // and one above it
        {1280, -1280, 0},    // the view's origin is the primary monitor's corner
        {Max - 5, 10, Max},  // clamped at the top of the range
        {Min + 5, -10, Min}, // and at the bottom
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ViewToLayoutCoordinate(c.View, c.Origin), c.Layout) << c.View << " " << c.Origin;
        // Back again unless the forward step was clamped.
        if (c.Layout != Max && c.Layout != Min) {
            EXPECT_EQ(LayoutToViewCoordinate(c.Layout, c.Origin), c.View) << c.Layout << " " << c.Origin;
        }
    }
    EXPECT_EQ(LayoutToViewCoordinate(Min, 1), Min);
    EXPECT_EQ(LayoutToViewCoordinate(Max, -1), Max);
    EXPECT_EQ(VirtualScreenFromMetrics(Max - 10, 0, 100, 100, 0, 0).Right, Max);
}

} // namespace
