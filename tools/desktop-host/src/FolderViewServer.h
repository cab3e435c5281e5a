// The desktop's positioning interface, served to other processes as the shell serves it: the shell
// windows' FindWindowSW(SWC_DESKTOP) gives a browser whose top-level browser service has this
// desktop's view as its active shell view; the view answers IFolderView (ItemCount, Item,
// GetFolder, GetItemPosition, SelectAndPositionItems) over the host's list view, and its folder
// names the items (GetDisplayNameOf).
//
// CoCreateInstance(CLSID_ShellWindows) reaches Wine's own explorer, which registers that class
// first. The host therefore registers its shell windows under a class of its own and points
// CLSID_ShellWindows there with a TreatAs key in HKLM (both registry views), which it removes again
// when it ends. COM marshals every call across the process boundary, as it does for Explorer.
//
// Item ids are the host's own: one SHITEMID of 3 bytes holding the list-view index, because Wine's
// proxies carry only the first byte of an item id. At most 256 items are served; a larger view reports
// 256 items, which a client that compares the count with the list view's does not take.
//
// The host also counts who moved its icons: list-view position messages sent by other threads
// (LVM_SETITEMPOSITION, LVM_SETITEMPOSITION32) and items positioned by SelectAndPositionItems.
#pragma once

#include <windows.h>

#include <string>

namespace kvhost {

struct MoveCounts {
    long byMessages = 0;   // position messages from other threads or processes
    long byFolderView = 0; // items placed through SelectAndPositionItems
};

// Starts counting the position messages that reach `listView` from elsewhere.
void WatchListViewMoves(HWND listView);
MoveCounts CountedMoves();
// Moves an item as the host itself (not counted as a message of another process).
bool MoveItemAsHost(int index, POINT position);

// Registers the shell windows of this desktop and the TreatAs redirection; false with `error` set
// when COM or the registry refuses.
bool StartFolderViewServer(std::string& error);
// Revokes the registration and removes the redirection; safe when nothing was started.
void StopFolderViewServer();

} // namespace kvhost
