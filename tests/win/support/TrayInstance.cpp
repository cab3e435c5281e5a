#include "TrayInstance.h"

#include <shellapi.h>

#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "TestEnvironment.h"

TTrayInstance::TTrayInstance(const std::vector<std::string>& arguments) {
    if (!process_.Start(KavrilonExePath(), arguments)) {
        return;
    }
    WaitUntil(
        [this] {
            for (HWND w = FindWindowExA(nullptr, nullptr, TrayWindowClassName, TrayWindowTitle); w != nullptr;
                 w = FindWindowExA(nullptr, w, TrayWindowClassName, TrayWindowTitle)) {
                DWORD pid = 0;
                GetWindowThreadProcessId(w, &pid);
                if (pid == process_.Pid()) {
                    window_ = w;
                    return true;
                }
            }
            return !process_.Running();
        },
        20000);
}

LRESULT TTrayInstance::Send(UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window_, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result) == 0) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

bool TTrayInstance::Idle(DWORD timeoutMs) {
    return Send(WM_NULL, 0, 0, timeoutMs) != -1;
}

HWND TTrayInstance::VisibleWindowOfClass(const char* className) const {
    for (const TSeenWindow& seen : TopLevelWindowsOf(process_.Pid())) {
        if (seen.Visible && seen.ClassName == className) {
            return seen.Window;
        }
    }
    return nullptr;
}

HWND TTrayInstance::Splash() const {
    for (const TSeenWindow& seen : TopLevelWindowsOf(process_.Pid())) {
        if (seen.Visible && seen.ClassName == TrayWindowClassName &&
            (GetWindowLongA(seen.Window, GWL_STYLE) & WS_POPUP) != 0) {
            return seen.Window;
        }
    }
    return nullptr;
}

namespace {

bool NotifyIcon(DWORD action, HWND window) {
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_TIP;
    lstrcpynA(data.szTip, "Kavrilon", sizeof data.szTip);
    return Shell_NotifyIconA(action, &data) != FALSE;
}

} // namespace

bool TTrayInstance::IconPresent() const {
    // Modifying an icon succeeds only while the notification area knows it.
    return NotifyIcon(NIM_MODIFY, window_);
}

bool TTrayInstance::RemoveIcon() const {
    return NotifyIcon(NIM_DELETE, window_);
}

HWND TTrayInstance::NextBox(DWORD timeoutMs) {
    const HWND box = WaitForDialog(process_.Pid(), timeoutMs);
    if (box != nullptr) {
        // A box takes a moment after it shows before its buttons answer.
        Sleep(200);
    }
    return box;
}

long TTrayInstance::Exit(DWORD timeoutMs) {
    PostMessageA(window_, WM_COMMAND, CommandExit, 0);
    if (!process_.Wait(timeoutMs)) {
        process_.Terminate();
        return -1;
    }
    return static_cast<long>(process_.ExitCode());
}
