// Test probe without a manifest: prints what Wine reports to a program that does not declare DPI
// awareness (the DPI, the primary screen and the virtual screen), one "name=value" line each.

#include <windows.h>

#include <cstdio>

int main() {
    HDC screen = GetDC(nullptr);
    std::printf("dpi=%d\n", GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    std::printf("screen=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("virtual=%dx%d\n", GetSystemMetrics(SM_CXVIRTUALSCREEN),
                GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return 0;
}
