// What a user runs, end to end: Kavrilon.exe /s and /r as processes against the desktop host, for
// the icon counts given on the command line (default 100, 1000 and 5000), next to the floor that a
// separate minimal program measures in the same run (kv_bench_floor.exe: one bare message, one item
// read, one move with repainting held off) and the start of an empty program. Prints figures, the
// ratios to the floor and how the cost grows; asserts nothing.
//
//   kv_end_to_end_bench.exe [icon count ...]

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BackupStore.h"
#include "BenchLayout.h"
#include "BenchTiming.h"
#include "DesktopLocate.h"
#include "LayoutFile.h"
#include "support/DesktopHostClient.h"

namespace {

// Runs a program to its end; the wall time in microseconds, or a negative value on failure.
double RunTimed(const std::string& commandLine, std::string* output = nullptr, DWORD* exitCode = nullptr) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readPipe = nullptr;
    HANDLE writePipe = nullptr;
    if (output != nullptr && !CreatePipe(&readPipe, &writePipe, &inherit, 1 << 16)) {
        return -1;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writePipe;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    const double start = BenchNowMicros();
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &startup,
                        &info)) {
        return -1;
    }
    if (output != nullptr) {
        CloseHandle(writePipe);
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readPipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            output->append(buffer, got);
        }
        CloseHandle(readPipe);
    }
    const bool ended = WaitForSingleObject(info.hProcess, 300000) == WAIT_OBJECT_0;
    const double micros = BenchNowMicros() - start;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    if (!ended) {
        TerminateProcess(info.hProcess, 1);
    }
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    if (exitCode != nullptr) {
        *exitCode = code;
    }
    return ended ? micros : -1;
}

// The fastest of several runs: on a machine shared with other work it is the run that other work
// disturbed least. Every figure here, the floor's included, is taken the same way.
double Fastest(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

// The fastest of `runs` timed runs, each after an untimed preparation.
template <typename F>
double FastestRun(const std::string& commandLine, int runs, F prepare, bool& ok) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        DWORD code = 0;
        const double micros = RunTimed(commandLine, nullptr, &code);
        ok = ok && micros >= 0 && code == 0;
        times.push_back(micros);
    }
    return Fastest(times);
}

std::map<std::string, double> FloorFiguresOf(const std::string& output) {
    std::map<std::string, double> figures;
    size_t start = 0;
    while (start < output.size()) {
        const size_t end = std::min(output.find('\n', start), output.size());
        const std::string line = output.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            figures[line.substr(0, equals)] = std::atof(line.c_str() + equals + 1);
        }
        start = end + 1;
    }
    return figures;
}

// The floor program's figures, each the fastest of three runs.
std::map<std::string, double> FloorFigures(const std::string& folder, bool& ok) {
    std::map<std::string, double> figures;
    for (int run = 0; run < 3; ++run) {
        std::string output;
        DWORD code = 0;
        ok = ok && RunTimed("\"" + folder + "kv_bench_floor.exe\"", &output, &code) >= 0 && code == 0;
        for (const auto& [name, value] : FloorFiguresOf(output)) {
            figures[name] = figures.count(name) != 0 ? std::min(figures[name], value) : value;
        }
    }
    return figures;
}

struct TRow {
    unsigned Icons = 0;
    double Save = 0;    // per icon, Kavrilon's start taken off
    double Restore = 0; // per icon, Kavrilon's start taken off
};

} // namespace

int main(int argc, char** argv) {
    std::vector<unsigned> counts;
    if (argc == 1) {
        counts = {100, 1000, 5000};
    } else if (!ParseIconCounts(argc, argv, counts)) {
        return 2;
    }
    const std::string folder = BenchProgramFolder();
    const std::string kavrilon = "\"" + folder + "..\\bin\\Kavrilon.exe\"";
    const char* prefix = std::getenv("KV_WINE_PREFIX");
    std::printf("Kavrilon.exe end to end; prefix %s (fastest runs; microseconds)\n",
                prefix != nullptr ? prefix : "-");
    bool ok = true;

    const auto nothing = [] {};
    const double empty = FastestRun("\"" + folder + "kv_bench_empty.exe\"", 11, nothing, ok);
    const double libraries = FastestRun("\"" + folder + "kv_bench_system_libraries.exe\"", 11, nothing, ok);
    const double start = FastestRun(kavrilon + " --S", 11, nothing, ok);
    std::printf("start of an empty program            %10.0f\n", empty);
    std::printf("start with Kavrilon's system libraries and COM %10.0f  = %.2f x empty\n", libraries,
                libraries / empty);
    std::printf(
        "start of Kavrilon.exe --S            %10.0f  = %.2f x empty (target 1.5), %.2f x the libraries\n",
        start, start / empty, start / libraries);

    std::vector<TRow> rows;
    for (unsigned icons : counts) {
        kvtest::DesktopHost host;
        if (!StartGeneratedDesktop(host, icons)) {
            return 1;
        }
        const std::map<std::string, double> floor = FloorFigures(folder, ok);
        const double read = floor.count("read") != 0 ? floor.at("read") : 0;
        const double move = floor.count("move") != 0 ? floor.at("move") : 0;
        const int runs = icons >= 5000 ? 3 : 7;
        const double save = FastestRun(kavrilon + " /s", runs, nothing, ok);
        char temp[MAX_PATH + 1] = {};
        GetTempPathA(MAX_PATH, temp);
        const std::string scrambled = std::string(temp) + "kv-bench-scrambled.kvl";
        ok = WriteShiftedLayout(host, scrambled, 40) && ok;
        const double restore = FastestRun(
            kavrilon + " /r", runs,
            [&] {
                RunTimed(kavrilon + " /rf \"" + scrambled + "\"");
                // The host repaints after the untimed scrambling; that must not fall into the timed run.
                Sleep(1500);
            },
            ok);
        DeleteFileA(scrambled.c_str());

        TRow row;
        row.Icons = icons;
        // Kavrilon's own start (measured with a run that does nothing) is taken off.
        row.Save = (save - start) / icons;
        row.Restore = (restore - start) / icons;
        rows.push_back(row);
        std::printf("\n%u icons\n", icons);
        std::printf("  floor: bare message                %10.1f\n",
                    floor.count("message") ? floor.at("message") : 0);
        std::printf("  floor: one item read               %10.1f\n", read);
        std::printf("  floor: one move, repainting held   %10.1f\n", move);
        std::printf("  Kavrilon.exe /s                    %10.0f  per icon after start %.1f = %.2f x read "
                    "(target 1.15)\n",
                    save, row.Save, row.Save / read);
        std::printf("  Kavrilon.exe /r of a scrambled     %10.0f  per icon after start %.1f = %.2f x "
                    "(read + move) (target 1.3)\n",
                    restore, row.Restore, row.Restore / (read + move));
        host.Stop();
    }
    if (rows.size() > 1) {
        std::printf("\nGrowth per icon from %u to %u icons: /s %.2f x, /r %.2f x\n", rows.front().Icons,
                    rows.back().Icons, rows.back().Save / rows.front().Save,
                    rows.back().Restore / rows.front().Restore);
    }
    return ok ? 0 : 1;
}
