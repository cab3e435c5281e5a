#pragma once
// The desktop icons through the shell's own positioning interface: the IFolderView of the desktop
// view, reached through the shell windows (FindWindowSW with SWC_DESKTOP, the top-level browser,
// its active shell view). Positions set this way enter the shell's own bookkeeping, which positions
// set with list-view messages do not on Windows 10 1809 and later. Used only by the desktop session.

#include <windows.h>

#include <vector>

#include "DesktopCapture.h"
#include "DesktopSession.h"

struct IFolderView;

// Reaches the IFolderView of the view that the session's desktop search found and takes its items in view
// order, on Windows 8 and later (before that, positions set with list-view messages stick). The folder view
// is used from a thread of its own, so that a shell that stops answering a call cannot hold the program:
// every job ends when the shell has not answered for ShellTimeoutMs. Only a view that is the same window as
// the session's DefView, lists as many items as the list view and answers GetItemPosition is taken; otherwise
// the session keeps no folder view (false).
bool OpenFolderView(TDesktopSession& session);
// Lets the folder view go (its thread releases it).
void CloseFolderView(TDesktopSession& session);

// Captions (the folder's display names, converted as the list view's captions are) and positions of
// every item; false when any position cannot be read. A shell that stops answering sets the
// session's NotResponding and closes the folder view.
bool ReadFolderViewIcons(TDesktopSession& session, std::vector<TCapturedIcon>& icons);
// All moves in one SelectAndPositionItems call, selection left alone; false when it fails (and
// the session's NotResponding set when the shell did not answer).
bool MoveFolderViewIcons(TDesktopSession& session, const std::vector<TIconMove>& moves);

// The calls themselves, made in the calling thread on a view and its items: the reading (each
// answered item counted in `progress`, where given) and the single positioning call.
bool ReadFolderViewItems(IFolderView* view, const std::vector<void*>& items,
                         std::vector<TCapturedIcon>& icons, volatile LONG* progress = nullptr);
bool PositionFolderViewItems(IFolderView* view, const std::vector<void*>& items,
                             const std::vector<TIconMove>& moves);
