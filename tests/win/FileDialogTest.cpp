// The layout file dialogs of the real Kavrilon.exe, found, read and answered by the test as a user
// would: the classic dialogs on Windows XP, the item dialogs on Windows 7. Saving and restoring
// through them end to end against the desktop host.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "LayoutScenario.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"

namespace {

using kvtest::DesktopHost;
using kvtest::DesktopIcon;

const std::vector<DesktopIcon> Icons = {{"Notes.txt", 300, 40}, {"Readme.txt", 500, 40}};

// A Windows version with the file-name box of its dialog: the classic dialog's edit sits in the
// combo box 1148, the item dialog's is the edit 1152. The classic dialog adds the default extension
// "kvl" to a name typed without one. The item dialog is given no default extension, so on Windows it
// returns the name as typed; Wine's item dialog adds the extension of the selected file type.
struct TVariant {
    const char* Version;
    int FileNameBox;
    const char* TypedResult;
};
const TVariant Variants[] = {{"winxp", 1148, "typed.kvl"}, {"win7", 1152, "typed.kvl"}};

// Today's name stem for this display: resolution_YYYYMMDD.
std::string TodaysBase() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[16] = {};
    std::snprintf(date, sizeof(date), "%04d%02d%02d", now.wYear, now.wMonth, now.wDay);
    return DisplayResolutionKey() + "_" + date;
}

std::string StoredOption(const std::string& key) {
    for (const std::string& line : ReadLines(KavrilonDataFolder() + "Options.ini")) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return "<missing>";
}

class FileDialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host_.Start(Icons)) << host_.LastError(); }
    // A clean data folder and an empty folder for the layout files, for one Windows version.
    void Begin(const TVariant& variant) {
        variant_ = variant;
        RemoveKavrilonData();
        RemoveTree(folder_);
        folder_ = MakeTempFolder("layouts");
    }
    void TearDown() override {
        host_.Stop();
        RemoveTree(folder_);
        RemoveKavrilonData();
    }

    // Starts Kavrilon.exe with the verb and returns its file dialog, read.
    TDialogContent Open(TKavrilonRun& run) {
        HWND dialog = run.NextBox();
        if (dialog == nullptr) {
            ADD_FAILURE() << "no file dialog: " << run.WindowsSeen();
            return {};
        }
        return ReadDialog(dialog);
    }
    HWND FileNameBox(HWND dialog) { return FindChild(dialog, variant_.FileNameBox, "Edit"); }
    std::string ProposedName(HWND dialog) {
        char text[MAX_PATH] = {};
        SendMessageA(FileNameBox(dialog), WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
        return text;
    }
    static std::string ButtonText(const TDialogContent& content, int id) {
        for (const TDialogButton& button : content.Buttons) {
            if (button.Id == id) {
                return button.Text;
            }
        }
        return "<none>";
    }
    // Types the name into the file-name box and presses the OK button.
    void Choose(HWND dialog, const std::string& name) {
        SendMessageA(FileNameBox(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
        EXPECT_TRUE(PressDialogButton(dialog, IDOK, 10000)) << DescribeChildren(dialog);
    }

    DesktopHost host_;
    TVariant variant_ = Variants[0];
    std::string folder_;
};

TEST_F(FileDialogs, SaveDialogProposesFreeNamesRemembersTheFolderAndSaves) {
    for (const TVariant& variant : Variants) {
        SCOPED_TRACE(variant.Version);
        Begin(variant);
        TWineVersionOverride version("Kavrilon.exe", variant.Version);
        const std::string base = TodaysBase();
        ASSERT_TRUE(WriteOptionsFile({"SaveNotification=0"}));
        {
            TKavrilonRun run({"/sfx"});
            const TDialogContent dialog = Open(run);
            ASSERT_NE(dialog.Window, nullptr);
            EXPECT_EQ(dialog.Caption, "Kavrilon - Save Layout");
            EXPECT_EQ(ButtonText(dialog, IDOK), "Save");
            EXPECT_EQ(ProposedName(dialog.Window), base + ".kvl");
            Choose(dialog.Window, folder_ + "typed");
            EXPECT_TRUE(run.Finish());
        }
        const std::vector<std::string> saved = ReadLines(folder_ + variant.TypedResult);
        // Three header lines, then the icons.
        ASSERT_EQ(saved.size(), 5u) << ::testing::PrintToString(FolderEntries(folder_));
        EXPECT_EQ(saved[0], "\xEF\xBB\xBFKavrilon 8.2");
        EXPECT_EQ(saved[3], "300 40 Notes.txt");
        EXPECT_EQ(saved[4], "500 40 Readme.txt");
        EXPECT_EQ(StoredOption("SavePath"), folder_);
        EXPECT_EQ(StoredOption("RestorePath"), "");

        // The next dialog starts in that folder and counts past the names taken there; cancelling
        // stores nothing and saves nothing.
        for (const char* taken : {"", "[1]"}) {
            ASSERT_TRUE(WriteFileBytes(folder_ + base + taken + ".kvl", "x"));
            const size_t files = FolderEntries(folder_).size();
            TKavrilonRun run({"/sfx"});
            const TDialogContent dialog = Open(run);
            ASSERT_NE(dialog.Window, nullptr);
            EXPECT_EQ(ProposedName(dialog.Window), base + (*taken == 0 ? "[1]" : "[2]") + ".kvl");
            EXPECT_TRUE(PressDialogButton(dialog.Window, IDCANCEL));
            EXPECT_TRUE(run.Finish());
            EXPECT_EQ(FolderEntries(folder_).size(), files);
            EXPECT_EQ(StoredOption("SavePath"), folder_);
            EXPECT_EQ(StoredOption("RestorePath"), "");
        }
    }
}

TEST_F(FileDialogs, OpenDialogStartsInTheSaveFolderAndRestoresTheChosenFile) {
    for (const TVariant& variant : Variants) {
        SCOPED_TRACE(variant.Version);
        Begin(variant);
        ASSERT_TRUE(host_.Start(Icons)) << host_.LastError();
        TWineVersionOverride version("Kavrilon.exe", variant.Version);
        ASSERT_TRUE(
            WriteLayoutFile(folder_ + "moved.kvl", {{120, 220, "Notes.txt"}, {640, 480, "Readme.txt"}}));
        ASSERT_TRUE(WriteOptionsFile({"SavePath=" + folder_, "QueryRestoreFile=0", "DirectUndo=0"}));
        TKavrilonRun run({"/rfx"});
        const TDialogContent dialog = Open(run);
        ASSERT_NE(dialog.Window, nullptr);
        EXPECT_EQ(dialog.Caption, "Kavrilon - Restore Layout");
        EXPECT_EQ(ButtonText(dialog, IDOK), "Restore");
        // A name without folder is found only in the folder the dialog started in.
        Choose(dialog.Window, "moved.kvl");
        EXPECT_TRUE(run.Finish());
        EXPECT_EQ(CurrentPlaces(host_), (std::vector<TPlace>{{120, 220}, {640, 480}}));
        EXPECT_EQ(StoredOption("RestorePath"), folder_);
    }
}

TEST_F(FileDialogs, TrayCommandsSaveAndRestoreThroughTheDialogs) {
    Begin(Variants[1]);
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{300, 40, "Notes.txt"}}));
    ASSERT_TRUE(WriteOptionsFile({"RestoreAtStart=0", "SaveNotification=0", "QueryRestoreFile=0",
                                  "DirectUndo=0", "SavePath=" + folder_}));
    TTrayInstance tray({"/nosplash"});
    ASSERT_NE(tray.Window(), nullptr);
    const std::vector<TPlace> saved = CurrentPlaces(host_);

    for (const UINT command : {CommandSaveToFile, CommandRestoreFromFile}) {
        if (command == CommandRestoreFromFile) {
            ASSERT_TRUE(host_.Move(0, 10, 500));
            ASSERT_TRUE(host_.Move(1, 700, 10));
        }
        PostMessageA(tray.Window(), WM_COMMAND, command, 0);
        HWND dialog = WaitForDialog(tray.Pid(), 15000);
        ASSERT_NE(dialog, nullptr);
        Sleep(200);
        EXPECT_EQ(ReadDialog(dialog).Caption,
                  command == CommandSaveToFile ? "Kavrilon - Save Layout" : "Kavrilon - Restore Layout");
        Choose(dialog, "tray.kvl");
        // The instance answers sent messages while it reads the desktop, so being idle is not enough:
        // the save is done once its file is there.
        if (command == CommandSaveToFile) {
            EXPECT_TRUE(WaitUntil([&] { return IsFile(folder_ + "tray.kvl"); }, 15000));
        }
        ASSERT_TRUE(tray.Idle());
    }
    // The restore may still be moving icons.
    EXPECT_TRUE(WaitUntil([&] { return CurrentPlaces(host_) == saved; }, 15000))
        << Describe(CurrentPlaces(host_));
    EXPECT_EQ(StoredOption("RestorePath"), folder_);
    EXPECT_EQ(tray.Exit(), 0);
}

