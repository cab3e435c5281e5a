// The program's own desktop search and cross-process item access, called directly against the
// desktop host. What the host really holds is learned from the host itself (its state dump), never
// through the code under test. In the 64-bit prefix this 32-bit program runs under WOW64 and reads
// the 64-bit host with the 64-bit record; in the 32-bit prefix the 32-bit host with the 32-bit one.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "DesktopLocate.h"
#include "DesktopSession.h"
#include "ExitCodes.h"
#include "ItemAccess.h"
#include "ProcessState.h"
#include "support/DesktopHostClient.h"
#include "support/ProcessRunner.h"
#include "support/TestEnvironment.h"
#include "WindowsVersion.h"

using kvtest::DesktopHost;
using kvtest::DesktopHostOptions;
using kvtest::DesktopHostState;
using kvtest::DesktopIcon;

namespace {

// "<stage> <digits>"
bool IsErrorTextOfStage(const std::string& text, int stage) {
    const std::string head = std::to_string(stage) + " ";
    if (text.size() <= head.size() || text.compare(0, head.size(), head) != 0) {
        return false;
    }
    return std::all_of(text.begin() + head.size(), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

// Handles of this process that refer to process `pid`, found by trying every handle value.
int HandlesToProcess(DWORD pid) {
    int count = 0;
    for (uintptr_t value = 4; value < 0x4000; value += 4) {
        HANDLE handle = reinterpret_cast<HANDLE>(value);
        DWORD flags = 0;
        if (GetHandleInformation(handle, &flags) && GetProcessId(handle) == pid) {
            ++count;
        }
    }
    return count;
}

// The caption as the wide records give it: every UTF-16 unit on its own. Test captions outside
// the BMP are written out by hand below; this covers the BMP, where that equals UTF-8.
std::string Utf8OfBmpText(const std::wstring& text) {
    for (wchar_t unit : text) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            ADD_FAILURE() << "caption outside the BMP needs a hand-written expectation";
        }
    }
    return DesktopHost::Narrow(text);
}

const TItemProp kUntouched = {"untouched", -7, -9, true};

bool SameItem(const TItemProp& a, const TItemProp& b) {
    return a.Caption == b.Caption && a.X == b.X && a.Y == b.Y && a.Matched == b.Matched;
}

class DesktopAccessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // As at start-up: the platform and the shell's bitness choose the record.
        DetectWindowsVersion();
        ResolveLateBoundFunctions();
    }

    void TearDown() override {
        FreeSharedBuffer(shell_);
        shell_.Location.ShellProcess.reset();
        EXPECT_TRUE(host_.Stop()) << host_.LastError();
    }

    void StartHost(const std::vector<DesktopIcon>& icons, const DesktopHostOptions& options = {}) {
        ASSERT_TRUE(host_.Start(icons, options)) << host_.LastError();
        Refresh();
    }
    void Refresh() { ASSERT_TRUE(host_.QueryState(state_)) << host_.LastError(); }

    // Finds the desktop and allocates the shared buffer, as every layout operation starts.
    void Open() {
        ASSERT_TRUE(LocateDesktop(found_)) << found_.ErrorText;
        AllocSharedBuffer(shell_);
        ASSERT_NE(shell_.Buffer, nullptr) << "error " << GetLastError();
    }
    bool Locate() { return LocateDesktop(found_); }

    DesktopHost host_;
    DesktopHostState state_;
    // What one operation holds of the shell, as a desktop session holds it.
    TShellAccess shell_;
    TDesktopLocation& found_ = shell_.Location;
};

const std::vector<DesktopIcon> kThreeIcons = {{"Alpha", 40, 30}, {"Beta", 200, 130}, {"Gamma", 520, 340}};

