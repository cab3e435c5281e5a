// KVRegShellEx.exe as a real process: its parameters, the registry layout it writes and removes in
// each registry view, its exit codes, and its manifest.

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KavrilonNames.h"
#include "ProcessRunner.h"
#include "RegistryReadback.h"
#include "TestEnvironment.h"

namespace {

constexpr DWORD ExitFailure = 0xFFFFFFFF; // -1

// The utility installed in a folder of its own below Program Files, with (empty) extension files
// beside it.
class RegUtil : public ::testing::Test {
protected:
    void SetUp() override {
        ClearShellExtEntries();
        RemoveTree(Apps);
        CreateDirectoryA(Apps.c_str(), nullptr);
        Place(Folder);
    }
    void TearDown() override {
        ClearShellExtEntries();
        RemoveTree(Apps);
        for (const std::string& folder : others_) {
            RemoveTree(folder);
        }
    }

    // Creates `folder` holding the utility and (empty) extension files.
    static void Place(const std::string& folder) {
        RemoveTree(folder);
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
        ASSERT_TRUE(CopyFileA((DeliverablesDir() + RegUtilFileName).c_str(),
                              (folder + RegUtilFileName).c_str(), FALSE));
        ASSERT_TRUE(WriteFileBytes(folder + ShellExtFileName, ""));
        ASSERT_TRUE(WriteFileBytes(folder + ShellExt64FileName, ""));
    }

    DWORD Run(const std::vector<std::string>& arguments, const std::string& folder = {}) {
        const TRunResult run =
            RunProcess((folder.empty() ? Folder : folder) + RegUtilFileName, arguments, 15000);
        EXPECT_TRUE(run.Started);
        EXPECT_FALSE(run.TimedOut);
        EXPECT_EQ(run.WindowsDescription, "") << "the utility showed a window";
        return run.ExitCode;
    }

    // The six entries as the layout has them for an extension file in Folder.
    void ExpectRegistered(REGSAM view, const char* extensionFileName) {
        const TShellExtEntries e = ReadShellExtEntries(view);
        SCOPED_TRACE(e.Describe());
        const struct {
            const TRegValue& Value;
            std::string Data;
        } expected[] = {
            {e.Approved, "Kavrilon"},
            {e.ClassName, "Kavrilon"},
            {e.Server, Folder + extensionFileName},
            {e.ThreadingModel, "Apartment"},
            {e.ExeLocation, Folder + "Kavrilon.exe"},
            {e.Handler, ShellExtClassIdText},
        };
        for (const auto& entry : expected) {
            EXPECT_TRUE(entry.Value.Exists) << entry.Data;
            EXPECT_EQ(entry.Value.Type, DWORD(REG_SZ)) << entry.Data;
            // The data and its terminating zero, nothing more.
            EXPECT_EQ(entry.Value.Bytes, entry.Data + '\0');
        }
        EXPECT_EQ(e.Handler.Bytes.size(), 39u);
    }

    const std::string Apps = ShellFolder(CSIDL_PROGRAM_FILES) + "\\Kavrilon Apps\\";
    const std::string Folder = Apps + "Icons\\";
    std::vector<std::string> others_;
};

TEST_F(RegUtil, UnrecognisedParametersChangeNothing) {
    ASSERT_EQ(Run({"r"}), 1u);
    const TShellExtEntries before = ReadShellExtEntries();
    const std::vector<std::vector<std::string>> unrecognised = {{}, {"R"}, {"U"}, {"/r"}, {"ru"}, {"-u"}};
    for (const auto& arguments : unrecognised) {
        SCOPED_TRACE(arguments.empty() ? "no parameter" : arguments[0]);
        EXPECT_EQ(Run(arguments), 0u);
        EXPECT_EQ(ReadShellExtEntries(), before);
    }
}

TEST_F(RegUtil, RegisterWritesTheLayoutNamingItsOwnFolderAndSucceedsAgain) {
    ASSERT_EQ(Run({"r", "x", "y"}), 1u);
    ExpectRegistered(KEY_WOW64_32KEY, ShellExtFileName);
    const TShellExtEntries first = ReadShellExtEntries();
    EXPECT_EQ(Run({"r"}), 1u);
    EXPECT_EQ(ReadShellExtEntries(), first);
    if (RunsUnderWow64()) {
        // The 64-bit shell reads the 64-bit view: there the 64-bit extension is registered.
        ExpectRegistered(KEY_WOW64_64KEY, ShellExt64FileName);
    }
}

TEST_F(RegUtil, RegistersForEveryUserOnlyFromAFolderThatOnlyAdministratorsChange) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    char shortFolder[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(Folder.c_str(), shortFolder, MAX_PATH), 0u);
    const std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
    struct Case {
        std::string Started; // the folder the utility is started from
        std::string Written; // the folder the entries name; empty when refused
    };
    std::vector<Case> cases = {
        {Folder, Folder},
        {shortFolder, Folder}, // short names are resolved, and the long form is written
        {std::string(windows) + "\\Kavrilon Test\\", std::string(windows) + "\\Kavrilon Test\\"},
        // A folder beside Program Files whose name only starts like it.
        {programFiles + " Evil\\", ""},
        // The user's own folders: the temp folder, as a portable copy unpacked into Downloads.
        {std::string(temp) + "Kavrilon Portable\\", ""},
        {"C:\\Apps\\", ""},
    };
    if (RunsUnderWow64()) {
        // Where the setup program installs on 64-bit Windows: the 64-bit Program Files folder.
        cases.push_back({"C:\\Program Files\\Kavrilon Test\\", "C:\\Program Files\\Kavrilon Test\\"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Started);
        if (c.Started != Folder && c.Started != shortFolder) {
            Place(c.Started);
            others_.push_back(c.Started);
        }
        ClearShellExtEntries();
        if (c.Written.empty()) {
            EXPECT_EQ(Run({"r"}, c.Started), ExitFailure);
            EXPECT_TRUE(NoShellExtEntries(KEY_WOW64_32KEY))
                << ReadShellExtEntries(KEY_WOW64_32KEY).Describe();
            EXPECT_TRUE(NoShellExtEntries(KEY_WOW64_64KEY))
                << ReadShellExtEntries(KEY_WOW64_64KEY).Describe();
            // Nor does it remove the registration of the installed copy.
            ASSERT_EQ(Run({"r"}), 1u);
            const TShellExtEntries before32 = ReadShellExtEntries(KEY_WOW64_32KEY);
            const TShellExtEntries before64 = ReadShellExtEntries(KEY_WOW64_64KEY);
            EXPECT_EQ(Run({"r"}, c.Started), ExitFailure);
            EXPECT_EQ(ReadShellExtEntries(KEY_WOW64_32KEY), before32);
            EXPECT_EQ(ReadShellExtEntries(KEY_WOW64_64KEY), before64);
        } else {
            EXPECT_EQ(Run({"r"}, c.Started), 1u);
            const TShellExtEntries entries = ReadShellExtEntries(KEY_WOW64_32KEY);
            EXPECT_EQ(entries.Server.Text(), c.Written + ShellExtFileName) << entries.Describe();
            EXPECT_EQ(entries.ExeLocation.Text(), c.Written + MainProgramFileName) << entries.Describe();
        }
    }
}

TEST_F(RegUtil, RegisterWithoutTheSixtyFourBitExtensionLeavesTheSixtyFourBitViewWithoutAServer) {
    if (!RunsUnderWow64()) {
        GTEST_SKIP() << "a 32-bit Windows has one registry view";
    }
    ASSERT_EQ(Run({"r"}), 1u);
    ASSERT_TRUE(DeleteFileA((Folder + ShellExt64FileName).c_str()));
    EXPECT_EQ(Run({"r"}), 1u);
    ExpectRegistered(KEY_WOW64_32KEY, ShellExtFileName);
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, ShellExtClassKeyPath, KEY_WOW64_64KEY));
}

