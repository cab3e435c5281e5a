#include "FolderViewServer.h"

#include <commctrl.h>
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "ComStubs.h"
#include "Desktop.h"
#include "Hang.h"

namespace kvhost {
namespace {

// The class under which the host's shell windows are registered; CLSID_ShellWindows is treated as it.
// {4B564853-6456-4F42-8A11-5348454C4C57}
const CLSID kHostShellWindowsClsid = {
    0x4b564853, 0x6456, 0x4f42, {0x8a, 0x11, 0x53, 0x48, 0x45, 0x4c, 0x4c, 0x57}};
const wchar_t kTreatAsKey[] = L"Software\\Classes\\CLSID\\{9BA05972-F6A8-11CF-A442-00A0C90A8F39}\\TreatAs";
const wchar_t kHostClassText[] = L"{4B564853-6456-4F42-8A11-5348454C4C57}";

WNDPROC g_listViewProc = nullptr;
MoveCounts g_moves;
bool g_ownMove = false; // the host itself moves an icon (a control request, the served interface)
DWORD g_classCookie = 0;
bool g_treatAsWritten = false;

LRESULT CALLBACK CountingListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Another process's messages arrive as sent messages; the host's own moves are marked.
    if ((message == LVM_SETITEMPOSITION || message == LVM_SETITEMPOSITION32) && InSendMessage() && !g_ownMove)
        ++g_moves.byMessages;
    return CallWindowProcW(g_listViewProc, window, message, wParam, lParam);
}

// Item ids of this host are one SHITEMID of three bytes: cb and the list-view index. Wine's proxies
// carry an ITEMIDLIST as the fixed structure (cb and the first byte of abID), so more would not cross
// the process boundary; the host therefore serves at most kMaxServedItems items.
constexpr int kMaxServedItems = 256;

int ServedItemCount() {
    const int count = static_cast<int>(SendMessageW(Desktop().listView, LVM_GETITEMCOUNT, 0, 0));
    return count < kMaxServedItems ? count : kMaxServedItems;
}

// The list-view index an item id of this host stands for, or -1.
int ItemIndex(PCUITEMID_CHILD item) {
    if (item == nullptr || item->mkid.cb != 3)
        return -1;
    const int index = item->mkid.abID[0];
    return index < ServedItemCount() ? index : -1;
}

PITEMID_CHILD NewItemId(int index) {
    // The SHITEMID (cb 3, the index) and the terminating zero cb.
    auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(5));
    if (bytes == nullptr)
        return nullptr;
    const BYTE id[5] = {3, 0, static_cast<BYTE>(index), 0, 0};
    std::memcpy(bytes, id, sizeof id);
    return reinterpret_cast<PITEMID_CHILD>(bytes);
}

// The objects live as long as the process: reference counts are not kept.
#define KV_STATIC_UNKNOWN                                                                                    \
    ULONG STDMETHODCALLTYPE AddRef() override {                                                              \
        return 2;                                                                                            \
    }                                                                                                        \
    ULONG STDMETHODCALLTYPE Release() override {                                                             \
        return 1;                                                                                            \
    }

template <typename T>
HRESULT Hand(T* object, void** out) {
    *out = object;
    return S_OK;
}

// Names the items: the caption the list view holds.
class TDesktopFolder final : public IShellFolder {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder))
            return Hand(static_cast<IShellFolder*>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    KV_STATIC_UNKNOWN

    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF, STRRET* name) override {
        const int index = ItemIndex(item);
        if (name == nullptr || index < 0)
            return E_INVALIDARG;
        wchar_t text[260] = {};
        LVITEMW lvItem = {};
        lvItem.iSubItem = 0;
        lvItem.pszText = text;
        lvItem.cchTextMax = 260;
        const LRESULT length = SendMessageW(Desktop().listView, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(&lvItem));
        const size_t bytes = (static_cast<size_t>(length) + 1) * sizeof(wchar_t);
        name->uType = STRRET_WSTR;
        name->pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        if (name->pOleStr == nullptr)
            return E_OUTOFMEMORY;
        std::memcpy(name->pOleStr, text, bytes);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*,
                                               ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE, PCUIDLIST_RELATIVE) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, PCUITEMID_CHILD_ARRAY, SFGAOF*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*,
                                            void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }
} g_folder;

