// Saving and restoring the desktop with the real Kavrilon.exe against the desktop host.

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "LayoutScenario.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"

namespace {

using kvtest::DesktopHost;
using kvtest::DesktopHostOptions;
using kvtest::DesktopHostState;
using kvtest::DesktopIcon;

// U+00DC, U+2603 and U+1D11E: a character outside the BMP is stored as two three-byte sequences.
const std::string Snowman = "\xC3\x9C"
                            "ber \xE2\x98\x83 \xF0\x9D\x84\x9E";
const std::string SnowmanStored = "\xC3\x9C"
                                  "ber \xE2\x98\x83 \xED\xA0\xB4\xED\xB4\x9E";

const std::vector<DesktopIcon> SampleIcons = {
    {"Computer", 17, 2},    {"Recycle Bin", 17, 78}, {"Notes.txt", 300, 40},
    {"Notes.txt", 500, 40}, {"", 60, 160},           {Snowman, 100, 300},
};

class SaveRestore : public ::testing::Test {
protected:
    void SetUp() override { RemoveKavrilonData(); }
    void TearDown() override {
        host_.Stop();
        RemoveKavrilonData();
    }

    void StartDesktop(const std::vector<DesktopIcon>& icons, const DesktopHostOptions& options = {}) {
        ASSERT_TRUE(host_.Start(icons, options)) << host_.LastError();
    }

    DesktopHostState State() {
        DesktopHostState state;
        EXPECT_TRUE(host_.QueryState(state));
        return state;
    }

    void MoveAll(const std::vector<TPlace>& places) {
        for (size_t i = 0; i < places.size(); ++i) {
            ASSERT_TRUE(host_.Move(static_cast<int>(i), places[i].X, places[i].Y));
        }
    }

    static void ExpectSilentSuccess(const TRunResult& run, DWORD exitCode = 0) {
        ASSERT_FALSE(run.TimedOut) << run.WindowsDescription;
        EXPECT_EQ(run.ExitCode, exitCode);
        EXPECT_EQ(run.WindowsDescription, "");
    }

    DesktopHost host_;
};

TEST_F(SaveRestore, SaveWritesTheLayoutFileByteForByte) {
    StartDesktop(SampleIcons);
    SYSTEMTIME before;
    GetLocalTime(&before);
    ExpectSilentSuccess(RunKavrilon({"/s"}));

    const std::string bytes = ReadFileBytes(PrimaryLayoutFile());
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const std::vector<std::string> lines = ReadLines(PrimaryLayoutFile());
    ASSERT_EQ(lines.size(), 8u) << bytes;
    EXPECT_EQ(lines[0], "\xEF\xBB\xBFKavrilon 8.2");
    EXPECT_EQ(lines[1], "# " + DisplayResolutionKey());
    ASSERT_EQ(lines[2].size(), 16u);
    EXPECT_EQ(lines[2].substr(0, 6), "# " + std::to_string(before.wYear));
    EXPECT_EQ(lines[2].find_first_not_of("0123456789", 2), std::string::npos);
    // One line per readable icon in item order; the icon without caption cannot be read.
    EXPECT_EQ(lines[3], "17 2 Computer");
    EXPECT_EQ(lines[4], "17 78 Recycle Bin");
    EXPECT_EQ(lines[5], "300 40 Notes.txt");
    EXPECT_EQ(lines[6], "500 40 Notes.txt");
    EXPECT_EQ(lines[7], "100 300 " + SnowmanStored);
    // Every line ends with CR LF, the last one too.
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    size_t crlf = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i) {
        crlf += bytes[i] == '\r' && bytes[i + 1] == '\n';
    }
    EXPECT_EQ(crlf, 8u);
}

TEST_F(SaveRestore, GridLineOnlyWhenTheDesktopSnapsToTheGrid) {
    DesktopHostOptions grid;
    grid.snapToGrid = true;
    StartDesktop({{"Computer", 17, 2}}, grid);
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    std::vector<std::string> lines = ReadLines(PrimaryLayoutFile());
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[3], "# Grid");
    EXPECT_EQ(lines[4], "17 2 Computer");

    // An empty desktop gives the header lines only, and the save counts as a success.
    host_.Stop();
    StartDesktop({});
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    EXPECT_EQ(ReadLines(PrimaryLayoutFile()).size(), 3u);
}

