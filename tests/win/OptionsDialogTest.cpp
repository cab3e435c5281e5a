// The options dialog of the real Kavrilon.exe (verb /o), read and driven from the test process: its
// texts, font and layout by language and Windows version, the disabling rules, what OK and Cancel
// store, Remove traces, and the shell extension's install button with the registration utility.

#include <windows.h>
#include <shlwapi.h>
#include <psapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "LayoutScenario.h"
#include "RegistryReadback.h"
#include "ResourceIds.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"
#include "WinHandles.h"

namespace {

constexpr DWORD DialogWaitMs = 15000;

TRegValue RunValue() {
    return ReadRegValue(HKEY_CURRENT_USER, RunKeyPath, AutostartValueName);
}

void DeleteRunValue() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RunKeyPath, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, AutostartValueName);
        RegCloseKey(key);
    }
}

// The value of a key in the data folder's Options.ini.
std::string StoredOption(const std::string& key) {
    for (const std::string& line : ReadLines(KavrilonDataFolder() + "Options.ini")) {
        if (line.rfind(key + "=", 0) == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return "<missing>";
}

// Kavrilon.exe (the build's, or a copy) showing its options dialog.
class TOptionsRun {
public:
    explicit TOptionsRun(const std::vector<std::string>& arguments, const std::string& exePath = {})
        : run_(arguments, exePath) {
        Dialog = run_.NextBox(DialogWaitMs);
    }
    // Waits for the next dialog besides the options dialog (a message box).
    HWND NextBox() {
        HWND box = WaitForOtherDialog(Pid(), Dialog, DialogWaitMs);
        Sleep(200);
        return box;
    }
    DWORD Pid() const {
        DWORD pid = 0;
        GetWindowThreadProcessId(Dialog, &pid);
        return pid;
    }
    bool Finish() { return run_.Finish(); }
    HWND Dialog = nullptr;

private:
    TKavrilonRun run_;
};

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        RemoveKavrilonData();
        DeleteRunValue();
        ClearShellExtEntries();
    }
};

struct TRect {
    int Id, X, Y, Width, Height;
};
// The group boxes and push buttons in dialog units.
const TRect Layout[] = {
    {IdcGroupAutoRestore, 8, 8, 128, 82},   {IdcGroupConfirm, 8, 96, 128, 66},
    {IdcGroupIconSize, 8, 168, 128, 40},    {IdcGroupLanguage, 8, 214, 128, 40},
    {IdcGroupAdditional, 144, 8, 128, 216}, {IdcShellExt, 152, 136, 112, 14},
    {IdcRemoveTraces, 152, 157, 112, 14},   {IdcStartTray, 152, 178, 112, 14},
    {IdcAbout, 152, 199, 112, 14},          {IDOK, 144, 240, 58, 14},
    {IDCANCEL, 214, 240, 58, 14},           {IdcRestoreAtShellRestart, 16, 72, 112, 8},
    {IdcPlaceNewIcons, 152, 120, 116, 8},
};

struct TLook {
    const char* Version;
    const char* Language;
    const char* Title;
    std::map<int, std::string> Texts;
    std::vector<std::string> IconSizes;
    const char* Face;
    int Points;
};

