// Benchmark of saving and restoring against the desktop host: the floor (one bare cross-process
// message, one bare item read, one bare move) and the cost per icon of a save, of a restore that
// moves every icon and of a restore that moves none, for the icon counts given on the command line
// (default 100 and 1000). Runs the program's own procedures in this process. Prints figures and the
// ratios to the floor; asserts nothing.
//
//   kv_save_restore_bench.exe [icon count ...]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BackupStore.h"
#include "BenchLayout.h"
#include "BenchTiming.h"
#include "ExitCodes.h"
#include "ItemAccess.h"
#include "LayoutFile.h"
#include "ProcessState.h"
#include "RestoreLayout.h"
#include "SaveRestoreActions.h"
#include "support/DesktopHostClient.h"
#include "WindowsVersion.h"

namespace {

std::string TempFolder() {
    char folder[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, folder);
    return folder;
}

void PrintPerIcon(const std::string& group, const char* name, double micros, double floorMicros) {
    std::printf("%-8s %-44s %6s %12.1f us  = %.2f x floor\n", group.c_str(), name, "", micros,
                micros / floorMicros);
}

bool BenchDesktop(unsigned icons) {
    kvtest::DesktopHost host;
    if (!StartGeneratedDesktop(host, icons)) {
        return false;
    }
    const std::string group = std::to_string(icons);
    const std::string folder = TempFolder();
    const std::string saved = folder + "kv-bench-saved-" + group + ".kvl";
    const std::string here = folder + "kv-bench-here-" + group + ".kvl";
    const std::string away = folder + "kv-bench-away-" + group + ".kvl";

    // The floor: the bare operations, with the desktop located and a buffer allocated once.
    TShellAccess shell;
    if (!LocateDesktop(shell.Location)) {
        std::fprintf(stderr, "desktop not found: %s\n", shell.Location.ErrorText.c_str());
        return false;
    }
    AllocSharedBuffer(shell);
    if (shell.Buffer == nullptr) {
        std::fprintf(stderr, "no shared buffer\n");
        return false;
    }
    const TBenchFigure message =
        MeasureRuns("floor: bare cross-process message", 2000, [&] { DesktopItemCount(shell); });
    int32_t next = 0;
    TItemProp item;
    const TBenchFigure read = MeasureRuns("floor: one bare ReadIconItem", 2000, [&] {
        ReadIconItem(shell, next, item);
        next = (next + 1) % static_cast<int32_t>(icons);
    });
    // Every icon in turn to a new place and back, as a restore moves them (each move repaints).
    std::vector<TItemProp> places(icons);
    for (unsigned i = 0; i < icons; ++i) {
        ReadIconItem(shell, static_cast<int32_t>(i), places[i]);
    }
    unsigned moved = 0;
    const TBenchFigure move =
        MeasureRuns("floor: one bare move to a new place", 2 * static_cast<int>(icons), [&] {
            const unsigned i = moved % icons;
            const int32_t shift = (moved / icons) % 2 == 0 ? 30 : 0;
            SetIconPosition(shell, static_cast<int32_t>(i), places[i].X + shift, places[i].Y + shift);
            ++moved;
        });
    for (unsigned i = 0; i < icons; ++i) {
        SetIconPosition(shell, static_cast<int32_t>(i), places[i].X, places[i].Y);
    }
    FreeSharedBuffer(shell);
    shell.Location.ShellProcess.reset();
    PrintFigure(group, message);
    PrintFigure(group, read);
    PrintFigure(group, move);

    if (!WriteShiftedLayout(host, here, 0) || !WriteShiftedLayout(host, away, 30)) {
        std::fprintf(stderr, "cannot write the layouts\n");
        return false;
    }
    const int runs = icons <= 200 ? 10 : 3;
    const TBenchFigure save =
        MeasureRuns("save (SaveLayout to a file)", runs, [&] { SaveLayout(SaveKindFile, saved); });
    // Alternating between two layouts moves every icon each time.
    bool toAway = true;
    const TBenchFigure restoreAll = MeasureRuns("restore moving every icon", runs, [&] {
        RestoreLayout(toAway ? away : here);
        toAway = !toAway;
    });
    RestoreLayout(here);
    const TBenchFigure restoreNone =
        MeasureRuns("restore moving no icon", runs, [&] { RestoreLayout(here); });
    PrintFigure(group, save);
    PrintFigure(group, restoreAll);
    PrintFigure(group, restoreNone);

    const double n = icons;
    PrintPerIcon(group, "  = save per icon (target 1.15 x read)", save.MeanMicros / n, read.MeanMicros);
    PrintPerIcon(group, "  = restore-all per icon (target 1.3 x r+m)", restoreAll.MeanMicros / n,
                 read.MeanMicros + move.MeanMicros);
    PrintPerIcon(group, "  = restore-none per icon (target ~1 x read)", restoreNone.MeanMicros / n,
                 read.MeanMicros);

    bool ok = ExitCode == ExitSuccess;
    DeleteFileA(saved.c_str());
    DeleteFileA(here.c_str());
    DeleteFileA(away.c_str());
    return host.Stop() && ok;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<unsigned> counts;
    if (!ParseIconCounts(argc, argv, counts)) {
        return 2;
    }
    DetectWindowsVersion();
    ResolveLateBoundFunctions();
    // As a command-line run without DLG: nothing is shown.
    CommandLineMode = true;
    MessagesAllowed = false;
    const char* prefix = std::getenv("KV_WINE_PREFIX");
    std::printf("Save and restore; prefix %s; host %ls\n", prefix != nullptr ? prefix : "-",
                kvtest::DesktopHost::DefaultHostPath().c_str());
    PrintFigureHeader();
    bool ok = true;
    for (unsigned count : counts) {
        ok = BenchDesktop(count) && ok;
    }
    return ok ? 0 : 1;
}