TEST_F(SaveRestore, SaveWithDlgAsksFirstAndNotifiesAfterwards) {
    StartDesktop(SampleIcons);
    {
        TKavrilonRun run({"/dlg", "/s"});
        HWND question = run.NextBox();
        ASSERT_NE(question, nullptr);
        const TDialogContent asked = ReadDialog(question);
        EXPECT_EQ(asked.Caption, "Kavrilon - Save Layout");
        EXPECT_EQ(asked.Text, "Do you want to save this icon layout as primary layout for " +
                                  DisplayResolutionKey() + "?");
        ASSERT_TRUE(PressDialogButton(question, IDYES));
        HWND notice = run.NextBox();
        ASSERT_NE(notice, nullptr);
        const TDialogContent told = ReadDialog(notice);
        EXPECT_EQ(told.Caption, "Kavrilon - Save Layout");
        EXPECT_EQ(told.Text,
                  "The icon layout for " + DisplayResolutionKey() + " was saved as primary layout.");
        ASSERT_TRUE(PressDialogButton(notice, IDOK));
        ASSERT_TRUE(run.Finish());
        EXPECT_EQ(run.ExitCode(), 0u);
    }
    const std::string saved = ReadFileBytes(PrimaryLayoutFile());
    ASSERT_FALSE(saved.empty());

    // Answering No saves nothing.
    ASSERT_TRUE(host_.Move(0, 640, 480));
    TKavrilonRun declined({"/dlg", "/s"});
    HWND question = declined.NextBox();
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(PressDialogButton(question, IDNO));
    ASSERT_TRUE(declined.Finish());
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), saved);
    EXPECT_TRUE(BackupFiles().empty());
}

TEST_F(SaveRestore, SavingAChangedDesktopKeepsThePreviousPrimaryLayoutAsBackup) {
    StartDesktop(SampleIcons);
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    // Unchanged desktop: saved again, no backup.
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    EXPECT_TRUE(BackupFiles().empty());
    const std::string previous = ReadFileBytes(PrimaryLayoutFile());
    // Changed desktop: the previous primary layout becomes an "S" backup.
    ASSERT_TRUE(host_.Move(1, 700, 500));
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    const std::vector<std::string> backups = BackupFiles();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].size(), 19u);
    EXPECT_EQ(backups[0].substr(14), "S.kvl");
    EXPECT_EQ(ReadFileBytes(BackupFolder() + backups[0]), previous);
    EXPECT_NE(ReadLines(PrimaryLayoutFile())[4].find("700 500 Recycle Bin"), std::string::npos);
}

TEST_F(SaveRestore, RestorePutsListedIconsBackPairsDuplicatesInOrderAndLeavesOthers) {
    StartDesktop({{"Computer", 17, 2},
                  {"Notes.txt", 300, 40},
                  {"Unlisted", 400, 400},
                  {"Notes.txt", 500, 40},
                  {Snowman, 100, 300}});
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{20, 20, "Computer"},
                                                      {120, 20, "Notes.txt"},
                                                      {220, 20, "Notes.txt"},
                                                      {320, 20, SnowmanStored},
                                                      {999, 999, "Not on this desktop"}}));
    ExpectSilentSuccess(RunKavrilon({"/r"}));
    const std::vector<TPlace> expected = {{20, 20}, {120, 20}, {400, 400}, {220, 20}, {320, 20}};
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe(expected));
}