// The desktop's view: its window and its positioning interface over the list view. Positions are
// the list view's item positions (upper-left corners in its client area), as the shell's are.
class TDesktopView final : public IShellView, public IFolderView {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
            IsEqualIID(iid, IID_IShellView))
            return Hand(static_cast<IShellView*>(this), object);
        if (IsEqualIID(iid, IID_IFolderView))
            return Hand(static_cast<IFolderView*>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    KV_STATIC_UNKNOWN

    // IOleWindow, IShellView
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr)
            return E_POINTER;
        *window = Desktop().defView;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UIActivate(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Refresh() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser*, RECT*,
                                               HWND*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DestroyViewWindow() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCurrentInfo(LPFOLDERSETTINGS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SaveViewState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(PCUITEMID_CHILD, SVSIF) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemObject(UINT, REFIID, void**) override { return E_NOTIMPL; }

    // IFolderView
    HRESULT STDMETHODCALLTYPE GetFolder(REFIID iid, void** object) override {
        return g_folder.QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE ItemCount(UINT, int* count) override {
        if (count == nullptr)
            return E_POINTER;
        // A view of more items than can be served says so by a count that does not match the list view.
        *count = ServedItemCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(int index, PITEMID_CHILD* item) override {
        if (item == nullptr)
            return E_POINTER;
        *item = nullptr;
        if (index < 0 || index >= ServedItemCount())
            return E_INVALIDARG;
        *item = NewItemId(index);
        return *item != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE GetItemPosition(PCUITEMID_CHILD item, POINT* position) override {
        const int index = ItemIndex(item);
        if (position == nullptr || index < 0)
            return E_INVALIDARG;
        return SendMessageW(Desktop().listView, LVM_GETITEMPOSITION, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(position))
                   ? S_OK
                   : E_FAIL;
    }
    // Places the items (SVSI_POSITIONITEM) with one repaint; the selection flags are not played.
    HRESULT STDMETHODCALLTYPE SelectAndPositionItems(UINT count, PCUITEMID_CHILD_ARRAY items, POINT* places,
                                                     DWORD flags) override {
        if (count > 0 && items == nullptr)
            return E_INVALIDARG;
        if ((flags & SVSI_POSITIONITEM) == 0 || places == nullptr)
            return S_OK;
        for (UINT i = 0; i < count; ++i) {
            if (ItemIndex(items[i]) < 0)
                return E_INVALIDARG;
        }
        HangIfArmedForPositioning();
        HWND listView = Desktop().listView;
        SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
        for (UINT i = 0; i < count; ++i) {
            MoveItemAsHost(ItemIndex(items[i]), places[i]);
            ++g_moves.byFolderView;
        }
        SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(listView, nullptr, TRUE);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetCurrentViewMode(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetCurrentViewMode(UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Items(UINT, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectionMarkedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFocusedItem(int*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDefaultSpacing(POINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAutoArrange() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectItem(int, DWORD) override { return E_NOTIMPL; }
} g_view;

// The desktop's browser, as FindWindowSW hands it out: an automation object whose top-level
// browser service is itself, with the desktop view as its active view.
class TDesktopBrowser final : public NoAutomation<IDispatch>,
                              public IServiceProvider,
                              public DecliningShellBrowser {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
            return Hand(static_cast<IDispatch*>(this), object);
        if (IsEqualIID(iid, IID_IServiceProvider))
            return Hand(static_cast<IServiceProvider*>(this), object);
        if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IShellBrowser))
            return Hand(static_cast<IShellBrowser*>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    KV_STATIC_UNKNOWN

    // IServiceProvider
    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        return IsEqualGUID(service, SID_STopLevelBrowser) ? QueryInterface(iid, object) : E_NOINTERFACE;
    }

    // IOleWindow, IShellBrowser
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr)
            return E_POINTER;
        *window = Desktop().progman;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override {
        if (view == nullptr)
            return E_POINTER;
        *view = static_cast<IShellView*>(&g_view);
        return S_OK;
    }
} g_browser;

// The shell windows: they know one window, the desktop.
class TShellWindows final : public NoAutomation<IShellWindows> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, IID_IShellWindows))
            return Hand(static_cast<IShellWindows*>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    KV_STATIC_UNKNOWN

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0; // the desktop is not among the enumerated windows
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT, IDispatch** folder) override {
        if (folder != nullptr)
            *folder = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Register(IDispatch*, LONG, int, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT*, VARIANT*, int windowClass, LONG* window, int options,
                                           IDispatch** found) override {
        if (window == nullptr || found == nullptr)
            return E_POINTER;
        *found = nullptr;
        *window = 0;
        if (windowClass != SWC_DESKTOP)
            return S_FALSE;
        *window = static_cast<LONG>(reinterpret_cast<LONG_PTR>(Desktop().progman));
        if ((options & SWFO_NEEDDISPATCH) != 0)
            *found = static_cast<IDispatch*>(&g_browser);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return E_NOTIMPL; }
} g_shellWindows;

class TShellWindowsFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory))
            return Hand(static_cast<IClassFactory*>(this), object);
        *object = nullptr;
        return E_NOINTERFACE;
    }
    KV_STATIC_UNKNOWN
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        return outer != nullptr ? CLASS_E_NOAGGREGATION : g_shellWindows.QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
} g_factory;

// The TreatAs value in both registry views (a 32-bit Kavrilon reads the 32-bit one).
bool WriteTreatAs(REGSAM view) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTreatAsKey, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kHostClassText),
                                       sizeof kHostClassText);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

