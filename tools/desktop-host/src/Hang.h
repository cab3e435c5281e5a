// A host that stops answering, for the tests of a hung shell: "hang <milliseconds>" makes the
// host's window thread (which owns every window of the desktop) sleep for that long once the
// request has been answered. Messages sent to its windows meanwhile wait, as with a hung Explorer.
// Setting the event "<control title>-wake" ends a hang early.
#pragma once

#include <windows.h>

#include <string>

namespace kvhost {

// Creates the named event that ends any hang early when set (every hang below waits on it instead of
// sleeping the whole time). Without it the hangs run their full time.
bool CreateWakeEvent(const std::wstring& name);

// Queues the hang for `argument` milliseconds (1 to 600000); false for anything else.
bool RequestHang(HWND control, const std::string& argument);
// "hang-on-redraw-off <milliseconds>": the next WM_SETREDRAW FALSE that reaches `listView` is
// carried out and then the thread sleeps, as if the shell hung in the middle of a restore.
bool ArmHangOnRedrawOff(HWND listView, const std::string& argument);

// "hang-before <message> <milliseconds>": the next `message` (LVM_GETITEMTEXTA/W or
// LVM_GETITEMPOSITION, in decimal) that reaches `listView` waits that long before it is carried out,
// as if the shell were slow to get to it: the sender gives up meanwhile. From then on every such
// message whose lParam is not committed, writable memory of the host is counted as a stray write
// and left undone (a real shell would write into freed memory there).
bool ArmHangBeforeMessage(HWND listView, const std::string& argument);
// Stray writes counted since the start.
long StrayWrites();

// "hang-on-positioning <milliseconds>": the next SelectAndPositionItems of the served interface
// sleeps before it places anything, as if the shell hung in the middle of a restore.
bool ArmHangOnPositioning(const std::string& argument);
// Called by SelectAndPositionItems: sleeps once when armed.
void HangIfArmedForPositioning();

// Handles the queued hang in the control window's procedure; true when `message` was it.
bool HandleHangMessage(UINT message, WPARAM wParam);

} // namespace kvhost