TEST_F(SaveRestore, NewIconsThatRestoredOnesCoverMoveToTheNearestFreeCells) {
    // The first column holds three icons that the layout does not list, dropped where the listed
    // ones are going back to; the listed ones wait in the sixth column; one more new icon covers
    // nothing. Positions in cells of the list view's own spacing.
    StartDesktop({});
    const LRESULT spacing = SendMessageA(State().listView.handle, LVM_GETITEMSPACING, FALSE, 0);
    const int w = LOWORD(spacing), h = HIWORD(spacing);
    ASSERT_GE(w, 8);
    ASSERT_GE(h, 8);
    // Then the cell beside the first two is the nearest free one, and for the third the cell below
    // the column is as near as the one beside and comes first down the column.
    ASSERT_TRUE(w >= h && w < 2 * h) << w << " x " << h;
    const std::vector<DesktopIcon> icons = {{"New 1", 0, 0},    {"New 2", 0, h}, {"New 3", 0, 2 * h},
                                            {"A", 5 * w, 0},    {"B", 5 * w, h}, {"C", 5 * w, 2 * h},
                                            {"New 4", 3 * w, 0}};
    // With the option PlaceNewIcons off, the new icons stay where they were dropped.
    ASSERT_TRUE(WriteOptionsFile({"PlaceNewIcons=0"}));
    StartDesktop(icons);
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{0, 0, "A"}, {0, h, "B"}, {0, 2 * h, "C"}}));
    ExpectSilentSuccess(RunKavrilon({"/r"}));
    EXPECT_EQ(Describe(CurrentPlaces(host_)),
              Describe({{0, 0}, {0, h}, {0, 2 * h}, {0, 0}, {0, h}, {0, 2 * h}, {3 * w, 0}}));

    ASSERT_TRUE(WriteOptionsFile({"PlaceNewIcons=1"}));
    StartDesktop(icons);
    ExpectSilentSuccess(RunKavrilon({"/r"}));
    const std::vector<TPlace> places = CurrentPlaces(host_);
    const std::vector<TPlace> expected = {{w, 0}, {w, h}, {0, 3 * h}, {0, 0}, {0, h}, {0, 2 * h}, {3 * w, 0}};
    EXPECT_EQ(Describe(places), Describe(expected));
    for (size_t i = 0; i < places.size(); ++i) {
        for (size_t j = i + 1; j < places.size(); ++j) {
            EXPECT_FALSE(std::abs(places[i].X - places[j].X) < w && std::abs(places[i].Y - places[j].Y) < h)
                << i << " overlaps " << j;
        }
    }
}

struct TVersionCase {
    const char* Version;
    std::vector<uint32_t> Commands;
    bool GridAfter;
};

TEST_F(SaveRestore, RestoreSendsTheViewCommandsOfTheWindowsVersion) {
    const TVersionCase cases[] = {
        // Align-to-grid off, auto-arrange off; Windows 2000 never switches align-to-grid on again.
        {"win2k", {0x7052, 0x7051}, false},
        {"winxp", {0x7054, 0x7051, 0x7054}, true},
        // The Vista family also switches auto-arrange off and on around the undo backup's reading,
        // and sets the icon size of the option.
        {"win7", {0x7071, 0x7071, 0x7074, 0x7071, 0x704E, 0x7074}, true},
    };
    for (const TVersionCase& c : cases) {
        SCOPED_TRACE(c.Version);
        RemoveKavrilonData();
        ASSERT_TRUE(WriteOptionsFile({"IconSize=2"}));
        MakeDataFolders();
        ASSERT_TRUE(
            WriteLayoutFile(PrimaryLayoutFile(), {{40, 30, "Computer"}, {140, 30, "Notes.txt"}}, true));
        DesktopHostOptions options;
        options.autoArrange = true;
        options.snapToGrid = true;
        StartDesktop({{"Computer", 300, 300}, {"Notes.txt", 400, 300}}, options);
        ASSERT_TRUE(host_.ClearLog());

        TWineVersionOverride version("Kavrilon.exe", c.Version);
        ExpectSilentSuccess(RunKavrilon({"/r"}));
        const DesktopHostState state = State();
        EXPECT_EQ(state.CommandIds(), c.Commands);
        EXPECT_EQ(Describe(Places(state)), Describe({{40, 30}, {140, 30}}));
        EXPECT_EQ(state.listViewStyle & LVS_AUTOARRANGE, 0u) << "auto-arrange stays off after a restore";
        EXPECT_EQ((state.listViewExStyle & LVS_EX_SNAPTOGRID) != 0, c.GridAfter);
        host_.Stop();
    }
}

