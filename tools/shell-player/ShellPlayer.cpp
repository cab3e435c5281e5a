// The shell player: plays the Windows shell towards Kavrilon's shell extension, as the shell does,
// and prints what it sees as "name=value" lines for the tests.
//
//   kv-shell-player menu [--folder desktop|other|null|skip] [--foreground CLASS] [--index N] [--first N]
//                        [--last N] [--flags N] [--invoke OFFSET | --verb TEXT]
//                        [--add-before-invoke PATH] [--remove-before-invoke PATH]
//       CoCreateInstance by class id through the registry, IShellExtInit::Initialize with the folder,
//       IContextMenu::QueryContextMenu on a menu holding "A", "B" and "C" with the ids first to last
//       (inclusive, last defaults to first + 100), the resulting menu item by item, and optionally
//       InvokeCommand with an owner window of the player's own; between the two, a file may be created
//       or deleted (as another process might while the menu is open).
//   kv-shell-player threads ROUNDS
//       Two threads build the menu ROUNDS times each at the same time; every menu must be the same.
//   kv-shell-player soak ROUNDS
//       Builds and destroys the menu ROUNDS times after one warm-up menu and prints the process's
//       handles, GDI and USER objects and private memory before and after, the bitmaps the menus
//       carried and the submenus still alive; then lets COM unload the library and tells whether the
//       bitmap went with it.
//   kv-shell-player stall
//   GetPrivateProfileStringA|GetFileAttributesA|FindFirstFileA|SHGetSpecialFolderLocation
//       One thread's menu is held inside the extension's first call of that function (its import is
//       redirected), as on a slow disk; tells whether a second thread's menu completes meanwhile.
//   kv-shell-player factory
//       The class factory and object cases, with DllCanUnloadNow after each step.
//   kv-shell-player register|unregister DLLPATH
//       Loads the library and calls DllRegisterServer or DllUnregisterServer.

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "KavrilonNames.h"

namespace {

void Print(const std::string& name, const std::string& value) {
    std::printf("%s=%s\n", name.c_str(), value.c_str());
    std::fflush(stdout);
}

std::string Hex(HRESULT value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

// A result and whether the out pointer came back null.
std::string WithPointer(HRESULT result, const void* pointer) {
    return Hex(result) + (pointer == nullptr ? "|null" : "|set");
}

CLSID ExtensionClassId() {
    CLSID id = {};
    wchar_t text[64] = {};
    MultiByteToWideChar(CP_ACP, 0, ShellExtClassIdText, -1, text, 64);
    CLSIDFromString(text, &id);
    return id;
}

// The library that COM loaded for the class id, found by the path of the registry view of this
// process.
HMODULE ExtensionModule() {
    char path[MAX_PATH] = {};
    LONG size = sizeof(path);
    if (RegQueryValueA(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, path, &size) != ERROR_SUCCESS) {
        return nullptr;
    }
    return GetModuleHandleA(path);
}

HRESULT CanUnloadNow() {
    HMODULE module = ExtensionModule();
    using TCanUnloadNow = HRESULT(WINAPI*)();
    auto canUnload = module == nullptr ? nullptr
                                       : reinterpret_cast<TCanUnloadNow>(reinterpret_cast<void*>(
                                             GetProcAddress(module, "DllCanUnloadNow")));
    return canUnload == nullptr ? E_UNEXPECTED : canUnload();
}

// An outer object for aggregation that counts its references.
class TOuter final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID id, void** object) override {
        if (IsEqualIID(id, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++References; }
    STDMETHODIMP_(ULONG) Release() override { return --References; }
    ULONG References = 1;
};

const char* Option(int argc, char** argv, const char* name, const char* fallback) {
    for (int i = 2; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            return argv[i + 1];
        }
    }
    return fallback;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreatePlainWindow(const char* className, bool visible) {
    WNDCLASSA windowClass = {};
    if (!GetClassInfoA(nullptr, className, &windowClass)) {
        windowClass.lpfnWndProc = PlainWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
    }
    return CreateWindowExA(0, className, "Kavrilon shell player",
                           WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 300, 200, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
}

// The menu item by item as "name=value" lines: "kind|offset|state|bitmap|text".
void DescribeMenu(HMENU menu, const std::string& prefix, UINT first, std::string& lines) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING | MIIM_CHECKMARKS;
        item.dwTypeData = text;
        item.cch = sizeof(text) - 1;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &item)) {
            lines += prefix + std::to_string(i) + "=unreadable\n";
            continue;
        }
        const char* kind = (item.fType & MFT_SEPARATOR) != 0 ? "sep"
                           : item.hSubMenu != nullptr        ? "popup"
                                                             : "string";
        const bool bitmap = item.hbmpChecked != nullptr && item.hbmpUnchecked != nullptr;
        // Greyed (MF_GRAYED) or disabled but drawn normally (MF_DISABLED alone); nothing for separators.
        const char* state = (item.fType & MFT_SEPARATOR) != 0  ? ""
                            : (item.fState & MF_GRAYED) != 0   ? "grayed"
                            : (item.fState & MF_DISABLED) != 0 ? "disabled"
                                                               : "enabled";
        // A popup item's id may be its submenu's handle, which differs from run to run.
        const std::string offset =
            item.hSubMenu != nullptr ? "-" : std::to_string(static_cast<int>(item.wID - first));
        lines += prefix + std::to_string(i) + "=" + kind + "|" + offset + "|" + state + "|" +
                 (bitmap ? "1" : "0") + "|" + text + "\n";
        if (item.hSubMenu != nullptr) {
            DescribeMenu(item.hSubMenu, prefix + std::to_string(i) + ".", first, lines);
        }
    }
}