const TLook Looks[] = {
    {"winxp",
     "1",
     "Kavrilon 8.2 - Options",
     {{1000, "St&art"},
      {1017, "Resume from Standb&y"},
      {1001, "Resolution C&hange"},
      {1022, "E&xplorer Restart"},
      {1023, "Place New &Icons"},
      {1004, "&Restoring"},
      {1018, "Restoring from &File"},
      {1005, "&Saving"},
      {1002, "Start with &Windows"},
      {1014, "&Undo after Restore"},
      {1008, "&Notification after Saving"},
      {1021, "Transparent &confirmations"},
      {1019, "Save at &Logoff"},
      {1020, "No S&plash Screen"},
      {1007, "Install Shell &Extension"},
      {1003, "Remo&ve Traces"},
      {1015, "Start in System &Tray"},
      {1013, "A&bout"},
      {1009, "Auto Restore After"},
      {1010, "Confirmation Before"},
      {1016, "Vista: Icon Size after Restoration"},
      {1012, "Language"},
      {1011, "Additional"},
      {IDOK, "OK"},
      {IDCANCEL, "Cancel"}},
     {"Do not change", "Classic icons", "Medium icons", "Large icons"},
     "Tahoma",
     8},
    {"win7",
     "1",
     "Kavrilon 8.2 - Options",
     {{1000, "St&art"},
      {1017, "Resume from standb&y"},
      {1001, "Resolution c&hange"},
      {1018, "Restoring from &file"},
      {1002, "Start with &windows"},
      {1014, "&Undo after restore"},
      {1008, "&Notification after saving"},
      {1019, "Save at &logoff"},
      {1020, "No S&plash screen"},
      {1007, "Install shell &extension"},
      {1003, "Remo&ve traces"},
      {1015, "Start in system &tray"},
      {1009, "Auto restore after"},
      {1016, "Vista: Icon size after restoration"},
      {IDCANCEL, "Cancel"}},
     {"Do not change", "Classic icons", "Medium icons", "Large icons"},
     "Segoe UI",
     9},
    {"win7",
     "0",
     "Kavrilon 8.2 - Optionen",
     {{1000, "&Programmstart"},
      {1017, "R\374c&kkehr aus Standby"},
      {1001, "&Aufl\366sungswechsel"},
      {1022, "E&xplorer-Neustart"},
      {1023, "Neue Icons ein&ordnen"},
      {1004, "&Restaurieren"},
      {1018, "Restaurieren aus &Datei"},
      {1005, "&Sichern"},
      {1002, "A&utostart"},
      {1014, "R\374ckg\344ngig &nach Restaurieren"},
      {1008, "&Meldung nach erfolgtem Sichern"},
      {1021, "Transparente Abfra&gen"},
      {1019, "Sichern beim A&bmelden"},
      {1020, "Kein Sp&lash Screen"},
      {1007, "Shell-&Erweiterung installieren"},
      {1003, "Spuren ent&fernen"},
      {1015, "Im System-&Tray starten"},
      {1013, "&Info"},
      {1009, "Automatisch restaurieren nach"},
      {1010, "Sicherheitsabfrage vor"},
      {1016, "Vista: Icongr\366\337e n. Restaurieren"},
      {1012, "Sprache"},
      {1011, "Zus\344tzlich"},
      {IDCANCEL, "Abbrechen"}},
     {"Nicht \344ndern", "Klassische Symbole", "Mittelgro\337e Symbole", "Gro\337e Symbole"},
     "Segoe UI",
     9},
};

TEST_F(OptionsDialog, TextsFontAndLayoutFollowLanguageAndWindowsVersion) {
    for (const TLook& look : Looks) {
        SCOPED_TRACE(std::string(look.Version) + " language " + look.Language);
        ASSERT_TRUE(WriteOptionsFile({std::string("Language=") + look.Language}));
        TWineVersionOverride version("Kavrilon.exe", look.Version);
        TOptionsRun options({"/o"});
        ASSERT_NE(options.Dialog, nullptr);
        EXPECT_EQ(ReadDialog(options.Dialog).Caption, look.Title);
        for (const auto& [id, text] : look.Texts) {
            EXPECT_EQ(ControlText(options.Dialog, id), text) << "control " << id;
        }
        EXPECT_EQ(ComboItems(options.Dialog, IdcIconSize), look.IconSizes);
        EXPECT_EQ(ComboItems(options.Dialog, IdcLanguage), (std::vector<std::string>{"Deutsch", "English"}));
        EXPECT_EQ(ComboSelection(options.Dialog, IdcLanguage), look.Language[0] - '0');

        // The rectangles in pixels follow from the dialog units only with the expected font.
        for (const TRect& expected : Layout) {
            const RECT units = {expected.X, expected.Y, expected.X + expected.Width,
                                expected.Y + expected.Height};
            const RECT pixels = DialogUnitsToPixels(look.Face, look.Points, units);
            const RECT actual = ControlClientRect(options.Dialog, expected.Id);
            EXPECT_TRUE(EqualRect(&pixels, &actual))
                << "control " << expected.Id << ": " << actual.left << "," << actual.top << " "
                << actual.right << "," << actual.bottom << " instead of " << pixels.left << "," << pixels.top
                << " " << pixels.right << "," << pixels.bottom;
        }
        EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
        EXPECT_TRUE(options.Finish());
    }
}

