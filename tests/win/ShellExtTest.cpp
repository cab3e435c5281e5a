// The shell extension as the shell uses it: created by class id through the registry in a 32-bit
// player and, in a 64-bit prefix, in a 64-bit player against the 64-bit view; its class factory, its
// menu, its commands and its self-registration.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "LayoutScenario.h"
#include "RegistryReadback.h"
#include "ShellPlayer.h"
#include "TestEnvironment.h"

namespace {

constexpr const char* Ok = "0x00000000";
constexpr const char* Fail = "0x80004005";

// The extension registered with the registration utility from a copy below Program Files, as
// installed.
class ShellExt : public ::testing::Test {
protected:
    void SetUp() override {
        ClearShellExtEntries();
        RemoveKavrilonData();
        const std::string folder =
            InstallProgramCopy("shellext", {RegUtilFileName, ShellExtFileName, ShellExt64FileName}, true);
        folders_.push_back(folder);
        const TRunResult run = RunProcess(folder + RegUtilFileName, {"r"}, 15000);
        ASSERT_EQ(run.ExitCode, 1u);
    }
    void TearDown() override {
        ClearShellExtEntries();
        RemoveKavrilonData();
        for (const std::string& folder : folders_) {
            RemoveTree(folder);
        }
    }

    // A stand-in for the main program at ExeLocation that records how it was started.
    std::string InstallRecorder() {
        const std::string folder = MakeTempFolder("recorder");
        folders_.push_back(folder);
        EXPECT_TRUE(CopyFileA(TestToolPath("kv-command-recorder.exe").c_str(),
                              (folder + MainProgramFileName).c_str(), FALSE));
        SetExeLocation(folder + MainProgramFileName);
        return folder;
    }

    std::vector<std::string> folders_;
};

TEST_F(ShellExt, FactoryAndObjectFollowTheComRules) {
    const std::pair<const char*, const char*> expected[] = {
        {"get_factory", Ok},
        {"unload_with_factory", "0x00000001"},
        {"other_class", "0x80040111|null"},             // CLASS_E_CLASSNOTAVAILABLE
        {"factory_other_interface", "0x80004002|null"}, // E_NOINTERFACE
        {"aggregate_menu", "0x80040110|null"},          // CLASS_E_NOAGGREGATION
        {"null_out", "0x80004003"},                     // E_POINTER
        {"no_interface", "0x80004002|null"},
        {"aggregate_unknown", Ok},
        {"aggregate_forwards", "yes"},
        {"create_menu", Ok},
        {"error_info", "0x00000000|0x00000001"},
        {"object_other_interface", "0x80004002|null"},
        // DllCanUnloadNow: S_FALSE while an object, a factory reference or a lock is held.
        {"unload_with_object", "0x00000001"},
        {"unload_after_object", Ok},
        {"lock", Ok},
        {"unload_with_lock", "0x00000001"},
        {"unlock", Ok},
        {"unload_after_lock", Ok},
        // An unlock without a lock neither frees the library under a live object nor keeps it loaded.
        {"stray_unlock", Ok},
        {"unload_with_object_after_stray_unlock", "0x00000001"},
        {"unload_after_stray_unlock", Ok},
    };
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        SCOPED_TRACE(player.FileName);
        const TPlayerResult result = RunShellPlayer(player, {"factory"});
        for (const auto& [name, value] : expected) {
            EXPECT_EQ(result[name], value) << name << "\n" << result.Run.Output;
        }
    }
}

TEST_F(ShellExt, InitializeOffersTheMenuOnlyForTheDesktopOutsideFolderWindowsAndDialogs) {
    constexpr const char* SixIds = "0x00000006";
    constexpr const char* NoMenu = "<none>";
    const struct {
        std::vector<std::string> Arguments;
        const char* Init;
        const char* Query;
    } cases[] = {
        {{}, Ok, SixIds},
        {{"--folder", "other"}, Fail, NoMenu},
        {{"--folder", "null"}, Fail, NoMenu},
        {{"--foreground", "CabinetWClass"}, Fail, NoMenu},
        {{"--foreground", "ExploreWClass"}, Fail, NoMenu},
        {{"--foreground", "#32770"}, Fail, NoMenu},
        {{"--foreground", "cabinetwclass"}, Ok, SixIds}, // compared with case
        {{"--foreground", "Progman"}, Ok, SixIds},
        // Without an accepted Initialize there is no data folder to build the menu from.
        {{"--folder", "skip"}, "skipped", "0x8000FFFF"},
    };
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        for (const auto& c : cases) {
            std::vector<std::string> arguments = {"menu"};
            arguments.insert(arguments.end(), c.Arguments.begin(), c.Arguments.end());
            const TPlayerResult result = RunShellPlayer(player, arguments);
            SCOPED_TRACE(std::string(player.FileName) + " " + result.Run.Output);
            if (c.Arguments.size() == 2 && c.Arguments[0] == "--foreground") {
                ASSERT_EQ(result["foreground"], c.Arguments[1])
                    << "the window did not come to the foreground";
            }
            EXPECT_EQ(result["init"], c.Init);
            EXPECT_EQ(result["query"], c.Query);
        }
    }
}

