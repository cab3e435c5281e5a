#pragma once
// The desktop icons through the shell's own positioning interface: the IFolderView of the desktop
// view, reached through the shell windows (FindWindowSW with SWC_DESKTOP, the top-level browser,
// its active shell view). Positions set this way enter the shell's own bookkeeping, which positions
// set with list-view messages do not on Windows 10 1809 and later. Used only by the desktop session.

#include <vector>

#include "DesktopCapture.h"
#include "DesktopSession.h"

// Reaches the IFolderView of the view that LocateDesktop found and takes its items in view order,
// on Windows 8 and later (before that, positions set with list-view messages stick).
// Only a view that is the same window as DefViewWindow, lists as many items as the list view and
// answers GetItemPosition is taken; otherwise the session keeps no folder view (false).
bool OpenFolderView(TDesktopSession& session);
// Releases the folder view and its item ids.
void CloseFolderView(TDesktopSession& session);

// Captions (the folder's display names, converted as the list view's captions are) and positions of
// every item; false when any position cannot be read.
bool ReadFolderViewIcons(TDesktopSession& session, std::vector<TCapturedIcon>& icons);
// All moves in one SelectAndPositionItems call, selection left alone; false when it fails.
bool MoveFolderViewIcons(TDesktopSession& session, const std::vector<TIconMove>& moves);