// The common controls module that Kavrilon.exe loaded is the one of the side-by-side assembly of
// version 6 (themed controls, the shield), not the system folder's version 5. (Wine's module answers
// DllGetVersion with 5.81 in either form, so the assembly tells them apart.)
TEST_F(OptionsDialog, TheProgramRunsWithVersion6OfTheCommonControls) {
    TOptionsRun options({"/o"});
    ASSERT_NE(options.Dialog, nullptr);
    std::string path;
    {
        TUniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, options.Pid()));
        ASSERT_TRUE(process);
        HMODULE modules[512] = {};
        DWORD bytes = 0;
        ASSERT_TRUE(EnumProcessModules(process.get(), modules, sizeof(modules), &bytes));
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            char name[MAX_PATH] = {};
            if (GetModuleFileNameExA(process.get(), modules[i], name, MAX_PATH) > 0 &&
                lstrcmpiA(PathFindFileNameA(name), "comctl32.dll") == 0) {
                path = name;
            }
        }
    }
    EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
    EXPECT_TRUE(options.Finish());
    std::string lower = path;
    CharLowerA(lower.data());
    EXPECT_NE(lower.find("\\winsxs\\x86_microsoft.windows.common-controls_6595b64144ccf1df_6."),
              std::string::npos)
        << "common controls loaded from " << (path.empty() ? "nowhere" : path);
}

TEST_F(OptionsDialog, ControlsAreDisabledWhereTheyCannotWork) {
    const bool wow64 = RunsUnderWow64();
    struct Case {
        const char* Name;
        std::vector<std::string> Arguments;
        const char* Version;
        bool With64BitExtension;
        std::set<int> Disabled;
    };
    const Case cases[] = {
        {"Windows 7", {"/o"}, "win7", false, wow64 ? std::set<int>{IdcShellExt} : std::set<int>{}},
        {"Windows XP",
         {"/o"},
         "winxp",
         false,
         wow64 ? std::set<int>{IdcShellExt, IdcIconSize} : std::set<int>{IdcIconSize}},
        {"64-bit extension beside the program", {"/o"}, "win7", true, {}},
        {"portable", {"/port", "/o"}, "win7", true, {IdcAutostart, IdcShellExt, IdcRemoveTraces}},
    };
    // The autostart box shows the Run value, except in portable mode.
    ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, RunKeyPath, AutostartValueName, "x"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<std::string> files = {RegUtilFileName, ShellExtFileName};
        if (c.With64BitExtension) {
            files.push_back(ShellExt64FileName);
        }
        const std::string folder = InstallProgramCopy("options", files);
        TWineVersionOverride version("Kavrilon.exe", c.Version);
        TOptionsRun options(c.Arguments, folder + "Kavrilon.exe");
        ASSERT_NE(options.Dialog, nullptr);
        for (int id :
             {IdcAutostart, IdcShellExt, IdcRemoveTraces, IdcStartTray, IdcTransparency, IdcIconSize}) {
            EXPECT_EQ(ControlEnabled(options.Dialog, id), c.Disabled.count(id) == 0) << "control " << id;
        }
        const bool portable = c.Arguments.front() == "/port";
        EXPECT_EQ(ControlChecked(options.Dialog, IdcAutostart), !portable);
        EXPECT_EQ(ReadDialog(options.Dialog).Caption,
                  portable ? "Kavrilon 8.2 - Portable - Options" : "Kavrilon 8.2 - Options");
        EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
        EXPECT_TRUE(options.Finish());
        RemoveTree(folder);
    }
}

TEST_F(OptionsDialog, OkStoresTheBoxesButTheOVerbLeavesAutomaticRestoresAndAutostartAlone) {
    TOptionsRun options({"/o"});
    ASSERT_NE(options.Dialog, nullptr);
    for (int id : {IdcRestoreAtStart, IdcRestoreAtChange, IdcRestoreAtResume, IdcQuerySave, IdcDirectUndo}) {
        SetControlChecked(options.Dialog, id, false);
    }
    for (int id : {IdcAutostart, IdcAutoSave, IdcNoSplash}) {
        SetControlChecked(options.Dialog, id, true);
    }
    SelectComboItem(options.Dialog, IdcIconSize, 2);
    EXPECT_TRUE(PressDialogButton(options.Dialog, IDOK));
    EXPECT_TRUE(options.Finish());

    const std::map<std::string, std::string> expected = {
        {"RestoreAtStart", "1"}, {"RestoreAtChange", "1"}, {"RestoreAtResume", "1"}, {"QuerySave", "0"},
        {"DirectUndo", "0"},     {"AutoSave", "1"},        {"NoSplash", "1"},        {"IconSize", "2"},
        {"QueryRestore", "1"},   {"Language", "1"},
    };
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(StoredOption(key), value) << key;
    }
    EXPECT_FALSE(RunValue().Exists);
}