int PlayMenu(int argc, char** argv) {
    const std::string folder = Option(argc, argv, "--folder", "desktop");
    const char* foregroundClass = Option(argc, argv, "--foreground", nullptr);
    const UINT index = static_cast<UINT>(std::atoi(Option(argc, argv, "--index", "1")));
    const UINT first = static_cast<UINT>(std::atoi(Option(argc, argv, "--first", "100")));
    const UINT last =
        static_cast<UINT>(std::atoi(Option(argc, argv, "--last", std::to_string(first + 100).c_str())));
    const UINT flags = static_cast<UINT>(std::strtoul(Option(argc, argv, "--flags", "0"), nullptr, 0));
    const char* invoke = Option(argc, argv, "--invoke", nullptr);
    const char* verb = Option(argc, argv, "--verb", nullptr);
    const char* addBeforeInvoke = Option(argc, argv, "--add-before-invoke", nullptr);
    const char* removeBeforeInvoke = Option(argc, argv, "--remove-before-invoke", nullptr);

    IShellExtInit* init = nullptr;
    HRESULT result = CoCreateInstance(ExtensionClassId(), nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                      reinterpret_cast<void**>(&init));
    Print("create", Hex(result));
    if (FAILED(result)) {
        return 1;
    }
    HWND foreground = nullptr;
    if (foregroundClass != nullptr) {
        foreground = CreatePlainWindow(foregroundClass, true);
        SetForegroundWindow(foreground);
        char className[64] = {};
        GetClassNameA(GetForegroundWindow(), className, sizeof(className));
        Print("foreground", className);
    }
    // The desktop folder is the empty item-id list; any other folder has items.
    static const USHORT emptyList = 0;
    LPITEMIDLIST otherFolder = nullptr;
    PCIDLIST_ABSOLUTE folderList = reinterpret_cast<PCIDLIST_ABSOLUTE>(&emptyList);
    if (folder == "other") {
        SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, &otherFolder);
        folderList = otherFolder;
    } else if (folder == "null") {
        folderList = nullptr;
    }
    // "skip": the menu is asked for without Initialize.
    if (folder == "skip") {
        result = S_OK;
        Print("init", "skipped");
    } else {
        result = init->Initialize(folderList, nullptr, nullptr);
        Print("init", Hex(result));
    }
    CoTaskMemFree(otherFolder);
    if (foreground != nullptr) {
        DestroyWindow(foreground);
    }
    IContextMenu* menu = nullptr;
    if (SUCCEEDED(result) &&
        SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)))) {
        HMENU shellMenu = CreatePopupMenu();
        AppendMenuA(shellMenu, MF_STRING, 1, "A");
        AppendMenuA(shellMenu, MF_STRING, 2, "B");
        AppendMenuA(shellMenu, MF_STRING, 3, "C");
        Print("query", Hex(menu->QueryContextMenu(shellMenu, index, first, last, flags)));
        std::string lines;
        DescribeMenu(shellMenu, "item.", first, lines);
        std::fputs(lines.c_str(), stdout);
        if (addBeforeInvoke != nullptr) {
            HANDLE file = CreateFileA(addBeforeInvoke, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            Print("added", file != INVALID_HANDLE_VALUE ? "yes" : "no");
            CloseHandle(file);
        }
        if (removeBeforeInvoke != nullptr) {
            Print("removed", DeleteFileA(removeBeforeInvoke) ? "yes" : "no");
        }
        if (invoke != nullptr || verb != nullptr) {
            HWND owner = CreatePlainWindow("KavrilonShellPlayerOwner", false);
            Print("owner", std::to_string(static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(owner))));
            CMINVOKECOMMANDINFO info = {};
            info.cbSize = sizeof(info);
            info.hwnd = owner;
            info.lpVerb = verb != nullptr ? verb : MAKEINTRESOURCEA(std::atoi(invoke));
            info.nShow = SW_SHOWNORMAL;
            Print("invoke", Hex(menu->InvokeCommand(&info)));
            DestroyWindow(owner);
        }
        char ansi[8] = "xxxxxxx";
        WCHAR wide[8] = L"xxxxxxx";
        menu->GetCommandString(0, GCS_VERBA, nullptr, ansi, 8);
        menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<CHAR*>(wide), 8);
        Print("command_string", ansi[0] == '\0' && wide[0] == L'\0' ? "empty" : "not empty");
        DestroyMenu(shellMenu);
        menu->Release();
    }
    init->Release();
    return 0;
}

