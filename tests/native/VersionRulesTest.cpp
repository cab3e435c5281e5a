#include "VersionRules.h"

#include <gtest/gtest.h>

namespace {

struct VersionCase {
    const char* Name;
    uint32_t Major, Minor, Platform;
    bool NT, Me, W2k, XP, Vista;
    uint32_t OpenFileNameSize;
    uint16_t AlignToGrid, AutoArrange;
};

TEST(VersionRules, FlagsAndViewCommandsForEveryWindowsVersion) {
    const VersionCase cases[] = {
        {"Windows 95", 4, 0, 1, false, false, false, false, false, 76, 0x7042, 0x7041},
        {"Windows 98", 4, 10, 1, false, false, false, false, false, 76, 0x7042, 0x7041},
        {"Windows Me", 4, 90, 1, false, true, false, false, false, 88, 0x7042, 0x7041},
        {"Windows NT 4", 4, 0, 2, true, false, false, false, false, 76, 0x7042, 0x7041},
        {"Windows 2000", 5, 0, 2, true, false, true, false, false, 88, 0x7052, 0x7051},
        {"Windows XP", 5, 1, 2, true, false, true, true, false, 88, 0x7054, 0x7051},
        {"Windows Server 2003", 5, 2, 2, true, false, true, false, false, 88, 0x7054, 0x7051},
        {"Windows Vista", 6, 0, 2, true, false, true, true, true, 88, 0x7074, 0x7071},
        {"Windows 7", 6, 1, 2, true, false, true, true, true, 88, 0x7074, 0x7071},
        // Later versions are not of the Vista family and fall back to the default ids.
        {"Windows 10", 10, 0, 2, true, false, true, true, false, 88, 0x7052, 0x7051},
    };
    for (const VersionCase& c : cases) {
        const TVersionFlags flags = DeriveVersionFlags(c.Major, c.Minor, c.Platform);
        EXPECT_EQ(flags.IsNTPlatform, c.NT) << c.Name;
        EXPECT_EQ(flags.IsWindowsMe, c.Me) << c.Name;
        EXPECT_EQ(flags.IsWindows2000OrLater, c.W2k) << c.Name;
        EXPECT_EQ(flags.IsXPOrLater, c.XP) << c.Name;
        EXPECT_EQ(flags.IsVistaFamily, c.Vista) << c.Name;
        EXPECT_EQ(flags.OpenFileNameSize, c.OpenFileNameSize) << c.Name;
        EXPECT_EQ(flags.AlignToGridCommand, c.AlignToGrid) << c.Name;
        EXPECT_EQ(flags.AutoArrangeCommand, c.AutoArrange) << c.Name;
    }
}

} // namespace