TEST_F(OptionsDialog, LanguageSwitchRelabelsAtOnceAndCancelUndoesItWritingNothing) {
    ASSERT_TRUE(WriteOptionsFile({"Language=1", "IconSize=2"}));
    TOptionsRun options({"/o"});
    ASSERT_NE(options.Dialog, nullptr);
    const std::string before = ReadFileBytes(KavrilonDataFolder() + "Options.ini");

    SelectComboItem(options.Dialog, IdcIconSize, 3);
    SetControlChecked(options.Dialog, IdcQuerySave, false);
    SelectComboItem(options.Dialog, IdcLanguage, 0);
    EXPECT_EQ(ReadDialog(options.Dialog).Caption, "Kavrilon 8.2 - Optionen");
    EXPECT_EQ(ControlText(options.Dialog, IdcRestoreAtStart), "&Programmstart");
    EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Shell-&Erweiterung installieren");
    EXPECT_EQ(ControlText(options.Dialog, IDCANCEL), "Abbrechen");
    EXPECT_EQ(ComboItems(options.Dialog, IdcIconSize).front(), "Nicht \344ndern");
    // The stored icon size, not the unsaved choice.
    EXPECT_EQ(ComboSelection(options.Dialog, IdcIconSize), 2);
    // The state of the boxes is the user's, not re-read.
    EXPECT_FALSE(ControlChecked(options.Dialog, IdcQuerySave));

    EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
    EXPECT_TRUE(options.Finish());
    EXPECT_EQ(ReadFileBytes(KavrilonDataFolder() + "Options.ini"), before);
}

// A tray instance that neither restores at start nor asks for a first primary layout.
void PrepareQuietTray() {
    MakeDataFolders();
    ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 20, "a"}}));
    ASSERT_TRUE(WriteOptionsFile({"RestoreAtStart=0", "Language=1"}));
}

TEST_F(OptionsDialog, FromTheTrayAutostartIsWrittenQuotedAndRemovedAgain) {
    PrepareQuietTray();
    TTrayInstance tray({"/nosplash"});
    ASSERT_NE(tray.Window(), nullptr);
    for (const bool checked : {true, false}) {
        SCOPED_TRACE(checked ? "checked" : "unchecked");
        PostMessageA(tray.Window(), WM_COMMAND, CommandOptions, 0);
        HWND dialog = WaitForDialog(tray.Pid(), DialogWaitMs);
        ASSERT_NE(dialog, nullptr);
        Sleep(200);
        // Only the O verb offers to start the tray program.
        EXPECT_FALSE(ControlEnabled(dialog, IdcStartTray));
        EXPECT_EQ(ControlChecked(dialog, IdcAutostart), !checked);
        SetControlChecked(dialog, IdcAutostart, checked);
        EXPECT_TRUE(PressDialogButton(dialog, IDOK));
        ASSERT_TRUE(tray.Idle());
        const TRegValue value = RunValue();
        EXPECT_EQ(value.Exists, checked);
        if (checked) {
            // Quoted: a path with spaces is not split at logon.
            EXPECT_EQ(value.Type, DWORD(REG_SZ));
            EXPECT_EQ(lstrcmpiA(value.Text().c_str(), ("\"" + KavrilonExePath() + "\"").c_str()), 0)
                << value.Text();
        }
    }
    EXPECT_EQ(tray.Exit(), 0);
}

TEST_F(OptionsDialog, TheOVerbOpensTheAboutScreenAndStartsTheTrayProgram) {
    PrepareQuietTray();
    TOptionsRun options({"/o"});
    ASSERT_NE(options.Dialog, nullptr);
    PostMessageA(options.Dialog, WM_COMMAND, IdcAbout, 0);
    HWND about = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const TSeenWindow& seen : TopLevelWindowsOf(options.Pid())) {
                if (seen.Visible && seen.ClassName == TrayWindowClassName) {
                    about = seen.Window;
                }
            }
            return about != nullptr;
        },
        DialogWaitMs));
    EXPECT_EQ(GetWindow(about, GW_OWNER), options.Dialog);
    PostMessageA(about, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, DialogWaitMs));

    SelectComboItem(options.Dialog, IdcLanguage, 0);
    EXPECT_TRUE(PressDialogButton(options.Dialog, IdcStartTray));
    EXPECT_TRUE(options.Finish());
    // The language chosen before is in memory and written; the boxes are not taken over.
    EXPECT_EQ(StoredOption("Language"), "0");
    HWND tray = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (tray = FindWindowA(TrayWindowClassName, TrayWindowTitle)) != nullptr; }, 15000));
    PostMessageA(tray, WM_COMMAND, CommandExit, 0);
    EXPECT_TRUE(
        WaitUntil([] { return FindWindowA(TrayWindowClassName, TrayWindowTitle) == nullptr; }, 15000));
}