TEST_F(SaveRestore, IconSizeIsSetOnlyOnTheVistaFamilyAndOnlyForValuesOneToThree) {
    const struct {
        const char* IconSize;
        std::vector<uint32_t> Commands;
    } cases[] = {{"0", {}}, {"1", {0x7050}}, {"3", {0x704F}}, {"4", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.IconSize);
        RemoveKavrilonData();
        ASSERT_TRUE(WriteOptionsFile({std::string("IconSize=") + c.IconSize}));
        MakeDataFolders();
        ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{40, 30, "Computer"}}));
        StartDesktop({{"Computer", 300, 300}});
        ExpectSilentSuccess(RunKavrilon({"/r"}));
        EXPECT_EQ(State().CommandIds(), c.Commands);
        host_.Stop();
    }
}

TEST_F(SaveRestore, AnsweringNoToTheKeepQuestionPutsThePreviousArrangementBack) {
    StartDesktop(SampleIcons);
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    const std::vector<TPlace> arranged = {{700, 100}, {700, 200}, {700, 300},
                                          {700, 400}, {60, 160},  {700, 500}};
    MoveAll(arranged);
    // A backup newer than anything this restore writes: it must survive the undo untouched.
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "20991231235959R.kvl", {{1, 1, "Computer"}}));

    TKavrilonRun run({"/dlg", "/r"});
    HWND question = run.NextBox();
    ASSERT_NE(question, nullptr);
    const TDialogContent asked = ReadDialog(question);
    EXPECT_EQ(asked.Caption, "Kavrilon - Restore Layout - Primary Layout");
    EXPECT_EQ(asked.Text, "Do you want to restore the icon layout for " + DisplayResolutionKey() + "?");
    ASSERT_TRUE(PressDialogButton(question, IDYES));

    HWND keep = run.NextBox();
    ASSERT_NE(keep, nullptr);
    const TDialogContent keepAsked = ReadDialog(keep);
    EXPECT_EQ(keepAsked.Caption, "Kavrilon - Restore Layout");
    EXPECT_EQ(keepAsked.Text, "Do you want to keep this layout?");
    // While the question is open the saved layout is on the desktop, and the undo backup exists.
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{17, 2}));
    EXPECT_EQ(BackupFiles().size(), 2u);
    ASSERT_TRUE(PressDialogButton(keep, IDNO));
    ASSERT_TRUE(run.Finish()) << run.WindowsSeen();
    EXPECT_EQ(run.ExitCode(), 0u);

    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe(arranged));
    EXPECT_EQ(BackupFiles(), std::vector<std::string>{"20991231235959R.kvl"});
}

TEST_F(SaveRestore, UndoBackupStaysWhenTheRestoreMovedIconsAndGoesWhenNothingMoved) {
    StartDesktop(SampleIcons);
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    // Nothing to move: the undo backup is deleted again.
    ExpectSilentSuccess(RunKavrilon({"/r"}));
    EXPECT_TRUE(BackupFiles().empty());
    // Icons moved: the undo backup holds the arrangement before the restore.
    ASSERT_TRUE(host_.Move(0, 640, 480));
    ExpectSilentSuccess(RunKavrilon({"/r"}));
    const std::vector<std::string> backups = BackupFiles();
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].substr(14), "R.kvl");
    EXPECT_NE(ReadFileBytes(BackupFolder() + backups[0]).find("\r\n640 480 Computer\r\n"), std::string::npos);
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{17, 2}));
}

TEST_F(SaveRestore, WithoutDirectUndoNoKeepQuestionAndTheUndoBackupStays) {
    StartDesktop(SampleIcons);
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    ASSERT_TRUE(WriteOptionsFile({"DirectUndo=0", "QueryRestore=0"}));
    ASSERT_TRUE(host_.Move(0, 640, 480));
    TKavrilonRun run({"/dlg", "/r"});
    ASSERT_TRUE(run.Finish()) << "no question may be asked: " << run.WindowsSeen();
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(BackupFiles().size(), 1u);
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{17, 2}));
}