// The title of the visible picture of a layout (the file it shows), or empty.
std::string PreviewTitle() {
    const HWND preview = FindWindowExA(nullptr, nullptr, "KavrilonLayoutPreview", nullptr);
    char title[MAX_PATH] = {};
    if (preview == nullptr || !IsWindowVisible(preview)) {
        return {};
    }
    GetWindowTextA(preview, title, MAX_PATH);
    return title;
}

BOOL CALLBACK FindListView(HWND window, LPARAM found) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "SysListView32") {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Moving the selection through the open dialog's list with the keyboard: the picture beside the
// dialog follows the selected file, unreadable files included, and goes with the dialog.
TEST_F(FileDialogs, TheOpenDialogShowsThePictureOfTheSelectedFile) {
    for (const TVariant& variant : Variants) {
        SCOPED_TRACE(variant.Version);
        Begin(variant);
        TWineVersionOverride version("Kavrilon.exe", variant.Version);
        ASSERT_TRUE(WriteLayoutFile(folder_ + "a.kvl", {{120, 220, "Notes.txt"}}));
        ASSERT_TRUE(WriteLayoutFile(folder_ + "b.kvl", {{640, 480, "Readme.txt"}}));
        ASSERT_TRUE(WriteFileBytes(folder_ + "c.kvl", "not a layout\r\n"));
        ASSERT_TRUE(WriteOptionsFile({"SavePath=" + folder_}));
        TKavrilonRun run({"/rfx"});
        const TDialogContent dialog = Open(run);
        ASSERT_NE(dialog.Window, nullptr);
        HWND list = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                return EnumChildWindows(dialog.Window, FindListView, reinterpret_cast<LPARAM>(&list)), list;
            },
            10000));
        for (const char* name : {"a.kvl", "b.kvl", "c.kvl"}) {
            PostMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
            EXPECT_TRUE(WaitUntil([&] { return PreviewTitle() == folder_ + name; }, 10000)) << PreviewTitle();
        }
        EXPECT_TRUE(PressDialogButton(dialog.Window, IDCANCEL));
        EXPECT_TRUE(run.Finish());
        EXPECT_EQ(PreviewTitle(), "");
    }
}

} // namespace