TEST_F(OptionsDialog, RemoveTracesAnsweredYesRemovesEverythingAndClosesTheTrayNoChangesNothing) {
    const std::string folder =
        InstallProgramCopy("traces", {RegUtilFileName, ShellExtFileName, ShellExt64FileName}, true);
    const std::string portable = InstallProgramCopy("portable", {ShellExtFileName, ShellExt64FileName});
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        MakeDataFolders();
        ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(), {{10, 20, "a"}}));
        ASSERT_EQ(RunProcess(folder + RegUtilFileName, {"r"}, 15000).ExitCode, 1u);
        // And a per-user copy's registration of this user.
        ASSERT_TRUE(WritePerUserEntries(portable));
        ASSERT_TRUE(SetRegistryString(HKEY_CURRENT_USER, RunKeyPath, AutostartValueName, "x"));
        ASSERT_TRUE(WriteOptionsFile({"RestoreAtStart=0", "Language=1"}));
        TTrayInstance tray({"/nosplash"});
        ASSERT_NE(tray.Window(), nullptr);

        TOptionsRun options({"/o"}, folder + "Kavrilon.exe");
        ASSERT_NE(options.Dialog, nullptr);
        PostMessageA(options.Dialog, WM_COMMAND, IdcRemoveTraces, 0);
        HWND question = options.NextBox();
        ASSERT_NE(question, nullptr);
        const TDialogContent content = ReadDialog(question);
        EXPECT_EQ(content.Caption, "Kavrilon - Remove traces");
        EXPECT_EQ(content.Text,
                  "Caution!\r\rPrimary layouts and backups for all screen resolutions will be "
                  "deleted!\rKavrilon will be terminated afterwards.\r\rDo you really want this?");
        EXPECT_TRUE(PressDialogButton(question, yes ? IDYES : IDNO));
        if (!yes) {
            Sleep(500);
            EXPECT_TRUE(IsWindow(options.Dialog));
            EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
        }
        EXPECT_TRUE(options.Finish());

        EXPECT_EQ(IsFolder(KavrilonDataFolder()), !yes);
        EXPECT_EQ(IsFolder(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Quellwyn"), !yes);
        EXPECT_EQ(RunValue().Exists, !yes);
        for (const bool perUser : {false, true}) {
            EXPECT_EQ(NoShellExtEntries(KEY_WOW64_32KEY, perUser), yes) << perUser;
            if (RunsUnderWow64()) {
                EXPECT_EQ(NoShellExtEntries(KEY_WOW64_64KEY, perUser), yes) << perUser;
            }
        }
        // The running tray instance is closed.
        if (yes) {
            EXPECT_TRUE(tray.Process().Wait(15000));
        } else {
            EXPECT_EQ(tray.Exit(), 0);
        }
        // The program's own folder is untouched.
        EXPECT_TRUE(IsFile(folder + "Kavrilon.exe"));
    }
    RemoveTree(folder);
    RemoveTree(portable);
}

