// The version flags, view command ids and start-up lookups under the Windows versions Wine can
// report, from a probe that runs the program's own start-up code.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

std::map<std::string, std::string> RunProbe(const std::string& version) {
    TWineVersionOverride override("kv_version_probe.exe", version);
    const TRunResult run = RunProcess(TestToolPath("kv_version_probe.exe"), {}, 20000, true);
    EXPECT_TRUE(run.Started);
    EXPECT_FALSE(run.TimedOut);
    return ProbeValues(run.Output);
}

struct Expected {
    const char* WineVersion;
    const char* Reported;
    const char* NT;
    const char* Me;
    const char* W2k;
    const char* XP;
    const char* Vista;
    const char* OpenFileNameSize;
    const char* AlignToGrid;
    const char* AutoArrange;
    bool LocalAppData;
};

TEST(WindowsVersion, FlagsCommandIdsAndDataFolderForEachReportedVersion) {
    const Expected cases[] = {
        {"win98", "4.10.1", "0", "0", "0", "0", "0", "76", "0x7042", "0x7041", false},
        {"winme", "4.90.1", "0", "1", "0", "0", "0", "88", "0x7042", "0x7041", true},
        {"nt40", "4.0.2", "1", "0", "0", "0", "0", "76", "0x7042", "0x7041", false},
        {"win2k", "5.0.2", "1", "0", "1", "0", "0", "88", "0x7052", "0x7051", true},
        {"winxp", "5.1.2", "1", "0", "1", "1", "0", "88", "0x7054", "0x7051", true},
        {"win2003", "5.2.2", "1", "0", "1", "0", "0", "88", "0x7054", "0x7051", true},
        {"vista", "6.0.2", "1", "0", "1", "1", "1", "88", "0x7074", "0x7071", true},
        {"win7", "6.1.2", "1", "0", "1", "1", "1", "88", "0x7074", "0x7071", true},
    };
    const std::string wow64 = RunsUnderWow64() ? "1" : "0";
    const std::string local = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn\\Kavrilon\\";
    const std::string roaming = ShellFolder(CSIDL_APPDATA) + "\\Quellwyn\\Kavrilon\\";
    for (const Expected& c : cases) {
        std::map<std::string, std::string> probe = RunProbe(c.WineVersion);
        SCOPED_TRACE(c.WineVersion);
        ASSERT_EQ(probe["Version"], c.Reported) << "Wine did not report the version asked for";
        EXPECT_EQ(probe["IsNTPlatform"], c.NT);
        EXPECT_EQ(probe["IsWindowsMe"], c.Me);
        EXPECT_EQ(probe["IsWindows2000OrLater"], c.W2k);
        EXPECT_EQ(probe["IsXPOrLater"], c.XP);
        EXPECT_EQ(probe["IsVistaFamily"], c.Vista);
        EXPECT_EQ(probe["OpenFileNameSize"], c.OpenFileNameSize);
        EXPECT_EQ(probe["AlignToGridCommand"], c.AlignToGrid);
        EXPECT_EQ(probe["AutoArrangeCommand"], c.AutoArrange);
        EXPECT_EQ(probe["ShellIs64Bit"], wow64);
        EXPECT_EQ(probe["SetLayeredWindowAttributes"], "1");
        // Taken only on the Vista family.
        EXPECT_EQ(probe["SHCreateItemFromParsingName"], c.Vista);
        EXPECT_EQ(probe["DataFolder"], c.LocalAppData ? local : roaming);
    }
}

} // namespace