// "kind|offset|state|bitmap|text" of the player's dump; separators and popups have no offset here.
std::string Item(const char* kind, int offset, const char* state, const std::string& text) {
    return std::string(kind) + "|" + std::to_string(offset) + "|" + state + "|0|" + text;
}

TEST_F(ShellExt, SubmenuHasItsTextsFlagsAndGreyingInBothLanguagesAndCaseStyles) {
    const struct {
        const char* Version;
        const char* Language;
        bool Primary;
        std::vector<std::string> Texts; // positions 0, 1, 3, 4, 6, 8 and the archive's only item
    } cases[] = {
        {"winxp",
         "1",
         false,
         {"&Save Primary Layout", "&Restore Primary Layout", "Save &to File...", "Restore &from File...",
          "&Backup Archive", "&Options", "No backup available"}},
        {"win7",
         "1",
         true,
         {"&Save Primary layout", "&Restore Primary layout", "Save &to file...", "Restore &from file...",
          "&Backup archive", "&Options", "No backup available"}},
        {"win7",
         "0",
         false,
         {"Hauptlayout &sichern", "Hauptlayout &restaurieren", "&In Datei sichern...",
          "&Aus Datei restaurieren...", "&Backuparchiv", "&Optionen", "Kein Backup vorhanden"}},
    };
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(player.FileName) + " " + c.Version + " language " + c.Language);
            RemoveKavrilonData();
            ASSERT_TRUE(WriteOptionsFile({std::string("Language=") + c.Language}));
            if (c.Primary) {
                ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 10, "Icon"}}));
            }
            TWineVersionOverride version(player.FileName, c.Version);
            const TPlayerResult result = RunShellPlayer(player, {"menu", "--index", "1"});
            const std::pair<const char*, std::string> expected[] = {
                {"query", "0x00000006"},
                {"item.0", Item("string", -99, "enabled", "A")},
                {"item.1", Item("sep", -100, "", "")},
                {"item.3", Item("sep", -100, "", "")},
                {"item.4", Item("string", -98, "enabled", "B")},
                {"item.2.0", Item("string", 0, "enabled", c.Texts[0])},
                {"item.2.1", Item("string", 2, c.Primary ? "enabled" : "grayed", c.Texts[1])},
                {"item.2.2", Item("sep", -100, "", "")},
                {"item.2.3", Item("string", 1, "enabled", c.Texts[2])},
                {"item.2.4", Item("string", 3, "enabled", c.Texts[3])},
                {"item.2.5", Item("sep", -100, "", "")},
                {"item.2.7", Item("sep", -100, "", "")},
                {"item.2.8", Item("string", 4, "enabled", c.Texts[5])},
                // Disabled, not greyed.
                {"item.2.6.0", Item("string", 5, "disabled", c.Texts[6])},
            };
            for (const auto& [name, value] : expected) {
                EXPECT_EQ(result[name], value) << name << "\n" << result.Run.Output;
            }
            EXPECT_EQ(result["item.2"], "popup|-|enabled|1|Kavrilon");
            EXPECT_EQ(result["item.2.6"].substr(result["item.2.6"].rfind('|') + 1), c.Texts[4]);
            EXPECT_EQ(result["item.2.6.1"], "<none>");
        }
    }
}

