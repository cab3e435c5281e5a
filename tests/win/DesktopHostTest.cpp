// Checks the desktop host that plays the shell's desktop for Kavrilon's tests: its window tree,
// its items as another process sees them, the view commands and its life cycle. Runs as a
// 32-bit program; under WOW64 (64-bit prefix) it drives the 64-bit host.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "support/DesktopHostClient.h"
#include "support/TestEnvironment.h"

using kvtest::DesktopHost;
using kvtest::DesktopHostOptions;
using kvtest::DesktopHostState;
using kvtest::DesktopIcon;

namespace {

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindowsInZOrder() {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Reads list-view items from outside the owning process the way Kavrilon does: a buffer in the
// host process holding the text area (260 units), a POINT and an LVITEMW laid out for the host's
// bitness, filled by LVM_GETITEMTEXTW and LVM_GETITEMPOSITION.
class RemoteListView {
public:
    RemoteListView(HWND listView, bool host64) : listView_(listView), host64_(host64) {
        DWORD processId = 0;
        GetWindowThreadProcessId(listView, &processId);
        process_ = OpenProcess(0x438, FALSE, processId);
        if (process_ != nullptr)
            buffer_ = static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, 1024, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteListView() {
        if (buffer_ != nullptr)
            VirtualFreeEx(process_, buffer_, 0, MEM_RELEASE);
        if (process_ != nullptr)
            CloseHandle(process_);
    }
    bool Valid() const { return buffer_ != nullptr; }

    struct Item {
        LRESULT textLength = 0;
        std::wstring caption;
        POINT position = {};
        bool havePosition = false;
    };

    bool Read(int index, Item& item) {
        const size_t size = host64_ ? 572 : 564;
        BYTE local[572] = {};
        BYTE* lvItem = local + kItemOffset;
        const DWORD textAddress = static_cast<DWORD>(reinterpret_cast<uintptr_t>(buffer_));
        const int capacity = 260;
        // mask +0, iItem +4, iSubItem +8 stay zero; pszText and cchTextMax move with the
        // pointer size (the 64-bit structure pads before pszText).
        if (host64_) {
            memcpy(lvItem + 24, &textAddress, 4);
            memcpy(lvItem + 32, &capacity, 4);
        } else {
            memcpy(lvItem + 20, &textAddress, 4);
            memcpy(lvItem + 24, &capacity, 4);
        }
        if (!WriteProcessMemory(process_, buffer_, local, size, nullptr))
            return false;
        item.textLength =
            SendMessageW(listView_, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(buffer_ + kItemOffset));
        item.havePosition = SendMessageA(listView_, LVM_GETITEMPOSITION, index,
                                         reinterpret_cast<LPARAM>(buffer_ + kPointOffset)) != FALSE;
        if (!ReadProcessMemory(process_, buffer_, local, size, nullptr))
            return false;
        const wchar_t* text = reinterpret_cast<const wchar_t*>(local);
        item.caption.assign(text, std::find(text, text + capacity, L'\0'));
        memcpy(&item.position, local + kPointOffset, sizeof item.position);
        return true;
    }

private:
    static constexpr size_t kPointOffset = 520;
    static constexpr size_t kItemOffset = 528;
    HWND listView_;
    bool host64_;
    HANDLE process_ = nullptr;
    BYTE* buffer_ = nullptr;
};

class DesktopHostTest : public ::testing::Test {
protected:
    void Start(const std::vector<DesktopIcon>& icons, const DesktopHostOptions& options = {}) {
        ASSERT_TRUE(host_.Start(icons, options)) << host_.LastError();
        ASSERT_TRUE(host_.QueryState(state_)) << host_.LastError();
    }
    void Refresh() { ASSERT_TRUE(host_.QueryState(state_)) << host_.LastError(); }
    void SendCommand(WORD id) { SendMessageA(FindWindowA("Progman", "Program Manager"), WM_COMMAND, id, 0); }

    DesktopHost host_;
    DesktopHostState state_;
};

const std::vector<DesktopIcon> kThreeIcons = {{"Alpha", 40, 30}, {"Beta", 200, 130}, {"Gamma", 520, 340}};

TEST_F(DesktopHostTest, ProgmanHoldsViewAndIconList) {
    Start(kThreeIcons);
    HWND progman = FindWindowA("Progman", "Program Manager");
    ASSERT_NE(progman, nullptr);
    EXPECT_EQ(progman, state_.progman.handle);
    EXPECT_EQ(ClassOf(progman), "Progman");
    EXPECT_TRUE(IsWindowVisible(progman));
    EXPECT_TRUE(GetWindowLongA(progman, GWL_STYLE) & WS_POPUP);
    EXPECT_FALSE(GetWindowLongA(progman, GWL_EXSTYLE) & WS_EX_TOPMOST);
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT rect;
    GetWindowRect(progman, &rect);
    EXPECT_TRUE(SameRect(rect, screen));

    // Class lookup ignores case, as Kavrilon's spelling "ShellDLL_DefView" relies on.
    HWND defView = FindWindowExA(progman, nullptr, "ShellDLL_DefView", nullptr);
    ASSERT_NE(defView, nullptr);
    EXPECT_EQ(defView, state_.defView.handle);
    EXPECT_EQ(ClassOf(defView), "SHELLDLL_DefView");
    EXPECT_EQ(state_.defViewParentClass, "Progman");
    HWND listView = FindWindowExA(defView, nullptr, "SysListView32", nullptr);
    ASSERT_NE(listView, nullptr);
    EXPECT_EQ(listView, state_.listView.handle);
    EXPECT_EQ(GetWindowLongA(listView, GWL_STYLE) & LVS_TYPEMASK, LVS_ICON);
    EXPECT_TRUE(SameRect(state_.defView.rect, screen));
    EXPECT_TRUE(SameRect(state_.listView.rect, screen));

    DWORD owner = 0;
    GetWindowThreadProcessId(listView, &owner);
    EXPECT_EQ(owner, host_.ProcessId());
    // The host has the bitness of the platform: never a WOW64 process itself.
    BOOL hostWow64 = TRUE;
    ASSERT_TRUE(IsWow64Process(host_.Process(), &hostWow64));
    EXPECT_FALSE(hostWow64);
    const std::wstring exe = DesktopHost::HostIs64Bit() ? L"desktop-host-x64.exe" : L"desktop-host-x86.exe";
    EXPECT_EQ(host_.HostPath().substr(host_.HostPath().size() - exe.size()), exe);
    EXPECT_EQ(state_.processId, host_.ProcessId());
    EXPECT_EQ(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(state_.mode, "fixture");
}

TEST_F(DesktopHostTest, WorkerWindowInFrontOfProgmanHoldsTheView) {
    DesktopHostOptions options;
    options.worker = true;
    options.hasViewRect = true;
    options.viewRect = RECT{100, 50, 900, 650};
    Start(kThreeIcons, options);
    // This host's own Progman: a host of an earlier test may not have finished closing its windows.
    HWND progman = state_.progman.handle;
    ASSERT_NE(progman, nullptr);
    EXPECT_EQ(ClassOf(progman), "Progman");
    EXPECT_EQ(FindWindowExA(progman, nullptr, "SHELLDLL_DefView", nullptr), nullptr);

    HWND worker = state_.defViewParent.handle;
    ASSERT_NE(worker, nullptr);
    EXPECT_EQ(ClassOf(worker), "WorkerW");
    EXPECT_EQ(state_.defViewParentClass, "WorkerW");
    EXPECT_EQ(GetParent(worker), nullptr);
    EXPECT_TRUE(IsWindowVisible(worker));
    EXPECT_EQ(FindWindowExA(worker, nullptr, "SHELLDLL_DefView", nullptr), state_.defView.handle);
    // Wine settles the Z order of new top-level windows with the X server after they show, so the
    // order is awaited rather than read once.
    const auto workerInFront = [&] {
        const std::vector<HWND> order = TopLevelWindowsInZOrder();
        const auto workerAt = std::find(order.begin(), order.end(), worker);
        const auto progmanAt = std::find(order.begin(), order.end(), progman);
        return workerAt != order.end() && progmanAt != order.end() && workerAt < progmanAt;
    };
    EXPECT_TRUE(WaitUntil(workerInFront, 5000));

    // The view keeps the rectangle the fixture gave it; giving its parent the view's screen
    // rectangle, as Kavrilon does before moving icons, is not undone by the host.
    const RECT view = state_.defView.rect;
    EXPECT_EQ(view.left - state_.defViewParent.rect.left, 100);
    EXPECT_EQ(view.right - view.left, 800);
    EXPECT_EQ(view.bottom - view.top, 600);
    MoveWindow(worker, view.left, view.top, view.right - view.left, view.bottom - view.top, TRUE);
    Refresh();
    EXPECT_TRUE(SameRect(state_.defViewParent.rect, view));
}

TEST_F(DesktopHostTest, WorkerClassNameIsKeptAsWritten) {
    for (const char* className : {"workerw", "WorkerA"}) {
        DesktopHostOptions options;
        options.workerClass = className;
        Start(kThreeIcons, options);
        EXPECT_EQ(ClassOf(state_.defViewParent.handle), className);
        EXPECT_EQ(state_.defViewParentClass, className);
        EXPECT_EQ(FindWindowExA(state_.progman.handle, nullptr, "SHELLDLL_DefView", nullptr), nullptr);
        EXPECT_EQ(state_.items.size(), 3u);
    }
}

TEST_F(DesktopHostTest, ViewOrListViewCanBeMissing) {
    DesktopHostOptions noView;
    noView.noView = true;
    Start(kThreeIcons, noView);
    ASSERT_NE(FindWindowA("Progman", "Program Manager"), nullptr);
    EXPECT_EQ(FindWindowExA(state_.progman.handle, nullptr, "SHELLDLL_DefView", nullptr), nullptr);
    EXPECT_EQ(state_.defView.handle, nullptr);
    EXPECT_EQ(state_.defViewParentClass, "-");
    EXPECT_TRUE(state_.items.empty());

    DesktopHostOptions noListView;
    noListView.noListView = true;
    Start(kThreeIcons, noListView);
    HWND defView = FindWindowExA(state_.progman.handle, nullptr, "SHELLDLL_DefView", nullptr);
    ASSERT_NE(defView, nullptr);
    EXPECT_EQ(FindWindowExA(defView, nullptr, "SysListView32", nullptr), nullptr);
    EXPECT_EQ(state_.listView.handle, nullptr);
    // Commands still reach Progman and are logged although there is nothing to change.
    SendCommand(0x7051);
    Refresh();
    EXPECT_EQ(state_.CommandIds(), std::vector<uint32_t>{0x7051});
}

TEST_F(DesktopHostTest, CrossProcessReadAgreesWithHostState) {
    const std::string longCaption(260, 'L');
    const std::string nonBmp = "Note \xF0\x9F\x8E\xB5 \xF0\x90\x80\x80 end"; // U+1F3B5, U+10000
    const std::vector<DesktopIcon> icons = {{"Recycle Bin", 10, 10},
                                            {"", 90, 10},
                                            {"Twin", 170, 10},
                                            {"Twin", 250, 10},
                                            {longCaption, 10, 600},
                                            {nonBmp, 330, 410},
                                            {"Gr\xC3\xBC\xC3\x9F"
                                             "e mit Leerzeichen",
                                             1100, 900},
                                            {"Far", 3000, 2000}};
    Start(icons);
    ASSERT_EQ(state_.items.size(), icons.size());
    for (size_t i = 0; i < icons.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_EQ(state_.items[i].index, static_cast<int>(i));
        EXPECT_EQ(state_.items[i].caption, DesktopHost::Widen(icons[i].caption));
        // Without auto-arrange the list view keeps the fixture's positions exactly.
        EXPECT_EQ(state_.items[i].x, icons[i].x);
        EXPECT_EQ(state_.items[i].y, icons[i].y);
    }
    EXPECT_EQ(state_.items[4].caption.size(), 260u);
    // Characters outside the BMP arrive as surrogate pairs.
    const std::wstring units = state_.items[5].caption;
    ASSERT_EQ(units.size(), 14u);
    EXPECT_EQ(units.substr(5, 2), (std::wstring{wchar_t(0xD83C), wchar_t(0xDFB5)}));
    EXPECT_EQ(units.substr(8, 2), (std::wstring{wchar_t(0xD800), wchar_t(0xDC00)}));

    RemoteListView remote(state_.listView.handle, DesktopHost::HostIs64Bit());
    ASSERT_TRUE(remote.Valid()) << "cannot open the host or allocate in it, error " << GetLastError();
    for (size_t i = 0; i < icons.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        RemoteListView::Item item;
        ASSERT_TRUE(remote.Read(static_cast<int>(i), item));
        EXPECT_TRUE(item.havePosition);
        EXPECT_EQ(item.position.x, state_.items[i].x);
        EXPECT_EQ(item.position.y, state_.items[i].y);
        // A 260-unit buffer gets at most 259 units plus the terminating NUL.
        const std::wstring expected = state_.items[i].caption.substr(0, 259);
        EXPECT_EQ(item.caption, expected);
        EXPECT_EQ(item.textLength, static_cast<LRESULT>(expected.size()));
    }
}

TEST_F(DesktopHostTest, IconsMoveThroughTheHostAndFromOutside) {
    Start(kThreeIcons);
    ASSERT_TRUE(host_.Move(1, 640, 480)) << host_.LastError();
    Refresh();
    EXPECT_EQ(state_.items[1].x, 640);
    EXPECT_EQ(state_.items[1].y, 480);
    EXPECT_EQ(state_.items[0].x, 40); // the others stay
    EXPECT_FALSE(host_.Move(17, 0, 0)) << "moving a missing item must fail";

    // LVM_SETITEMPOSITION from another process packs each coordinate in 16 bits.
    EXPECT_TRUE(
        SendMessageA(state_.listView.handle, LVM_SETITEMPOSITION, 2, MAKELPARAM(70000 & 0xFFFF, 123)));
    Refresh();
    EXPECT_EQ(state_.items[2].x, 4464);
    EXPECT_EQ(state_.items[2].y, 123);
}

TEST_F(DesktopHostTest, ViewCommandsToggleStylesAndAreLogged) {
    Start(kThreeIcons);
    EXPECT_FALSE(state_.listViewStyle & LVS_AUTOARRANGE);
    EXPECT_FALSE(state_.listViewExStyle & LVS_EX_SNAPTOGRID);
    EXPECT_TRUE(state_.commands.empty());

    struct Step {
        WORD id;
        bool autoArrange;
        bool snapToGrid;
    };
    const Step steps[] = {
        {0x7051, true, false},  {0x7051, false, false}, {0x7041, true, false},  {0x7071, false, false},
        {0x7052, false, true},  {0x7042, false, false}, {0x7054, false, true},  {0x7074, false, false},
        {0x7050, false, false}, {0x704E, false, false}, {0x704F, false, false}, {0x1234, false, false},
    };
    std::vector<uint32_t> sent;
    for (const Step& step : steps) {
        SCOPED_TRACE("command " + std::to_string(step.id));
        SendCommand(step.id);
        sent.push_back(step.id);
        Refresh();
        HWND listView = state_.listView.handle;
        EXPECT_EQ((state_.listViewStyle & LVS_AUTOARRANGE) != 0, step.autoArrange);
        EXPECT_EQ((GetWindowLongA(listView, GWL_STYLE) & LVS_AUTOARRANGE) != 0, step.autoArrange);
        EXPECT_EQ((state_.listViewExStyle & LVS_EX_SNAPTOGRID) != 0, step.snapToGrid);
        EXPECT_EQ((SendMessageA(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_SNAPTOGRID) != 0,
                  step.snapToGrid);
    }
    EXPECT_EQ(state_.CommandIds(), sent);
    EXPECT_EQ(state_.commands.front().lParam, 0u);
    ASSERT_TRUE(host_.ClearLog());
    Refresh();
    EXPECT_TRUE(state_.commands.empty());
}

TEST_F(DesktopHostTest, AutoArrangeArrangesIconsAndFixtureSetsInitialStyles) {
    const std::vector<DesktopIcon> scattered = {{"One", 900, 700}, {"Two", 500, 20}, {"Three", 60, 800}};
    Start(scattered);
    SendCommand(0x7051);
    Refresh();
    ASSERT_EQ(state_.items.size(), 3u);
    for (size_t i = 0; i < scattered.size(); ++i) {
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_FALSE(state_.items[i].x == scattered[i].x && state_.items[i].y == scattered[i].y);
        EXPECT_LT(state_.items[i].y, 300) << "arranged icons start at the top";
    }

    DesktopHostOptions options;
    options.autoArrange = true;
    options.snapToGrid = true;
    Start(scattered, options);
    EXPECT_TRUE(state_.listViewStyle & LVS_AUTOARRANGE);
    EXPECT_TRUE(state_.listViewExStyle & LVS_EX_SNAPTOGRID);
    for (const kvtest::HostItem& item : state_.items)
        EXPECT_LT(item.y, 300);

    // What a restore does: both settings off, then icons moved from outside stay where put.
    SendCommand(0x7051);
    SendCommand(0x7052);
    EXPECT_TRUE(SendMessageA(state_.listView.handle, LVM_SETITEMPOSITION, 0, MAKELPARAM(700, 500)));
    Refresh();
    EXPECT_FALSE(state_.listViewStyle & LVS_AUTOARRANGE);
    EXPECT_FALSE(state_.listViewExStyle & LVS_EX_SNAPTOGRID);
    EXPECT_EQ(state_.items[0].x, 700);
    EXPECT_EQ(state_.items[0].y, 500);
}

TEST_F(DesktopHostTest, HostEndsCleanlyOnQuitCloseAndDestruction) {
    Start(kThreeIcons);
    EXPECT_TRUE(host_.Ping());
    EXPECT_TRUE(host_.Stop());
    EXPECT_EQ(host_.ExitCode(), 0u);
    EXPECT_EQ(FindWindowA("Progman", "Program Manager"), nullptr);
    EXPECT_FALSE(host_.Ping());

    Start(kThreeIcons);
    HANDLE process = nullptr;
    DuplicateHandle(GetCurrentProcess(), host_.Process(), GetCurrentProcess(), &process,
                    SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0);
    ASSERT_NE(process, nullptr);
    PostMessageA(state_.progman.handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(process, host_.Timeout()), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, 0u);

    {
        DesktopHost scoped;
        ASSERT_TRUE(scoped.Start(kThreeIcons)) << scoped.LastError();
        CloseHandle(process);
        process = nullptr;
        DuplicateHandle(GetCurrentProcess(), scoped.Process(), GetCurrentProcess(), &process, SYNCHRONIZE,
                        FALSE, 0);
    }
    EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "the destructor must end the host";
    CloseHandle(process);
}

TEST_F(DesktopHostTest, StartFailuresAreReportedClearly) {
    const std::vector<DesktopIcon> badCaption = {{"bad \xC3", 0, 0}}; // truncated UTF-8
    EXPECT_FALSE(host_.Start(badCaption));
    EXPECT_NE(host_.LastError().find("exit code 2"), std::string::npos) << host_.LastError();
    EXPECT_NE(host_.LastError().find("UTF-8"), std::string::npos) << host_.LastError();
    EXPECT_FALSE(host_.IsRunning());

    DesktopHost missing;
    missing.SetHostPath(L"C:\\nowhere\\desktop-host-none.exe");
    EXPECT_FALSE(missing.Start(kThreeIcons));
    EXPECT_NE(missing.LastError().find("cannot start"), std::string::npos) << missing.LastError();
}

TEST_F(DesktopHostTest, ShellModeListsTheDesktopFolder) {
    wchar_t desktop[MAX_PATH];
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
    const std::vector<std::wstring> names = {L"kvhost shell one.txt", L"kvhost-shell-\u00e4\u00f6\u00fc.txt"};
    for (const std::wstring& name : names) {
        HANDLE file = CreateFileW((std::wstring(desktop) + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
    }
    ASSERT_TRUE(host_.StartShell()) << host_.LastError();
    Refresh();
    EXPECT_EQ(state_.mode, "shell");
    EXPECT_EQ(ClassOf(state_.defView.handle), "SHELLDLL_DefView");
    EXPECT_EQ(state_.defViewParent.handle, FindWindowA("Progman", "Program Manager"));
    EXPECT_TRUE(SameRect(state_.defView.rect, state_.progman.rect));
    for (const std::wstring& name : names) {
        const std::wstring stem = name.substr(0, name.size() - 4); // the view may hide the extension
        const bool listed =
            std::any_of(state_.items.begin(), state_.items.end(), [&](const kvtest::HostItem& item) {
                return item.caption.compare(0, stem.size(), stem) == 0;
            });
        EXPECT_TRUE(listed) << DesktopHost::Narrow(name) << " is not on the shell's desktop";
    }

    // Another process reads the shell's items as it reads ours.
    RemoteListView remote(state_.listView.handle, DesktopHost::HostIs64Bit());
    ASSERT_TRUE(remote.Valid());
    for (const kvtest::HostItem& hostItem : state_.items) {
        RemoteListView::Item item;
        ASSERT_TRUE(remote.Read(hostItem.index, item));
        EXPECT_EQ(item.caption, hostItem.caption);
        EXPECT_EQ(item.position.x, hostItem.x);
        EXPECT_EQ(item.position.y, hostItem.y);
    }

    // The view commands work on the shell's list view too.
    const bool arranged = (state_.listViewStyle & LVS_AUTOARRANGE) != 0;
    SendCommand(0x7071);
    SendCommand(0x7074);
    Refresh();
    EXPECT_EQ((state_.listViewStyle & LVS_AUTOARRANGE) != 0, !arranged);
    EXPECT_TRUE(state_.listViewExStyle & LVS_EX_SNAPTOGRID);
    EXPECT_EQ(state_.CommandIds(), (std::vector<uint32_t>{0x7071, 0x7074}));

    EXPECT_TRUE(host_.Stop());
    for (const std::wstring& name : names)
        DeleteFileW((std::wstring(desktop) + L"\\" + name).c_str());
}

TEST_F(DesktopHostTest, ThousandIconsStartQuickly) {
    DesktopHostOptions options;
    options.generatedCount = 1000;
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_TRUE(host_.Start({}, options)) << host_.LastError();
    const auto started = std::chrono::steady_clock::now();
    Refresh();
    const auto ms = [](auto from, auto to) {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
    };
    const auto dumped = std::chrono::steady_clock::now();
    ASSERT_EQ(state_.items.size(), 1000u);
    EXPECT_TRUE(host_.Stop());
    std::printf("[ timing   ] 1000 icons: start %ld ms, state dump %ld ms, stop %ld ms\n", ms(begin, started),
                ms(started, dumped), ms(dumped, std::chrono::steady_clock::now()));
    EXPECT_EQ(state_.items[999].caption, L"Icon 999");
    EXPECT_EQ(state_.items[999].x, 10 + (999 % 15) * 80);
    EXPECT_EQ(state_.items[999].y, 10 + (999 / 15) * 80);
    EXPECT_LT(ms(begin, started), 10000);
}

} // namespace
