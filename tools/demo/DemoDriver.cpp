// The demo of the main job on a desktop played by the desktop host in shell mode (the platform's own
// desktop view listing the files on the Desktop folder), in two acts. Both first arrange the icons
// in a pattern of their own, so that no restore can pass for an auto-arrange.
//   1. The command line: saved with "Kavrilon.exe /s", scrambled, restored with "Kavrilon.exe /r".
//   2. The tray: Kavrilon.exe runs as a tray application and saves the primary layout from its
//      menu; the screen resolution really changes (Wine virtual desktop), the icons are pushed
//      together the way a smaller screen does, the resolution changes back, and the tray puts every
//      icon back by itself.
//   3. Several monitors (with "monitors": in a prefix on the X display with dummy outputs): icons on
//      both monitors are saved from the tray, the second monitor is unplugged (the icons on it
//      gather on the first) and plugged back in, and the tray puts every icon back on its monitor.
//      Under Wine the X server's change brings no message; the tray notices it by its look at the
//      monitors every second.
// Prints the icon positions of each stage and writes a screenshot of each (BMP) into the given
// folder.
//
// Usage: kv-demo-driver <Kavrilon.exe> <screenshot folder> [monitors]
// Exit code 0 when every icon is back where it was in every act played.

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "DialogDriver.h"
#include "KavrilonNames.h"
#include "LayoutScenario.h"
#include "MonitorDisplay.h"
#include "ProcessRunner.h"
#include "TestEnvironment.h"
#include "TrayInstance.h"

