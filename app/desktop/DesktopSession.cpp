#include "DesktopSession.h"

#include <commctrl.h>

#include "DesktopLocate.h"
#include "FolderViewAccess.h"
#include "ItemAccess.h"
#include "ProcessState.h"

namespace {

TDesktopStatus Failed(TDesktopSession& session, TDesktopStatus status) {
    session.Status = status;
    return status;
}

// The status after a step that sent messages to the shell.
TDesktopStatus AfterMessages(TDesktopSession& session) {
    return ShellNotResponding ? Failed(session, TDesktopStatus::NotResponding) : session.Status;
}

} // namespace

TDesktopStatus OpenDesktopSession(TDesktopSession& session, bool useFolderView) {
    session = TDesktopSession{};
    ResetShellTimeout();
    if (!LocateDesktop()) {
        return Failed(session, TDesktopStatus::NotFound);
    }
    AllocSharedBuffer();
    if (SharedBuffer == nullptr) {
        ReleaseShellProcess();
        return Failed(session, TDesktopStatus::NoBuffer);
    }
    session.Status = TDesktopStatus::Ready;
    // A first message tells a shell that does not answer before anything else is tried.
    if (DesktopItemCount() < 0 || ShellNotResponding) {
        return Failed(session, TDesktopStatus::NotResponding);
    }
    if (useFolderView) {
        OpenFolderView(session);
    }
    return session.Status;
}

void CloseDesktopSession(TDesktopSession& session) {
    CloseFolderView(session);
    if (session.RedrawHeldOff) {
        SetDesktopRedraw(true);
        session.RedrawHeldOff = false;
    }
    if (session.AutoArrangeSwitchedOff) {
        // A shell that does not answer gets the command queued for when it answers again.
        if (!SendViewCommand(RunningWindows.AutoArrangeCommand)) {
            PostMessageA(ProgmanWindow, WM_COMMAND, RunningWindows.AutoArrangeCommand, 0);
        }
        session.AutoArrangeSwitchedOff = false;
    }
    FreeSharedBuffer();
    ReleaseShellProcess();
}

TDesktopStatus ReadDesktop(TDesktopSession& session, TDesktopCapture& capture, bool autoArrangeOff) {
    capture = TDesktopCapture{};
    if (session.Status != TDesktopStatus::Ready) {
        return session.Status;
    }
    capture.Grid = (DesktopExtendedStyle() & LVS_EX_SNAPTOGRID) != 0;
    capture.AutoArrange = (DesktopWindowStyle() & LVS_AUTOARRANGE) != 0;
    if (autoArrangeOff && capture.AutoArrange) {
        session.AutoArrangeSwitchedOff = SendViewCommand(RunningWindows.AutoArrangeCommand);
    }
    capture.Origin = GetVirtualScreenRect();
    if (AfterMessages(session) != TDesktopStatus::Ready) {
        return session.Status;
    }
    if (session.FolderView != nullptr && ReadFolderViewIcons(session, capture.Icons)) {
        return session.Status;
    }
    CloseFolderView(session);
    const int32_t count = DesktopItemCount();
    capture.Icons.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    TItemProp item;
    for (int32_t i = 0; i < count && !ShellNotResponding; ++i) {
        // An icon that cannot be read is left out rather than taken for another icon.
        if (ReadIconItem(i, item)) {
            capture.Icons.push_back(TCapturedIcon{i, item.Caption, item.X, item.Y});
        }
    }
    return AfterMessages(session);
}

TDesktopStatus RestoreAutoArrange(TDesktopSession& session) {
    if (session.AutoArrangeSwitchedOff) {
        session.AutoArrangeSwitchedOff = false;
        return SendDesktopCommand(session, RunningWindows.AutoArrangeCommand);
    }
    return session.Status;
}

TDesktopStatus MoveDesktopIcons(TDesktopSession& session, const std::vector<TIconMove>& moves) {
    if (session.Status != TDesktopStatus::Ready || moves.empty()) {
        return session.Status;
    }
    if (session.FolderView != nullptr && MoveFolderViewIcons(session, moves)) {
        return session.Status;
    }
    // Every move would repaint the view: the repaint is held off and done once at the end (also on
    // a failure half-way, when the session closes).
    // Counted as held off even when the shell did not answer: it may have switched it off anyway.
    session.RedrawHeldOff = true;
    SetDesktopRedraw(false);
    for (const TIconMove& move : moves) {
        if (!SetIconPosition(move.Index, move.X, move.Y) && ShellNotResponding) {
            break;
        }
    }
    if (session.RedrawHeldOff) {
        SetDesktopRedraw(true);
        session.RedrawHeldOff = false;
    }
    return AfterMessages(session);
}

TDesktopStatus SendDesktopCommand(TDesktopSession& session, uint16_t commandId) {
    if (session.Status != TDesktopStatus::Ready) {
        return session.Status;
    }
    SendViewCommand(commandId);
    return AfterMessages(session);
}

TDesktopStatus CaptureDesktop(TDesktopCapture& capture, bool autoArrangeOff) {
    TDesktopSession session;
    TDesktopSessionGuard guard(session);
    if (OpenDesktopSession(session) != TDesktopStatus::Ready) {
        capture = TDesktopCapture{};
        return session.Status;
    }
    return ReadDesktop(session, capture, autoArrangeOff);
}
