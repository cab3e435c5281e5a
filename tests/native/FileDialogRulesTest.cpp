#include "FileDialogRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

TEST(FileDialogRules, TheFolderOfADialogReplyNeverComesFromBeyondTheBuffer) {
    // A heap buffer of the dialog's size, so that a read past it is caught by the sanitizer.
    const std::string path = "C:\\Layouts";
    std::vector<char> buffer(261, 'x');
    std::copy(path.begin(), path.end(), buffer.begin());
    buffer[path.size()] = '\0';
    const struct {
        long Reply;
        std::string Expected;
    } cases[] = {
        {static_cast<long>(path.size() + 1), path}, {0, ""}, {-1, ""}, {261, path}, {262, ""}, {5000, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(FolderPathFromReply(buffer.data(), buffer.size(), c.Reply), c.Expected) << c.Reply;
    }
    // A buffer without a terminating zero within the reply: cut at the reply's length.
    std::vector<char> full(8, 'a');
    EXPECT_EQ(FolderPathFromReply(full.data(), full.size(), 8), "aaaaaaaa");
}
