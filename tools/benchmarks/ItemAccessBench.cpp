// Benchmark of the cross-process item access against the desktop host: the cost of one bare
// cross-process message, of reading one icon and of reading every icon, for desktops of the icon
// counts given on the command line (default 100 and 1000). Prints figures; asserts nothing.
//
//   kv_item_access_bench.exe [icon count ...]

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchLayout.h"
#include "BenchTiming.h"
#include "ItemAccess.h"
#include "ItemRecords.h"
#include "ProcessState.h"
#include "support/DesktopHostClient.h"
#include "WindowsVersion.h"

namespace {

const char* RecordName() {
    switch (RecordKindFor(RunningWindows.IsNTPlatform, ShellIs64Bit)) {
    case TRecordKind::Ansi:
        return "ANSI record, 276 bytes";
    case TRecordKind::Wide32:
        return "wide record for a 32-bit shell, 564 bytes";
    case TRecordKind::Wide64:
        break;
    }
    return "wide record for a 64-bit shell, 572 bytes";
}

// Reads every icon as a capture does; the number read.
int ReadAllIcons(TShellAccess& shell) {
    const int32_t count = DesktopItemCount(shell);
    int read = 0;
    TItemProp item;
    for (int32_t index = 0; index < count; ++index) {
        read += ReadIconItem(shell, index, item) ? 1 : 0;
    }
    return read;
}

bool BenchDesktop(unsigned icons) {
    kvtest::DesktopHost host;
    const double startBegin = BenchNowMicros();
    if (!StartGeneratedDesktop(host, icons)) {
        return false;
    }
    const double startMicros = BenchNowMicros() - startBegin;
    TShellAccess shell;
    if (!LocateDesktop(shell.Location)) {
        std::fprintf(stderr, "desktop not found: %s\n", shell.Location.ErrorText.c_str());
        return false;
    }
    AllocSharedBuffer(shell);
    if (shell.Buffer == nullptr) {
        std::fprintf(stderr, "no shared buffer, error %lu\n", GetLastError());
        return false;
    }

    const int read = ReadAllIcons(shell);
    bool ok = read == static_cast<int>(icons);
    if (!ok) {
        std::fprintf(stderr, "only %d of %u icons could be read\n", read, icons);
    }

    const std::string group = std::to_string(icons);
    PrintFigure(group, SummariseRuns("desktop host start (not item access)", {startMicros}));
    PrintFigure(group, MeasureRuns("bare cross-process message (LVM_GETITEMCOUNT)", 2000,
                                   [&] { DesktopItemCount(shell); }));
    int32_t next = 0;
    TItemProp item;
    PrintFigure(group, MeasureRuns("one ReadIconItem", 2000, [&] {
                    ReadIconItem(shell, next, item);
                    next = (next + 1) % static_cast<int32_t>(icons);
                }));
    const int fullRuns = icons <= 200 ? 20 : 5;
    const TBenchFigure all =
        MeasureRuns("reading all " + group + " icons", fullRuns, [&] { ReadAllIcons(shell); });
    PrintFigure(group, all);
    std::printf("%-8s %-44s %6s %12.1f us\n", group.c_str(), "  = per icon (mean of the full read)", "",
                all.MeanMicros / icons);

    FreeSharedBuffer(shell);
    shell.Location.ShellProcess.reset();
    ok = host.Stop() && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<unsigned> counts;
    if (!ParseIconCounts(argc, argv, counts)) {
        return 2;
    }

    DetectWindowsVersion();
    ResolveLateBoundFunctions();
    const char* prefix = std::getenv("KV_WINE_PREFIX");
    std::printf("Item access: %s; prefix %s; host %ls\n", RecordName(), prefix != nullptr ? prefix : "-",
                kvtest::DesktopHost::DefaultHostPath().c_str());
    PrintFigureHeader();
    bool ok = true;
    for (unsigned count : counts) {
        ok = BenchDesktop(count) && ok;
    }
    return ok ? 0 : 1;
}
