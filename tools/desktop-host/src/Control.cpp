#include "Control.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "Desktop.h"
#include "FolderViewServer.h"
#include "Hang.h"
#include "Text.h"

namespace kvhost {
namespace {

HWND g_control = nullptr;

std::string Hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", value);
    return text;
}

std::string HandleText(HWND window) {
    return Hex(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
}

std::string WindowLine(const char* key, HWND window) {
    RECT rect = {};
    if (window != nullptr)
        GetWindowRect(window, &rect);
    return std::string(key) + " " + HandleText(window) + " " + std::to_string(rect.left) + " " +
           std::to_string(rect.top) + " " + std::to_string(rect.right) + " " + std::to_string(rect.bottom) +
           "\n";
}

std::u16string ItemCaption(HWND listView, int index) {
    // Far more room than any caption we create, so that the dump shows what the list view
    // holds, not what a reader with a 260-unit buffer gets.
    std::vector<wchar_t> text(4096, L'\0');
    LVITEMW item = {};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const LRESULT length = SendMessageW(listView, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return std::u16string(reinterpret_cast<const char16_t*>(text.data()), static_cast<size_t>(length));
}

std::string StateDump() {
    const DesktopState& desktop = Desktop();
    std::string dump = "kvhost-state 1\n";
    dump += std::string("mode ") + (desktop.shellMode ? "shell" : "fixture") + "\n";
    dump += "pid " + std::to_string(GetCurrentProcessId()) + "\n";
    dump += WindowLine("progman", desktop.progman);

    HWND parent = desktop.defView != nullptr ? GetParent(desktop.defView) : nullptr;
    char className[256] = "-";
    if (parent != nullptr)
        GetClassNameA(parent, className, sizeof className);
    std::string parentLine = WindowLine("defview-parent", parent);
    parentLine.insert(parentLine.size() - 1, std::string(" ") + className);
    dump += parentLine;
    dump += WindowLine("defview", desktop.defView);
    dump += WindowLine("listview", desktop.listView);

    HWND listView = desktop.listView;
    const LONG_PTR style = listView != nullptr ? GetWindowLongPtrW(listView, GWL_STYLE) : 0;
    const LRESULT exStyle =
        listView != nullptr ? SendMessageW(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) : 0;
    dump += "listview-style " + Hex(static_cast<unsigned long>(style)) + "\n";
    dump += "listview-exstyle " + Hex(static_cast<unsigned long>(exStyle)) + "\n";

    const int count =
        listView != nullptr ? static_cast<int>(SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0)) : 0;
    dump += "items " + std::to_string(count) + "\n";
    for (int i = 0; i < count; ++i) {
        POINT position = {};
        SendMessageW(listView, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&position));
        const std::u16string caption = ItemCaption(listView, i);
        dump += "item " + std::to_string(i) + " " + std::to_string(position.x) + " " +
                std::to_string(position.y) + " " +
                (caption.empty() ? std::string("-") : Utf16ToHex(caption)) + "\n";
    }
    const MoveCounts moves = CountedMoves();
    dump += "moves " + std::to_string(moves.byMessages) + " " + std::to_string(moves.byFolderView) + "\n";
    dump += "stray-writes " + std::to_string(StrayWrites()) + "\n";
    for (const CommandRecord& record : desktop.commandLog) {
        dump += "command " + Hex(static_cast<unsigned long>(record.wParam)) + " " +
                Hex(static_cast<unsigned long long>(record.lParam)) + "\n";
    }
    dump += "end\n";
    return dump;
}

bool WriteFileUtf8Path(const std::string& path, const std::string& content) {
    const std::u16string widePath = Utf8ToUtf16(path).value_or(u"");
    if (widePath.empty())
        return false;
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(widePath.c_str()), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

// Allocations of committed private memory in this process (each counted once, by its first region):
// what another process commits here with VirtualAllocEx shows up as one more.
std::string PrivateMemoryDump() {
    unsigned long long allocations = 0;
    unsigned long long bytes = 0;
    MEMORY_BASIC_INFORMATION info = {};
    const char* address = nullptr;
    while (VirtualQuery(address, &info, sizeof info) == sizeof info) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) {
            bytes += info.RegionSize;
            if (info.AllocationBase == info.BaseAddress)
                ++allocations;
        }
        const char* next = static_cast<const char*>(info.BaseAddress) + info.RegionSize;
        if (next <= address)
            break;
        address = next;
    }
    return "private-allocations " + std::to_string(allocations) + "\nprivate-bytes " + std::to_string(bytes) +
           "\n";
}

// "move <index> <x> <y>": three signed decimal numbers separated by single blanks.
bool ParseMove(const std::string& argument, long& index, long& x, long& y) {
    const char* text = argument.c_str();
    char* end = nullptr;
    long* targets[] = {&index, &x, &y};
    for (size_t i = 0; i < 3; ++i) {
        if (*text == '\0' || *text == ' ')
            return false;
        *targets[i] = std::strtol(text, &end, 10);
        if (end == text || *end != (i < 2 ? ' ' : '\0'))
            return false;
        text = end + (i < 2 ? 1 : 0);
    }
    return true;
}

LRESULT HandleRequest(const std::string& request) {
    const size_t blank = request.find(' ');
    const std::string verb = request.substr(0, blank);
    const std::string argument = blank == std::string::npos ? std::string() : request.substr(blank + 1);

    if (verb == "state")
        return WriteFileUtf8Path(argument, StateDump()) ? 1 : 0;
    if (verb == "move") {
        long index = 0, x = 0, y = 0;
        if (!ParseMove(argument, index, x, y) || Desktop().listView == nullptr)
            return 0;
        return MoveItemAsHost(static_cast<int>(index), POINT{x, y}) ? 1 : 0;
    }
    if (verb == "memory")
        return WriteFileUtf8Path(argument, PrivateMemoryDump()) ? 1 : 0;
    if (verb == "clear-log" && argument.empty()) {
        Desktop().commandLog.clear();
        return 1;
    }
    if (verb == "hang")
        return RequestHang(g_control, argument) ? 1 : 0;
    if (verb == "hang-on-redraw-off")
        return ArmHangOnRedrawOff(Desktop().listView, argument) ? 1 : 0;
    if (verb == "hang-before")
        return ArmHangBeforeMessage(Desktop().listView, argument) ? 1 : 0;
    if (verb == "hang-on-positioning")
        return ArmHangOnPositioning(argument) ? 1 : 0;
    if (verb == "ping" && argument.empty())
        return 1;
    if (verb == "quit" && argument.empty()) {
        PostQuitMessage(0);
        return 1;
    }
    return 0;
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (HandleHangMessage(message, wParam))
        return 0;
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data == nullptr || data->dwData != kControlMagic)
            return 0;
        const char* bytes = static_cast<const char*>(data->lpData);
        std::string request(bytes, bytes + data->cbData);
        while (!request.empty() && request.back() == '\0')
            request.pop_back();
        return HandleRequest(request);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

bool CreateControlWindow(HINSTANCE instance, const std::wstring& title, std::string& error) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ControlProc;
    wc.hInstance = instance;
    wc.lpszClassName = kControlClass;
    if (RegisterClassExW(&wc) == 0 ||
        (g_control = CreateWindowExW(0, kControlClass, title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     instance, nullptr)) == nullptr) {
        error = "creating the control window failed, error " + std::to_string(GetLastError());
        return false;
    }
    return true;
}

void DestroyControlWindow() {
    if (g_control != nullptr)
        DestroyWindow(g_control);
    g_control = nullptr;
}

} // namespace kvhost