TEST_F(RegUtil, RegisterWithoutTheExtensionFailsAndLeavesNoEntry) {
    ASSERT_EQ(Run({"r"}), 1u);
    ASSERT_TRUE(DeleteFileA((Folder + ShellExtFileName).c_str()));
    EXPECT_EQ(Run({"r"}), ExitFailure);
    EXPECT_TRUE(NoShellExtEntries(KEY_WOW64_32KEY)) << ReadShellExtEntries(KEY_WOW64_32KEY).Describe();
    EXPECT_TRUE(NoShellExtEntries(KEY_WOW64_64KEY)) << ReadShellExtEntries(KEY_WOW64_64KEY).Describe();
}

TEST_F(RegUtil, UnregisterRemovesTheLayoutButNotTheParentKeysAndSucceedsWhenNothingIsThere) {
    ASSERT_EQ(Run({"r"}), 1u);
    EXPECT_EQ(Run({"u"}), 1u);
    for (REGSAM view : {REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
        EXPECT_TRUE(NoShellExtEntries(view)) << ReadShellExtEntries(view).Describe();
        EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, ShellExtApprovedKeyPath, view));
        EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "CLSID", view));
        EXPECT_TRUE(
            RegKeyExists(HKEY_CLASSES_ROOT, "Directory\\Background\\shellex\\ContextMenuHandlers", view));
    }
    EXPECT_EQ(Run({"u"}), 1u);
}

TEST_F(RegUtil, UnregisterWithoutTheApprovedKeyRemovesTheRestAndFails) {
    ASSERT_EQ(Run({"r"}), 1u);
    // The key goes away in this process's view only; the other view keeps its own.
    ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ShellExtApprovedKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(Run({"u"}), ExitFailure);
    HKEY approved = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, ShellExtApprovedKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr,
                              &approved, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(approved);
    EXPECT_TRUE(NoShellExtEntries()) << ReadShellExtEntries().Describe();
}

TEST(RegUtilFile, ManifestAsksForAdministratorRights) {
    HMODULE file =
        LoadLibraryExA((DeliverablesDir() + RegUtilFileName).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    HRSRC resource = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)); // RT_MANIFEST
    ASSERT_NE(resource, nullptr);
    const char* data = static_cast<const char*>(LockResource(LoadResource(file, resource)));
    const std::string manifest(data, SizeofResource(file, resource));
    FreeLibrary(file);
    for (const char* expected : {
             "xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\"",
             "<assemblyIdentity processorArchitecture=\"x86\" version=\"5.6.0.0\" type=\"win32\" "
             "name=\"KavrilonShEx.exe\"/>",
             "<description>Kavrilon Shell Extension Installer/Deinstaller</description>",
             "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">",
             "<requestedExecutionLevel level=\"requireAdministrator\" uiAccess=\"false\"/>",
         }) {
        EXPECT_NE(manifest.find(expected), std::string::npos) << expected << "\n" << manifest;
    }
}

} // namespace
