// Primary layouts and the backup archive against the real file system, with the program's own
// procedures working in a data folder of the test's own.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "BackupArchive.h"
#include "ProcessState.h"
#include "TestEnvironment.h"

namespace {

const char* const Key = "1280x1024";

class BackupArchive : public ::testing::Test {
protected:
    void SetUp() override {
        savedDataFolder_ = DataFolder;
        DataFolder = MakeTempFolder("archive");
        archive_ = DataFolder + "Backups\\" + Key + "\\";
    }
    void TearDown() override {
        RemoveTree(DataFolder);
        DataFolder = savedDataFolder_;
    }

    void MakeArchive() const {
        CreateDirectoryA((DataFolder + "Backups").c_str(), nullptr);
        CreateDirectoryA(archive_.c_str(), nullptr);
    }
    void WriteBackup(const std::string& name, const std::string& content = "Kavrilon 8.2\r\n") const {
        ASSERT_TRUE(WriteFileBytes(archive_ + name, content)) << name;
    }
    void WritePrimary(const std::string& content) const {
        CreateDirectoryA((DataFolder + "Layouts").c_str(), nullptr);
        ASSERT_TRUE(WriteFileBytes(DataFolder + "Layouts\\Layout_" + Key + ".kvl", content));
    }
    // The names in the archive folder, sorted.
    std::vector<std::string> ArchiveNames() const { return FolderEntries(archive_); }

    std::string savedDataFolder_;
    std::string archive_;
    std::vector<std::string> listed_; // the last listing
};

TEST_F(BackupArchive, ListsOnlyNamesThatFollowTheIdRules) {
    MakeArchive();
    WriteBackup("20081124093015S.kvl");
    WriteBackup("20081124093015R.kvl");
    WriteBackup("20090101120000R copy.kvl");
    WriteBackup("20081124093015s.kvl");
    WriteBackup("20081124093016X.kvl");
    WriteBackup("2008112409301S.kvl");
    WriteBackup("Notes.kvl");
    WriteBackup("20100101000000S.txt");
    ASSERT_TRUE(CreateDirectoryA((archive_ + "20110101000000S.kvl").c_str(), nullptr));

    listed_ = EnumerateBackups(Key, false);
    ASSERT_EQ(listed_.size(), 3u);
    EXPECT_EQ(listed_[0], "20090101120000R") << "the longer tail is cut off";
    // Both backups of the same second, in either order.
    std::vector<std::string> sameSecond = {listed_[1], listed_[2]};
    std::sort(sameSecond.begin(), sameSecond.end());
    EXPECT_EQ(sameSecond, (std::vector<std::string>{"20081124093015R", "20081124093015S"}));

    // Pruning has nothing to do with three backups and never touches other names.
    const std::vector<std::string> before = ArchiveNames();
    listed_ = EnumerateBackups(Key, true);
    EXPECT_EQ(listed_.size(), 3u);
    EXPECT_EQ(ArchiveNames(), before);

    // Another resolution, or no archive at all, lists nothing.
    listed_ = EnumerateBackups("800x600", true);
    EXPECT_TRUE(listed_.empty());
}

TEST_F(BackupArchive, PruningKeepsTheTenNewestAndListingWithoutItDeletesNothing) {
    MakeArchive();
    std::vector<std::string> ids;
    for (int i = 0; i < 11; ++i) {
        ids.push_back("200811240930" + std::string(i < 10 ? "0" : "") + std::to_string(i) +
                      (i % 2 ? "R" : "S"));
    }
    // Written in a shuffled order, so that the file system's order is no help.
    std::vector<std::string> shuffled = ids;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(11));
    for (const std::string& id : shuffled) {
        WriteBackup(id + ".kvl");
    }
    WriteBackup("00000000000000Sold copy.kvl");
    WriteBackup("readme.kvl");

    listed_ = EnumerateBackups(Key, false);
    ASSERT_EQ(listed_.size(), 12u);
    EXPECT_EQ(listed_.front(), ids[10]);
    EXPECT_EQ(listed_[10], ids[0]);
    EXPECT_EQ(ArchiveNames().size(), 13u) << "listing without pruning deletes nothing";

    listed_ = EnumerateBackups(Key, true);
    const std::vector<std::string> newestFirst(ids.rbegin(), ids.rbegin() + 10);
    EXPECT_EQ(listed_, newestFirst);
    std::vector<std::string> expectedNames = {"00000000000000Sold copy.kvl", "readme.kvl"};
    for (const std::string& id : newestFirst) {
        expectedNames.push_back(id + ".kvl");
    }
    std::sort(expectedNames.begin(), expectedNames.end());
    // The oldest real backup is gone. The id of the copy with a tail names no file of its own, so
    // that copy stays; files that are no backups stay too.
    EXPECT_EQ(ArchiveNames(), expectedNames);
}

