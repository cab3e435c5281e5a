// The control window through which tests learn the host's true state and steer it.
//
// A message-only window of class kControlClass whose title is given on the command line. A
// request is a WM_COPYDATA message sent with SendMessage: dwData = kControlMagic, the data the
// request's UTF-8 text (no terminating NUL needed). SendMessage returns 1 when the request was
// carried out and 0 when it failed or was not understood; the work is complete by then.
//   state <path>          write the state dump (below) to <path> (a Windows path, UTF-8)
//   move <index> <x> <y>  LVM_SETITEMPOSITION32 on the item, in the host's own process
//   memory <path>         write "private-allocations N" and "private-bytes B" (committed private
//                         memory of the host, counted by VirtualQuery) as two lines to <path>
//   clear-log             forget the logged view commands
//   ping                  nothing: tells that the host answers
//   hang <ms>             the window thread sleeps <ms> milliseconds after answering (Hang.h)
//   hang-on-redraw-off <ms>  the same once the list view has handled the next WM_SETREDRAW FALSE
//   hang-before <msg> <ms>  the next list-view message <msg> waits <ms> before it is carried out;
//                         writes into memory that is not committed are counted (Hang.h)
//   hang-on-positioning <ms>  the same in the next SelectAndPositionItems of the served interface
//   quit                  end the host (exit code 0) once the reply is sent
//
// State dump: UTF-8 lines "key values...", in this order:
//   kvhost-state 1
//   mode fixture|shell
//   pid <decimal>
//   progman <hwnd> <left> <top> <right> <bottom>            screen rectangle
//   defview-parent <hwnd> <left> <top> <right> <bottom> <class>   "0x0 0 0 0 0 -" if no view
//   defview <hwnd> <left> <top> <right> <bottom>
//   listview <hwnd> <left> <top> <right> <bottom>
//   listview-style <hex>                                    GWL_STYLE
//   listview-exstyle <hex>                                  LVM_GETEXTENDEDLISTVIEWSTYLE
//   items <count>
//   item <index> <x> <y> <caption>   one line per item; position from LVM_GETITEMPOSITION, caption
//                                    as read with LVM_GETITEMTEXTW, as UTF-16 units in hex (four
//                                    lower-case digits each), "-" when empty
//   moves <by messages> <by folder view>  icons moved by position messages from other processes
//                                    and by the served positioning interface (FolderViewServer.h)
//   stray-writes <count>  list-view requests whose buffer was not committed memory (Hang.h)
//   command <wParam hex> <lParam hex>  one line per logged WM_COMMAND, oldest first
//   end
// Handles and styles are written as 0x-prefixed hex, coordinates in signed decimal.
#pragma once

#include <windows.h>

#include <string>

namespace kvhost {

constexpr const wchar_t* kControlClass = L"KavrilonDesktopHostControl";
constexpr ULONG_PTR kControlMagic = 0x4B564853; // "KVHS"

bool CreateControlWindow(HINSTANCE instance, const std::wstring& title, std::string& error);
void DestroyControlWindow();

} // namespace kvhost
