#include "Hang.h"

#include <cstdlib>

namespace kvhost {
namespace {

constexpr UINT kHangMessage = WM_APP + 0x48;

WNDPROC g_listViewProc = nullptr;
DWORD g_redrawOffHang = 0;
DWORD g_positioningHang = 0;

bool ParseMilliseconds(const std::string& argument, DWORD& milliseconds) {
    char* end = nullptr;
    const long value = std::strtol(argument.c_str(), &end, 10);
    if (argument.empty() || *end != '\0' || value < 1 || value > 600000)
        return false;
    milliseconds = static_cast<DWORD>(value);
    return true;
}

LRESULT CALLBACK HangingListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(g_listViewProc, window, message, wParam, lParam);
    if (message == WM_SETREDRAW && wParam == FALSE && g_redrawOffHang != 0) {
        const DWORD milliseconds = g_redrawOffHang;
        g_redrawOffHang = 0;
        Sleep(milliseconds);
    }
    return result;
}

} // namespace

bool RequestHang(HWND control, const std::string& argument) {
    DWORD milliseconds = 0;
    return ParseMilliseconds(argument, milliseconds) &&
           PostMessageW(control, kHangMessage, static_cast<WPARAM>(milliseconds), 0) != FALSE;
}

bool ArmHangOnRedrawOff(HWND listView, const std::string& argument) {
    DWORD milliseconds = 0;
    if (listView == nullptr || !ParseMilliseconds(argument, milliseconds))
        return false;
    if (g_listViewProc == nullptr) {
        g_listViewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HangingListViewProc)));
    }
    g_redrawOffHang = milliseconds;
    return g_listViewProc != nullptr;
}

bool ArmHangOnPositioning(const std::string& argument) {
    return ParseMilliseconds(argument, g_positioningHang);
}

void HangIfArmedForPositioning() {
    const DWORD milliseconds = g_positioningHang;
    g_positioningHang = 0;
    if (milliseconds != 0)
        Sleep(milliseconds);
}

bool HandleHangMessage(UINT message, WPARAM wParam) {
    if (message != kHangMessage)
        return false;
    Sleep(static_cast<DWORD>(wParam));
    return true;
}

} // namespace kvhost