// A window of the tray's class and title whose thread stops answering: a hung tray instance.
class THungTray {
public:
    THungTray() {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(created_, 15000);
    }
    ~THungTray() {
        SetEvent(release_);
        WaitForSingleObject(thread_, 15000);
        CloseHandle(thread_);
        CloseHandle(created_);
        CloseHandle(release_);
    }
    HWND Window = nullptr;

private:
    static DWORD WINAPI Run(void* parameter) {
        auto* self = static_cast<THungTray*>(parameter);
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = TrayWindowClassName;
        RegisterClassA(&windowClass);
        self->Window = CreateWindowA(TrayWindowClassName, TrayWindowTitle, WS_OVERLAPPED, 0, 0, 10, 10,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
        SetEvent(self->created_);
        // Never looks at its queue while it waits: a message sent to the window is not answered.
        WaitForSingleObject(self->release_, INFINITE);
        DestroyWindow(self->Window);
        return 0;
    }
    HANDLE created_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
};

TEST_F(OptionsDialog, RemoveTracesEndsAlthoughTheTrayInstanceHangs) {
    ASSERT_TRUE(WriteOptionsFile({"RestoreAtStart=0", "Language=1"}));
    THungTray tray;
    ASSERT_NE(tray.Window, nullptr);
    TOptionsRun options({"/o"});
    ASSERT_NE(options.Dialog, nullptr);
    PostMessageA(options.Dialog, WM_COMMAND, IdcRemoveTraces, 0);
    HWND question = options.NextBox();
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(PressDialogButton(question, IDYES));
    EXPECT_TRUE(options.Finish()) << "the options dialog waited for a tray that does not answer";
    EXPECT_FALSE(IsFolder(KavrilonDataFolder()));
}

// The install button with the real registration utility in a folder beside a copy of the program.
class ShellExtButton : public OptionsDialog {
protected:
    std::string Install(bool withExtension) {
        std::vector<std::string> files = {RegUtilFileName};
        if (withExtension) {
            files.push_back(ShellExtFileName);
            files.push_back(ShellExt64FileName);
        }
        folder_ = InstallProgramCopy("shellext", files, true);
        return folder_;
    }
    void TearDown() override {
        RemoveTree(folder_);
        OptionsDialog::TearDown();
    }
    // Presses the button and returns the message box it leads to, read and answered.
    TDialogContent PressAndRead(TOptionsRun& options) {
        PostMessageA(options.Dialog, WM_COMMAND, IdcShellExt, 0);
        HWND box = options.NextBox();
        if (box == nullptr) {
            return {};
        }
        TDialogContent content = ReadDialog(box);
        EXPECT_TRUE(PressDialogButton(box, IDOK));
        return content;
    }
    // The view that the shell reads.
    static REGSAM ShellView() { return RunsUnderWow64() ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

    std::string folder_;
};

TEST_F(ShellExtButton, InstallsAndUninstallsWithTheUtilityAndFollowsTheState) {
    const std::string folder = Install(true);
    TOptionsRun options({"/o"}, folder + "Kavrilon.exe");
    ASSERT_NE(options.Dialog, nullptr);
    EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Install shell &extension");

    TDialogContent box = PressAndRead(options);
    EXPECT_EQ(box.Caption, "Kavrilon");
    EXPECT_EQ(box.Text, "Shell extension was installed.");
    EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Uninstall shell &extension");
    EXPECT_EQ(ReadShellExtEntries(ShellView()).Handler.Text(), ShellExtClassIdText);

    box = PressAndRead(options);
    EXPECT_EQ(box.Text, "Shell extension was uninstalled.");
    EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Install shell &extension");
    EXPECT_TRUE(NoShellExtEntries(ShellView()));

    EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
    EXPECT_TRUE(options.Finish());
}

TEST_F(ShellExtButton, APerUserCopyInstallsForTheCurrentUserWithoutTheUtility) {
    // A portable copy in a folder of the user's, without the utility: nothing is there to elevate.
    folder_ = InstallProgramCopy("peruser", {ShellExtFileName, ShellExt64FileName});
    TOptionsRun options({"/o"}, folder_ + "Kavrilon.exe");
    ASSERT_NE(options.Dialog, nullptr);
    EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Install shell &extension");

    TDialogContent box = PressAndRead(options);
    EXPECT_EQ(box.Text, "Shell extension was installed.");
    EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Uninstall shell &extension");
    // Wine's COM does not read per-user classes, so no player can create the object from them here:
    // the entries are read back instead.
    const REGSAM view = ShellView();
    const TShellExtEntries entries = ReadShellExtEntries(view, true);
    SCOPED_TRACE(entries.Describe());
    EXPECT_EQ(entries.Server.Text(), folder_ + (RunsUnderWow64() ? ShellExt64FileName : ShellExtFileName));
    EXPECT_EQ(entries.ExeLocation.Text(), folder_ + MainProgramFileName);
    EXPECT_EQ(entries.ThreadingModel.Text(), ShellExtThreadingModel);
    EXPECT_EQ(entries.Handler.Text(), ShellExtClassIdText);
    EXPECT_TRUE(entries.Approved.Exists);
    // Nothing for every user.
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, std::string(ClassesKeyPath) + ShellExtClassKeyPath, view));
    EXPECT_FALSE(ReadRegValue(HKEY_LOCAL_MACHINE, ShellExtApprovedKeyPath, ShellExtClassIdText, view).Exists);