// One shell thread: builds the menu `rounds` times and compares each with the first.
struct TThreadRun {
    int Rounds = 0;
    int Failures = 0;
    std::string First;
};

DWORD WINAPI BuildMenusRepeatedly(void* parameter) {
    auto* run = static_cast<TThreadRun*>(parameter);
    CoInitialize(nullptr);
    static const USHORT emptyList = 0;
    for (int round = 0; round < run->Rounds; ++round) {
        IContextMenu* menu = nullptr;
        IShellExtInit* init = nullptr;
        std::string lines;
        if (SUCCEEDED(CoCreateInstance(ExtensionClassId(), nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                       reinterpret_cast<void**>(&init))) &&
            SUCCEEDED(init->Initialize(reinterpret_cast<PCIDLIST_ABSOLUTE>(&emptyList), nullptr, nullptr)) &&
            SUCCEEDED(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu)))) {
            HMENU shellMenu = CreatePopupMenu();
            lines = Hex(menu->QueryContextMenu(shellMenu, 0, 100, 200, 0)) + "\n";
            DescribeMenu(shellMenu, "item.", 100, lines);
            DestroyMenu(shellMenu);
        }
        if (menu != nullptr) {
            menu->Release();
        }
        if (init != nullptr) {
            init->Release();
        }
        if (round == 0) {
            run->First = lines;
        }
        if (lines.empty() || lines != run->First) {
            ++run->Failures;
        }
    }
    CoUninitialize();
    return 0;
}

// Two shell threads build menus at the same time, as two Explorer windows may.
int PlayThreads(int rounds) {
    TThreadRun runs[2];
    HANDLE threads[2] = {};
    for (int i = 0; i < 2; ++i) {
        runs[i].Rounds = rounds;
        threads[i] = CreateThread(nullptr, 0, BuildMenusRepeatedly, &runs[i], 0, nullptr);
    }
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
    for (HANDLE thread : threads) {
        CloseHandle(thread);
    }
    Print("thread_failures", std::to_string(runs[0].Failures + runs[1].Failures));
    Print("threads_agree", runs[0].First == runs[1].First && !runs[0].First.empty() ? "yes" : "no");
    return 0;
}

