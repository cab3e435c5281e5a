#include "ConfigWatch.h"

#include <commctrl.h>

#include <string>

#include "DesktopLocate.h"
#include "DisplaySnapshot.h"
#include "ItemAccess.h"
#include "ProcessState.h"

namespace {

// The key of the display configuration and the desktop's list view noted last: a change that
// brought the tray no message shows as a difference at the next action.
std::string LastDisplayKey;
HWND LastDesktopListView = nullptr;

// The monitors' rectangles and primary flags as MonitorsMoved saw them last.
std::string LastMonitorRects;

BOOL CALLBACK AppendMonitorRect(HMONITOR monitor, HDC, LPRECT, LPARAM text) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info)) {
        const RECT& r = info.rcMonitor;
        *reinterpret_cast<std::string*>(text) += std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                                                 std::to_string(r.right) + "," + std::to_string(r.bottom) +
                                                 ((info.dwFlags & MONITORINFOF_PRIMARY) != 0 ? "P;" : ";");
    }
    return TRUE;
}

// The running wait for a restarted shell's icons (one at a time: a second "TaskbarCreated" starts
// it afresh).
DWORD FillWaitStart = 0;
DWORD CountSteadySince = 0;
LRESULT LastItemCount = -1;

// The desktop's list view now, or null; its item count in `count` (-1 when it does not answer).
HWND CurrentDesktopListView(LRESULT& count) {
    count = -1;
    TDesktopLocation location;
    if (!LocateDesktop(location)) {
        return nullptr;
    }
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(location.ListView, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, ShellTimeoutMs,
                            &answer) != 0) {
        count = static_cast<LRESULT>(answer);
    }
    return location.ListView;
}

} // namespace

bool NoteDisplayConfig() {
    const std::string key = CurrentDisplayKey();
    const bool changed = !LastDisplayKey.empty() && key != LastDisplayKey;
    LastDisplayKey = key;
    return changed;
}

bool NoteDesktopListView() {
    LRESULT count = 0;
    const HWND listView = CurrentDesktopListView(count);
    if (listView == nullptr) {
        return false;
    }
    const bool changed = LastDesktopListView != nullptr && listView != LastDesktopListView;
    LastDesktopListView = listView;
    return changed;
}

bool MonitorsMoved() {
    std::string rects;
    EnumDisplayMonitors(nullptr, nullptr, AppendMonitorRect, reinterpret_cast<LPARAM>(&rects));
    const bool moved = !LastMonitorRects.empty() && rects != LastMonitorRects;
    LastMonitorRects = rects;
    return moved;
}

void StartShellFillWait() {
    FillWaitStart = GetTickCount();
    CountSteadySince = FillWaitStart;
    LastItemCount = -1;
}

bool ShellFillWaitOver() {
    const DWORD now = GetTickCount();
    if (now - FillWaitStart >= ShellFillLimitMs) {
        return true;
    }
    LRESULT count = -1;
    CurrentDesktopListView(count);
    if (count != LastItemCount) {
        LastItemCount = count;
        CountSteadySince = now;
        return false;
    }
    return count > 0 && now - CountSteadySince >= ShellFillSteadyMs;
}