TEST_F(DesktopAccessTest, FailedSearchesTellTheirStage) {
    ASSERT_EQ(FindWindowA("Progman", "Program Manager"), nullptr) << "a desktop is left from another test";
    EXPECT_FALSE(Locate());
    EXPECT_TRUE(IsErrorTextOfStage(found_.ErrorText, 0)) << found_.ErrorText;
    EXPECT_EQ(found_.Progman, nullptr);

    DesktopHostOptions noView;
    noView.noView = true;
    StartHost(kThreeIcons, noView);
    EXPECT_FALSE(Locate());
    EXPECT_TRUE(IsErrorTextOfStage(found_.ErrorText, 1)) << found_.ErrorText;
    EXPECT_EQ(found_.Progman, state_.progman.handle);
    EXPECT_EQ(found_.DefView, nullptr);

    // The view in a window whose class begins with the right letters in the wrong case does not
    // count: Progman itself has no view then.
    DesktopHostOptions lowerCase;
    lowerCase.workerClass = "workerw";
    StartHost(kThreeIcons, lowerCase);
    ASSERT_EQ(state_.defViewParentClass, "workerw");
    EXPECT_FALSE(Locate());
    EXPECT_TRUE(IsErrorTextOfStage(found_.ErrorText, 1)) << found_.ErrorText;
    EXPECT_EQ(found_.DefView, nullptr);

    DesktopHostOptions noListView;
    noListView.noListView = true;
    StartHost(kThreeIcons, noListView);
    EXPECT_FALSE(Locate());
    EXPECT_TRUE(IsErrorTextOfStage(found_.ErrorText, 2)) << found_.ErrorText;
    EXPECT_EQ(found_.DefView, state_.defView.handle);
    EXPECT_EQ(found_.ListView, nullptr);
    EXPECT_FALSE(found_.ShellProcess);

    // A successful search keeps the text of the last failure in its record.
    StartHost(kThreeIcons);
    EXPECT_TRUE(Locate()) << found_.ErrorText;
    EXPECT_TRUE(IsErrorTextOfStage(found_.ErrorText, 2)) << found_.ErrorText;
}

TEST_F(DesktopAccessTest, FindsTheViewUnderAWorkerWindowOrProgman) {
    for (const char* workerClass : {"WorkerW", "WorkerA"}) {
        SCOPED_TRACE(workerClass);
        DesktopHostOptions options;
        options.workerClass = workerClass;
        StartHost(kThreeIcons, options);
        ASSERT_EQ(state_.defViewParentClass, workerClass);
        ASSERT_TRUE(Locate()) << found_.ErrorText;
        EXPECT_EQ(found_.Progman, state_.progman.handle);
        EXPECT_EQ(found_.DefView, state_.defView.handle);
        EXPECT_NE(GetParent(found_.DefView), found_.Progman);
        EXPECT_TRUE(found_.DefViewUnderWorker);
        EXPECT_EQ(found_.ListView, state_.listView.handle);
    }

    StartHost(kThreeIcons);
    ASSERT_EQ(state_.defViewParentClass, "Progman");
    ASSERT_TRUE(Locate()) << found_.ErrorText;
    EXPECT_EQ(found_.Progman, state_.progman.handle);
    EXPECT_EQ(found_.DefView, state_.defView.handle);
    EXPECT_FALSE(found_.DefViewUnderWorker);
    EXPECT_EQ(found_.ListView, state_.listView.handle);
    EXPECT_EQ(found_.ShellProcessId, host_.ProcessId());
    EXPECT_EQ(GetProcessId(found_.ShellProcess.get()), host_.ProcessId());

    // The host's Progman covers the virtual screen: its corner is the origin of layout coordinates.
    const TScreenRect screen = GetVirtualScreenRect();
    EXPECT_EQ(screen.Left, state_.progman.rect.left);
    EXPECT_EQ(screen.Top, state_.progman.rect.top);
    EXPECT_EQ(screen.Right, state_.progman.rect.right);
    EXPECT_EQ(screen.Bottom, state_.progman.rect.bottom);
}

TEST_F(DesktopAccessTest, RepeatedSearchesHoldOneProcessHandle) {
    StartHost(kThreeIcons);
    const DWORD pid = host_.ProcessId();
    const int before = HandlesToProcess(pid); // the test's own handle of the host it started
    DWORD countBefore = 0;
    // Wine answers GetProcessHandleCount with 0; the count is compared only where it is real.
    const bool haveCount = GetProcessHandleCount(GetCurrentProcess(), &countBefore) && countBefore > 0;

    ASSERT_TRUE(Locate()) << found_.ErrorText;
    const HANDLE first = found_.ShellProcess.get();
    ASSERT_TRUE(Locate()) << found_.ErrorText;
    EXPECT_EQ(HandlesToProcess(pid), before + 1);
    DWORD flags = 0;
    if (first != found_.ShellProcess.get()) {
        EXPECT_FALSE(GetHandleInformation(first, &flags)) << "the first search's handle is still open";
    }
    if (haveCount) {
        DWORD countAfter = 0;
        ASSERT_TRUE(GetProcessHandleCount(GetCurrentProcess(), &countAfter));
        EXPECT_EQ(countAfter, countBefore + 1);
    }

    // A buffer allocated and freed in between takes no handle, a failed search closes the open one.
    AllocSharedBuffer(shell_);
    FreeSharedBuffer(shell_);
    EXPECT_EQ(HandlesToProcess(pid), before + 1);
    found_.ShellProcess.reset();
    EXPECT_EQ(HandlesToProcess(pid), before);
    ASSERT_TRUE(Locate()) << found_.ErrorText;
    EXPECT_EQ(HandlesToProcess(pid), before + 1);
    // Once the host is gone neither the test's own handle nor one of a search remains.
    ASSERT_TRUE(host_.Stop());
    EXPECT_FALSE(Locate());
    EXPECT_FALSE(found_.ShellProcess);
    EXPECT_EQ(HandlesToProcess(pid), 0);
}