TEST_F(ShellExt, ArchiveListsTheTenNewestBackupsAndDeletesTheOlderOnes) {
    MakeDataFolders();
    std::vector<std::string> ids;
    for (int i = 0; i < 12; ++i) {
        char id[16];
        std::snprintf(id, sizeof(id), "200812%02d183005%c", 10 + i, i % 2 == 0 ? 'S' : 'R');
        ids.push_back(id);
    }
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        SCOPED_TRACE(player.FileName);
        for (const std::string& id : ids) {
            ASSERT_TRUE(WriteLayoutFile(BackupFolder() + id + ".kvl", {{1, 1, "Icon"}}));
        }
        const TPlayerResult result = RunShellPlayer(player, {"menu"});
        EXPECT_EQ(result["query"], "0x00000010") << result.Run.Output; // 6 + 10 ids
        for (int i = 0; i < 10; ++i) {
            const std::string& id = ids[11 - i]; // newest first
            const std::string label = id.substr(4, 2) + "/" + id.substr(6, 2) + "/" + id.substr(0, 4) + " " +
                                      id.substr(8, 2) + ":" + id.substr(10, 2) + ":" + id.substr(12, 2) +
                                      " (" + id.substr(14) + ")";
            EXPECT_EQ(result["item.2.6." + std::to_string(i)], Item("string", 6 + i, "enabled", label));
        }
        EXPECT_EQ(result["item.2.6.10"], Item("sep", -100, "", ""));
        EXPECT_EQ(result["item.2.6.11"], Item("string", 5, "enabled", "&Delete all backups"));
        std::vector<std::string> kept;
        for (int i = 2; i < 12; ++i) {
            kept.push_back(ids[i] + ".kvl");
        }
        EXPECT_EQ(BackupFiles(), kept);
    }
}

TEST_F(ShellExt, TwoShellThreadsBuildTheSameMenuAtTheSameTime) {
    MakeDataFolders();
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "2009010112000" + std::to_string(i) + "S.kvl",
                                    {{1, 1, "Icon"}}));
    }
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        SCOPED_TRACE(player.FileName);
        const TPlayerResult result = RunShellPlayer(player, {"threads", "100"}, 120000);
        EXPECT_FALSE(result.Run.TimedOut);
        EXPECT_EQ(result.Run.ExitCode, 0u);
        EXPECT_EQ(result["thread_failures"], "0");
        EXPECT_EQ(result["threads_agree"], "yes");
    }
}

TEST_F(ShellExt, BitmapFollowsNoShellExIconAndDefaultOnlyAddsNothing) {
    const struct {
        const char* Option;
        const char* Bitmap;
    } cases[] = {
        {nullptr, "1"}, {"NoShellExIcon=1", "0"}, {"NoShellExIcon=0", "1"}, {"NoShellExIcon=yes", "1"}};
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(player.FileName) + " " + (c.Option ? c.Option : "no key"));
            ASSERT_TRUE(
                WriteOptionsFile(c.Option ? std::vector<std::string>{c.Option} : std::vector<std::string>{}));
            // At the end of the shell's menu this time.
            const TPlayerResult result = RunShellPlayer(player, {"menu", "--index", "3"});
            EXPECT_EQ(result["item.3"], "sep|-100||0|");
            EXPECT_EQ(result["item.4"], std::string("popup|-|enabled|") + c.Bitmap + "|Kavrilon")
                << result.Run.Output;
            EXPECT_EQ(result["item.5"], "sep|-100||0|");
        }
        const TPlayerResult defaultOnly = RunShellPlayer(player, {"menu", "--flags", "1"}); // CMF_DEFAULTONLY
        EXPECT_EQ(defaultOnly["query"], Ok);
        EXPECT_EQ(defaultOnly["item.2"], Item("string", -97, "enabled", "C"));
        EXPECT_EQ(defaultOnly["item.3"], "<none>");
    }
}

TEST_F(ShellExt, EveryCommandStartsTheProgramHiddenWithItsVerb) {
    MakeDataFolders();
    const std::vector<std::string> backups = {"20081224183005S", "20081223120000R"};
    for (const std::string& id : backups) {
        ASSERT_TRUE(WriteLayoutFile(BackupFolder() + id + ".kvl", {{1, 1, "Icon"}}));
    }
    // The last case: a newer backup appears while the menu is open; the chosen one is still restored.
    const std::string newer = BackupFolder() + "20081225090000S.kvl";
    const struct {
        int Offset;
        const char* Verb;
        std::vector<std::string> Between;
    } cases[] = {
        {0, "/s", {}},
        {1, "/sfx", {}},
        {2, "/r", {}},
        {3, "/rfx", {}},
        {4, "/o", {}},
        {5, "/x", {}},
        {6, "/rb 20081224183005S", {}},
        {7, "/rb 20081223120000R", {}},
        {7, "/rb 20081223120000R", {"--add-before-invoke", newer}},
    };
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        const std::string folder = InstallRecorder();
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(player.FileName) + " offset " + std::to_string(c.Offset));
            DeleteFileA((folder + "recorded-command.txt").c_str());
            std::vector<std::string> arguments = {"menu", "--invoke", std::to_string(c.Offset)};
            arguments.insert(arguments.end(), c.Between.begin(), c.Between.end());
            const TPlayerResult result = RunShellPlayer(player, arguments);
            ASSERT_EQ(result["invoke"], Ok) << result.Run.Output;
            EXPECT_EQ(WaitForRecordedCommand(folder, 10000),
                      "parameters=/h " + result["owner"] + " /dlg " + c.Verb + "\nshow=0\n"); // SW_HIDE
        }
        DeleteFileA(newer.c_str());
    }
}

