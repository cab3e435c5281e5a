// A tray instance that runs all day must not grow: one instance of the real Kavrilon.exe goes
// through automatic restores after display changes, openings of its menu with the archive submenu,
// about screens and saves, and its handles, GDI and USER objects and private memory are compared
// before and after, as is the committed memory of the desktop's process.
//
// The test suite runs a tenth of the rounds; scripts/soak.sh runs them all (KV_SOAK_FULL=1) and
// prints the figures.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "KavrilonNames.h"
#include "LayoutScenario.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"
#include "WinHandles.h"

namespace {

using kvtest::DesktopHost;

const std::vector<kvtest::DesktopIcon> Icons = {{"Alpha", 400, 100}, {"Beta", 520, 220}, {"Gamma", 640, 340}};

struct TUsage {
    DWORD Handles = 0;
    DWORD GdiObjects = 0;
    DWORD UserObjects = 0;
    SIZE_T PrivateBytes = 0;
    long long HostAllocations = 0;
};

// The handles a process holds, from the system's handle list (GetProcessHandleCount answers 0 for
// another process under Wine).
DWORD HandleCount(DWORD pid) {
    struct TEntry {
        ULONG ProcessId;
        BYTE ObjectType;
        BYTE Flags;
        USHORT Handle;
        void* Object;
        ACCESS_MASK Access;
    };
    using TQuery = LONG(WINAPI*)(ULONG infoClass, void* buffer, ULONG size, ULONG* needed);
    const auto query = reinterpret_cast<TQuery>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) {
        return 0;
    }
    constexpr ULONG SystemHandleInformation = 16;
    std::vector<BYTE> buffer(1 << 16);
    ULONG needed = 0;
    LONG status = 0;
    while ((status = query(SystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                           &needed)) == static_cast<LONG>(0xC0000004) /* STATUS_INFO_LENGTH_MISMATCH */
           && buffer.size() < (64u << 20)) {
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    }
    if (status < 0) {
        return 0;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const TEntry*>(buffer.data() + sizeof(void*));
    DWORD held = 0;
    for (ULONG i = 0; i < count; ++i) {
        held += entries[i].ProcessId == pid ? 1 : 0;
    }
    return held;
}

// Committed private memory of a process, region by region.
SIZE_T PrivateBytes(HANDLE process) {
    SIZE_T bytes = 0;
    MEMORY_BASIC_INFORMATION info = {};
    const char* address = nullptr;
    while (VirtualQueryEx(process, address, &info, sizeof(info)) == sizeof(info)) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
            bytes += info.RegionSize;
        }
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address) {
            break;
        }
        address = next;
    }
    return bytes;
}

TUsage Measure(DWORD pid, DesktopHost& host) {
    TUsage usage;
    TUniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (process) {
        if (!GetProcessHandleCount(process.get(), &usage.Handles) || usage.Handles == 0) {
            usage.Handles = HandleCount(pid);
        }
        // Zero where the system does not count them (Wine).
        usage.GdiObjects = GetGuiResources(process.get(), GR_GDIOBJECTS);
        usage.UserObjects = GetGuiResources(process.get(), GR_USEROBJECTS);
        usage.PrivateBytes = PrivateBytes(process.get());
    }
    host.PrivateAllocations(usage.HostAllocations);
    return usage;
}

struct TMenuSearch {
    DWORD Pid;
    int Count;
    HWND Any;
};

BOOL CALLBACK CountMenu(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<TMenuSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (owner == search->Pid && IsWindowVisible(window) && lstrcmpA(name, "#32768") == 0) {
        ++search->Count;
        search->Any = window;
    }
    return TRUE;
}

TMenuSearch FindMenus(DWORD pid) {
    TMenuSearch search = {pid, 0, nullptr};
    EnumWindows(CountMenu, reinterpret_cast<LPARAM>(&search));
    return search;
}

// The visible menu windows of the process.
int OpenMenus(DWORD pid) {
    return FindMenus(pid).Count;
}

// A key for the open menu: the menu's loop takes it from its thread's queue, whichever of its menu
// windows it is posted to. Nothing is posted when no menu is open.
void Key(DWORD pid, WPARAM key) {
    const HWND menu = FindMenus(pid).Any;
    if (menu != nullptr) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        PostMessageA(menu, WM_KEYUP, key, 0);
    }
}

// Presses Escape until at most `open` menus are left; a key the menu loop missed is pressed again after a
// while (never so fast that a second press could reach a later menu).
bool EscapeTo(DWORD pid, int open) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        Key(pid, VK_ESCAPE);
        if (WaitUntil([&] { return OpenMenus(pid) <= open; }, 2000)) {
            return true;
        }
    }
    return false;
}

