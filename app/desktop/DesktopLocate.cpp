#include "DesktopLocate.h"

#include "CallbackBarrier.h"

HWND ProgmanWindow = nullptr;
HWND DefViewWindow = nullptr;
bool DefViewUnderWorker = false;
HWND DesktopListView = nullptr;
DWORD ShellProcessId = 0;
HANDLE ShellProcess = nullptr;
std::string LocateErrorText;

namespace {

bool StopAt(int stage) {
    LocateErrorText = FormatLocateError(stage, GetLastError());
    return false;
}

BOOL FindDefView(HWND window) {
    DefViewWindow = nullptr;
    char className[50] = {};
    const int length = GetClassNameA(window, className, sizeof(className));
    const std::string_view name(className, length > 0 ? static_cast<size_t>(length) : 0);
    if (!MayHoldDesktopView(name)) {
        return TRUE;
    }
    DefViewWindow = FindWindowExA(window, nullptr, "ShellDLL_DefView", nullptr);
    if (DefViewWindow == nullptr) {
        return TRUE;
    }
    DefViewUnderWorker = IsWorkerClass(name);
    return FALSE;
}

} // namespace

BOOL CALLBACK FindDefViewProc(HWND window, LPARAM) {
    return CallbackBarrier<BOOL>(FALSE, [&] { return FindDefView(window); });
}

bool LocateDesktop() {
    ReleaseShellProcess();

    ProgmanWindow = FindWindowA("Progman", "Program Manager");
    if (ProgmanWindow == nullptr) {
        return StopAt(0);
    }

    // Every visited window resets it; cleared here too so that a stale view is never kept.
    DefViewWindow = nullptr;
    EnumWindows(FindDefViewProc, 0);
    if (DefViewWindow == nullptr) {
        return StopAt(1);
    }

    DesktopListView = FindWindowExA(DefViewWindow, nullptr, "SysListView32", nullptr);
    if (DesktopListView == nullptr) {
        return StopAt(2);
    }

    ShellProcessId = 0;
    GetWindowThreadProcessId(DesktopListView, &ShellProcessId);
    ShellProcess = OpenProcess(ShellProcessAccess, FALSE, ShellProcessId);
    if (ShellProcess == nullptr) {
        return StopAt(3);
    }
    return true;
}

void ReleaseShellProcess() {
    if (ShellProcess != nullptr) {
        CloseHandle(ShellProcess);
        ShellProcess = nullptr;
    }
}

TScreenRect GetVirtualScreenRect() {
    return VirtualScreenFromMetrics(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                    GetSystemMetrics(SM_CYVIRTUALSCREEN), GetSystemMetrics(SM_CXSCREEN),
                                    GetSystemMetrics(SM_CYSCREEN));
}