    box = PressAndRead(options);
    EXPECT_EQ(box.Text, "Shell extension was uninstalled.");
    EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Install shell &extension");
    EXPECT_TRUE(NoShellExtEntries(KEY_WOW64_32KEY, true));
    EXPECT_TRUE(NoShellExtEntries(KEY_WOW64_64KEY, true));
    EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
    EXPECT_TRUE(options.Finish());
}

TEST_F(ShellExtButton, AMissingExtensionOrUtilityIsReported) {
    const struct {
        const char* Missing;
        const char* Text;
    } cases[] = {
        {ShellExtFileName,
         "Installing the shell extension failed!\r\r'KavrilonShellEx.dll' is missing!\r\rPlease "
         "contact your system administrator!"},
        {RegUtilFileName,
         "An error ocurred opening 'KVRegShellEx.exe'!\r\rPlease contact your system administrator!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Missing);
        const std::string folder = Install(true);
        ASSERT_TRUE(DeleteFileA((folder + c.Missing).c_str()));
        TOptionsRun options({"/o"}, folder + "Kavrilon.exe");
        ASSERT_NE(options.Dialog, nullptr);
        const TDialogContent box = PressAndRead(options);
        EXPECT_EQ(box.Caption, "Kavrilon - Error");
        EXPECT_EQ(box.Text, c.Text);
        EXPECT_EQ(ControlText(options.Dialog, IdcShellExt), "Install shell &extension");
        EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
        EXPECT_TRUE(options.Finish());
        RemoveTree(folder);
    }
}

TEST_F(ShellExtButton, IncompleteOrAlteredRegistrationsCountAsNotInstalled) {
    const std::string folder = Install(true);
    const REGSAM view = ShellView();
    struct Case {
        const char* Name;
        bool Installed;
        std::function<void()> Alter;
    };
    const std::string server = ShellExtServerKeyPath;
    const Case cases[] = {
        {"complete", true, [] {}},
        {"ThreadingModel in other case", false,
         [&] { SetRegistryString(HKEY_CLASSES_ROOT, server, ThreadingModelValueName, "apartment", view); }},
        {"class id of the handler in lower case", false,
         [&] {
             SetRegistryString(HKEY_CLASSES_ROOT, ShellExtHandlerKeyPath, "",
                               "{6e1b4c92-7a3d-4f05-b8e2-91c4d7a35b60}", view);
         }},
        {"extension file gone", false,
         [&] { SetRegistryString(HKEY_CLASSES_ROOT, server, "", folder + "Gone.dll", view); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_EQ(RunProcess(folder + RegUtilFileName, {"r"}, 15000).ExitCode, 1u);
        c.Alter();
        TOptionsRun options({"/o"}, folder + "Kavrilon.exe");
        ASSERT_NE(options.Dialog, nullptr);
        EXPECT_EQ(ControlText(options.Dialog, IdcShellExt),
                  c.Installed ? "Uninstall shell &extension" : "Install shell &extension");
        EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
        EXPECT_TRUE(options.Finish());
    }
}

TEST_F(ShellExtButton, AUtilityThatDoesNotEndInTenSecondsGivesTheTimeoutMessage) {
    const std::string folder = Install(true);
    ASSERT_TRUE(
        CopyFileA(TestToolPath("kv-slow-utility.exe").c_str(), (folder + RegUtilFileName).c_str(), FALSE));
    TOptionsRun options({"/o"}, folder + "Kavrilon.exe");
    ASSERT_NE(options.Dialog, nullptr);
    const double start = NowSeconds();
    const TDialogContent box = PressAndRead(options);
    EXPECT_GE(NowSeconds() - start, 9.5);
    EXPECT_EQ(box.Caption, "Kavrilon - Error");
    EXPECT_EQ(box.Text,
              "Timeout error opening 'KVRegShellEx.exe'!\r\rPlease contact your system administrator!");
    EXPECT_TRUE(PressDialogButton(options.Dialog, IDCANCEL));
    EXPECT_TRUE(options.Finish());
    // The stand-in runs on for a few seconds; its folder is removed once it has ended.
    Sleep(6000);
}

} // namespace