TEST_F(BackupArchive, ManyBackupsNeverHideTheNewest) {
    MakeArchive();
    std::vector<std::string> ids;
    std::string stamp = "20081124090000";
    for (int i = 0; i < 150; ++i) {
        ids.push_back(stamp + (i % 3 ? "S" : "R"));
        std::string next;
        ASSERT_TRUE(NextSecondTimeStamp(stamp, next));
        stamp = next;
    }
    std::vector<std::string> shuffled = ids;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(150));
    for (const std::string& id : shuffled) {
        WriteBackup(id + ".kvl");
    }

    listed_ = EnumerateBackups(Key, false);
    EXPECT_EQ(listed_, std::vector<std::string>(ids.rbegin(), ids.rbegin() + 100));
    EXPECT_EQ(ArchiveNames().size(), 150u);

    listed_ = EnumerateBackups(Key, true);
    const std::vector<std::string> newest(ids.rbegin(), ids.rbegin() + 10);
    EXPECT_EQ(listed_, newest);
    std::vector<std::string> expectedNames;
    for (const std::string& id : newest) {
        expectedNames.push_back(id + ".kvl");
    }
    std::sort(expectedNames.begin(), expectedNames.end());
    EXPECT_EQ(ArchiveNames(), expectedNames);
}

TEST_F(BackupArchive, CreateBackupCopiesThePrimaryLayoutAndNeverReplacesABackup) {
    // Nothing to keep: success, and no archive appears.
    EXPECT_FALSE(PrimaryExists(Key));
    EXPECT_TRUE(CreateBackup(Key, 0, "20081124093015"));
    EXPECT_FALSE(IsFolder(archive_));

    const std::string primary = "Kavrilon 8.2\r\n# 1280x1024\r\n# 20081124093015\r\n17 2 My Computer\r\n";
    WritePrimary(primary);
    EXPECT_TRUE(PrimaryExists(Key));
    EXPECT_FALSE(PrimaryExists("800x600"));

    // A stamp of the past whose name is taken moves on to the next free second.
    EXPECT_TRUE(CreateBackup(Key, 0, "20081124093015"));
    EXPECT_EQ(ReadFileBytes(archive_ + "20081124093015S.kvl"), primary);
    WriteBackup("20081124093017S.kvl", "older backup");
    EXPECT_TRUE(CreateBackup(Key, 0, "20081124093015"));
    EXPECT_TRUE(CreateBackup(Key, 0, "20081124093015"));
    EXPECT_EQ(ReadFileBytes(archive_ + "20081124093015S.kvl"), primary);
    EXPECT_EQ(ReadFileBytes(archive_ + "20081124093016S.kvl"), primary);
    EXPECT_EQ(ReadFileBytes(archive_ + "20081124093017S.kvl"), "older backup");
    EXPECT_EQ(ReadFileBytes(archive_ + "20081124093018S.kvl"), primary);
    // The letter belongs to the name: an "R" backup of the same second is no obstacle.
    EXPECT_EQ(NewBackupPath(DataFolder, Key, 'R', "20081124093015"), archive_ + "20081124093015R.kvl");
    // A taken name whose stamp is no time stamp goes on from the clock.
    WriteBackup("garbageS.kvl");
    const std::string fromClock = NewBackupPath(DataFolder, Key, 'S', "garbage");
    ASSERT_EQ(fromClock.size(), archive_.size() + 19) << fromClock;
    std::string id;
    EXPECT_TRUE(BackupIdOfFileName(fromClock.substr(archive_.size()), id)) << fromClock;
}

TEST_F(BackupArchive, TwoBackupsWithinOneSecondLeaveTwoFilesSecondsApart) {
    WritePrimary("Kavrilon 8.2\r\n");
    // Start right after a second has begun, so that both calls see the same time stamp.
    const std::string begin = TimeStamp();
    while (TimeStamp() == begin) {
        Sleep(5);
    }
    const std::string stamp = TimeStamp();
    ASSERT_TRUE(CreateBackup(Key, 0, stamp));
    ASSERT_TRUE(CreateBackup(Key, 0, TimeStamp()));
    const std::string after = TimeStamp();

    std::string next;
    ASSERT_TRUE(NextSecondTimeStamp(stamp, next));
    EXPECT_EQ(ArchiveNames(), (std::vector<std::string>{stamp + "S.kvl", next + "S.kvl"}));
    // The second name is no time still to come: the call waited for its second.
    EXPECT_GE(after, next);

    listed_ = EnumerateBackups(Key, false);
    EXPECT_EQ(listed_, (std::vector<std::string>{next + "S", stamp + "S"}));
}

TEST_F(BackupArchive, DeleteAllBackupsRemovesTheCurrentResolutionsFolderOnly) {
    const std::string current = DataFolder + "Backups\\" + ResolutionKey() + "\\";
    const std::string other = DataFolder + "Backups\\800x600\\";
    CreateDirectoryA((DataFolder + "Backups").c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryA(current.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(other.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((current + "sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(current + "20081124093015S.kvl", "x"));
    ASSERT_TRUE(WriteFileBytes(current + "sub\\notes.txt", "x"));
    ASSERT_TRUE(WriteFileBytes(other + "20081124093015S.kvl", "x"));
    WritePrimary("Kavrilon 8.2\r\n");

    DeleteAllBackups();
    EXPECT_FALSE(IsFolder(current));
    EXPECT_TRUE(IsFile(other + "20081124093015S.kvl"));
    EXPECT_TRUE(PrimaryExists(ResolutionKey()));
    // Nothing left to delete is no failure.
    DeleteAllBackups();
    EXPECT_TRUE(IsFolder(other));
}

TEST(ResolutionKey, ComesFromTheVirtualScreen) {
    // The virtual display of the test run.
    EXPECT_EQ(ResolutionKey(), "1280x1024");
}

} // namespace
