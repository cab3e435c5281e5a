// The floor of the desktop operations, measured by a minimal program of its own against the desktop
// host: one bare cross-process message, one item read (write the record, two messages, read it
// back) and one move with the view's repainting held off. Prints "name=microseconds" lines.
//
//   kv_bench_floor.exe

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "ItemRecords.h"

namespace {

HWND FindListView() {
    if (FindWindowA("Progman", "Program Manager") == nullptr) {
        return nullptr;
    }
    HWND view = nullptr;
    for (HWND top = FindWindowExA(nullptr, nullptr, nullptr, nullptr); top != nullptr && view == nullptr;
         top = FindWindowExA(nullptr, top, nullptr, nullptr)) {
        view = FindWindowExA(top, nullptr, "SHELLDLL_DefView", nullptr);
    }
    return view == nullptr ? nullptr : FindWindowExA(view, nullptr, "SysListView32", nullptr);
}

} // namespace

int main() {
    HWND listView = FindListView();
    DWORD pid = 0;
    GetWindowThreadProcessId(listView, &pid);
    HANDLE process = OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (listView == nullptr || process == nullptr) {
        std::fprintf(stderr, "no desktop\n");
        return 1;
    }
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const TRecordKind kind = RecordKindFor(true, wow64 != FALSE);
    const TRecordLayout layout = RecordLayoutOf(kind);
    void* buffer = VirtualAllocEx(process, nullptr, SharedBufferSize, MEM_COMMIT, PAGE_READWRITE);
    const auto address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
    const int count = static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    if (buffer == nullptr || count <= 0) {
        std::fprintf(stderr, "no buffer or no icons\n");
        return 1;
    }

    const double messageStart = BenchNowMicros();
    for (int i = 0; i < 1000; ++i) {
        SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0);
    }
    const double message = (BenchNowMicros() - messageStart) / 1000;

    uint8_t record[SharedBufferSize];
    std::vector<POINT> places(static_cast<size_t>(count));
    const double readStart = BenchNowMicros();
    for (int i = 0; i < count; ++i) {
        BuildItemRecord(kind, address, record);
        WriteProcessMemory(process, buffer, record, layout.Size, nullptr);
        SendMessageW(listView, LVM_GETITEMTEXTW, i,
                     reinterpret_cast<LPARAM>(static_cast<uint8_t*>(buffer) + layout.ItemOffset));
        SendMessageA(listView, LVM_GETITEMPOSITION, i,
                     reinterpret_cast<LPARAM>(static_cast<uint8_t*>(buffer) + layout.PointOffset));
        ReadProcessMemory(process, buffer, record, layout.Size, nullptr);
        const TRecordContent content = DecodeItemRecord(kind, record);
        places[static_cast<size_t>(i)] = POINT{content.X, content.Y};
    }
    const double read = (BenchNowMicros() - readStart) / count;

    // Every icon to a new place and back, repainting held off, one repaint after each round.
    const double moveStart = BenchNowMicros();
    for (int shift : {30, 0}) {
        SendMessageA(listView, WM_SETREDRAW, FALSE, 0);
        for (int i = 0; i < count; ++i) {
            const POINT& p = places[static_cast<size_t>(i)];
            SendMessageA(listView, LVM_SETITEMPOSITION, i, MAKELPARAM(p.x + shift, p.y + shift));
        }
        SendMessageA(listView, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(listView, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    const double move = (BenchNowMicros() - moveStart) / (2.0 * count);

    VirtualFreeEx(process, buffer, 0, MEM_RELEASE);
    CloseHandle(process);
    std::printf("message=%.1f\nread=%.1f\nmove=%.1f\n", message, read, move);
    return 0;
}
