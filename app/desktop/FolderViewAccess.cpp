#include "FolderViewAccess.h"

#include <windows.h>
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <new>

#include "ItemAccess.h"
#include "ItemRecords.h"
#include "ProcessState.h"
#include "SystemVersion.h"
#include "WinHandles.h"

namespace {

// The active shell view of the desktop's top-level browser, when the shell windows know a desktop.
bool FindDesktopShellView(IShellView** view) {
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                windows.putVoid()))) {
        return false;
    }
    VARIANT location;
    std::memset(&location, 0, sizeof location);
    location.vt = VT_I4;
    location.lVal = CSIDL_DESKTOP;
    VARIANT empty;
    std::memset(&empty, 0, sizeof empty);
    long window = 0;
    TComPtr<IDispatch> dispatch;
    // S_FALSE: no desktop registered (yet); that counts as not available.
    if (windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, dispatch.put()) !=
            S_OK ||
        !dispatch) {
        return false;
    }
    TComPtr<IServiceProvider> provider;
    TComPtr<IShellBrowser> browser;
    return SUCCEEDED(dispatch->QueryInterface(IID_IServiceProvider, provider.putVoid())) &&
           SUCCEEDED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.putVoid())) &&
           SUCCEEDED(browser->QueryActiveShellView(view)) && *view != nullptr;
}

void FreeItems(std::vector<void*>& items) {
    for (void* item : items) {
        CoTaskMemFree(item);
    }
    items.clear();
}

// The display name as 8-bit text, converted exactly as a caption read from the list view: at most
// 259 UTF-16 units (the list view's text buffer), each unit encoded by itself.
bool DisplayName(IShellFolder* folder, PCUITEMID_CHILD item, std::string& caption) {
    STRRET name;
    std::memset(&name, 0, sizeof name);
    if (FAILED(folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &name))) {
        return false;
    }
    std::u16string units;
    switch (name.uType) {
    case STRRET_WSTR:
        if (name.pOleStr != nullptr) {
            units.assign(reinterpret_cast<const char16_t*>(name.pOleStr));
            CoTaskMemFree(name.pOleStr);
        }
        break;
    case STRRET_CSTR:
    case STRRET_OFFSET: {
        const char* text =
            name.uType == STRRET_CSTR ? name.cStr : reinterpret_cast<const char*>(item) + name.uOffset;
        const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        if (length > 1) {
            std::wstring wide(static_cast<size_t>(length), L'\0');
            MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
            units.assign(reinterpret_cast<const char16_t*>(wide.c_str()));
        }
        break;
    }
    default:
        return false;
    }
    if (units.empty()) {
        return false; // the list view gives no empty caption either
    }
    constexpr size_t ListViewTextUnits = 259;
    if (units.size() > ListViewTextUnits) {
        units.resize(ListViewTextUnits);
    }
    caption = WideCaptionToUtf8(reinterpret_cast<const uint16_t*>(units.c_str()), units.size());
    return true;
}

// Only from Windows 8 on (reported as 6.2 or later) can the shell keep positions set with list-view
// messages out of its bookkeeping (Windows 10 1809 and later do). Before that the messages work and
// stick, and asking the shell windows for the desktop costs more than the whole reading.
bool ShellNeedsFolderView() {
    if (!RunningWindows.IsNTPlatform) {
        return false;
    }
    const TSystemVersion version = ReadSystemVersion();
    return version.Known && (version.Major > 6 || (version.Major == 6 && version.Minor >= 2));
}

// Reaches the desktop's folder view and takes its items; false when it is not there or cannot
// report positions. Runs in the worker's thread.
bool ReachFolderView(HWND defView, int32_t expectedCount, volatile LONG* progress, IFolderView** found,
                     std::vector<void*>& items) {
    TComPtr<IShellView> view;
    if (!FindDesktopShellView(view.put())) {
        return false;
    }
    InterlockedIncrement(progress);
    // Only the view whose list view was found: the shell may know another desktop than the one
    // whose icons are read (another session's Explorer, a stand-in).
    HWND viewWindow = nullptr;
    if (FAILED(view->GetWindow(&viewWindow)) || viewWindow != defView) {
        return false;
    }
    TComPtr<IFolderView> folderView;
    int count = 0;
    if (FAILED(view->QueryInterface(IID_IFolderView, folderView.putVoid())) ||
        FAILED(folderView->ItemCount(SVGIO_ALLVIEW, &count)) || count <= 0 || count != expectedCount) {
        return false;
    }
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        PITEMID_CHILD item = nullptr;
        if (FAILED(folderView->Item(i, &item)) || item == nullptr) {
            FreeItems(items);
            return false;
        }
        items.push_back(item);
        InterlockedIncrement(progress);
    }
    // Views that cannot report positions (E_NOTIMPL) are left to the list-view messages.
    POINT position = {};
    if (FAILED(folderView->GetItemPosition(static_cast<PCUITEMID_CHILD>(items.front()), &position))) {
        FreeItems(items);
        return false;
    }
    *found = folderView.release();
    return true;
}

} // namespace

