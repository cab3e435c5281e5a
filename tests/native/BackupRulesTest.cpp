#include "BackupRules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(BackupRules, ResolutionKeyFallsBackToThePrimaryScreenForBothSides) {
    EXPECT_EQ(ResolutionKeyOf(1280, 1024, 1280, 1024), "1280x1024");
    EXPECT_EQ(ResolutionKeyOf(2560, 1024, 1280, 1024), "2560x1024");
    EXPECT_EQ(ResolutionKeyOf(0, 1024, 800, 600), "800x600");
    EXPECT_EQ(ResolutionKeyOf(1280, 0, 800, 600), "800x600");
}

TEST(BackupRules, TimeStampsAndTheirNextSecond) {
    EXPECT_EQ(FormatTimeStamp(2009, 3, 7, 9, 5, 3), "20090307090503");
    EXPECT_EQ(FormatTimeStamp(2008, 11, 24, 23, 59, 0), "20081124235900");

    const struct {
        const char* Stamp;
        const char* Next;
    } steps[] = {
        {"20081124093015", "20081124093016"}, {"20081124093059", "20081124093100"},
        {"20081124095959", "20081124100000"}, {"20081124235959", "20081125000000"},
        {"20081130235959", "20081201000000"}, {"20081231235959", "20090101000000"},
        {"20080228235959", "20080229000000"}, {"20080229235959", "20080301000000"},
        {"20090228235959", "20090301000000"}, {"21000228235959", "21000301000000"},
        {"20000228235959", "20000229000000"},
    };
    for (const auto& step : steps) {
        std::string next = "untouched";
        EXPECT_TRUE(NextSecondTimeStamp(step.Stamp, next)) << step.Stamp;
        EXPECT_EQ(next, step.Next) << step.Stamp;
    }
    for (const char* invalid :
         {"", "2008112409301", "200811240930150", "2008112409301x", "20081324093015", "20090229093015",
          "20081124243015", "20081124096015", "20081100093015", "99991231235959", "+0081124093015"}) {
        std::string next = "untouched";
        EXPECT_FALSE(NextSecondTimeStamp(invalid, next)) << invalid;
        EXPECT_EQ(next, "untouched") << invalid;
    }
}

TEST(BackupRules, FileNamesGiveIdsOnlyWhenTheyFollowTheIdRules) {
    std::string id;
    EXPECT_TRUE(BackupIdOfFileName("20081124093015S.kvl", id));
    EXPECT_EQ(id, "20081124093015S");
    EXPECT_TRUE(BackupIdOfFileName("20081124093015R copy.kvl", id));
    EXPECT_EQ(id, "20081124093015R");
    EXPECT_TRUE(BackupIdOfFileName("20081124093015R", id));

    for (const char* rejected :
         {"20081124093015s.kvl", "20081124093015X.kvl", "20081124093015.kvl", "2008112409301S",
          "2008x124093015S.kvl", "20081124093o15S.kvl", "Layout_1280x1024.kvl", ""}) {
        id = "untouched";
        EXPECT_FALSE(BackupIdOfFileName(rejected, id)) << rejected;
        EXPECT_EQ(id, "untouched") << rejected;
    }
}

TEST(BackupRules, OnlyFourteenDigitsAndRorSAreBackupIds) {
    EXPECT_TRUE(IsValidBackupId("20081124093015S"));
    EXPECT_TRUE(IsValidBackupId("20081124093015R"));
    for (const char* rejected :
         {"..\\..\\..\\..\\X", "20081124093015s", "2008112409301S", "20081124093015SS", "+2008112409301S",
          " 2008112409301S", "0x081124093015S", "2008112409..15S", "20081124093015X", ""}) {
        EXPECT_FALSE(IsValidBackupId(rejected)) << rejected;
    }
}

TEST(BackupRules, SortPutsTheNewestFirstWithTheExchangeOrderForEqualStamps) {
    std::vector<std::string> ids = {"20081124093015S", "20090101000000R", "20081124093015R",
                                    "20071231235959S", "20090101000001S"};
    SortBackupIdsNewestFirst(ids);
    EXPECT_EQ(ids[0], "20090101000001S");
    EXPECT_EQ(ids[1], "20090101000000R");
    EXPECT_EQ(ids[4], "20071231235959S");
    // Both of the same second are kept.
    EXPECT_EQ(ids[2].substr(0, 14), "20081124093015");
    EXPECT_EQ(ids[3].substr(0, 14), "20081124093015");
    EXPECT_NE(ids[2], ids[3]);

    // Equal stamps are never exchanged directly, but exchanges with other ids can reorder them:
    // the listing must give the same order as every other program that lists the archive.
    ids = {"20000101000002A", "20000101000001S", "20000101000002B", "20000101000003S"};
    SortBackupIdsNewestFirst(ids);
    EXPECT_EQ(ids, (std::vector<std::string>{"20000101000003S", "20000101000002B", "20000101000002A",
                                             "20000101000001S"}));
}

TEST(BackupRules, LabelsInBothLanguages) {
    EXPECT_EQ(FormatBackupLabel("20081124093015S", 0), "24.11.2008 09:30:15 (S)");
    EXPECT_EQ(FormatBackupLabel("20081124093015R", 1), "11/24/2008 09:30:15 (R)");
    // A cut id gives a cut label, not a fault.
    EXPECT_EQ(FormatBackupLabel("2008112", 0), "2.11.2008 :: ()");
    EXPECT_EQ(FormatBackupLabel("", 1), "// :: ()");
}

TEST(BackupRules, StoragePaths) {
    EXPECT_EQ(PrimaryLayoutPath("C:\\Data\\", "1280x1024"), "C:\\Data\\Layouts\\Layout_1280x1024.kvl");
    EXPECT_EQ(BackupFolderPath("C:\\Data\\", "800x600"), "C:\\Data\\Backups\\800x600\\");
    EXPECT_EQ(BackupFilePath("C:\\Data\\", "800x600", "20081124093015S"),
              "C:\\Data\\Backups\\800x600\\20081124093015S.kvl");
    EXPECT_EQ(BackupLetter(0), 'S');
    EXPECT_EQ(BackupLetter(1), 'R');
    EXPECT_EQ(BackupLetter(2), 0);
}

} // namespace
