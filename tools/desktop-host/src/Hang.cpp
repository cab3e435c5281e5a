#include "Hang.h"

#include <commctrl.h>

#include <cstdlib>

namespace kvhost {
namespace {

constexpr UINT kHangMessage = WM_APP + 0x48;

WNDPROC g_listViewProc = nullptr;
DWORD g_redrawOffHang = 0;
DWORD g_positioningHang = 0;
UINT g_hangBeforeMessage = 0;
DWORD g_hangBeforeMilliseconds = 0;
long g_strayWrites = 0;
HANDLE g_wakeEvent = nullptr;

// Sleeps for a hang: until the time is up or a test wakes the host early through its wake event,
// once it has seen what it wanted to see of the hung shell.
void Doze(DWORD milliseconds) {
    if (g_wakeEvent == nullptr) {
        Doze(milliseconds);
        return;
    }
    ResetEvent(g_wakeEvent);
    WaitForSingleObject(g_wakeEvent, milliseconds);
}

bool ParseMilliseconds(const std::string& argument, DWORD& milliseconds) {
    char* end = nullptr;
    const long value = std::strtol(argument.c_str(), &end, 10);
    if (argument.empty() || *end != '\0' || value < 1 || value > 600000)
        return false;
    milliseconds = static_cast<DWORD>(value);
    return true;
}

// The list-view messages that write into memory at lParam.
bool WritesAtLParam(UINT message) {
    return message == LVM_GETITEMTEXTA || message == LVM_GETITEMTEXTW || message == LVM_GETITEMPOSITION;
}

// True when `size` bytes at `address` of this process are committed and writable.
bool WritableMemory(LPARAM address, SIZE_T size) {
    MEMORY_BASIC_INFORMATION info = {};
    if (address == 0 ||
        VirtualQuery(reinterpret_cast<const void*>(address), &info, sizeof info) != sizeof info)
        return false;
    const DWORD writable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    const auto end = reinterpret_cast<const char*>(info.BaseAddress) + info.RegionSize;
    return info.State == MEM_COMMIT && (info.Protect & writable) != 0 &&
           reinterpret_cast<const char*>(address) + size <= end;
}

bool ParseMessageAndMilliseconds(const std::string& argument, UINT& message, DWORD& milliseconds) {
    const size_t blank = argument.find(' ');
    if (blank == std::string::npos)
        return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(argument.c_str(), &end, 10);
    if (end != argument.c_str() + blank || !WritesAtLParam(static_cast<UINT>(value)))
        return false;
    message = static_cast<UINT>(value);
    return ParseMilliseconds(argument.substr(blank + 1), milliseconds);
}

LRESULT CALLBACK HangingListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == g_hangBeforeMessage && g_hangBeforeMilliseconds != 0) {
        // The shell is slow before it gets to the request: the sender gives up meanwhile, and the
        // request is carried out when the thread wakes up.
        const DWORD milliseconds = g_hangBeforeMilliseconds;
        g_hangBeforeMilliseconds = 0;
        Doze(milliseconds);
    }
    if (WritesAtLParam(message) && !WritableMemory(lParam, sizeof(LVITEMW))) {
        // A real shell would write into freed (or reused) memory of its own here and crash or
        // corrupt its heap; the host counts it and leaves the request undone.
        ++g_strayWrites;
        return 0;
    }
    const LRESULT result = CallWindowProcW(g_listViewProc, window, message, wParam, lParam);
    if (message == WM_SETREDRAW && wParam == FALSE && g_redrawOffHang != 0) {
        const DWORD milliseconds = g_redrawOffHang;
        g_redrawOffHang = 0;
        Doze(milliseconds);
    }
    return result;
}

bool SubclassListView(HWND listView) {
    if (g_listViewProc == nullptr) {
        g_listViewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HangingListViewProc)));
    }
    return g_listViewProc != nullptr;
}

} // namespace

bool CreateWakeEvent(const std::wstring& name) {
    g_wakeEvent = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
    return g_wakeEvent != nullptr;
}

bool RequestHang(HWND control, const std::string& argument) {
    DWORD milliseconds = 0;
    return ParseMilliseconds(argument, milliseconds) &&
           PostMessageW(control, kHangMessage, static_cast<WPARAM>(milliseconds), 0) != FALSE;
}

bool ArmHangOnRedrawOff(HWND listView, const std::string& argument) {
    DWORD milliseconds = 0;
    if (listView == nullptr || !ParseMilliseconds(argument, milliseconds) || !SubclassListView(listView))
        return false;
    g_redrawOffHang = milliseconds;
    return true;
}

bool ArmHangBeforeMessage(HWND listView, const std::string& argument) {
    UINT message = 0;
    DWORD milliseconds = 0;
    if (listView == nullptr || !ParseMessageAndMilliseconds(argument, message, milliseconds) ||
        !SubclassListView(listView))
        return false;
    g_hangBeforeMessage = message;
    g_hangBeforeMilliseconds = milliseconds;
    return true;
}

long StrayWrites() {
    return g_strayWrites;
}

bool ArmHangOnPositioning(const std::string& argument) {
    return ParseMilliseconds(argument, g_positioningHang);
}

void HangIfArmedForPositioning() {
    const DWORD milliseconds = g_positioningHang;
    g_positioningHang = 0;
    if (milliseconds != 0)
        Doze(milliseconds);
}

bool HandleHangMessage(UINT message, WPARAM wParam) {
    if (message != kHangMessage)
        return false;
    Doze(static_cast<DWORD>(wParam));
    return true;
}

} // namespace kvhost
