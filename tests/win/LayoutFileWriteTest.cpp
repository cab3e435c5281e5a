// The crash-safe replacement of a layout file, with MoveFileExA and with the fallback that Windows
// 95, 98 and Me take because they lack it.

#include <windows.h>

#include <gtest/gtest.h>

#include "LayoutFileWrite.h"
#include "TestEnvironment.h"

namespace {

TEST(LayoutFileWrite, TheNewFileTakesThePlaceOfTheOldOneWithAndWithoutMoveFileEx) {
    for (const bool useMoveFileEx : {true, false}) {
        SCOPED_TRACE(useMoveFileEx ? "MoveFileExA" : "fallback");
        const std::string folder = MakeTempFolder("replace");
        const std::string target = folder + "layout.kvl";
        const std::string fresh = folder + "fresh.tmp";
        // A new target, then an existing one.
        ASSERT_TRUE(WriteFileBytes(fresh, "first"));
        EXPECT_TRUE(MoveIntoPlace(fresh, target, useMoveFileEx));
        ASSERT_TRUE(WriteFileBytes(fresh, "second"));
        EXPECT_TRUE(MoveIntoPlace(fresh, target, useMoveFileEx));
        EXPECT_EQ(ReadFileBytes(target), "second");
        // A target that cannot be replaced (open without delete sharing) stays as it was.
        ASSERT_TRUE(WriteFileBytes(fresh, "third"));
        HANDLE held =
            CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(MoveIntoPlace(fresh, target, useMoveFileEx));
        CloseHandle(held);
        EXPECT_EQ(ReadFileBytes(target), "second");
        EXPECT_EQ(FolderEntries(folder), (std::vector<std::string>{"fresh.tmp", "layout.kvl"}));
        RemoveTree(folder);
    }
}

} // namespace
