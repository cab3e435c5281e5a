#pragma once
// Reading and moving the desktop icons from outside the shell's process, through a buffer that
// the shell's process can address, and the direct messages to the desktop windows.
//
// An operation runs LocateDesktop, AllocSharedBuffer, any number of the calls below, and
// FreeSharedBuffer; the buffer never outlives it.

#include <windows.h>

#include <cstdint>

#include "ItemProp.h"

// Start of the buffer of SharedBufferSize bytes that the shell's process reads and writes, at the
// same address in both processes' eyes; null when none is allocated.
extern void* SharedBuffer;
// Windows 9x only: the unnamed file mapping whose view is SharedBuffer.
extern HANDLE SharedMapping;

// NT family: commits the buffer inside ShellProcess. Windows 9x: maps a view of an unnamed mapping
// backed by the paging file, which lies in the address range all processes share. Callers test
// SharedBuffer afterwards and give up quietly when it is null.
void AllocSharedBuffer();
// Releases what AllocSharedBuffer took; nothing when no buffer is allocated.
void FreeSharedBuffer();

// Reads the caption and position of item `index` of DesktopListView into `item`. True when every
// step succeeded. On false (no buffer, a failed write, an empty caption, a failed position query)
// `item` is left exactly as it was, so the caller must skip it. Matched is never touched.
bool ReadIconItem(int32_t index, TItemProp& item);

// Number of desktop icons; they are indexed from 0.
int32_t DesktopItemCount();
// Moves an icon; each coordinate is cut to 16 bits on the way (MAKELPARAM).
bool SetIconPosition(int32_t index, int32_t x, int32_t y);
// LVM_GETEXTENDEDLISTVIEWSTYLE of the desktop list view (LVS_EX_SNAPTOGRID: align to grid).
uint32_t DesktopExtendedStyle();
// GWL_STYLE of the desktop list view (LVS_AUTOARRANGE: auto arrange).
uint32_t DesktopWindowStyle();
// Sends a shell view command to the Progman window as WM_COMMAND and yields the processor.
void SendViewCommand(uint16_t commandId);
