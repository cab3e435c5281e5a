// Test probe: takes the display snapshot in a fresh process, DPI-aware like the program, and
// prints the storage key, today's resolution key and the recorded configuration line:
//   key=<key>
//   resolution=<key>
//   # Display ...
// With the argument "watch" it keeps running and prints the same block each time a line arrives on
// its standard input, so that a test can compare a running process with a fresh one.
// With the arguments "place X WIDTH HEIGHT" it first moves the monitor that is not the primary one
// to X (top 0) with that size, or switches it off with 0 0 0, through ChangeDisplaySettingsEx (which
// broadcasts WM_DISPLAYCHANGE), and prints "change=<device> <result> <result>". A fresh process
// does it because a running one keeps stale display modes under Wine.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "BackupStore.h"
#include "DisplaySnapshot.h"

namespace {

void PrintSnapshot() {
    const TDisplayConfig config = TakeDisplaySnapshot();
    std::printf("key=%s\nresolution=%s\n%s", DisplayConfigKey(config).c_str(), ScreenResolutionKey().c_str(),
                DisplayConfigLine(config).c_str());
    std::fflush(stdout);
}

BOOL CALLBACK FindSecondMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM name) {
    MONITORINFOEXA info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) == 0) {
        *reinterpret_cast<std::string*>(name) = info.szDevice;
    }
    return TRUE;
}

void PlaceSecondMonitor(int x, int width, int height) {
    std::string device;
    EnumDisplayMonitors(nullptr, nullptr, FindSecondMonitor, reinterpret_cast<LPARAM>(&device));
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    EnumDisplaySettingsA(device.c_str(), ENUM_CURRENT_SETTINGS, &mode);
    mode.dmFields |= DM_POSITION | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPosition.x = x;
    mode.dmPosition.y = 0;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    const LONG first = device.empty() ? -1
                                      : ChangeDisplaySettingsExA(device.c_str(), &mode, nullptr,
                                                                 CDS_UPDATEREGISTRY | CDS_NORESET, nullptr);
    const LONG second = device.empty() ? -1 : ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr);
    std::printf("change=%s %ld %ld\n", device.empty() ? "-" : device.c_str(), first, second);
}

} // namespace

int main(int argc, char** argv) {
    // The program declares DPI awareness in its manifest; this probe has no manifest.
    SetProcessDPIAware();
    if (argc > 4 && std::strcmp(argv[1], "place") == 0) {
        PlaceSecondMonitor(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
    }
    PrintSnapshot();
    if (argc > 1 && std::strcmp(argv[1], "watch") == 0) {
        std::string line;
        while (std::getline(std::cin, line)) {
            PrintSnapshot();
        }
    }
    return 0;
}
