#include "ShellView.h"

#include <shlobj.h>

#include "ComStubs.h"
#include "Desktop.h"

namespace kvhost {
namespace {

// The least a view needs from its browser: the frame window and the active view. Everything
// about menus, toolbars, status bar and navigation is declined.
class MinimalShellBrowser final : public DecliningShellBrowser {
public:
    explicit MinimalShellBrowser(HWND frame) : frame_(frame) {}

    void SetView(IShellView* view) { view_ = view; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) ||
            IsEqualIID(iid, IID_IShellBrowser)) {
            *object = static_cast<IShellBrowser*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0)
            delete this;
        return static_cast<ULONG>(refs);
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (window == nullptr)
            return E_POINTER;
        *window = frame_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override {
        if (view == nullptr)
            return E_POINTER;
        *view = view_;
        if (view_ == nullptr)
            return E_FAIL;
        view_->AddRef();
        return S_OK;
    }

private:
    LONG refs_ = 1;
    HWND frame_;
    IShellView* view_ = nullptr; // not owned: the view holds a reference to the browser
};

MinimalShellBrowser* g_browser = nullptr;
IShellView* g_view = nullptr;

std::string HresultText(const char* what, HRESULT result) {
    char text[16];
    wsprintfA(text, "0x%08lx", static_cast<unsigned long>(result));
    return std::string(what) + " failed, " + text;
}

} // namespace

bool CreateShellView(std::string& error) {
    DesktopState& desktop = Desktop();
    IShellFolder* desktopFolder = nullptr;
    HRESULT result = SHGetDesktopFolder(&desktopFolder);
    if (FAILED(result)) {
        error = HresultText("SHGetDesktopFolder", result);
        return false;
    }
    result =
        desktopFolder->CreateViewObject(desktop.progman, IID_IShellView, reinterpret_cast<void**>(&g_view));
    desktopFolder->Release();
    if (FAILED(result)) {
        error = HresultText("IShellFolder::CreateViewObject", result);
        return false;
    }

    g_browser = new MinimalShellBrowser(desktop.progman);
    g_browser->SetView(g_view);
    FOLDERSETTINGS settings = {FVM_ICON, FWF_DESKTOP | FWF_NOCLIENTEDGE};
    RECT client;
    GetClientRect(desktop.progman, &client);
    HWND viewWindow = nullptr;
    result = g_view->CreateViewWindow(nullptr, &settings, g_browser, &client, &viewWindow);
    if (FAILED(result) || viewWindow == nullptr) {
        error = HresultText("IShellView::CreateViewWindow", result);
        return false;
    }
    desktop.defView = viewWindow;
    MoveWindow(viewWindow, 0, 0, client.right, client.bottom, TRUE);
    desktop.listView = FindWindowExW(viewWindow, nullptr, L"SysListView32", nullptr);
    if (desktop.listView == nullptr) {
        error = "the shell's view has no list view";
        return false;
    }
    return true;
}

void ReleaseShellView() {
    if (g_view != nullptr) {
        g_view->DestroyViewWindow();
        g_view->Release();
        g_view = nullptr;
    }
    if (g_browser != nullptr) {
        g_browser->SetView(nullptr);
        g_browser->Release();
        g_browser = nullptr;
    }
    Desktop().defView = nullptr;
    Desktop().listView = nullptr;
}

} // namespace kvhost
