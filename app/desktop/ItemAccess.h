#pragma once
// Reading and moving the desktop icons from outside the shell's process, through a buffer that
// the shell's process can address, and the direct messages to the desktop windows.
//
// An operation fills a TShellAccess with LocateDesktop and AllocSharedBuffer, makes any number of
// the calls below on it, and ends with FreeSharedBuffer; the record, and with it everything of the
// shell, never outlives the operation (the desktop session of one action holds it).

#include <windows.h>

#include <cstdint>

#include "DesktopLocate.h"
#include "ItemProp.h"
#include "WinHandles.h"

// How long a message to the shell's windows may take. A shell that is merely busy answers well
// within it; a hung one makes the operation give up instead of hanging with it.
inline constexpr UINT ShellTimeoutMs = 3000;

// Everything one operation holds of the shell.
struct TShellAccess {
    // The desktop windows and the shell's process (LocateDesktop).
    TDesktopLocation Location;
    // Start of the buffer of SharedBufferSize bytes that the shell's process reads and writes, at
    // the same address in both processes' eyes; null when none is allocated.
    void* Buffer = nullptr;
    // Windows 9x only: the unnamed file mapping whose view is Buffer.
    TUniqueHandle Mapping;
    // Set when a message to the shell's windows was not answered within ShellTimeoutMs (or could
    // not be delivered). From then on no further message is sent, so that a hung shell costs one
    // timeout rather than one per icon. A new record starts with it clear.
    bool NotResponding = false;
};

// Sends a message to a window of the shell with the timeout; false when it was not answered (and
// NotResponding is then set). `wide` sends the wide form of the message.
bool SendToShell(TShellAccess& shell, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                 LRESULT& result, bool wide = false);

// NT family: commits the buffer inside the shell's process. Windows 9x: maps a view of an unnamed
// mapping backed by the paging file, which lies in the address range all processes share. Callers
// test Buffer afterwards and give up quietly when it is null.
void AllocSharedBuffer(TShellAccess& shell);
// Releases what AllocSharedBuffer took; nothing when no buffer is allocated. After a message to the
// shell timed out the buffer (and on Windows 9x its mapping) is not released but left to the
// shell, which may still write into it.
void FreeSharedBuffer(TShellAccess& shell);

// Reads the caption and position of item `index` of the desktop list view into `item`. True when
// every step succeeded. On false (no buffer, a failed write, an empty caption, a failed position
// query) `item` is left exactly as it was, so the caller must skip it. Matched is never touched.
bool ReadIconItem(TShellAccess& shell, int32_t index, TItemProp& item);

// Number of desktop icons; they are indexed from 0.
int32_t DesktopItemCount(TShellAccess& shell);
// Moves an icon; each coordinate is cut to 16 bits on the way (MAKELPARAM).
bool SetIconPosition(TShellAccess& shell, int32_t index, int32_t x, int32_t y);
// Holds off (false) or allows (true) the list view's repainting (WM_SETREDRAW). Allowing it again
// also invalidates the view, so that it repaints once. Never waits for a shell that does not answer:
// the messages are then queued for when it answers again.
bool SetDesktopRedraw(TShellAccess& shell, bool on);
// LVM_GETEXTENDEDLISTVIEWSTYLE of the desktop list view (LVS_EX_SNAPTOGRID: align to grid).
uint32_t DesktopExtendedStyle(TShellAccess& shell);
// LVM_GETITEMSPACING of the desktop list view's icons: the distance between neighbouring icon
// positions, horizontal in the low word, vertical in the high word; 0 when it was not answered.
uint32_t DesktopItemSpacing(TShellAccess& shell);
// GWL_STYLE of the desktop list view (LVS_AUTOARRANGE: auto arrange).
uint32_t DesktopWindowStyle(const TShellAccess& shell);
// Sends a shell view command to the Progman window as WM_COMMAND and yields the processor.
bool SendViewCommand(TShellAccess& shell, uint16_t commandId);