void DeleteTreatAs(REGSAM view) {
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
    const auto deleteKeyEx = reinterpret_cast<DeleteKeyEx>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"advapi32.dll"), "RegDeleteKeyExW")));
    if (deleteKeyEx != nullptr)
        deleteKeyEx(HKEY_LOCAL_MACHINE, kTreatAsKey, view, 0);
    else
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTreatAsKey);
}

} // namespace

void WatchListViewMoves(HWND listView) {
    if (listView != nullptr && g_listViewProc == nullptr) {
        g_listViewProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingListViewProc)));
    }
}

MoveCounts CountedMoves() {
    return g_moves;
}

bool MoveItemAsHost(int index, POINT position) {
    g_ownMove = true;
    const bool moved = SendMessageW(Desktop().listView, LVM_SETITEMPOSITION32, static_cast<WPARAM>(index),
                                    reinterpret_cast<LPARAM>(&position)) != FALSE;
    g_ownMove = false;
    return moved;
}

bool StartFolderViewServer(std::string& error) {
    const HRESULT result = CoRegisterClassObject(kHostShellWindowsClsid, &g_factory, CLSCTX_LOCAL_SERVER,
                                                 REGCLS_MULTIPLEUSE, &g_classCookie);
    if (FAILED(result)) {
        g_classCookie = 0;
        error = "CoRegisterClassObject of the shell windows failed";
        return false;
    }
    g_treatAsWritten = true;
    if (!WriteTreatAs(KEY_WOW64_64KEY) || !WriteTreatAs(KEY_WOW64_32KEY)) {
        error = "cannot point CLSID_ShellWindows at the host (HKLM TreatAs)";
        StopFolderViewServer();
        return false;
    }
    return true;
}

void StopFolderViewServer() {
    if (g_treatAsWritten) {
        DeleteTreatAs(KEY_WOW64_64KEY);
        DeleteTreatAs(KEY_WOW64_32KEY);
        g_treatAsWritten = false;
    }
    if (g_classCookie != 0) {
        CoRevokeClassObject(g_classCookie);
        g_classCookie = 0;
    }
}

} // namespace kvhost
