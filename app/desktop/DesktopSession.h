#pragma once
// One operation on the desktop: find it, hold what reading and moving its icons needs, read every
// icon once, move icons in one batch, and release everything again. The rest of the program sees
// only this interface; behind it the icons are read and moved either through the desktop view's
// positioning interface (IFolderView) where it works, or through list-view messages.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DesktopCapture.h"
#include "ItemAccess.h"

struct TFolderViewWorker;

enum class TDesktopStatus {
    Ready,         // found and open
    NotFound,      // no desktop (the search's ErrorText tells the stage)
    NoBuffer,      // the shell's process gave no shared buffer
    NotResponding, // the shell did not answer within ShellTimeoutMs
};

// The state of one open desktop, and everything of the shell that one action holds: the desktop
// windows, the shell's process, the shared buffer and whether the shell stopped answering. Open it
// with OpenDesktopSession and close it with CloseDesktopSession on every path (TDesktopSessionGuard
// does both); never show a message box while it is open. It lives only as long as its action.
struct TDesktopSession {
    TDesktopStatus Status = TDesktopStatus::NotFound;
    TShellAccess Shell;
    // The shell's own positioning interface of the same view (held by a thread of its own), when it
    // reads positions; null otherwise.
    TFolderViewWorker* FolderView = nullptr;
    // Auto-arrange was switched off for the reading and is switched on again at the end.
    bool AutoArrangeSwitchedOff = false;
    // Repainting is held off and is allowed again at the end.
    bool RedrawHeldOff = false;
};

// What a closed session leaves for the report of its action: its status and, when the desktop was
// not found, the diagnostic of the search ("<stage> <error code>").
struct TDesktopReport {
    TDesktopStatus Status = TDesktopStatus::NotFound;
    std::string LocateError;
};
TDesktopReport ReportOf(const TDesktopSession& session);

// Finds the desktop, opens the shell's process and allocates the shared buffer; with `useFolderView`
// also reaches the view's IFolderView where it works. Returns the session's status.
TDesktopStatus OpenDesktopSession(TDesktopSession& session, bool useFolderView = true);
// Allows repainting and switches auto-arrange on again where the session changed them, frees the
// buffer and closes the handle of the shell's process: nothing of the shell is kept after it.
void CloseDesktopSession(TDesktopSession& session);

// Reads every icon once, with the align-to-grid and auto-arrange settings and the virtual screen.
// With `autoArrangeOff`, auto-arrange is switched off first when it is on (and comes on again when
// the session closes), so that no icon moves while the icons are read.
TDesktopStatus ReadDesktop(TDesktopSession& session, TDesktopCapture& capture, bool autoArrangeOff = false);

// The desktop's icon grid from the list view's item spacing (offset 0,0: the first cell at the work
// area's top-left corner). An unanswered spacing gives cells of size 0, which place nothing.
TDesktopStatus ReadDesktopGrid(TDesktopSession& session, TDesktopGrid& grid);

// Switches auto-arrange on again right away where ReadDesktop switched it off.
TDesktopStatus RestoreAutoArrange(TDesktopSession& session);

// Moves the icons of a reading of this session, all in one batch: through the folder view in one
// call, or with the list view's repainting held off and one repaint at the end.
TDesktopStatus MoveDesktopIcons(TDesktopSession& session, const std::vector<TIconMove>& moves);

// Sends a shell view command (auto-arrange, align-to-grid, icon size).
TDesktopStatus SendDesktopCommand(TDesktopSession& session, uint16_t commandId);

// Opens a session, reads the desktop and closes the session again.
TDesktopReport CaptureDesktop(TDesktopCapture& capture, bool autoArrangeOff);

// Closes the session when it leaves scope.
struct TDesktopSessionGuard {
    TDesktopSession& Session;
    explicit TDesktopSessionGuard(TDesktopSession& session) : Session(session) {}
    ~TDesktopSessionGuard() { CloseDesktopSession(Session); }
    TDesktopSessionGuard(const TDesktopSessionGuard&) = delete;
    TDesktopSessionGuard& operator=(const TDesktopSessionGuard&) = delete;
};