TEST_F(ShellExt, TextVerbsHighOffsetsAndVanishedBackupsFailSilently) {
    const std::string folder = InstallRecorder();
    MakeDataFolders();
    const std::string backup = BackupFolder() + "20081224183005S.kvl";
    const std::vector<std::string> refused[] = {
        {"--verb", "open"},
        {"--invoke", "16"},
        {"--invoke", "7"},                                   // the menu listed one backup only
        {"--remove-before-invoke", backup, "--invoke", "6"}, // gone while the menu was open
    };
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        for (const auto& arguments : refused) {
            ASSERT_TRUE(WriteLayoutFile(backup, {{1, 1, "Icon"}}));
            std::vector<std::string> all = {"menu"};
            all.insert(all.end(), arguments.begin(), arguments.end());
            SCOPED_TRACE(std::string(player.FileName) + " " + arguments[0] + " " + arguments[1]);
            const TPlayerResult result = RunShellPlayer(player, all, 15000);
            EXPECT_FALSE(result.Run.TimedOut) << "a message box waited for an answer";
            EXPECT_EQ(result["invoke"], Fail);
            EXPECT_EQ(result.Run.WindowsDescription, "");
        }
    }
    EXPECT_EQ(WaitForRecordedCommand(folder, 500), "");
}

TEST_F(ShellExt, WithoutTheProgramACommandWarnsAndFails) {
    const struct {
        const char* Language;
        std::string ExeLocation;
        const char* Caption;
        const char* Text;
    } cases[] = {
        {"1", "", "Kavrilon - Error",
         "Base application not found!\rPlease start Kavrilon in order to\rturn on the shell extension!"},
        {"0", "C:\\nowhere\\Kavrilon.exe", "Kavrilon - Fehler",
         "Basis-Anwendung wurde nicht gefunden!\rBitte starten Sie Kavrilon um die\rShell-Erweiterung "
         "einzuschalten!"},
    };
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(player.FileName) + " language " + c.Language);
            ASSERT_TRUE(WriteOptionsFile({std::string("Language=") + c.Language}));
            SetExeLocation(c.ExeLocation);
            TChildProcess process;
            ASSERT_TRUE(process.Start(TestToolPath(player.FileName), {"menu", "--invoke", "4"}, true));
            HWND box = WaitForDialog(process.Pid(), 20000);
            ASSERT_NE(box, nullptr) << "no warning box";
            const TDialogContent content = ReadDialog(box);
            EXPECT_EQ(content.Caption, c.Caption);
            EXPECT_EQ(content.Text, c.Text);
            EXPECT_EQ(content.Buttons.size(), 1u);
            EXPECT_TRUE(PressDialogButton(box, IDOK));
            ASSERT_TRUE(process.Wait(15000));
            EXPECT_EQ(ProbeValues(process.Output())["invoke"], Fail);
        }
    }
}

