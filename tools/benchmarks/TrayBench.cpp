// The tray's automatic restores, end to end: a tray instance of Kavrilon.exe against the desktop
// host with the icon counts given on the command line (default 1000), timed from the message to the
// last icon placed, beside a "Kavrilon.exe /r" of the same desktop in the same run:
//   - a display change: WM_DISPLAYCHANGE sent to the tray as the system sends it (the tray restores
//     before the call returns);
//   - a restarted shell: the desktop host closes and comes back with its icons in its own order,
//     "TaskbarCreated" is sent, and the time runs until the host reports every icon in place (this
//     includes the tray's wait for the icon count to stand still, ShellFillSteadyMs at least).
// Prints figures (fastest of three runs); asserts nothing.
//
//   kv_tray_bench.exe [icon count ...]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchLayout.h"
#include "BenchTiming.h"
#include "ConfigWatch.h"
#include "KavrilonNames.h"
#include "support/DesktopHostClient.h"

namespace {

// Starts a program and returns its process (null on failure); waits for its end when asked.
HANDLE Start(const std::string& commandLine, bool wait) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return nullptr;
    }
    CloseHandle(info.hThread);
    if (wait) {
        WaitForSingleObject(info.hProcess, 300000);
    }
    return info.hProcess;
}

using TPlaces = std::vector<std::pair<int32_t, int32_t>>;

TPlaces PlacesOf(kvtest::DesktopHost& host) {
    kvtest::DesktopHostState state;
    TPlaces places;
    if (host.QueryState(state)) {
        for (const kvtest::HostItem& item : state.items) {
            places.emplace_back(item.x, item.y);
        }
    }
    return places;
}

HWND TrayWindowOf(DWORD pid) {
    for (int tries = 0; tries < 400; ++tries) {
        for (HWND w = FindWindowExA(nullptr, nullptr, TrayWindowClassName, TrayWindowTitle); w != nullptr;
             w = FindWindowExA(nullptr, w, TrayWindowClassName, TrayWindowTitle)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid) {
                return w;
            }
        }
        Sleep(50);
    }
    return nullptr;
}

double Fastest(const std::vector<double>& values) {
    return values.empty() ? -1 : *std::min_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<unsigned> counts;
    if (argc == 1) {
        counts = {1000};
    } else if (!ParseIconCounts(argc, argv, counts)) {
        return 2;
    }
    const std::string kavrilon = "\"" + BenchProgramFolder() + "..\\bin\\Kavrilon.exe\"";
    const char* prefix = std::getenv("KV_WINE_PREFIX");
    std::printf("The tray's automatic restores; prefix %s (fastest of 3 runs; milliseconds)\n",
                prefix != nullptr ? prefix : "-");
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string asBorn = std::string(temp) + "kv-bench-as-born.kvl";
    const std::string shifted = std::string(temp) + "kv-bench-shifted.kvl";
    bool ok = true;

    for (unsigned icons : counts) {
        kvtest::DesktopHost host;
        if (!StartGeneratedDesktop(host, icons)) {
            return 1;
        }
        // The primary layout: every icon 40 pixels away from where a new desktop puts it.
        ok = WriteShiftedLayout(host, asBorn, 0) && WriteShiftedLayout(host, shifted, 40) && ok;
        Start(kavrilon + " /rf \"" + shifted + "\"", true);
        Start(kavrilon + " /s", true);
        const TPlaces stored = PlacesOf(host);
        const auto scramble = [&] {
            Start(kavrilon + " /rf \"" + asBorn + "\"", true);
            // The host repaints after the untimed scrambling; that must not fall into the timed run.
            Sleep(1500);
        };

        std::vector<double> restore, display, shell;
        for (int run = 0; run < 3; ++run) {
            scramble();
            const double start = BenchNowMicros();
            Start(kavrilon + " /r", true);
            restore.push_back((BenchNowMicros() - start) / 1000);
            ok = ok && PlacesOf(host) == stored;
        }

        const HANDLE tray = Start(kavrilon + " /nosplash", false);
        const HWND window = tray != nullptr ? TrayWindowOf(GetProcessId(tray)) : nullptr;
        if (window == nullptr) {
            std::fprintf(stderr, "the tray did not start\n");
            return 1;
        }
        const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
        for (int run = 0; run < 3; ++run) {
            scramble();
            DWORD_PTR answer = 0;
            const double start = BenchNowMicros();
            SendMessageTimeoutA(window, WM_DISPLAYCHANGE, 32, size, SMTO_NORMAL, 300000, &answer);
            display.push_back((BenchNowMicros() - start) / 1000);
            ok = ok && PlacesOf(host) == stored;

            // The shell comes back with its icons where a new desktop puts them.
            host.Stop();
            if (!StartGeneratedDesktop(host, icons)) {
                ok = false;
                break;
            }
            const double shellStart = BenchNowMicros();
            SendMessageTimeoutA(window, taskbarCreated, 0, 0, SMTO_NORMAL, 300000, &answer);
            while (PlacesOf(host) != stored && BenchNowMicros() - shellStart < 60e6) {
                Sleep(10);
            }
            shell.push_back((BenchNowMicros() - shellStart) / 1000);
            ok = ok && PlacesOf(host) == stored;
        }
        PostMessageA(window, WM_COMMAND, CommandExit, 0);
        WaitForSingleObject(tray, 30000);
        CloseHandle(tray);

        std::printf("\n%u icons\n", icons);
        std::printf("  Kavrilon.exe /r (a process)                        %8.0f\n", Fastest(restore));
        std::printf("  tray: WM_DISPLAYCHANGE to the last icon placed     %8.0f\n", Fastest(display));
        std::printf(
            "  tray: TaskbarCreated to the last icon placed       %8.0f  (of which at least %lu waiting "
            "for the icon count to stand still)\n",
            Fastest(shell), static_cast<unsigned long>(ShellFillSteadyMs));
        host.Stop();
    }
    DeleteFileA(asBorn.c_str());
    DeleteFileA(shifted.c_str());
    if (!ok) {
        std::printf("\nSome run did not end with every icon in place.\n");
    }
    return ok ? 0 : 1;
}
