// The X verb of the real Kavrilon.exe: it asks before it deletes all backups of the current
// resolution, even without the DLG switch; the test reads and answers the question.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "DialogDriver.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

// The key of the test run's virtual display.
const char* const CurrentKey = "1280x1024";

// Every file under a folder, by its path relative to the folder, with its content.
void CollectFiles(const std::string& folder, const std::string& relative,
                  std::map<std::string, std::string>& files) {
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((folder + relative + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files[relative + name + "\\"] = "";
            CollectFiles(folder, relative + name + "\\", files);
        } else {
            files[relative + name] = ReadFileBytes(folder + relative + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// The layouts and backups under the data folder. The options file is left out: every start
// rewrites it.
std::map<std::string, std::string> LayoutFilesUnder(const std::string& folder) {
    std::map<std::string, std::string> files;
    CollectFiles(folder, "", files);
    files.erase("Options.ini");
    return files;
}

bool HasButton(const TDialogContent& box, int id) {
    for (const TDialogButton& button : box.Buttons) {
        if (button.Id == id) {
            return true;
        }
    }
    return false;
}

class DeleteBackupsVerb : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveKavrilonData();
        data_ = KavrilonDataFolder();
        CreateDirectoryA((ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn").c_str(), nullptr);
        for (const std::string& folder :
             {std::string(), std::string("Layouts"), std::string("Backups"),
              "Backups\\" + std::string(CurrentKey), std::string("Backups\\800x600"),
              "Backups\\" + std::string(CurrentKey) + "\\old"}) {
            CreateDirectoryA((data_ + folder).c_str(), nullptr);
        }
        const std::string current = data_ + "Backups\\" + CurrentKey + "\\";
        ASSERT_TRUE(WriteFileBytes(data_ + "Layouts\\Layout_" + CurrentKey + ".kvl", "Kavrilon 8.2\r\n"));
        ASSERT_TRUE(WriteFileBytes(current + "20081124093015S.kvl", "Kavrilon 8.2\r\n1 2 S\r\n"));
        ASSERT_TRUE(WriteFileBytes(current + "20081124093015R.kvl", "Kavrilon 8.2\r\n1 2 R\r\n"));
        ASSERT_TRUE(WriteFileBytes(current + "notes.txt", "not a backup"));
        ASSERT_TRUE(WriteFileBytes(current + "old\\20070101000000S.kvl", "Kavrilon 8.2\r\n"));
        ASSERT_TRUE(WriteFileBytes(data_ + "Backups\\800x600\\20081124093015S.kvl", "Kavrilon 8.2\r\n"));
    }
    void TearDown() override { RemoveKavrilonData(); }

    void SetLanguage(int language) {
        ASSERT_TRUE(
            WriteFileBytes(data_ + "Options.ini", "[Opt]\r\nLanguage=" + std::to_string(language) + "\r\n"));
    }

    // Runs Kavrilon.exe /x, reads its question and presses `answer`.
    TDialogContent RunAndAnswer(int answer) {
        TChildProcess kavrilon;
        EXPECT_TRUE(kavrilon.Start(KavrilonExePath(), {"/x"}));
        HWND box = WaitForDialog(kavrilon.Pid(), 15000);
        EXPECT_NE(box, nullptr) << "no question appeared";
        TDialogContent content;
        if (box != nullptr) {
            Sleep(300);
            content = ReadDialog(box);
            EXPECT_TRUE(PressDialogButton(box, answer));
        }
        EXPECT_TRUE(kavrilon.Wait(15000)) << kavrilon.DescribeWindowsSeen();
        EXPECT_EQ(kavrilon.ExitCode(), 0u);
        return content;
    }

    std::string data_;
};

TEST_F(DeleteBackupsVerb, AnsweredNoChangesNothing) {
    SetLanguage(1);
    const auto before = LayoutFilesUnder(data_);
    const TDialogContent box = RunAndAnswer(IDNO);
    EXPECT_EQ(box.Caption, "Kavrilon - Delete all Backups");
    EXPECT_EQ(box.Text, "Do you really want to delete all backups?");
    EXPECT_TRUE(HasButton(box, IDYES));
    EXPECT_TRUE(HasButton(box, IDNO));
    EXPECT_FALSE(HasButton(box, IDOK));
    EXPECT_FALSE(HasButton(box, IDCANCEL));
    EXPECT_EQ(LayoutFilesUnder(data_), before);
}

TEST_F(DeleteBackupsVerb, AnsweredYesRemovesTheWholeArchiveOfTheCurrentResolutionOnly) {
    SetLanguage(0);
    auto expected = LayoutFilesUnder(data_);
    const TDialogContent box = RunAndAnswer(IDYES);
    EXPECT_EQ(box.Caption, "Kavrilon - Alle Backups l\xF6schen");
    EXPECT_EQ(box.Text, "Wollen Sie wirklich alle Backups l\xF6schen?");
    EXPECT_TRUE(HasButton(box, IDYES));
    EXPECT_TRUE(HasButton(box, IDNO));

    EXPECT_FALSE(IsFolder(data_ + "Backups\\" + CurrentKey));
    // Everything else stays as it was: the other resolution's archive and the primary layout.
    const std::string archive = std::string("Backups\\") + CurrentKey + "\\";
    for (auto it = expected.begin(); it != expected.end();) {
        it = it->first.rfind(archive, 0) == 0 ? expected.erase(it) : std::next(it);
    }
    ASSERT_EQ(expected.size(), 5u);
    const auto after = LayoutFilesUnder(data_);
    EXPECT_EQ(after, expected);
}

} // namespace