TEST_F(ShellExt, IdsStayWithinTheRangeTheShellOffersAndOnlyIssuedOnesRun) {
    MakeDataFolders();
    const std::vector<std::string> backups = {"20081224183005S", "20081223120000R", "20081222120000S"};
    for (const std::string& id : backups) {
        ASSERT_TRUE(WriteLayoutFile(BackupFolder() + id + ".kvl", {{1, 1, "Icon"}}));
    }
    const std::string folder = InstallRecorder();
    // idCmdLast is the last id the handler may use: "--last 103" offers the four ids 100 to 103.
    const struct {
        const char* Last;
        const char* Invoke;
        const char* Query;
        const char* Invoked;
        const char* Recorded; // the verb that reached the program, or nullptr
    } cases[] = {
        {"103", "0", "0x00000000", Fail, nullptr}, // too few ids for the fixed commands: no menu
        {"107", "8", "0x00000008", Fail, nullptr}, // room for two of the three backups
        {"107", "7", "0x00000008", Ok, "/rb 20081223120000R"},
    };
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(player.FileName) + " last " + c.Last + " invoke " + c.Invoke);
            DeleteFileA((folder + "recorded-command.txt").c_str());
            const TPlayerResult result =
                RunShellPlayer(player, {"menu", "--last", c.Last, "--invoke", c.Invoke});
            EXPECT_EQ(result["query"], c.Query) << result.Run.Output;
            for (const auto& [name, value] : result.Values) {
                if (name.rfind("item.", 0) == 0 && value.rfind("string|", 0) == 0) {
                    EXPECT_LE(std::stoi(value.substr(7)), std::atoi(c.Last) - 100) << name << "=" << value;
                }
            }
            if (c.Query == std::string("0x00000000")) {
                EXPECT_EQ(result["item.1"], Item("string", -98, "enabled", "B"))
                    << "the shell's menu changed";
            } else {
                EXPECT_EQ(result["item.2.6.1"], Item("string", 7, "enabled", "12/23/2008 12:00:00 (R)"));
                EXPECT_EQ(result["item.2.6.2"], Item("sep", -100, "", ""));
                EXPECT_EQ(result["item.2.6.3"], Item("string", 5, "enabled", "&Delete all backups"));
            }
            EXPECT_EQ(result["invoke"], c.Invoked);
            EXPECT_EQ(WaitForRecordedCommand(folder, c.Recorded != nullptr ? 10000 : 500),
                      c.Recorded != nullptr
                          ? "parameters=/h " + result["owner"] + " /dlg " + c.Recorded + "\nshow=0\n"
                          : "");
        }
    }
}

TEST_F(ShellExt, WithoutAnApplicationDataFolderThereIsNoMenu) {
    TUnfindableLocalAppData unfindable;
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        SCOPED_TRACE(player.FileName);
        const TPlayerResult result = RunShellPlayer(player, {"menu"});
        EXPECT_EQ(result["init"], Fail) << result.Run.Output;
        EXPECT_EQ(result["query"], "<none>");
    }
}

// A thousand menus built and destroyed in one process: one bitmap for all of them, deleted when COM
// unloads the library, and the process's handles and memory where they were after the first menu.
// The figures are printed for the record.
TEST_F(ShellExt, AThousandMenusLeaveHandlesObjectsAndMemoryWhereTheyWere) {
    MakeDataFolders();
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "2009010112000" + std::to_string(i) + "S.kvl",
                                    {{1, 1, "Icon"}}));
    }
    ASSERT_TRUE(WriteOptionsFile({"Language=1"}));
    // Tolerances: a leak of one object per menu would show as a thousand. Memory is counted in whole
    // pages and moved by 0 to 4 KB here after 1000 menus; a leaked 16 x 16 bitmap per menu costs
    // 1.2 MB, and 16 KB is 16 bytes per menu.
    constexpr long HandleTolerance = 8;
    constexpr long GuiObjectTolerance = 2;
    constexpr long long PrivateBytesTolerance = 16 * 1024;
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        SCOPED_TRACE(player.FileName);
        const TPlayerResult result = RunShellPlayer(player, {"soak", "1000"}, 120000);
        std::printf(
            "%s: 1000 menus: handles %s -> %s, GDI objects %s -> %s, USER objects %s -> %s, private bytes "
            "%s -> %s\n",
            player.FileName, result["handles_before"].c_str(), result["handles_after"].c_str(),
            result["gdi_before"].c_str(), result["gdi_after"].c_str(), result["user_before"].c_str(),
            result["user_after"].c_str(), result["private_before"].c_str(), result["private_after"].c_str());
        ASSERT_EQ(result["rounds"], "1000") << result.Run.Output;
        EXPECT_EQ(result["failures"], "0");
        EXPECT_EQ(result["bitmaps_distinct"], "1");
        EXPECT_EQ(result["bitmaps_alive"], "1");
        EXPECT_EQ(result["submenus_alive"], "0");
        EXPECT_LE(std::stol(result["handles_after"]) - std::stol(result["handles_before"]), HandleTolerance);
        EXPECT_LE(std::stoll(result["private_after"]) - std::stoll(result["private_before"]),
                  PrivateBytesTolerance);
        // Wine does not count GDI and USER objects (GetGuiResources); Windows does.
        for (const char* kind : {"gdi", "user"}) {
            if (result[std::string(kind) + "_before"] != "n/a") {
                EXPECT_LE(std::stol(result[std::string(kind) + "_after"]) -
                              std::stol(result[std::string(kind) + "_before"]),
                          GuiObjectTolerance)
                    << kind;
            }
        }
        EXPECT_EQ(result["unloaded"], "yes");
        EXPECT_EQ(result["bitmap_after_unload"], "deleted");
    }
}

