#include "ItemAccess.h"

#include <commctrl.h>

#include <utility>

#include "DesktopLocate.h"
#include "ItemRecords.h"
#include "ProcessState.h"
#include "SystemFunctions.h"

// The records carry the buffer's address in 32 bits: this program is a 32-bit program.
static_assert(sizeof(void*) == 4, "the transfer records hold 32-bit addresses");

void* SharedBuffer = nullptr;
HANDLE SharedMapping = nullptr;
bool ShellNotResponding = false;

void ResetShellTimeout() {
    ShellNotResponding = false;
}

bool SendToShell(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result, bool wide) {
    result = 0;
    if (ShellNotResponding) {
        return false;
    }
    DWORD_PTR answer = 0;
    const UINT flags = SMTO_ABORTIFHUNG | SMTO_NORMAL;
    const LRESULT sent =
        wide ? SendMessageTimeoutW(window, message, wParam, lParam, flags, ShellTimeoutMs, &answer)
             : SendMessageTimeoutA(window, message, wParam, lParam, flags, ShellTimeoutMs, &answer);
    if (sent == 0) {
        ShellNotResponding = true;
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

namespace {

// The NT branch's memory functions, looked up at run time: Windows 95, 98 and Me lack them, and a
// missing import would stop the program from loading there at all.
using TVirtualAllocEx = LPVOID(WINAPI*)(HANDLE process, LPVOID address, SIZE_T size, DWORD type,
                                        DWORD protect);
using TVirtualFreeEx = BOOL(WINAPI*)(HANDLE process, LPVOID address, SIZE_T size, DWORD type);

uint8_t* SharedBytes() {
    return static_cast<uint8_t*>(SharedBuffer);
}

uint32_t SharedBufferAddress() {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(SharedBuffer));
}

} // namespace

void AllocSharedBuffer() {
    SharedBuffer = nullptr;
    if (RunningWindows.IsNTPlatform) {
        const auto allocate = LoadedFunction<TVirtualAllocEx>("kernel32.dll", "VirtualAllocEx");
        if (allocate != nullptr) {
            SharedBuffer = allocate(ShellProcess, nullptr, SharedBufferSize, MEM_COMMIT, PAGE_READWRITE);
        }
        return;
    }
    SharedMapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, SharedBufferSize, nullptr);
    if (SharedMapping != nullptr) {
        SharedBuffer = MapViewOfFile(SharedMapping, FILE_MAP_WRITE, 0, 0, SharedBufferSize);
        if (SharedBuffer == nullptr) {
            // The callers give up without freeing when there is no buffer: the mapping would leak.
            CloseHandle(SharedMapping);
            SharedMapping = nullptr;
        }
    }
}

void FreeSharedBuffer() {
    if (SharedBuffer == nullptr) {
        return;
    }
    if (ShellNotResponding) {
        // A message that timed out stays queued in the shell, which writes its answer into the
        // buffer once it gets to it: released now, that write would land in freed (or reused)
        // memory of the shell's heap. The buffer is left to the shell, one page per hung action.
        SharedBuffer = nullptr;
        SharedMapping = nullptr;
        return;
    }
    if (RunningWindows.IsNTPlatform) {
        const auto release = LoadedFunction<TVirtualFreeEx>("kernel32.dll", "VirtualFreeEx");
        if (release != nullptr) {
            release(ShellProcess, SharedBuffer, 0, MEM_RELEASE);
        }
    } else {
        UnmapViewOfFile(SharedBuffer);
        CloseHandle(SharedMapping);
        SharedMapping = nullptr;
    }
    SharedBuffer = nullptr;
}

bool ReadIconItem(int32_t index, TItemProp& item) {
    if (SharedBuffer == nullptr) {
        return false;
    }
    const TRecordKind kind = RecordKindFor(RunningWindows.IsNTPlatform, ShellIs64Bit);
    const TRecordLayout layout = RecordLayoutOf(kind);
    uint8_t record[SharedBufferSize];
    BuildItemRecord(kind, SharedBufferAddress(), record);
    if (!WriteProcessMemory(ShellProcess, SharedBuffer, record, layout.Size, nullptr)) {
        return false;
    }

    const WPARAM itemIndex = static_cast<WPARAM>(index);
    const LPARAM itemAddress = reinterpret_cast<LPARAM>(SharedBytes() + layout.ItemOffset);
    LRESULT copied = 0;
    const bool wide = kind != TRecordKind::Ansi;
    if (!SendToShell(DesktopListView, wide ? LVM_GETITEMTEXTW : LVM_GETITEMTEXTA, itemIndex, itemAddress,
                     copied, wide) ||
        copied == 0) {
        // Also an icon with an empty caption: it cannot be told apart from the others.
        return false;
    }
    const LPARAM pointAddress = reinterpret_cast<LPARAM>(SharedBytes() + layout.PointOffset);
    LRESULT positioned = 0;
    if (!SendToShell(DesktopListView, LVM_GETITEMPOSITION, itemIndex, pointAddress, positioned) ||
        !positioned) {
        return false;
    }
    // A failed read would leave the record as it was built, an empty caption at (0, 0): that is
    // no item, so it counts as a failed read too.
    if (!ReadProcessMemory(ShellProcess, SharedBuffer, record, layout.Size, nullptr)) {
        return false;
    }

    TRecordContent content = DecodeItemRecord(kind, record);
    item.Caption = std::move(content.Caption);
    item.X = content.X;
    item.Y = content.Y;
    return true;
}

int32_t DesktopItemCount() {
    LRESULT count = 0;
    SendToShell(DesktopListView, LVM_GETITEMCOUNT, 0, 0, count);
    return static_cast<int32_t>(count);
}

bool SetIconPosition(int32_t index, int32_t x, int32_t y) {
    LRESULT moved = 0;
    return SendToShell(DesktopListView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                       MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)), moved) &&
           moved != FALSE;
}

bool SetDesktopRedraw(bool on) {
    if (!on) {
        LRESULT ignored = 0;
        return SendToShell(DesktopListView, WM_SETREDRAW, FALSE, 0, ignored);
    }
    // Queued rather than sent, so that it reaches a shell that hangs right now once it answers again;
    // a shell that answers handles it before the repaint, which comes last among its messages.
    const bool queued = SendNotifyMessageA(DesktopListView, WM_SETREDRAW, TRUE, 0) != FALSE;
    RedrawWindow(DesktopListView, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return queued;
}

uint32_t DesktopExtendedStyle() {
    LRESULT style = 0;
    SendToShell(DesktopListView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, style);
    return static_cast<uint32_t>(style);
}

uint32_t DesktopWindowStyle() {
    return static_cast<uint32_t>(GetWindowLongA(DesktopListView, GWL_STYLE));
}

bool SendViewCommand(uint16_t commandId) {
    LRESULT ignored = 0;
    const bool sent = SendToShell(ProgmanWindow, WM_COMMAND, commandId, 0, ignored);
    Sleep(0);
    return sent;
}
