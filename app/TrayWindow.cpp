#include "TrayWindow.h"

#include <windows.h>

#include "KavrilonNames.h"
#include "ResourceIds.h"

bool SavingAtLogoff = false;

void RegisterTrayWindowClass() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = static_cast<HICON>(
        LoadImageA(windowClass.hInstance, MAKEINTRESOURCEA(IconMain), IMAGE_ICON, 32, 32, LR_SHARED));
    windowClass.lpszClassName = TrayWindowClassName;
    RegisterClassA(&windowClass);
}

// The tray window, its menu and the message loop are not built yet: the instance ends at once.
int RunTrayInstance() {
    return 0;
}