// The shell's threads share the handler's state, but none waits while another reads the disk: one
// thread is held inside a read of Options.ini, of the primary layout's attributes, of the archive or
// inside the data folder's lookup while a second builds its menu.
TEST_F(ShellExt, AMenuDoesNotWaitForAnotherThreadsDiskAccess) {
    ASSERT_TRUE(WriteOptionsFile({"Language=1"}));
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        for (const char* function : {"GetPrivateProfileStringA", "GetFileAttributesA", "FindFirstFileA",
                                     "SHGetSpecialFolderLocation"}) {
            SCOPED_TRACE(std::string(player.FileName) + " " + function);
            const TPlayerResult result = RunShellPlayer(player, {"stall", function}, 60000);
            ASSERT_EQ(result["redirected"], "yes") << result.Run.Output;
            ASSERT_EQ(result["first_stalled"], "yes") << result.Run.Output;
            EXPECT_EQ(result["second_while_first_stalled"], "completed");
            EXPECT_EQ(result["first_query"], "0x00000006");
            EXPECT_EQ(result["second_query"], "0x00000006");
        }
    }
}

TEST_F(ShellExt, SaveCommandRunsTheRealProgramAgainstTheDesktop) {
    kvtest::DesktopHost host;
    ASSERT_TRUE(host.Start({{"Alpha", 40, 50}, {"Beta", 140, 60}})) << host.LastError();
    // No question and no notice: the save runs through without an answer.
    ASSERT_TRUE(WriteOptionsFile({"QuerySave=0", "SaveNotification=0"}));
    const TPlayerResult result = RunShellPlayer(ShellBitnessPlayer(), {"menu", "--invoke", "0"});
    ASSERT_EQ(result["invoke"], Ok) << result.Run.Output;
    std::vector<std::string> lines;
    for (const double end = NowSeconds() + 30; NowSeconds() < end && lines.size() < 5; Sleep(200)) {
        lines = ReadLines(PrimaryLayoutFile());
    }
    ASSERT_GE(lines.size(), 5u) << "no primary layout was saved";
    EXPECT_NE(std::find(lines.begin(), lines.end(), "40 50 Alpha"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "140 60 Beta"), lines.end());
    host.Stop();
}

TEST_F(ShellExt, SelfRegistrationWritesTheShortPathAndRemovesItsTwoKeys) {
    for (const TPlayer& player : PlayersOfThisPrefix()) {
        SCOPED_TRACE(player.FileName);
        ClearShellExtEntries();
        const std::string folder = "C:\\Kavrilon Shell Test\\";
        folders_.push_back(folder);
        CreateDirectoryA(folder.c_str(), nullptr);
        const std::string dll = folder + player.ExtensionName;
        ASSERT_TRUE(CopyFileA((DeliverablesDir() + player.ExtensionName).c_str(), dll.c_str(), FALSE));
        EXPECT_EQ(RunShellPlayer(player, {"register", dll})["result"], Ok);
        const REGSAM view = player.RegistryView;
        const std::string server =
            ReadRegValue(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, nullptr, view).Text();
        EXPECT_EQ(server.find(' '), std::string::npos) << server;
        char longPath[MAX_PATH] = {};
        GetLongPathNameA(server.c_str(), longPath, MAX_PATH);
        EXPECT_EQ(lstrcmpiA(longPath, dll.c_str()), 0) << longPath;
        EXPECT_EQ(ReadRegValue(HKEY_CLASSES_ROOT, ShellExtClassKeyPath, nullptr, view).Text(),
                  "Kavrilon Shell Extension");
        EXPECT_FALSE(
            ReadRegValue(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, ThreadingModelValueName, view).Exists);
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ShellExtHandlerKeyPath, view));

        EXPECT_EQ(RunShellPlayer(player, {"unregister", dll})["result"], Ok);
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ShellExtClassKeyPath, view));
        EXPECT_EQ(RunShellPlayer(player, {"unregister", dll})["result"], Ok); // nothing there
    }
}

} // namespace
