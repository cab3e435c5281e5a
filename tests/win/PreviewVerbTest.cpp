// The preview verb of the real Kavrilon.exe: the picture of a file, of a backup or of the primary
// layout in a window that closes on Escape; a file that cannot be read shows the reader's message
// there and the run ends with the exit code of a layout file error.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

// The preview window of the process `pid`, once it shows.
HWND WaitForPreview(DWORD pid) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w = FindWindowExA(nullptr, nullptr, "KavrilonLayoutPreview", nullptr); w != nullptr;
                 w = FindWindowExA(nullptr, w, "KavrilonLayoutPreview", nullptr)) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == pid && IsWindowVisible(w)) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        15000);
    return found;
}

TEST(PreviewVerb, ShowsAFileABackupOrThePrimaryLayoutAndReportsUnreadableFiles) {
    RemoveKavrilonData();
    const std::string data = KavrilonDataFolder();
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, (data + "Backups\\1280x1024").c_str(), nullptr), ERROR_SUCCESS);
    ASSERT_EQ(SHCreateDirectoryExA(nullptr, (data + "Layouts").c_str(), nullptr), ERROR_SUCCESS);
    const std::string layout = "Kavrilon 8.2\r\n# 1280x1024\r\n# 20260101000000\r\n17 2 Computer\r\n";
    const std::string folder = MakeTempFolder("preview");
    ASSERT_TRUE(WriteFileBytes(folder + "a.kvl", layout));
    ASSERT_TRUE(WriteFileBytes(folder + "broken.kvl", "not a layout\r\n"));
    ASSERT_TRUE(WriteFileBytes(data + "Backups\\1280x1024\\20260101000000R.kvl", layout));
    ASSERT_TRUE(WriteFileBytes(data + "Layouts\\Layout_1280x1024.kvl", layout));

    const struct {
        std::vector<std::string> Arguments;
        DWORD ExitCode;
    } cases[] = {
        {{"/preview", folder + "a.kvl"}, 0},
        {{"/preview", "20260101000000r"}, 0},
        {{"/preview"}, 0},
        {{"/preview", folder + "broken.kvl"}, 3},
        {{"/preview", "2026"}, 3}, // no backup id and no file
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments.back());
        TChildProcess kavrilon;
        ASSERT_TRUE(kavrilon.Start(KavrilonExePath(), c.Arguments));
        const HWND preview = WaitForPreview(kavrilon.Pid());
        ASSERT_NE(preview, nullptr) << kavrilon.DescribeWindowsSeen();
        PostMessageA(preview, WM_KEYDOWN, VK_ESCAPE, 0);
        ASSERT_TRUE(kavrilon.Wait(15000));
        EXPECT_EQ(kavrilon.ExitCode(), c.ExitCode);
    }
    RemoveTree(folder);
    RemoveKavrilonData();
}

} // namespace