TEST_F(DesktopAccessTest, SharedBufferIsCommittedInTheShellProcess) {
    StartHost(kThreeIcons);
    Open();
    EXPECT_FALSE(shell_.Mapping);
    MEMORY_BASIC_INFORMATION info = {};
    ASSERT_EQ(VirtualQueryEx(found_.ShellProcess.get(), shell_.Buffer, &info, sizeof info), sizeof info);
    EXPECT_EQ(info.AllocationBase, shell_.Buffer);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_EQ(info.Protect, static_cast<DWORD>(PAGE_READWRITE));
    EXPECT_GE(info.RegionSize, 1024u);

    void* const address = shell_.Buffer;
    FreeSharedBuffer(shell_);
    EXPECT_EQ(shell_.Buffer, nullptr);
    ASSERT_EQ(VirtualQueryEx(found_.ShellProcess.get(), address, &info, sizeof info), sizeof info);
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));

    // Without a buffer nothing is read.
    TItemProp item = kUntouched;
    EXPECT_FALSE(ReadIconItem(shell_, 0, item));
    EXPECT_TRUE(SameItem(item, kUntouched));
}

TEST_F(DesktopAccessTest, ReadsEveryFixtureIcon) {
    const std::string nonBmp = "Note \xF0\x9F\x8E\xB5 end";             // U+1F3B5
    const std::string nonBmpRead = "Note \xED\xA0\xBC\xED\xBE\xB5 end"; // each half by itself
    const std::wstring cjk260(260, L'\x4E2D');
    struct Case {
        DesktopIcon icon;
        std::string expected; // empty: the read must fail
    };
    const std::vector<Case> cases = {
        {{"Recycle Bin", 10, 10}, "Recycle Bin"},
        {{"Twin", 170, 10}, "Twin"},
        {{"", 90, 10}, ""},
        {{"Twin", 250, 10}, "Twin"},
        {{nonBmp, 330, 410}, nonBmpRead},
        // The list view gives 259 of 260 units; three-byte characters are cut further, to 519 bytes.
        {{std::string(260, 'L'), 10, 600}, std::string(259, 'L')},
        {{DesktopHost::Narrow(cjk260), 90, 600}, DesktopHost::Narrow(cjk260.substr(0, 173))},
        {{"Gr\xC3\xBC\xC3\x9F"
          "e mit Leerzeichen",
          1100, 900},
         "Gr\xC3\xBC\xC3\x9F"
         "e mit Leerzeichen"},
        {{"Far", 3000, 2000}, "Far"},
        {{"Left", -40, -25}, "Left"},
    };
    std::vector<DesktopIcon> icons;
    for (const Case& c : cases) {
        icons.push_back(c.icon);
    }
    StartHost(icons);
    ASSERT_EQ(state_.items.size(), cases.size());
    Open();
    EXPECT_EQ(DesktopItemCount(shell_), static_cast<int32_t>(cases.size()));

    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        TItemProp item = kUntouched;
        const bool read = ReadIconItem(shell_, static_cast<int32_t>(i), item);
        if (cases[i].expected.empty()) {
            EXPECT_FALSE(read) << "an icon without caption cannot be read";
            EXPECT_TRUE(SameItem(item, kUntouched));
            continue;
        }
        ASSERT_TRUE(read);
        EXPECT_EQ(item.Caption, cases[i].expected);
        EXPECT_EQ(item.X, state_.items[i].x);
        EXPECT_EQ(item.Y, state_.items[i].y);
        EXPECT_EQ(item.X, cases[i].icon.x);
        EXPECT_EQ(item.Y, cases[i].icon.y);
        EXPECT_TRUE(item.Matched) << "reading must not touch the matched flag";
    }
    EXPECT_EQ(state_.items[6].caption, cjk260) << "the host must hold the whole caption";

    // The same record passed on from item to item, as a capture does: a failed read leaves the
    // previous icon in it, and says so.
    TItemProp running;
    ASSERT_TRUE(ReadIconItem(shell_, 1, running));
    EXPECT_FALSE(ReadIconItem(shell_, 2, running));
    EXPECT_EQ(running.Caption, "Twin");
    EXPECT_EQ(running.X, 170);
    // The caption outside the BMP reads the same each time, so that it can be matched.
    TItemProp again;
    ASSERT_TRUE(ReadIconItem(shell_, 4, again));
    ASSERT_TRUE(ReadIconItem(shell_, 4, running));
    EXPECT_EQ(again.Caption, running.Caption);
    // Items that do not exist are not read.
    for (int32_t missing : {static_cast<int32_t>(cases.size()), 5000, -1}) {
        TItemProp item = kUntouched;
        EXPECT_FALSE(ReadIconItem(shell_, missing, item)) << missing;
        EXPECT_TRUE(SameItem(item, kUntouched)) << missing;
    }
}

