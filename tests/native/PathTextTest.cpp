#include "PathText.h"

#include <gtest/gtest.h>

namespace {

TEST(PathText, FolderOfPathEndsAtTheLastBackslashOrColon) {
    EXPECT_EQ(FolderOfPath("C:\\Layouts\\My.kvl"), "C:\\Layouts\\");
    EXPECT_EQ(FolderOfPath("C:\\Layouts\\"), "C:\\Layouts\\");
    EXPECT_EQ(FolderOfPath("C:My.kvl"), "C:");
    EXPECT_EQ(FolderOfPath("C:"), "C:");
    EXPECT_EQ(FolderOfPath("\\\\server\\share\\a.kvl"), "\\\\server\\share\\");
    EXPECT_EQ(FolderOfPath("My.kvl"), "");
    EXPECT_EQ(FolderOfPath(""), "");
    // Forward slashes are not separators for the program.
    EXPECT_EQ(FolderOfPath("C:/a/b.kvl"), "C:");
}

TEST(PathText, FolderOfFilePathTakesEitherSeparator) {
    EXPECT_EQ(FolderOfFilePath("C:/a/b.kvl"), "C:/a/");
    EXPECT_EQ(FolderOfFilePath("//server/share/a.kvl"), "//server/share/");
    EXPECT_EQ(FolderOfFilePath("C:\\a/b\\c.kvl"), "C:\\a/b\\");
    EXPECT_EQ(FolderOfFilePath("C:c.kvl"), "C:");
    EXPECT_EQ(FolderOfFilePath("c.kvl"), "");
}

} // namespace