// The folder view lives in a thread of its own. A COM call to a shell that has stopped answering
// cannot be given a timeout; the caller instead waits for the thread with the shell timeout and
// gives it up when it makes no progress. A given-up thread ends by itself once the shell answers
// (or with the process); the record is freed by whichever of the two lets go last.
enum TFolderViewJob : LONG { NoJob, OpenJob, ReadJob, MoveJob, QuitJob };

struct TFolderViewWorker {
    LONG Refs = 2; // the session and the thread
    HANDLE Thread = nullptr;
    HANDLE JobReady = nullptr; // auto-reset: a job (or the end) is waiting
    HANDLE JobDone = nullptr;  // auto-reset: the job is done
    volatile LONG Job = NoJob;
    volatile LONG Progress = 0; // calls to the shell answered so far
    bool Result = false;
    // The job's input and output; the thread works on these copies only.
    HWND DefView = nullptr;
    int32_t ExpectedCount = 0;
    std::vector<TCapturedIcon> Icons;
    std::vector<TIconMove> Moves;
    // Owned by the thread.
    IFolderView* View = nullptr;
    std::vector<void*> Items;
};

namespace {

void ReleaseWorker(TFolderViewWorker* worker) {
    if (InterlockedDecrement(&worker->Refs) == 0) {
        CloseHandle(worker->JobReady);
        CloseHandle(worker->JobDone);
        delete worker;
    }
}

DWORD WINAPI FolderViewThread(void* parameter) {
    auto* worker = static_cast<TFolderViewWorker*>(parameter);
    const HRESULT init = CoInitialize(nullptr);
    for (;;) {
        WaitForSingleObject(worker->JobReady, INFINITE);
        const LONG job = InterlockedCompareExchange(&worker->Job, NoJob, NoJob);
        if (job == QuitJob) {
            break;
        }
        // Nothing may leave the thread procedure: a job that runs out of memory has failed.
        try {
            if (job == OpenJob) {
                worker->Result = ReachFolderView(worker->DefView, worker->ExpectedCount, &worker->Progress,
                                                 &worker->View, worker->Items);
            } else if (job == ReadJob) {
                worker->Result =
                    ReadFolderViewItems(worker->View, worker->Items, worker->Icons, &worker->Progress);
            } else if (job == MoveJob) {
                worker->Result = PositionFolderViewItems(worker->View, worker->Items, worker->Moves);
            }
        } catch (...) {
            worker->Result = false;
        }
        SetEvent(worker->JobDone);
    }
    FreeItems(worker->Items);
    if (worker->View != nullptr) {
        worker->View->Release();
        worker->View = nullptr;
    }
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    ReleaseWorker(worker);
    return 0;
}

enum class TJobOutcome { Done, Failed, TimedOut };

// Hands a job to the thread and waits while the shell keeps answering: the job is given up when no
// call has been answered for `patienceMs`.
TJobOutcome RunJob(TFolderViewWorker* worker, LONG job, DWORD patienceMs = ShellTimeoutMs) {
    InterlockedExchange(&worker->Job, job);
    SetEvent(worker->JobReady);
    LONG seen = InterlockedCompareExchange(&worker->Progress, 0, 0);
    for (;;) {
        if (WaitForSingleObject(worker->JobDone, patienceMs) == WAIT_OBJECT_0) {
            return worker->Result ? TJobOutcome::Done : TJobOutcome::Failed;
        }
        const LONG now = InterlockedCompareExchange(&worker->Progress, 0, 0);
        if (now == seen) {
            return TJobOutcome::TimedOut;
        }
        seen = now;
    }
}

// Lets the thread go: it ends after its current call, or at once when it waits for a job.
void StopWorker(TDesktopSession& session, bool wait) {
    TFolderViewWorker* worker = session.FolderView;
    session.FolderView = nullptr;
    InterlockedExchange(&worker->Job, QuitJob);
    SetEvent(worker->JobReady);
    if (wait) {
        // Releasing the folder view is a call to the shell too; it gets the same time.
        WaitForSingleObject(worker->Thread, ShellTimeoutMs);
    }
    CloseHandle(worker->Thread);
    ReleaseWorker(worker);
}

} // namespace

