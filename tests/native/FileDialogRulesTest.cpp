#include "FileDialogRules.h"

#include <gtest/gtest.h>

namespace {

TEST(FileDialogRules, ProposedNamesCountUpFromThePlainName) {
    const std::string base = LayoutFileBase("1280x1024", "20241231235959");
    EXPECT_EQ(base, "1280x1024_20241231");
    EXPECT_EQ(LayoutFileCandidate(base, 0), "1280x1024_20241231.kvl");
    EXPECT_EQ(LayoutFileCandidate(base, 1), "1280x1024_20241231[1].kvl");
    EXPECT_EQ(LayoutFileCandidate(base, LayoutFileMaxCounter), "1280x1024_20241231[50].kvl");
    EXPECT_EQ(WithTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash("C:\\a\\"), "C:\\a\\");
}

TEST(FileDialogRules, OnlyTheProgramsOwnDataFolderMayBeDeleted) {
    struct Case {
        const char* dataFolder;
        const char* programFolder;
        bool removable;
    };
    const Case cases[] = {
        {"C:\\users\\u\\AppData\\Local\\Quellwyn\\Kavrilon\\", "C:\\Program Files\\Kavrilon\\", true},
        {"C:\\users\\u\\AppData\\Local\\QUELLWYN\\kavrilon\\", "C:\\Apps\\", true},
        {"\\Quellwyn\\Kavrilon\\", "C:\\Apps\\", true},
        {"", "C:\\Apps\\", false},
        {"C:\\", "C:\\Apps\\", false},
        {"\\", "C:\\Apps\\", false},
        {"C:\\users\\u\\AppData\\Local\\Kavrilon\\", "C:\\Apps\\", false},
        {"C:\\users\\u\\AppData\\Local\\Quellwyn\\Kavrilon", "C:\\Apps\\", false},
        {"C:\\Quellwyn\\Kavrilon\\Layouts\\", "C:\\Apps\\", false},
        // The program itself lies in (or below) the folder.
        {"D:\\Quellwyn\\Kavrilon\\", "D:\\Quellwyn\\Kavrilon\\", false},
        {"D:\\Quellwyn\\Kavrilon\\", "d:\\quellwyn\\kavrilon", false},
        {"D:\\Quellwyn\\Kavrilon\\", "D:\\Quellwyn\\Kavrilon\\bin\\", false},
        {"D:\\Quellwyn\\Kavrilon\\", "D:\\Quellwyn\\Kavrilon2\\", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsRemovableDataFolder(c.dataFolder, c.programFolder), c.removable)
            << c.dataFolder << " with the program in " << c.programFolder;
    }
}

} // namespace