// The shell's own registry view: under WOW64 the 64-bit one, which the 64-bit host reads.
bool SetShellRegistryDefault(HKEY root, const std::string& key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG result =
        RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

void DeleteShellRegistryKey(HKEY root, const std::string& key) {
    RegDeleteKeyExA(root, key.c_str(), KEY_WOW64_64KEY, 0);
}

// Sets up what the shell's own desktop view will list, and removes it again: files on the desktop,
// extensions hidden (so that two files give one caption twice), and items of the desktop's
// namespace whose captions come from the registry.
class ShellDesktopContent {
public:
    ShellDesktopContent(const std::vector<std::wstring>& files,
                        const std::vector<std::pair<std::string, std::wstring>>& namespaceItems)
        : files_(files), namespaceItems_(namespaceItems) {
        folder_ = DesktopHost::Widen(ShellFolder(CSIDL_DESKTOPDIRECTORY)) + L"\\";
        for (const std::wstring& name : files_) {
            HANDLE file = CreateFileW((folder_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            ok_ = ok_ && file != INVALID_HANDLE_VALUE;
            CloseHandle(file);
        }
        const DWORD hide = 1;
        ok_ = ok_ && RegSetKeyValueA(HKEY_CURRENT_USER, kAdvancedKey, "HideFileExt", REG_DWORD, &hide,
                                     sizeof hide) == ERROR_SUCCESS;
        for (const auto& [clsid, name] : namespaceItems_) {
            ok_ = ok_ && SetShellRegistryDefault(HKEY_CLASSES_ROOT, "CLSID\\" + clsid, name);
            ok_ = ok_ &&
                  SetShellRegistryDefault(HKEY_LOCAL_MACHINE, std::string(kNameSpaceKey) + "\\" + clsid, L"");
        }
    }
    ~ShellDesktopContent() {
        for (const std::wstring& name : files_) {
            DeleteFileW((folder_ + name).c_str());
        }
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kAdvancedKey, "HideFileExt");
        for (const auto& item : namespaceItems_) {
            DeleteShellRegistryKey(HKEY_LOCAL_MACHINE, std::string(kNameSpaceKey) + "\\" + item.first);
            DeleteShellRegistryKey(HKEY_CLASSES_ROOT, "CLSID\\" + item.first);
        }
    }
    bool Ok() const { return ok_; }

private:
    static constexpr const char* kAdvancedKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
    static constexpr const char* kNameSpaceKey =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace";
    std::wstring folder_;
    std::vector<std::wstring> files_;
    std::vector<std::pair<std::string, std::wstring>> namespaceItems_;
    bool ok_ = true;
};

TEST_F(DesktopAccessTest, ReadsTheShellsOwnDesktopView) {
    // The shell gives names of at most 259 units (MAX_PATH with the NUL); three bytes each, they
    // are cut to 173 characters, 519 bytes.
    const std::wstring longName(259, L'\x4E2D');
    const std::string longNameRead = DesktopHost::Narrow(longName.substr(0, 173));
    ShellDesktopContent content({L"kv twin.txt", L"kv twin.ini", L"kv \u00c4rger \U0001F3B5.txt"},
                                {{"{5B0E5C11-93A2-4C1E-9D1A-0A6B6E5F7C01}", longName},
                                 {"{5B0E5C11-93A2-4C1E-9D1A-0A6B6E5F7C02}", L""}});
    ASSERT_TRUE(content.Ok());

    ASSERT_TRUE(host_.StartShell()) << host_.LastError();
    Refresh();
    ASSERT_EQ(state_.mode, "shell");
    Open();
    ASSERT_EQ(DesktopItemCount(shell_), static_cast<int32_t>(state_.items.size()));
    EXPECT_TRUE(DesktopWindowStyle(shell_) & LVS_AUTOARRANGE) << "the shell's view arranges its icons";

    std::map<std::string, int> found;
    int unread = 0;
    for (const kvtest::HostItem& hostItem : state_.items) {
        SCOPED_TRACE(DesktopHost::Narrow(hostItem.caption));
        TItemProp item = kUntouched;
        const bool read = ReadIconItem(shell_, hostItem.index, item);
        ASSERT_EQ(read, !hostItem.caption.empty());
        if (!read) {
            EXPECT_TRUE(SameItem(item, kUntouched));
            ++unread;
            continue;
        }
        EXPECT_EQ(item.X, hostItem.x);
        EXPECT_EQ(item.Y, hostItem.y);
        if (hostItem.caption.find(wchar_t(0xD83C)) != std::wstring::npos) {
            EXPECT_EQ(item.Caption, "kv \xC3\x84rger \xED\xA0\xBC\xED\xBE\xB5"); // U+1F3B5, unit by unit
        } else if (hostItem.caption == longName) {
            EXPECT_EQ(item.Caption, longNameRead);
        } else {
            EXPECT_EQ(item.Caption, Utf8OfBmpText(hostItem.caption));
        }
        ++found[item.Caption];
    }
    EXPECT_EQ(found["kv twin"], 2) << "two files shown under one caption";
    EXPECT_EQ(found["kv \xC3\x84rger \xED\xA0\xBC\xED\xBE\xB5"], 1);
    EXPECT_EQ(found[longNameRead], 1);
    EXPECT_EQ(unread, 1) << "the namespace item without a name";
}

TEST_F(DesktopAccessTest, DirectMessagesReachTheDesktop) {
    DesktopHostOptions options;
    options.snapToGrid = true;
    StartHost(kThreeIcons, options);
    Open();
    EXPECT_EQ(DesktopItemCount(shell_), 3);
    EXPECT_FALSE(DesktopWindowStyle(shell_) & LVS_AUTOARRANGE);
    EXPECT_TRUE(DesktopExtendedStyle(shell_) & LVS_EX_SNAPTOGRID);
    EXPECT_EQ(DesktopWindowStyle(shell_), state_.listViewStyle);
    EXPECT_EQ(DesktopExtendedStyle(shell_), state_.listViewExStyle);

    SendViewCommand(shell_, RunningWindows.AlignToGridCommand);
    SendViewCommand(shell_, RunningWindows.AutoArrangeCommand);
    Refresh();
    EXPECT_EQ(state_.CommandIds(),
              (std::vector<uint32_t>{RunningWindows.AlignToGridCommand, RunningWindows.AutoArrangeCommand}));
    EXPECT_FALSE(DesktopExtendedStyle(shell_) & LVS_EX_SNAPTOGRID);
    EXPECT_TRUE(DesktopWindowStyle(shell_) & LVS_AUTOARRANGE);
    SendViewCommand(shell_, RunningWindows.AutoArrangeCommand);
    EXPECT_FALSE(DesktopWindowStyle(shell_) & LVS_AUTOARRANGE);

    // Positions travel in 16 bits each way in, but are read back in full.
    Refresh();
    const kvtest::HostItem first = state_.items[0];
    ASSERT_TRUE(SetIconPosition(shell_, 1, 640, 480));
    ASSERT_TRUE(SetIconPosition(shell_, 2, 70000, 1000));
    EXPECT_FALSE(SetIconPosition(shell_, 7, 10, 10));
    Refresh();
    EXPECT_EQ(state_.items[1].x, 640);
    EXPECT_EQ(state_.items[1].y, 480);
    EXPECT_EQ(state_.items[2].x, 4464);
    EXPECT_EQ(state_.items[2].y, 1000);
    EXPECT_EQ(state_.items[0].x, first.x);
    EXPECT_EQ(state_.items[0].y, first.y);
    TItemProp item;
    ASSERT_TRUE(ReadIconItem(shell_, 2, item));
    EXPECT_EQ(item.X, 4464);
    ASSERT_TRUE(host_.Move(2, 70000, 90000));
    ASSERT_TRUE(ReadIconItem(shell_, 2, item));
    EXPECT_EQ(item.X, 70000);
    EXPECT_EQ(item.Y, 90000);
}

// The Windows 9x branch: Wine reports Windows 98 to a probe that runs the same procedures. The
// shared address range of Windows 9x does not exist under Wine, so the view of the mapping is not
// visible in the host: the test shows that the branch is taken and that it fails cleanly or reads
// correctly, and that the host survives it.
std::map<std::string, std::string> RunItemProbe(const std::string& version) {
    std::unique_ptr<TWineVersionOverride> override;
    if (!version.empty()) {
        override = std::make_unique<TWineVersionOverride>("kv_item_access_probe.exe", version);
    }
    const TRunResult run = RunProcess(TestToolPath("kv_item_access_probe.exe"), {}, 20000, true);
    EXPECT_FALSE(run.TimedOut);
    EXPECT_EQ(run.ExitCode, 0u);
    return ProbeValues(run.Output);
}

TEST_F(DesktopAccessTest, Windows9xBranchUsesAFileMappingAndFailsCleanly) {
    StartHost(kThreeIcons);

    // The probe itself, on the NT branch, reads what this test reads.
    std::map<std::string, std::string> nt = RunItemProbe("");
    EXPECT_EQ(nt["IsNTPlatform"], "1");
    EXPECT_EQ(nt["Located"], "1");
    EXPECT_EQ(nt["Buffer"], "1");
    EXPECT_EQ(nt["Mapping"], "0");
    EXPECT_EQ(nt["Item0"], "1 40 30 Alpha");
    EXPECT_EQ(nt["Item2"], "1 520 340 Gamma");

    std::map<std::string, std::string> win98 = RunItemProbe("win98");
    ASSERT_EQ(win98["IsNTPlatform"], "0") << "Wine did not report Windows 98";
    EXPECT_EQ(win98["Located"], "1");
    EXPECT_EQ(win98["Buffer"], "1");
    EXPECT_EQ(win98["Mapping"], "1");
    EXPECT_EQ(win98["MappingAfterFree"], "0");
    const std::map<std::string, std::string> correct = {
        {"Item0", "1 40 30 Alpha"}, {"Item1", "1 200 130 Beta"}, {"Item2", "1 520 340 Gamma"}};
    for (const auto& [key, value] : correct) {
        SCOPED_TRACE(key);
        const std::string& result = win98[key];
        std::printf("[ win98   ] %s=%s\n", key.c_str(), result.c_str()); // which of the two outcomes
        if (result.compare(0, 2, "1 ") == 0) {
            EXPECT_EQ(result, value); // read: then correctly
        } else {
            EXPECT_EQ(result, "0 -7 -9 untouched"); // not read: the record stayed as it was
        }
    }
    EXPECT_TRUE(host_.Ping()) << "the host must survive the attempt";
    Refresh();
    ASSERT_EQ(state_.items.size(), 3u);
    EXPECT_EQ(state_.items[0].caption, L"Alpha");
}

TEST_F(DesktopAccessTest, NothingOfTheShellIsKeptFromOneReadingToTheNext) {
    StartHost({{"Computer", 17, 2}});
    const int before = HandlesToProcess(host_.ProcessId()); // the test's own handle of the host
    TDesktopCapture capture;
    ASSERT_EQ(CaptureDesktop(capture, false).Status, TDesktopStatus::Ready);
    ASSERT_EQ(capture.Icons.size(), 1u);
    EXPECT_EQ(HandlesToProcess(host_.ProcessId()), before)
        << "the shell's process handle outlived the reading";

    // The shell restarts between two actions: the next reading finds the new one.
    ASSERT_TRUE(host_.Stop());
    StartHost({{"Recycle Bin", 40, 50}, {"Notes.txt", 90, 50}});
    const int restarted = HandlesToProcess(host_.ProcessId());
    ASSERT_EQ(CaptureDesktop(capture, false).Status, TDesktopStatus::Ready);
    ASSERT_EQ(capture.Icons.size(), 2u);
    EXPECT_EQ(capture.Icons[0].Caption, "Recycle Bin");
    EXPECT_EQ(capture.Icons[1].X, 90);
    EXPECT_EQ(HandlesToProcess(host_.ProcessId()), restarted);
}

} // namespace