// One menu as the shell builds it: created, initialized for the desktop, filled, destroyed and
// released. `bitmap` and `submenu` receive the handles the "Kavrilon" item carried (the shell's menu
// sits at index 0 of an empty menu, so the item is at position 1). The result of QueryContextMenu.
HRESULT BuildOneMenu(HBITMAP& bitmap, HMENU& submenu) {
    static const USHORT emptyList = 0;
    bitmap = nullptr;
    submenu = nullptr;
    IShellExtInit* init = nullptr;
    IContextMenu* menu = nullptr;
    HRESULT result = CoCreateInstance(ExtensionClassId(), nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                      reinterpret_cast<void**>(&init));
    if (SUCCEEDED(result)) {
        result = init->Initialize(reinterpret_cast<PCIDLIST_ABSOLUTE>(&emptyList), nullptr, nullptr);
    }
    if (SUCCEEDED(result)) {
        result = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    }
    if (SUCCEEDED(result)) {
        HMENU shellMenu = CreatePopupMenu();
        result = menu->QueryContextMenu(shellMenu, 0, 100, 200, 0);
        MENUITEMINFOA item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_SUBMENU | MIIM_CHECKMARKS;
        if (GetMenuItemInfoA(shellMenu, 1, TRUE, &item)) {
            bitmap = item.hbmpUnchecked;
            submenu = item.hSubMenu;
        }
        DestroyMenu(shellMenu);
        menu->Release();
    }
    if (init != nullptr) {
        init->Release();
    }
    return result;
}

// The figures of a leak: open handles, GDI and USER objects, private memory.
struct TResourceCounts {
    DWORD Handles = 0;
    DWORD GdiObjects = 0;
    DWORD UserObjects = 0;
    bool GuiCounted = false;
    SIZE_T PrivateBytes = 0;
};

// GetProcessHandleCount answers 0 under Wine: then the handles are counted one by one.
DWORD OpenHandleCount() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) {
        return count;
    }
    count = 0;
    for (UINT_PTR value = 4; value < 0x40000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
        }
    }
    return count;
}

TResourceCounts CountResources() {
    TResourceCounts counts;
    counts.Handles = OpenHandleCount();
    // GetGuiResources fails under Wine (ERROR_CALL_NOT_IMPLEMENTED).
    SetLastError(0);
    counts.GdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.UserObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    counts.GuiCounted = GetLastError() == 0 && counts.UserObjects != 0;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
        // Wine leaves PrivateUsage at 0; its PagefileUsage is the committed private memory.
        counts.PrivateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    }
    return counts;
}

void PrintCounts(const char* when, const TResourceCounts& counts) {
    const std::string suffix = std::string("_") + when;
    Print("handles" + suffix, std::to_string(counts.Handles));
    Print("gdi" + suffix, counts.GuiCounted ? std::to_string(counts.GdiObjects) : "n/a");
    Print("user" + suffix, counts.GuiCounted ? std::to_string(counts.UserObjects) : "n/a");
    Print("private" + suffix, std::to_string(static_cast<unsigned long long>(counts.PrivateBytes)));
}