bool ReadFolderViewItems(IFolderView* view, const std::vector<void*>& items,
                         std::vector<TCapturedIcon>& icons, volatile LONG* progress) {
    icons.clear();
    TComPtr<IShellFolder> folder;
    if (view == nullptr || FAILED(view->GetFolder(IID_IShellFolder, folder.putVoid()))) {
        return false;
    }
    icons.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const auto item = static_cast<PCUITEMID_CHILD>(items[i]);
        POINT position = {};
        if (FAILED(view->GetItemPosition(item, &position))) {
            icons.clear();
            return false;
        }
        TCapturedIcon icon;
        const bool named = DisplayName(folder.get(), item, icon.Caption);
        if (progress != nullptr) {
            InterlockedIncrement(progress);
        }
        if (!named) {
            continue;
        }
        icon.Index = static_cast<int32_t>(i);
        icon.X = position.x;
        icon.Y = position.y;
        icons.push_back(std::move(icon));
    }
    return true;
}

bool PositionFolderViewItems(IFolderView* view, const std::vector<void*>& items,
                             const std::vector<TIconMove>& moves) {
    if (view == nullptr) {
        return false;
    }
    std::vector<PCUITEMID_CHILD> ids;
    std::vector<POINT> points;
    ids.reserve(moves.size());
    points.reserve(moves.size());
    for (const TIconMove& move : moves) {
        if (move.Index < 0 || static_cast<size_t>(move.Index) >= items.size()) {
            return false;
        }
        ids.push_back(static_cast<PCUITEMID_CHILD>(items[static_cast<size_t>(move.Index)]));
        points.push_back(POINT{move.X, move.Y});
    }
    return SUCCEEDED(view->SelectAndPositionItems(static_cast<UINT>(ids.size()), ids.data(), points.data(),
                                                  SVSI_POSITIONITEM | SVSI_NOSTATECHANGE));
}

bool OpenFolderView(TDesktopSession& session) {
    CloseFolderView(session);
    if (!ShellNeedsFolderView()) {
        return false;
    }
    auto* worker = new (std::nothrow) TFolderViewWorker;
    if (worker == nullptr) {
        return false;
    }
    worker->DefView = session.Shell.Location.DefView;
    worker->ExpectedCount = DesktopItemCount(session.Shell);
    worker->JobReady = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    worker->JobDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (worker->JobReady != nullptr && worker->JobDone != nullptr) {
        worker->Thread = CreateThread(nullptr, 0, FolderViewThread, worker, 0, nullptr);
    }
    if (worker->Thread == nullptr) {
        worker->Refs = 1;
        ReleaseWorker(worker);
        return false;
    }
    session.FolderView = worker;
    // A shell that does not get there in time is left to the list-view messages, which tell whether
    // it answers at all.
    const TJobOutcome outcome = RunJob(worker, OpenJob);
    if (outcome != TJobOutcome::Done) {
        StopWorker(session, outcome != TJobOutcome::TimedOut);
        return false;
    }
    return true;
}

void CloseFolderView(TDesktopSession& session) {
    if (session.FolderView != nullptr) {
        StopWorker(session, !session.Shell.NotResponding);
    }
}

bool ReadFolderViewIcons(TDesktopSession& session, std::vector<TCapturedIcon>& icons) {
    icons.clear();
    if (session.FolderView == nullptr) {
        return false;
    }
    const TJobOutcome outcome = RunJob(session.FolderView, ReadJob);
    if (outcome == TJobOutcome::TimedOut) {
        session.Shell.NotResponding = true;
        StopWorker(session, false);
        return false;
    }
    icons = std::move(session.FolderView->Icons);
    session.FolderView->Icons.clear();
    return outcome == TJobOutcome::Done;
}

bool MoveFolderViewIcons(TDesktopSession& session, const std::vector<TIconMove>& moves) {
    if (session.FolderView == nullptr) {
        return false;
    }
    session.FolderView->Moves = moves;
    // All moves are one call: the shell gets a millisecond per icon on top of the usual time.
    const TJobOutcome outcome =
        RunJob(session.FolderView, MoveJob, ShellTimeoutMs + static_cast<DWORD>(moves.size()));
    if (outcome == TJobOutcome::TimedOut) {
        session.Shell.NotResponding = true;
        StopWorker(session, false);
        return false;
    }
    return outcome == TJobOutcome::Done;
}