namespace {

// Waits (up to 10 s) until every icon of the host stands where it stood in `before`.
bool WaitForPlacesOf(kvtest::DesktopHost& host, const kvtest::DesktopHostState& before) {
    const auto placesOf = [](const kvtest::DesktopHostState& state) {
        std::vector<std::pair<int32_t, int32_t>> places;
        for (const kvtest::HostItem& item : state.items) {
            places.emplace_back(item.x, item.y);
        }
        return places;
    };
    return WaitUntil(
        [&] {
            kvtest::DesktopHostState now;
            host.QueryState(now);
            return placesOf(now) == placesOf(before);
        },
        10000);
}

// The screen as it is, into a 24-bit BMP file.
bool SaveScreenshot(const std::string& path) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    std::vector<char> pixels(stride * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&info, sizeof(info), 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

// Lets the host's view paint before a screenshot.
void LetItPaint() {
    Sleep(700);
}

std::string Position(const kvtest::HostItem& item) {
    return std::to_string(item.x) + "," + std::to_string(item.y);
}

int RunKavrilon(const std::string& exe, const char* verb) {
    const TRunResult run = RunProcess(exe, {verb}, 30000);
    if (run.TimedOut) {
        std::printf("Kavrilon.exe %s did not end: %s\n", verb, run.WindowsDescription.c_str());
        return -1;
    }
    std::printf("Kavrilon.exe %-3s  exit code %lu\n", verb, static_cast<unsigned long>(run.ExitCode));
    return static_cast<int>(run.ExitCode);
}

using TPlacement = std::function<POINT(size_t index)>;

// Switches auto-arrange off and puts every icon where `place` says.
void Arrange(kvtest::DesktopHost& host, const TPlacement& place) {
    kvtest::DesktopHostState state;
    host.QueryState(state);
    if ((state.listViewStyle & LVS_AUTOARRANGE) != 0) {
        SendMessageA(state.progman.handle, WM_COMMAND, 0x7071, 0);
    }
    for (size_t i = 0; i < state.items.size(); ++i) {
        const POINT at = place(i);
        host.Move(static_cast<int>(i), at.x, at.y);
    }
    LetItPaint();
}

kvtest::DesktopHostState Snapshot(kvtest::DesktopHost& host, const std::string& shot) {
    LetItPaint();
    kvtest::DesktopHostState state;
    host.QueryState(state);
    SaveScreenshot(shot);
    return state;
}

// Prints the stages side by side; true when every icon of the last stage is where the first had it.
bool PrintTable(const std::vector<const char*>& titles, const std::vector<kvtest::DesktopHostState>& stages) {
    std::printf("\n%-24s", "Icon");
    for (const char* title : titles) {
        std::printf(" %-12s", title);
    }
    std::printf("\n");
    const kvtest::DesktopHostState& first = stages.front();
    const kvtest::DesktopHostState& last = stages.back();
    bool allBack = last.items.size() == first.items.size();
    for (size_t i = 0; i < first.items.size(); ++i) {
        std::printf("%-24s", kvtest::DesktopHost::Narrow(first.items[i].caption).c_str());
        for (const kvtest::DesktopHostState& stage : stages) {
            std::printf(" %-12s", i < stage.items.size() ? Position(stage.items[i]).c_str() : "-");
        }
        const bool back = i < last.items.size() && last.items[i].x == first.items[i].x &&
                          last.items[i].y == first.items[i].y;
        allBack = allBack && back;
        std::printf(" %s\n", back ? "back in place" : "NOT BACK");
    }
    std::printf("\n%s\n", allBack ? "Every icon is back where it was." : "Some icons are not back.");
    return allBack;
}

bool CommandLineAct(const std::string& kavrilon, kvtest::DesktopHost& host, const std::string& shots) {
    std::printf("Act 1: the command line\n");
    // A zigzag of our own.
    Arrange(host, [](size_t i) {
        return POINT{300 + static_cast<LONG>(i) * 120, 150 + static_cast<LONG>(i % 2) * 140};
    });
    const kvtest::DesktopHostState before = Snapshot(host, shots + "1-before.bmp");
    if (RunKavrilon(kavrilon, "/s") != 0) {
        return false;
    }
    // Like a user dragging icons around.
    Arrange(host, [](size_t i) {
        return POINT{420 + static_cast<LONG>((i * 7) % 5) * 150, 120 + static_cast<LONG>((i * 3) % 4) * 160};
    });
    const kvtest::DesktopHostState scrambled = Snapshot(host, shots + "2-scrambled.bmp");
    if (RunKavrilon(kavrilon, "/r") != 0) {
        return false;
    }
    const kvtest::DesktopHostState restored = Snapshot(host, shots + "3-restored.bmp");
    return PrintTable({"before", "scrambled", "restored"}, {before, scrambled, restored});
}

// Another display mode than the current one, preferably 1024x768.
bool OtherMode(DEVMODEA& chosen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    bool found = false;
    DEVMODEA mode = {};
    mode.dmSize = sizeof mode;
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i) {
        const bool other =
            static_cast<int>(mode.dmPelsWidth) != width || static_cast<int>(mode.dmPelsHeight) != height;
        if (other && mode.dmPelsWidth >= 800 &&
            (!found || (mode.dmPelsWidth == 1024 && mode.dmPelsHeight == 768))) {
            chosen = mode;
            found = true;
        }
    }
    return found;
}

bool ChangeResolution(DEVMODEA& mode) {
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result = ChangeDisplaySettingsA(&mode, 0);
    std::printf("Resolution changed to %lux%lu (ChangeDisplaySettingsA: %ld)\n", mode.dmPelsWidth,
                mode.dmPelsHeight, result);
    return result == DISP_CHANGE_SUCCESSFUL;
}

bool TrayAct(kvtest::DesktopHost& host, const std::string& shots) {
    std::printf("\nAct 2: the tray application and a real change of the screen resolution\n");
    const std::string options = KavrilonDataFolder() + OptionsFileName;
    for (const char* key : {"QuerySave", "SaveNotification"}) {
        WritePrivateProfileStringA("Opt", key, "0", options.c_str());
    }
    WritePrivateProfileStringA("Opt", "RestoreAtChange", "1", options.c_str());

    TTrayInstance tray;
    if (tray.Window() == nullptr) {
        std::printf("The tray application did not start.\n");
        return false;
    }
    // The splash is created hidden and shown at once; the picture is taken once it is visible and
    // has had a moment to paint (it closes itself after 1.5 s).
    if (WaitUntil([&] { return tray.Splash() != nullptr && IsWindowVisible(tray.Splash()); }, 5000)) {
        Sleep(300);
        SaveScreenshot(shots + "4-tray-splash.bmp");
        std::printf("Kavrilon.exe runs as a tray application; its splash screen shows.\n");
    }
    WaitUntil([&] { return tray.Splash() == nullptr; }, 5000);

    // A V of our own, saved as the primary layout from the tray menu.
    Arrange(host, [](size_t i) {
        const LONG n = static_cast<LONG>(i);
        return POINT{250 + n * 115, 120 + (n < 2 ? 2 - n : n - 2) * 110};
    });
    const kvtest::DesktopHostState before = Snapshot(host, shots + "5-tray-before.bmp");
    // Chosen as from the menu; the call returns once the save is done.
    tray.Send(WM_COMMAND, CommandSavePrimary, 0);
    std::printf("Tray menu \"Save Primary layout\": the primary layout of %dx%d is saved.\n",
                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));

    DEVMODEA original = {};
    original.dmSize = sizeof original;
    DEVMODEA smaller = {};
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &original) || !OtherMode(smaller) ||
        !ChangeResolution(smaller)) {
        std::printf("The resolution cannot be changed here (no Wine virtual desktop?).\n");
        tray.Exit();
        return false;
    }
    tray.Idle();
    // A smaller screen pushes the icons together into its first column.
    Arrange(host, [](size_t i) { return POINT{20, 20 + static_cast<LONG>(i) * 90}; });
    const kvtest::DesktopHostState smallScreen = Snapshot(host, shots + "6-tray-smaller-screen.bmp");
    std::printf("No primary layout exists for %lux%lu: the tray leaves the icons alone.\n",
                smaller.dmPelsWidth, smaller.dmPelsHeight);

    ChangeResolution(original);
    tray.Idle();
    WaitForPlacesOf(host, before);
    const kvtest::DesktopHostState restored = Snapshot(host, shots + "7-tray-restored.bmp");
    std::printf("Back at %lux%lu: the tray restored the primary layout by itself.\n", original.dmPelsWidth,
                original.dmPelsHeight);
    const bool allBack = PrintTable({"saved", "smaller", "restored"}, {before, smallScreen, restored});
    const long exitCode = tray.Exit();
    std::printf("Tray menu \"Exit Kavrilon\": exit code %ld\n", exitCode);
    return allBack && exitCode == 0;
}