int PlaySoak(int rounds) {
    // The player's own records are filled before the first count, so that their memory counts as
    // "before". Entry 0 and 1 are the warm-up menus, which load the library and what the process
    // keeps once it has built a menu.
    std::vector<HBITMAP> bitmaps(static_cast<size_t>(rounds) + 2, nullptr);
    std::vector<HMENU> submenus(bitmaps.size(), nullptr);
    Print("warm_up",
          Hex(BuildOneMenu(bitmaps[0], submenus[0])) + "|" + Hex(BuildOneMenu(bitmaps[1], submenus[1])));
    const HBITMAP firstBitmap = bitmaps[0];
    const TResourceCounts before = CountResources();
    int failures = 0;
    for (size_t round = 2; round < bitmaps.size(); ++round) {
        if (FAILED(BuildOneMenu(bitmaps[round], submenus[round]))) {
            ++failures;
        }
    }
    const TResourceCounts after = CountResources();
    Print("rounds", std::to_string(rounds));
    Print("failures", std::to_string(failures));
    PrintCounts("before", before);
    PrintCounts("after", after);
    std::sort(bitmaps.begin(), bitmaps.end());
    Print("bitmaps_distinct", std::to_string(std::unique(bitmaps.begin(), bitmaps.end()) - bitmaps.begin() -
                                             (bitmaps[0] == nullptr)));
    bitmaps.erase(std::unique(bitmaps.begin(), bitmaps.end()), bitmaps.end());
    Print("bitmaps_alive", std::to_string(std::count_if(bitmaps.begin(), bitmaps.end(), [](HBITMAP bitmap) {
              return bitmap != nullptr && GetObjectType(bitmap) == OBJ_BITMAP;
          })));
    Print("submenus_alive", std::to_string(std::count_if(submenus.begin(), submenus.end(), [](HMENU menu) {
              return menu != nullptr && IsMenu(menu);
          })));
    // Nothing of the library is in use any more: COM may unload it now.
    CoFreeUnusedLibrariesEx(0, 0);
    Print("unloaded", ExtensionModule() == nullptr ? "yes" : "no");
    Print("bitmap_after_unload", firstBitmap == nullptr                     ? "none"
                                 : GetObjectType(firstBitmap) == OBJ_BITMAP ? "alive"
                                                                            : "deleted");
    return 0;
}

// The stall: one of the extension's imports, redirected so that the chosen thread waits inside it, as
// it would on a slow disk, network share or profile.
DWORD StalledThreadId = 0;
HANDLE StallEntered = nullptr;
HANDLE StallReleased = nullptr;

void StallIfChosen() {
    if (GetCurrentThreadId() == StalledThreadId) {
        SetEvent(StallEntered);
        WaitForSingleObject(StallReleased, INFINITE);
    }
}

// The replacement of one import: stalls the chosen thread, then calls the original function.
template <int Tag, typename R, typename... A>
struct TStallingCall {
    static inline void* Original = nullptr;
    static R WINAPI Call(A... arguments) {
        StallIfChosen();
        return reinterpret_cast<R(WINAPI*)(A...)>(Original)(arguments...);
    }
};

struct TStallPoint {
    const char* Library;
    const char* Function;
    void* Replacement;
    void** Original;
};

template <typename T>
TStallPoint StallPoint(const char* library, const char* function) {
    return {library, function, reinterpret_cast<void*>(&T::Call), &T::Original};
}

// The extension's accesses to the disk and the profile: the options, the primary layout, the
// archive, the data folder's lookup.
using TProfileRead = TStallingCall<0, DWORD, LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR>;
using TAttributes = TStallingCall<1, DWORD, LPCSTR>;
using TFindFirst = TStallingCall<2, HANDLE, LPCSTR, LPWIN32_FIND_DATAA>;
using TFolderLookup = TStallingCall<3, HRESULT, HWND, int, LPITEMIDLIST*>;
const TStallPoint StallPoints[] = {
    StallPoint<TProfileRead>("kernel32.dll", "GetPrivateProfileStringA"),
    StallPoint<TAttributes>("kernel32.dll", "GetFileAttributesA"),
    StallPoint<TFindFirst>("kernel32.dll", "FindFirstFileA"),
    StallPoint<TFolderLookup>("shell32.dll", "SHGetSpecialFolderLocation"),
};

