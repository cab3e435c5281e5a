// The special-folder lookup with its registry fallbacks, and the path routines.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "Paths.h"
#include "ShellPlayer.h"
#include "TestEnvironment.h"
#include "UserFolders.h"

namespace {

const char* const ShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const TestValue = "Kavrilon Test Folder";
// A folder id the shell does not know, so that the lookup has to use the registry.
const int UnknownCsidl = 0x7F;

class ShellFoldersFallback : public ::testing::Test {
protected:
    void TearDown() override {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(root, ShellFoldersKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, TestValue);
                RegCloseKey(key);
            }
        }
    }
};

TEST_F(ShellFoldersFallback, TheShellAnswersFirst) {
    EXPECT_EQ(SpecialFolderLookup(nullptr, CSIDL_LOCAL_APPDATA, "Local AppData"),
              ShellFolder(CSIDL_LOCAL_APPDATA));
    EXPECT_EQ(PerUserDataFolder(nullptr, true), ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn\\Kavrilon\\");
    EXPECT_EQ(PerUserDataFolder(nullptr, false), ShellFolder(CSIDL_APPDATA) + "\\Quellwyn\\Kavrilon\\");
}

TEST_F(ShellFoldersFallback, ThenTheUsersValueThenTheMachinesValue) {
    EXPECT_EQ(SpecialFolderLookup(nullptr, UnknownCsidl, TestValue), "");

    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, ShellFoldersKey, TestValue, "D:\\Machine Data"));
    EXPECT_EQ(SpecialFolderLookup(nullptr, UnknownCsidl, TestValue), "D:\\Machine Data");

    ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, ShellFoldersKey, TestValue, "E:\\User Data"));
    EXPECT_EQ(SpecialFolderLookup(nullptr, UnknownCsidl, TestValue), "E:\\User Data");

    // An empty value counts as missing.
    ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, ShellFoldersKey, TestValue, ""));
    EXPECT_EQ(SpecialFolderLookup(nullptr, UnknownCsidl, TestValue), "D:\\Machine Data");
}

// The value's text ends at its first zero byte; one stored without a terminating zero (the registry
// does not enforce it) keeps every byte. Wine adds the zero to string values itself when it hands
// them out, so the bytes are stored as they are, as a binary value.
TEST_F(ShellFoldersFallback, AValueWithoutTerminatingZeroKeepsAllItsBytes) {
    const struct {
        std::string Bytes;
        const char* Expected;
    } cases[] = {
        {std::string("E:\\Data\0", 8), "E:\\Data"},
        {std::string("E:\\Data", 7), "E:\\Data"},
        {std::string("E:\\Data\0junk", 12), "E:\\Data"},
    };
    for (const auto& c : cases) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ShellFoldersKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        const LONG written =
            RegSetValueExA(key, TestValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(c.Bytes.data()),
                           static_cast<DWORD>(c.Bytes.size()));
        RegCloseKey(key);
        ASSERT_EQ(written, ERROR_SUCCESS);
        EXPECT_EQ(ShellFoldersValue(HKEY_CURRENT_USER, TestValue), c.Expected) << c.Bytes.size() << " bytes";
    }
}

// A value that is not a full path would put the data beside the current folder or at the root of the
// current drive: it is passed over, and with nothing else there is no data folder at all.
TEST_F(ShellFoldersFallback, OnlyAFullPathCountsAndWithoutOneThereIsNoDataFolder) {
    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, ShellFoldersKey, TestValue, "D:\\Machine Data"));
    const struct {
        const char* UserValue;
        bool Taken;
    } cases[] = {
        {"E:\\User Data", true}, {"e:/User Data", true}, {"\\\\server\\share", true}, {"User Data", false},
        {"\\User Data", false},  {"E:User Data", false}, {"%LOCALAPPDATA%", false},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, ShellFoldersKey, TestValue, c.UserValue));
        EXPECT_EQ(SpecialFolderLookup(nullptr, UnknownCsidl, TestValue),
                  c.Taken ? c.UserValue : "D:\\Machine Data")
            << c.UserValue;
    }
    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, ShellFoldersKey, TestValue, "Machine Data"));
    EXPECT_EQ(SpecialFolderLookup(nullptr, UnknownCsidl, TestValue), "");

    TUnfindableLocalAppData unfindable;
    EXPECT_EQ(PerUserDataFolder(nullptr, true), "");
    EXPECT_EQ(VendorFolder(nullptr, true), "");
}

TEST(PathRoutines, CreateFolderChainCreatesEveryMissingParent) {
    const std::string root = MakeTempFolder("chain");
    const std::string deep = root + "a\\b c\\d\\";
    EXPECT_FALSE(IsFolder(deep));
    EXPECT_TRUE(CreateFolderChain(deep));
    EXPECT_TRUE(IsFolder(deep));
    EXPECT_TRUE(FolderExists(deep));
    EXPECT_TRUE(PathExists(deep));
    // Again, when it exists already.
    EXPECT_TRUE(CreateFolderChain(root + "a\\b c"));

    // A file in the way cannot become a folder.
    ASSERT_TRUE(WriteFileBytes(root + "file", "x"));
    EXPECT_TRUE(PathExists(root + "file"));
    EXPECT_FALSE(FolderExists(root + "file"));
    EXPECT_FALSE(CreateFolderChain(root + "file\\sub"));
    EXPECT_FALSE(PathExists(root + "file\\sub"));
    EXPECT_TRUE(RemoveTree(root));
}

TEST(PathRoutines, DrivesCountAsExistingFolders) {
    EXPECT_TRUE(CreateFolderChain("C:\\"));
    EXPECT_TRUE(CreateFolderChain("C:"));
    EXPECT_TRUE(CreateFolderChain(""));
    EXPECT_FALSE(PathExists("C:\\no such folder here"));
}

} // namespace