TEST_F(SaveRestore, RestoringABackupOffersToMakeItThePrimaryLayout) {
    StartDesktop({{"Computer", 300, 300}, {"Notes.txt", 400, 300}});
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 10, "Computer"}, {110, 10, "Notes.txt"}}));
    ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "20250102030405S.kvl",
                                {{50, 60, "Computer"}, {150, 60, "Notes.txt"}}));
    const std::string oldPrimary = ReadFileBytes(PrimaryLayoutFile());

    TKavrilonRun run({"/dlg", "/rb", "20250102030405s"});
    HWND question = run.NextBox();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(ReadDialog(question).Caption, "Kavrilon - Restore Layout - 01/02/2025 03:04:05 (S)");
    ASSERT_TRUE(PressDialogButton(question, IDYES));
    HWND keep = run.NextBox();
    ASSERT_NE(keep, nullptr);
    ASSERT_TRUE(PressDialogButton(keep, IDYES));
    HWND offer = run.NextBox();
    ASSERT_NE(offer, nullptr);
    const TDialogContent offered = ReadDialog(offer);
    EXPECT_EQ(offered.Caption, "Kavrilon - Save Primary Layout");
    EXPECT_EQ(offered.Text, "The restored layout differs from the current primary layout.\r"
                            "Do you want it to be saved as new primary layout?");
    ASSERT_TRUE(PressDialogButton(offer, IDYES));
    // QuerySave does not apply here; the notice of the save does.
    HWND notice = run.NextBox();
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(PressDialogButton(notice, IDOK));
    ASSERT_TRUE(run.Finish()) << run.WindowsSeen();
    EXPECT_EQ(run.ExitCode(), 0u);

    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe({{50, 60}, {150, 60}}));
    EXPECT_NE(ReadFileBytes(PrimaryLayoutFile()).find("\r\n50 60 Computer\r\n150 60 Notes.txt\r\n"),
              std::string::npos);
    // The replaced primary layout is kept as an "S" backup beside the restored one and the undo backup.
    int copies = 0;
    for (const std::string& name : BackupFiles()) {
        copies += name != "20250102030405S.kvl" && ReadFileBytes(BackupFolder() + name) == oldPrimary;
    }
    EXPECT_EQ(copies, 1);
}

TEST_F(SaveRestore, RestoringABackupWithoutPrimaryLayoutSucceedsWithoutOffer) {
    StartDesktop({{"Computer", 300, 300}});
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "20250102030405R.kvl", {{50, 60, "Computer"}}));
    ExpectSilentSuccess(RunKavrilon({"/rb", "20250102030405R"}));
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{50, 60}));
    EXPECT_FALSE(IsFile(PrimaryLayoutFile()));
}

TEST_F(SaveRestore, AFailedBackupIsAskedAboutOnlyWhereMessagesMayBeShown) {
    StartDesktop({{"Computer", 300, 300}});
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    const std::string first = ReadFileBytes(PrimaryLayoutFile());
    // A file where the backup folder belongs: no backup can be made.
    ASSERT_TRUE(RemoveTree(KavrilonDataFolder() + "Backups"));
    ASSERT_TRUE(WriteFileBytes(KavrilonDataFolder() + "Backups", "in the way"));
    ASSERT_TRUE(WriteOptionsFile({"QuerySave=0", "SaveNotification=0"}));
    ASSERT_TRUE(host_.Move(0, 640, 480));

    // With DLG the user decides: No keeps the primary layout as it was.
    TKavrilonRun asked({"/dlg", "/s"});
    HWND question = asked.NextBox();
    ASSERT_NE(question, nullptr);
    const TDialogContent failed = ReadDialog(question);
    EXPECT_EQ(failed.Caption, "Kavrilon - Error");
    EXPECT_EQ(failed.Text, "Creating a backup failed!\r\rSave anyway?");
    ASSERT_TRUE(PressDialogButton(question, IDNO));
    ASSERT_TRUE(asked.Finish()) << asked.WindowsSeen();
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), first);

    // Without DLG nothing is asked and the save goes on without the backup.
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    EXPECT_NE(ReadFileBytes(PrimaryLayoutFile()).find("\r\n640 480 Computer\r\n"), std::string::npos);
}