// Points the module's import of `function` from `library` at `replacement`; the old target.
void* RedirectImport(HMODULE module, const char* library, const char* function, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         import->Name != 0; ++import) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), library) != 0 ||
            import->OriginalFirstThunk == 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++addresses) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(name->Name), function) != 0) {
                continue;
            }
            DWORD protection = 0;
            VirtualProtect(&addresses->u1.Function, sizeof(addresses->u1.Function), PAGE_READWRITE,
                           &protection);
            void* old = reinterpret_cast<void*>(addresses->u1.Function);
            addresses->u1.Function = reinterpret_cast<UINT_PTR>(replacement);
            VirtualProtect(&addresses->u1.Function, sizeof(addresses->u1.Function), protection, &protection);
            return old;
        }
    }
    return nullptr;
}

DWORD WINAPI BuildMenuOnThread(void* parameter) {
    CoInitialize(nullptr);
    HBITMAP bitmap = nullptr;
    HMENU submenu = nullptr;
    *static_cast<HRESULT*>(parameter) = BuildOneMenu(bitmap, submenu);
    CoUninitialize();
    return 0;
}

int PlayStall(const std::string& function) {
    // An object of our own keeps the library loaded while the threads come and go; it is never
    // initialized, so the first menu's Initialize looks the data folder up.
    IUnknown* keeper = nullptr;
    CoCreateInstance(ExtensionClassId(), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                     reinterpret_cast<void**>(&keeper));
    HMODULE module = ExtensionModule();
    bool redirected = false;
    for (const TStallPoint& point : StallPoints) {
        if (module != nullptr && function == point.Function) {
            *point.Original = RedirectImport(module, point.Library, point.Function, point.Replacement);
            redirected = *point.Original != nullptr;
        }
    }
    Print("redirected", redirected ? "yes" : "no");
    if (!redirected) {
        return 1;
    }
    StallEntered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    StallReleased = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HRESULT firstResult = E_PENDING;
    HRESULT secondResult = E_PENDING;
    HANDLE first =
        CreateThread(nullptr, 0, BuildMenuOnThread, &firstResult, CREATE_SUSPENDED, &StalledThreadId);
    ResumeThread(first);
    // The bounds below only limit how long a fault can hold the player; a sound extension answers at once.
    const bool entered = WaitForSingleObject(StallEntered, 10000) == WAIT_OBJECT_0;
    Print("first_stalled", entered ? "yes" : "no");
    HANDLE second = CreateThread(nullptr, 0, BuildMenuOnThread, &secondResult, 0, nullptr);
    const bool secondDone = WaitForSingleObject(second, 10000) == WAIT_OBJECT_0;
    Print("second_while_first_stalled", secondDone ? "completed" : "waited");
    SetEvent(StallReleased);
    WaitForSingleObject(second, INFINITE);
    WaitForSingleObject(first, INFINITE);
    Print("first_query", Hex(firstResult));
    Print("second_query", Hex(secondResult));
    CloseHandle(first);
    CloseHandle(second);
    keeper->Release();
    return 0;
}

