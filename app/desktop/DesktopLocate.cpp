#include "DesktopLocate.h"

#include "CallbackBarrier.h"

namespace {

bool StopAt(TDesktopLocation& location, int stage) {
    location.ErrorText = FormatLocateError(stage, GetLastError());
    return false;
}

BOOL FindDefView(HWND window, TDesktopLocation& location) {
    location.DefView = nullptr;
    char className[50] = {};
    const int length = GetClassNameA(window, className, sizeof(className));
    const std::string_view name(className, length > 0 ? static_cast<size_t>(length) : 0);
    if (!MayHoldDesktopView(name)) {
        return TRUE;
    }
    location.DefView = FindWindowExA(window, nullptr, "ShellDLL_DefView", nullptr);
    if (location.DefView == nullptr) {
        return TRUE;
    }
    location.DefViewUnderWorker = IsWorkerClass(name);
    return FALSE;
}

} // namespace

BOOL CALLBACK FindDefViewProc(HWND window, LPARAM location) {
    return CallbackBarrier<BOOL>(
        FALSE, [&] { return FindDefView(window, *reinterpret_cast<TDesktopLocation*>(location)); });
}

bool LocateDesktop(TDesktopLocation& location) {
    location.ShellProcess.reset();

    location.Progman = FindWindowA("Progman", "Program Manager");
    if (location.Progman == nullptr) {
        return StopAt(location, 0);
    }

    // Every visited window resets it; cleared here too so that a stale view is never kept.
    location.DefView = nullptr;
    EnumWindows(FindDefViewProc, reinterpret_cast<LPARAM>(&location));
    if (location.DefView == nullptr) {
        return StopAt(location, 1);
    }

    location.ListView = FindWindowExA(location.DefView, nullptr, "SysListView32", nullptr);
    if (location.ListView == nullptr) {
        return StopAt(location, 2);
    }

    location.ShellProcessId = 0;
    GetWindowThreadProcessId(location.ListView, &location.ShellProcessId);
    location.ShellProcess.reset(OpenProcess(ShellProcessAccess, FALSE, location.ShellProcessId));
    if (!location.ShellProcess) {
        return StopAt(location, 3);
    }
    return true;
}

TScreenRect GetVirtualScreenRect() {
    return VirtualScreenFromMetrics(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_CXSCREEN),
                                    GetSystemMetrics(SM_CYSCREEN));
}
