#include "FolderViewAccess.h"

#include <windows.h>
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "AppGlobals.h"
#include "DesktopLocate.h"
#include "ItemAccess.h"
#include "ItemRecords.h"

namespace {

// Releases a COM interface when it leaves scope.
template <typename T>
struct TComPtr {
    T* Ptr = nullptr;
    TComPtr() = default;
    TComPtr(const TComPtr&) = delete;
    TComPtr& operator=(const TComPtr&) = delete;
    ~TComPtr() {
        if (Ptr != nullptr) {
            Ptr->Release();
        }
    }
    T** Out() { return &Ptr; }
    void** OutVoid() { return reinterpret_cast<void**>(&Ptr); }
    T* operator->() const { return Ptr; }
    T* Detach() {
        T* ptr = Ptr;
        Ptr = nullptr;
        return ptr;
    }
};

// The active shell view of the desktop's top-level browser, when the shell windows know a desktop.
bool FindDesktopShellView(IShellView** view) {
    TComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                windows.OutVoid()))) {
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
    if (windows->FindWindowSW(&location, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, dispatch.Out()) !=
            S_OK ||
        dispatch.Ptr == nullptr) {
        return false;
    }
    TComPtr<IServiceProvider> provider;
    TComPtr<IShellBrowser> browser;
    return SUCCEEDED(dispatch->QueryInterface(IID_IServiceProvider, provider.OutVoid())) &&
           SUCCEEDED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) &&
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
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!IsNTPlatform || !GetVersionExA(&version)) {
        return false;
    }
    return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 2);
}

} // namespace

bool OpenFolderView(TDesktopSession& session) {
    CloseFolderView(session);
    if (!ShellNeedsFolderView()) {
        return false;
    }
    TComPtr<IShellView> view;
    if (!FindDesktopShellView(view.Out())) {
        return false;
    }
    // Only the view whose list view was found: the shell may know another desktop than the one
    // whose icons are read (another session's Explorer, a stand-in).
    HWND viewWindow = nullptr;
    if (FAILED(view->GetWindow(&viewWindow)) || viewWindow != DefViewWindow) {
        return false;
    }
    TComPtr<IFolderView> folderView;
    int count = 0;
    if (FAILED(view->QueryInterface(IID_IFolderView, folderView.OutVoid())) ||
        FAILED(folderView->ItemCount(SVGIO_ALLVIEW, &count)) || count <= 0 || count != DesktopItemCount()) {
        return false;
    }
    std::vector<void*> items;
    items.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        PITEMID_CHILD item = nullptr;
        if (FAILED(folderView->Item(i, &item)) || item == nullptr) {
            FreeItems(items);
            return false;
        }
        items.push_back(item);
    }
    // Views that cannot report positions (E_NOTIMPL) are left to the list-view messages.
    POINT position = {};
    if (FAILED(folderView->GetItemPosition(static_cast<PCUITEMID_CHILD>(items.front()), &position))) {
        FreeItems(items);
        return false;
    }
    session.FolderView = folderView.Detach();
    session.FolderItems = std::move(items);
    return true;
}

void CloseFolderView(TDesktopSession& session) {
    FreeItems(session.FolderItems);
    if (session.FolderView != nullptr) {
        session.FolderView->Release();
        session.FolderView = nullptr;
    }
}

bool ReadFolderViewIcons(TDesktopSession& session, std::vector<TCapturedIcon>& icons) {
    icons.clear();
    TComPtr<IShellFolder> folder;
    if (session.FolderView == nullptr ||
        FAILED(session.FolderView->GetFolder(IID_IShellFolder, folder.OutVoid()))) {
        return false;
    }
    icons.reserve(session.FolderItems.size());
    for (size_t i = 0; i < session.FolderItems.size(); ++i) {
        const auto item = static_cast<PCUITEMID_CHILD>(session.FolderItems[i]);
        POINT position = {};
        if (FAILED(session.FolderView->GetItemPosition(item, &position))) {
            icons.clear();
            return false;
        }
        TCapturedIcon icon;
        if (!DisplayName(folder.Ptr, item, icon.Caption)) {
            continue;
        }
        icon.Index = static_cast<int32_t>(i);
        icon.X = position.x;
        icon.Y = position.y;
        icons.push_back(std::move(icon));
    }
    return true;
}

bool MoveFolderViewIcons(TDesktopSession& session, const std::vector<TIconMove>& moves) {
    if (session.FolderView == nullptr) {
        return false;
    }
    std::vector<PCUITEMID_CHILD> items;
    std::vector<POINT> points;
    items.reserve(moves.size());
    points.reserve(moves.size());
    for (const TIconMove& move : moves) {
        if (move.Index < 0 || static_cast<size_t>(move.Index) >= session.FolderItems.size()) {
            return false;
        }
        items.push_back(static_cast<PCUITEMID_CHILD>(session.FolderItems[static_cast<size_t>(move.Index)]));
        points.push_back(POINT{move.X, move.Y});
    }
    return SUCCEEDED(session.FolderView->SelectAndPositionItems(static_cast<UINT>(items.size()), items.data(),
                                                                points.data(),
                                                                SVSI_POSITIONITEM | SVSI_NOSTATECHANGE));
}