int PlayFactory() {
    const CLSID classId = ExtensionClassId();
    IClassFactory* factory = nullptr;
    Print("get_factory", Hex(CoGetClassObject(classId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                              reinterpret_cast<void**>(&factory))));
    if (factory == nullptr) {
        return 1;
    }
    Print("unload_with_factory", Hex(CanUnloadNow()));

    // Another class id, asked of the library itself.
    using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto getClassObject = reinterpret_cast<TGetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(ExtensionModule(), "DllGetClassObject")));
    const CLSID otherClass = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* object = reinterpret_cast<void*>(1);
    HRESULT result = getClassObject(otherClass, IID_IClassFactory, &object);
    Print("other_class", WithPointer(result, object));
    object = reinterpret_cast<void*>(1);
    result = getClassObject(classId, IID_IPersist, &object);
    Print("factory_other_interface", WithPointer(result, object));

    TOuter outer;
    object = reinterpret_cast<void*>(1);
    result = factory->CreateInstance(&outer, IID_IContextMenu, &object);
    Print("aggregate_menu", WithPointer(result, object));
    Print("null_out", Hex(factory->CreateInstance(nullptr, IID_IContextMenu, nullptr)));
    object = reinterpret_cast<void*>(1);
    result = factory->CreateInstance(nullptr, IID_IPersistFile, &object);
    Print("no_interface", WithPointer(result, object));

    // An aggregate: the inner unknown, whose interfaces count on the outer object.
    IUnknown* inner = nullptr;
    Print("aggregate_unknown",
          Hex(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner))));
    if (inner != nullptr) {
        IContextMenu* aggregated = nullptr;
        const ULONG before = outer.References;
        inner->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&aggregated));
        Print("aggregate_forwards", aggregated != nullptr && outer.References == before + 1 ? "yes" : "no");
        if (aggregated != nullptr) {
            aggregated->Release();
        }
        inner->Release();
    }

    IContextMenu* menu = nullptr;
    Print("create_menu",
          Hex(factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu))));
    if (menu != nullptr) {
        ISupportErrorInfo* errorInfo = nullptr;
        menu->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&errorInfo));
        if (errorInfo != nullptr) {
            Print("error_info", Hex(errorInfo->InterfaceSupportsErrorInfo(IID_IContextMenu)) + "|" +
                                    Hex(errorInfo->InterfaceSupportsErrorInfo(IID_IPersist)));
            errorInfo->Release();
        }
        void* other = reinterpret_cast<void*>(1);
        result = menu->QueryInterface(IID_IPersist, &other);
        Print("object_other_interface", WithPointer(result, other));
    }
    factory->Release();
    Print("unload_with_object", Hex(CanUnloadNow()));
    if (menu != nullptr) {
        menu->Release();
    }
    Print("unload_after_object", Hex(CanUnloadNow()));

    CoGetClassObject(classId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                     reinterpret_cast<void**>(&factory));
    Print("lock", Hex(factory->LockServer(TRUE)));
    factory->Release();
    Print("unload_with_lock", Hex(CanUnloadNow()));
    CoGetClassObject(classId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                     reinterpret_cast<void**>(&factory));
    Print("unlock", Hex(factory->LockServer(FALSE)));
    factory->Release();
    Print("unload_after_lock", Hex(CanUnloadNow()));

    // An unlock without a lock, while an object lives: it must neither let the library go under the
    // object nor keep it from going later.
    CoGetClassObject(classId, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                     reinterpret_cast<void**>(&factory));
    menu = nullptr;
    factory->CreateInstance(nullptr, IID_IContextMenu, reinterpret_cast<void**>(&menu));
    Print("stray_unlock", Hex(factory->LockServer(FALSE)));
    factory->Release();
    Print("unload_with_object_after_stray_unlock", Hex(CanUnloadNow()));
    if (menu != nullptr) {
        menu->Release();
    }
    Print("unload_after_stray_unlock", Hex(CanUnloadNow()));
    return 0;
}

int PlayRegistration(const char* command, const char* path) {
    HMODULE library = LoadLibraryA(path);
    if (library == nullptr) {
        Print("load", std::to_string(GetLastError()));
        return 1;
    }
    using TExport = HRESULT(WINAPI*)();
    auto entry = reinterpret_cast<TExport>(reinterpret_cast<void*>(GetProcAddress(
        library, std::strcmp(command, "register") == 0 ? "DllRegisterServer" : "DllUnregisterServer")));
    Print("result", entry == nullptr ? "no export" : Hex(entry()));
    FreeLibrary(library);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kv-shell-player menu|factory|register|unregister ...\n");
        return 2;
    }
    CoInitialize(nullptr);
    const std::string command = argv[1];
    int exitCode = 2;
    if (command == "menu") {
        exitCode = PlayMenu(argc, argv);
    } else if (command == "threads" && argc > 2) {
        exitCode = PlayThreads(std::atoi(argv[2]));
    } else if (command == "soak" && argc > 2) {
        exitCode = PlaySoak(std::atoi(argv[2]));
    } else if (command == "stall" && argc > 2) {
        exitCode = PlayStall(argv[2]);
    } else if (command == "factory") {
        exitCode = PlayFactory();
    } else if ((command == "register" || command == "unregister") && argc > 2) {
        exitCode = PlayRegistration(argv[1], argv[2]);
    }
    CoUninitialize();
    return exitCode;
}