bool MonitorCount(int count) {
    return WaitUntil([count] { return GetSystemMetrics(SM_CMONITORS) == count; }, 10000);
}

bool MonitorsAct(kvtest::DesktopHost& host, const std::string& shots) {
    std::printf("Act 3: two monitors, the second one unplugged and plugged back in\n");
    std::string log;
    if (!RunMonitorHelper("kv_monitor_attach DUMMY1 1024x768 right-of", log) || !MonitorCount(2)) {
        std::printf("The second monitor cannot be switched on: %s\n", log.c_str());
        return false;
    }
    MakeDataFolders();
    const std::string options = KavrilonDataFolder() + OptionsFileName;
    for (const char* key : {"QuerySave", "SaveNotification", "RestoreAtStart"}) {
        WritePrivateProfileStringA("Opt", key, "0", options.c_str());
    }
    for (const char* key : {"RestoreAtChange", "NoSplash"}) {
        WritePrivateProfileStringA("Opt", key, "1", options.c_str());
    }
    TTrayInstance tray;
    // Without a primary layout for the two monitors the tray asks at once whether to save one.
    const HWND question = tray.NextBox(15000);
    if (tray.Window() == nullptr || question == nullptr) {
        std::printf("The tray application did not start or did not ask for a first layout.\n");
        return false;
    }
    // Every other icon on the second monitor (right of the first, which is 1280 pixels wide).
    Arrange(host, [](size_t i) {
        const LONG n = static_cast<LONG>(i);
        return POINT{(n % 2 == 0 ? 300 : 1500) + (n / 2) * 110, 150 + (n / 2) * 90};
    });
    const kvtest::DesktopHostState before = Snapshot(host, shots + "8-monitors-before.bmp");
    PressDialogButton(question, IDYES);
    WaitUntil([] { return !FolderEntries(KavrilonDataFolder() + "Layouts").empty(); }, 10000);
    std::printf("The tray's question \"There is no primary layout ... yet\" answered Yes: the layout of the "
                "two monitors is saved.\n");

    RunMonitorHelper("kv_monitor_detach DUMMY1", log);
    MonitorCount(1);
    // Windows gathers the icons of a monitor that is gone on the remaining one.
    kvtest::DesktopHostState now;
    host.QueryState(now);
    for (size_t i = 0; i < now.items.size(); ++i) {
        if (now.items[i].x >= 1280) {
            host.Move(static_cast<int>(i), 20, 20 + static_cast<LONG>(i) * 90);
        }
    }
    const kvtest::DesktopHostState unplugged = Snapshot(host, shots + "9-monitors-unplugged.bmp");
    std::printf("Second monitor unplugged: its icons moved to the first monitor.\n");

    RunMonitorHelper("kv_monitor_attach DUMMY1 1024x768 right-of", log);
    MonitorCount(2);
    std::printf("Second monitor plugged back in (Wine tells no program; the tray looks at the monitors "
                "every second).\n");
    WaitForPlacesOf(host, before);
    const kvtest::DesktopHostState restored = Snapshot(host, shots + "10-monitors-restored.bmp");
    const bool allBack = PrintTable({"saved", "unplugged", "restored"}, {before, unplugged, restored});
    const long exitCode = tray.Exit();
    RunMonitorHelper("kv_monitor_detach DUMMY1", log);
    return allBack && exitCode == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: kv-demo-driver <Kavrilon.exe> <screenshot folder>\n");
        return 2;
    }
    const std::string kavrilon = argv[1];
    std::string shots = argv[2];
    if (!shots.empty() && shots.back() != '\\') {
        shots += '\\';
    }

    kvtest::DesktopHost host;
    if (argc > 3 && std::string(argv[3]) == "monitors") {
        if (!host.StartShell()) {
            std::printf("The desktop host did not start: %s\n", host.LastError().c_str());
            return 1;
        }
        LetItPaint();
        const bool monitors = MonitorsAct(host, shots);
        host.Stop();
        return monitors ? 0 : 1;
    }
    if (!host.StartShell()) {
        std::printf("The desktop host did not start: %s\n", host.LastError().c_str());
        return 1;
    }
    LetItPaint();
    const bool commandLine = CommandLineAct(kavrilon, host, shots);
    const bool tray = TrayAct(host, shots);
    host.Stop();
    return commandLine && tray ? 0 : 1;
}
