#include "DesktopSession.h"

#include <commctrl.h>

#include "FolderViewAccess.h"
#include "ProcessState.h"

namespace {

TDesktopStatus Failed(TDesktopSession& session, TDesktopStatus status) {
    session.Status = status;
    return status;
}

// The status after a step that sent messages to the shell.
TDesktopStatus AfterMessages(TDesktopSession& session) {
    return session.Shell.NotResponding ? Failed(session, TDesktopStatus::NotResponding) : session.Status;
}

} // namespace

TDesktopReport ReportOf(const TDesktopSession& session) {
    TDesktopReport report;
    report.Status = session.Status;
    if (session.Status == TDesktopStatus::NotFound) {
        report.LocateError = session.Shell.Location.ErrorText;
    }
    return report;
}

TDesktopStatus OpenDesktopSession(TDesktopSession& session, bool useFolderView) {
    session = TDesktopSession{};
    TShellAccess& shell = session.Shell;
    if (!LocateDesktop(shell.Location)) {
        return Failed(session, TDesktopStatus::NotFound);
    }
    AllocSharedBuffer(shell);
    if (shell.Buffer == nullptr) {
        shell.Location.ShellProcess.reset();
        return Failed(session, TDesktopStatus::NoBuffer);
    }
    session.Status = TDesktopStatus::Ready;
    // A first message tells a shell that does not answer before anything else is tried.
    if (DesktopItemCount(shell) < 0 || shell.NotResponding) {
        return Failed(session, TDesktopStatus::NotResponding);
    }
    if (useFolderView) {
        OpenFolderView(session);
    }
    return session.Status;
}

void CloseDesktopSession(TDesktopSession& session) {
    TShellAccess& shell = session.Shell;
    CloseFolderView(session);
    if (session.RedrawHeldOff) {
        SetDesktopRedraw(shell, true);
        session.RedrawHeldOff = false;
    }
    if (session.AutoArrangeSwitchedOff) {
        // A shell that does not answer gets the command queued for when it answers again.
        if (!SendViewCommand(shell, RunningWindows.AutoArrangeCommand)) {
            PostMessageA(shell.Location.Progman, WM_COMMAND, RunningWindows.AutoArrangeCommand, 0);
        }
        session.AutoArrangeSwitchedOff = false;
    }
    FreeSharedBuffer(shell);
    shell.Location.ShellProcess.reset();
}

TDesktopStatus ReadDesktop(TDesktopSession& session, TDesktopCapture& capture, bool autoArrangeOff) {
    capture = TDesktopCapture{};
    if (session.Status != TDesktopStatus::Ready) {
        return session.Status;
    }
    TShellAccess& shell = session.Shell;
    capture.Grid = (DesktopExtendedStyle(shell) & LVS_EX_SNAPTOGRID) != 0;
    capture.AutoArrange = (DesktopWindowStyle(shell) & LVS_AUTOARRANGE) != 0;
    if (autoArrangeOff && capture.AutoArrange) {
        session.AutoArrangeSwitchedOff = SendViewCommand(shell, RunningWindows.AutoArrangeCommand);
    }
    capture.Origin = GetVirtualScreenRect();
    if (AfterMessages(session) != TDesktopStatus::Ready) {
        return session.Status;
    }
    if (session.FolderView != nullptr && ReadFolderViewIcons(session, capture.Icons)) {
        return session.Status;
    }
    CloseFolderView(session);
    const int32_t count = DesktopItemCount(shell);
    capture.Icons.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    TItemProp item;
    for (int32_t i = 0; i < count && !shell.NotResponding; ++i) {
        // An icon that cannot be read is left out rather than taken for another icon.
        if (ReadIconItem(shell, i, item)) {
            capture.Icons.push_back(TCapturedIcon{i, item.Caption, item.X, item.Y});
        }
    }
    return AfterMessages(session);
}

TDesktopStatus ReadDesktopGrid(TDesktopSession& session, TDesktopGrid& grid) {
    grid = TDesktopGrid{};
    if (session.Status != TDesktopStatus::Ready) {
        return session.Status;
    }
    const uint32_t spacing = DesktopItemSpacing(session.Shell);
    grid.CellWidth = static_cast<int32_t>(LOWORD(spacing));
    grid.CellHeight = static_cast<int32_t>(HIWORD(spacing));
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
    TShellAccess& shell = session.Shell;
    session.RedrawHeldOff = true;
    SetDesktopRedraw(shell, false);
    for (const TIconMove& move : moves) {
        if (!SetIconPosition(shell, move.Index, move.X, move.Y) && shell.NotResponding) {
            break;
        }
    }
    if (session.RedrawHeldOff) {
        SetDesktopRedraw(shell, true);
        session.RedrawHeldOff = false;
    }
    return AfterMessages(session);
}

TDesktopStatus SendDesktopCommand(TDesktopSession& session, uint16_t commandId) {
    if (session.Status != TDesktopStatus::Ready) {
        return session.Status;
    }
    SendViewCommand(session.Shell, commandId);
    return AfterMessages(session);
}

TDesktopReport CaptureDesktop(TDesktopCapture& capture, bool autoArrangeOff) {
    TDesktopSession session;
    TDesktopSessionGuard guard(session);
    if (OpenDesktopSession(session) != TDesktopStatus::Ready) {
        capture = TDesktopCapture{};
    } else {
        ReadDesktop(session, capture, autoArrangeOff);
    }
    return ReportOf(session);
}