TEST_F(SaveRestore, SaveToAndRestoreFromANamedFile) {
    StartDesktop(SampleIcons);
    const std::string folder = MakeTempFolder("named");
    const std::string file = folder + "My Layout.kvl";
    ExpectSilentSuccess(RunKavrilon({"/sf", file}));
    ASSERT_TRUE(IsFile(file));
    EXPECT_FALSE(IsFile(PrimaryLayoutFile()));
    const std::vector<TPlace> saved = CurrentPlaces(host_);
    MoveAll({{900, 100}, {900, 200}, {900, 300}, {900, 400}, {60, 160}, {900, 500}});
    ExpectSilentSuccess(RunKavrilon({"/rf", file}));
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe(saved));
    RemoveTree(folder);
}

TEST_F(SaveRestore, NoDesktopEndsWithExitCodeTwo) {
    ExpectSilentSuccess(RunKavrilon({"/s"}), 2);
    EXPECT_FALSE(IsFile(PrimaryLayoutFile()));
    const std::string folder = MakeTempFolder("nodesktop");
    ExpectSilentSuccess(RunKavrilon({"/sf", folder + "x.kvl"}), 2);
    EXPECT_FALSE(IsFile(folder + "x.kvl"));
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{1, 2, "Computer"}}));
    ExpectSilentSuccess(RunKavrilon({"/r"}), 2);
    EXPECT_TRUE(BackupFiles().empty()) << "no undo backup without a desktop";

    TKavrilonRun shown({"/dlg", "/s"});
    HWND question = shown.NextBox();
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(PressDialogButton(question, IDYES));
    HWND error = shown.NextBox();
    ASSERT_NE(error, nullptr);
    const TDialogContent told = ReadDialog(error);
    EXPECT_EQ(told.Caption, "Kavrilon - Error");
    EXPECT_EQ(told.Text.rfind("Desktop not found!\r\nError code: 0 ", 0), 0u) << told.Text;
    ASSERT_TRUE(PressDialogButton(error, IDOK));
    ASSERT_TRUE(shown.Finish());
    EXPECT_EQ(shown.ExitCode(), 2u);
    RemoveTree(folder);
}

TEST_F(SaveRestore, UnreadableLayoutFilesEndWithTheirMessageAndExitCode) {
    StartDesktop({{"Computer", 300, 300}});
    const std::string folder = MakeTempFolder("unreadable");
    const std::string missing = folder + "missing.kvl";
    ExpectSilentSuccess(RunKavrilon({"/rf", missing}), 3);
    EXPECT_TRUE(BackupFiles().empty()) << "the undo backup of a failed restore is removed";

    ASSERT_TRUE(WriteOptionsFile({"QueryRestoreFile=0"}));
    TKavrilonRun shown({"/dlg", "/rf", missing});
    HWND error = shown.NextBox();
    ASSERT_NE(error, nullptr);
    TDialogContent told = ReadDialog(error);
    EXPECT_EQ(told.Caption, "Kavrilon - Error");
    EXPECT_EQ(told.Text, "I/O error: Error opening\r\r" + missing + "\r\rError code 4");
    ASSERT_TRUE(PressDialogButton(error, IDOK));
    ASSERT_TRUE(shown.Finish());
    EXPECT_EQ(shown.ExitCode(), 3u);

    // A file of another kind is corrupt, not unreadable: the exit code stays 0.
    const std::string other = folder + "other.kvl";
    ASSERT_TRUE(WriteFileBytes(other, "kavrilon 8.2\r\n1 2 Computer\r\n"));
    TKavrilonRun corrupt({"/dlg", "/rf", other});
    error = corrupt.NextBox();
    ASSERT_NE(error, nullptr);
    told = ReadDialog(error);
    EXPECT_EQ(told.Text, "Corrupt file: Error opening\r\r" + other + "\r\rError code 2");
    ASSERT_TRUE(PressDialogButton(error, IDOK));
    ASSERT_TRUE(corrupt.Finish());
    EXPECT_EQ(corrupt.ExitCode(), 0u);
    EXPECT_EQ(CurrentPlaces(host_)[0], (TPlace{300, 300}));
    RemoveTree(folder);
}