class TraySoak : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveKavrilonData();
        ASSERT_TRUE(host_.Start(Icons)) << host_.LastError();
        MakeDataFolders();
        ASSERT_TRUE(WriteLayoutFile(PrimaryLayoutFile(),
                                    {{400, 100, "Alpha"}, {520, 220, "Beta"}, {640, 340, "Gamma"}}));
        // Backups for the archive submenu.
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(WriteLayoutFile(BackupFolder() + "2024010112000" + std::to_string(i) + "S.kvl",
                                        {{10, 10, "Alpha"}}));
        }
        ASSERT_TRUE(WriteOptionsFile({"NoSplash=1", "RestoreAtStart=0", "RestoreAtChange=1", "QuerySave=0",
                                      "SaveNotification=0", "Language=1"}));
    }
    void TearDown() override {
        host_.Stop();
        RemoveKavrilonData();
    }

    void Scramble(int round) {
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(host_.Move(i, 20 + round % 7, 20 + 80 * i));
        }
    }

    // One round of each kind of work, `count` times for the restores and menus and a quarter of it
    // for the about screens and saves.
    void Work(TTrayInstance& tray, int count) {
        for (int i = 0; i < count; ++i) {
            Scramble(i);
            ASSERT_NE(tray.Send(WM_DISPLAYCHANGE, 32,
                                MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))),
                      -1);
            ASSERT_EQ(CurrentPlaces(host_), (std::vector<TPlace>{{400, 100}, {520, 220}, {640, 340}}))
                << "restore " << i;

            PostMessageA(tray.Window(), TrayCallbackMessage, 0, WM_RBUTTONUP);
            ASSERT_TRUE(WaitUntil([&] { return OpenMenus(tray.Pid()) == 1; }, 5000)) << "menu " << i;
            // Down to the archive (save, restore, save to file, restore from file, archive) and open it.
            for (int step = 0; step < 5; ++step) {
                Key(tray.Pid(), VK_DOWN);
            }
            Key(tray.Pid(), VK_RIGHT);
            ASSERT_TRUE(WaitUntil([&] { return OpenMenus(tray.Pid()) == 2; }, 5000)) << "archive " << i;
            ASSERT_TRUE(EscapeTo(tray.Pid(), 1)) << "archive " << i;
            ASSERT_TRUE(EscapeTo(tray.Pid(), 0)) << "menu " << i;
            ASSERT_TRUE(tray.Idle());

            if (i % 4 == 0) {
                PostMessageA(tray.Window(), WM_COMMAND, CommandAbout, 0);
                ASSERT_TRUE(WaitUntil([&] { return tray.Splash() != nullptr; }, 5000)) << "about " << i;
                PostMessageA(tray.Splash(), WM_RBUTTONUP, 0, 0);
                ASSERT_TRUE(WaitUntil([&] { return tray.Splash() == nullptr; }, 5000));
                ASSERT_NE(tray.Send(WM_COMMAND, CommandSavePrimary, 0), -1);
            }
        }
    }

    DesktopHost host_;
};

TEST_F(TraySoak, HandlesObjectsAndMemoryStayFlat) {
    const bool full = std::getenv("KV_SOAK_FULL") != nullptr;
    const int rounds = full ? 200 : 20;
    TTrayInstance tray;
    ASSERT_TRUE(tray.Idle());
    // A first round lets caches and the system's lazily made objects settle.
    ASSERT_NO_FATAL_FAILURE(Work(tray, 4));
    const TUsage before = Measure(tray.Pid(), host_);
    ASSERT_NO_FATAL_FAILURE(Work(tray, rounds));
    const TUsage after = Measure(tray.Pid(), host_);

    std::printf("tray soak: %d restores, %d menus with the archive, %d about screens, %d saves\n", rounds,
                rounds, (rounds + 3) / 4, (rounds + 3) / 4);
    std::printf("  handles %lu -> %lu, ", before.Handles, after.Handles);
    if (before.GdiObjects == 0 && before.UserObjects == 0) {
        std::printf("GDI and USER objects not counted by this system\n");
    } else {
        std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu\n", before.GdiObjects, after.GdiObjects,
                    before.UserObjects, after.UserObjects);
    }
    std::printf("  private memory %lu KiB -> %lu KiB, desktop's committed allocations %lld -> %lld\n",
                static_cast<unsigned long>(before.PrivateBytes / 1024),
                static_cast<unsigned long>(after.PrivateBytes / 1024), before.HostAllocations,
                after.HostAllocations);

    // A leak of one object per round would show as dozens; a few come and go with the system's
    // own bookkeeping.
    EXPECT_LE(after.Handles, before.Handles + 3);
    EXPECT_LE(after.GdiObjects, before.GdiObjects + 3);
    EXPECT_LE(after.UserObjects, before.UserObjects + 3);
    EXPECT_LE(after.PrivateBytes, before.PrivateBytes + 512 * 1024);
    EXPECT_EQ(after.HostAllocations, before.HostAllocations)
        << "memory of Kavrilon left in the desktop's process";
    EXPECT_EQ(tray.Exit(), 0);
}

} // namespace
