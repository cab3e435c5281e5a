#include "ItemAccess.h"

#include <commctrl.h>

#include <utility>

#include "ItemRecords.h"
#include "ProcessState.h"
#include "SystemFunctions.h"

// The records carry the buffer's address in 32 bits: this program is a 32-bit program.
static_assert(sizeof(void*) == 4, "the transfer records hold 32-bit addresses");

bool SendToShell(TShellAccess& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result, bool wide) {
    result = 0;
    if (shell.NotResponding) {
        return false;
    }
    DWORD_PTR answer = 0;
    const UINT flags = SMTO_ABORTIFHUNG | SMTO_NORMAL;
    const LRESULT sent =
        wide ? SendMessageTimeoutW(window, message, wParam, lParam, flags, ShellTimeoutMs, &answer)
             : SendMessageTimeoutA(window, message, wParam, lParam, flags, ShellTimeoutMs, &answer);
    if (sent == 0) {
        shell.NotResponding = true;
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

uint8_t* SharedBytes(const TShellAccess& shell) {
    return static_cast<uint8_t*>(shell.Buffer);
}

uint32_t SharedBufferAddress(const TShellAccess& shell) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(shell.Buffer));
}

} // namespace

void AllocSharedBuffer(TShellAccess& shell) {
    shell.Buffer = nullptr;
    if (RunningWindows.IsNTPlatform) {
        const auto allocate = LoadedFunction<TVirtualAllocEx>("kernel32.dll", "VirtualAllocEx");
        if (allocate != nullptr) {
            shell.Buffer = allocate(shell.Location.ShellProcess.get(), nullptr, SharedBufferSize, MEM_COMMIT,
                                    PAGE_READWRITE);
        }
        return;
    }
    shell.Mapping.reset(
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, SharedBufferSize, nullptr));
    if (shell.Mapping) {
        shell.Buffer = MapViewOfFile(shell.Mapping.get(), FILE_MAP_WRITE, 0, 0, SharedBufferSize);
        if (shell.Buffer == nullptr) {
            // The callers give up without freeing when there is no buffer: the mapping would leak.
            shell.Mapping.reset();
        }
    }
}

void FreeSharedBuffer(TShellAccess& shell) {
    if (shell.Buffer == nullptr) {
        return;
    }
    if (shell.NotResponding) {
        // A message that timed out stays queued in the shell, which writes its answer into the
        // buffer once it gets to it: released now, that write would land in freed (or reused)
        // memory of the shell's heap. The buffer is left to the shell, one page per hung action;
        // on Windows 9x the mapping stays open and its view mapped for the same reason.
        shell.Buffer = nullptr;
        static_cast<void>(shell.Mapping.release());
        return;
    }
    if (RunningWindows.IsNTPlatform) {
        const auto release = LoadedFunction<TVirtualFreeEx>("kernel32.dll", "VirtualFreeEx");
        if (release != nullptr) {
            release(shell.Location.ShellProcess.get(), shell.Buffer, 0, MEM_RELEASE);
        }
    } else {
        UnmapViewOfFile(shell.Buffer);
        shell.Mapping.reset();
    }
    shell.Buffer = nullptr;
}

bool ReadIconItem(TShellAccess& shell, int32_t index, TItemProp& item) {
    if (shell.Buffer == nullptr) {
        return false;
    }
    const TRecordKind kind = RecordKindFor(RunningWindows.IsNTPlatform, ShellIs64Bit);
    const TRecordLayout layout = RecordLayoutOf(kind);
    uint8_t record[SharedBufferSize];
    BuildItemRecord(kind, SharedBufferAddress(shell), record);
    const HANDLE process = shell.Location.ShellProcess.get();
    if (!WriteProcessMemory(process, shell.Buffer, record, layout.Size, nullptr)) {
        return false;
    }

    const WPARAM itemIndex = static_cast<WPARAM>(index);
    const LPARAM itemAddress = reinterpret_cast<LPARAM>(SharedBytes(shell) + layout.ItemOffset);
    LRESULT copied = 0;
    const bool wide = kind != TRecordKind::Ansi;
    const HWND listView = shell.Location.ListView;
    if (!SendToShell(shell, listView, wide ? LVM_GETITEMTEXTW : LVM_GETITEMTEXTA, itemIndex, itemAddress,
                     copied, wide) ||
        copied == 0) {
        // Also an icon with an empty caption: it cannot be told apart from the others.
        return false;
    }
    const LPARAM pointAddress = reinterpret_cast<LPARAM>(SharedBytes(shell) + layout.PointOffset);
    LRESULT positioned = 0;
    if (!SendToShell(shell, listView, LVM_GETITEMPOSITION, itemIndex, pointAddress, positioned) ||
        !positioned) {
        return false;
    }
    // A failed read would leave the record as it was built, an empty caption at (0, 0): that is
    // no item, so it counts as a failed read too.
    if (!ReadProcessMemory(process, shell.Buffer, record, layout.Size, nullptr)) {
        return false;
    }

    TRecordContent content = DecodeItemRecord(kind, record);
    item.Caption = std::move(content.Caption);
    item.X = content.X;
    item.Y = content.Y;
    return true;
}

int32_t DesktopItemCount(TShellAccess& shell) {
    LRESULT count = 0;
    SendToShell(shell, shell.Location.ListView, LVM_GETITEMCOUNT, 0, 0, count);
    return static_cast<int32_t>(count);
}

bool SetIconPosition(TShellAccess& shell, int32_t index, int32_t x, int32_t y) {
    LRESULT moved = 0;
    return SendToShell(shell, shell.Location.ListView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                       MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)), moved) &&
           moved != FALSE;
}

bool SetDesktopRedraw(TShellAccess& shell, bool on) {
    const HWND listView = shell.Location.ListView;
    if (!on) {
        LRESULT ignored = 0;
        return SendToShell(shell, listView, WM_SETREDRAW, FALSE, 0, ignored);
    }
    // Queued rather than sent, so that it reaches a shell that hangs right now once it answers again;
    // a shell that answers handles it before the repaint, which comes last among its messages.
    const bool queued = SendNotifyMessageA(listView, WM_SETREDRAW, TRUE, 0) != FALSE;
    RedrawWindow(listView, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return queued;
}

uint32_t DesktopExtendedStyle(TShellAccess& shell) {
    LRESULT style = 0;
    SendToShell(shell, shell.Location.ListView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, style);
    return static_cast<uint32_t>(style);
}

uint32_t DesktopItemSpacing(TShellAccess& shell) {
    LRESULT spacing = 0;
    SendToShell(shell, shell.Location.ListView, LVM_GETITEMSPACING, FALSE, 0, spacing);
    return static_cast<uint32_t>(spacing);
}

uint32_t DesktopWindowStyle(const TShellAccess& shell) {
    return static_cast<uint32_t>(GetWindowLongA(shell.Location.ListView, GWL_STYLE));
}

bool SendViewCommand(TShellAccess& shell, uint16_t commandId) {
    LRESULT ignored = 0;
    const bool sent = SendToShell(shell, shell.Location.Progman, WM_COMMAND, commandId, 0, ignored);
    Sleep(0);
    return sent;
}