TEST_F(SaveRestore, AFailedSaveLeavesThePreviousPrimaryLayoutIntact) {
    StartDesktop(SampleIcons);
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    const std::string previous = ReadFileBytes(PrimaryLayoutFile());
    ASSERT_TRUE(host_.Move(0, 640, 480));
    ASSERT_TRUE(SetFileAttributesA(PrimaryLayoutFile().c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(WriteOptionsFile({"QuerySave=0"}));

    TKavrilonRun run({"/dlg", "/s"});
    HWND error = run.NextBox();
    ASSERT_NE(error, nullptr);
    const TDialogContent told = ReadDialog(error);
    EXPECT_EQ(told.Caption, "Kavrilon - Error");
    EXPECT_EQ(told.Text, "I/O error saving to:\r\r" + PrimaryLayoutFile());
    ASSERT_TRUE(PressDialogButton(error, IDOK));
    ASSERT_TRUE(run.Finish());
    EXPECT_EQ(run.ExitCode(), 3u);
    ExpectSilentSuccess(RunKavrilon({"/s"}), 3);

    SetFileAttributesA(PrimaryLayoutFile().c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(PrimaryLayoutFile()), previous);
    // Nothing but the primary layout in its folder: no temporary file is left behind.
    const std::vector<std::string> names = FolderEntries(KavrilonDataFolder() + "Layouts");
    EXPECT_EQ(names, std::vector<std::string>{"Layout_" + DisplayResolutionKey() + ".kvl"});
}

TEST_F(SaveRestore, AFullDiskLeavesThePreviousFileIntact) {
    // The test script mounts a tiny file system as a Wine drive when the machine allows it.
    char drive[16] = {};
    if (GetEnvironmentVariableA("KV_FULL_DRIVE", drive, sizeof(drive)) == 0 ||
        !IsFolder(std::string(drive) + "\\")) {
        GTEST_SKIP() << "no small drive to fill (KV_FULL_DRIVE is not set)";
    }
    const std::string target = std::string(drive) + "\\layout.kvl";
    ASSERT_TRUE(
        WriteFileBytes(target, "\xEF\xBB\xBFKavrilon 8.2\r\n# 1x1\r\n# 20260101000000\r\n1 2 Old\r\n"));
    const std::string previous = ReadFileBytes(target);
    DesktopHostOptions many;
    many.generatedCount = 4000;
    StartDesktop({}, many);
    ExpectSilentSuccess(RunKavrilon({"/sf", target}, 60000), 3);
    EXPECT_EQ(ReadFileBytes(target), previous);
    const size_t files = FolderEntries(std::string(drive) + "\\").size();
    EXPECT_EQ(files, 1u) << "a temporary file was left on the full drive";
    DeleteFileA(target.c_str());
}

TEST_F(SaveRestore, TheSameCycleWorksAgainstThePlatformsOwnDesktopView) {
    const std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\";
    for (const char* name : {"Budget 2026.txt", "Holiday photos.txt", "Notes.txt"}) {
        ASSERT_TRUE(WriteFileBytes(desktop + name, "sample"));
    }
    ASSERT_TRUE(host_.StartShell()) << host_.LastError();
    const DesktopHostState shell = State();
    ASSERT_GE(shell.items.size(), 3u);
    ExpectSilentSuccess(RunKavrilon({"/s"}));
    const std::vector<TPlace> saved = Places(shell);

    // Auto-arrange off, as a user would before dragging icons around, then everything elsewhere.
    if ((shell.listViewStyle & LVS_AUTOARRANGE) != 0) {
        SendMessageA(shell.progman.handle, WM_COMMAND, 0x7071, 0);
    }
    for (size_t i = 0; i < saved.size(); ++i) {
        ASSERT_TRUE(host_.Move(static_cast<int>(i), 500 + static_cast<int>(i) * 90, 400));
    }
    ASSERT_NE(Describe(CurrentPlaces(host_)), Describe(saved));
    ExpectSilentSuccess(RunKavrilon({"/r"}));
    EXPECT_EQ(Describe(CurrentPlaces(host_)), Describe(saved));
    for (const char* name : {"Budget 2026.txt", "Holiday photos.txt", "Notes.txt"}) {
        DeleteFileA((desktop + name).c_str());
    }
}

} // namespace
