#include "Desktop.h"

#include <commctrl.h>

#include "Text.h"

namespace kvhost {
namespace {

const wchar_t kProgmanClass[] = L"Progman";
const wchar_t kProgmanTitle[] = L"Program Manager";
const wchar_t kDefViewClass[] = L"SHELLDLL_DefView";

// Fixture-mode view windows keep their list view filling them; a view window with an
// explicit rectangle is left where the fixture put it.
bool g_viewFollowsParent = true;

RECT VirtualScreen() {
    RECT rect;
    rect.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    rect.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width == 0 || height == 0) {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

void FillParent(HWND child) {
    RECT client;
    if (child != nullptr && GetClientRect(GetParent(child), &client))
        MoveWindow(child, 0, 0, client.right, client.bottom, TRUE);
}

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8).value_or(u"");
    return std::wstring(text.begin(), text.end());
}

std::string LastErrorText(const char* what) {
    return std::string(what) + " failed, error " + std::to_string(GetLastError());
}

// Progman and the worker window: hold the view; Progman also takes the view commands.
LRESULT CALLBACK DesktopFrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DesktopState& desktop = Desktop();
    switch (message) {
    case WM_COMMAND:
        if (window == desktop.progman) {
            desktop.commandLog.push_back(CommandRecord{wParam, lParam});
            ApplyViewCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_SIZE:
        if (desktop.defView != nullptr && GetParent(desktop.defView) == window &&
            (desktop.shellMode || g_viewFollowsParent))
            FillParent(desktop.defView);
        return 0;
    case WM_CLOSE:
        // Ends the host through its message loop, exactly like a quit request.
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Our own view window in fixture mode: keeps its list view filling it.
LRESULT CALLBACK DefViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        FillParent(FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HBRUSH background,
                         std::string& error) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (RegisterClassExW(&wc) == 0) {
        error = LastErrorText("RegisterClassExW");
        return false;
    }
    return true;
}

HWND CreateDesktopFrame(HINSTANCE instance, const wchar_t* className, const wchar_t* title,
                        std::string& error) {
    const RECT screen = VirtualScreen();
    HWND window = CreateWindowExW(0, className, title, WS_POPUP | WS_CLIPCHILDREN, screen.left, screen.top,
                                  screen.right - screen.left, screen.bottom - screen.top, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr)
        error = LastErrorText("CreateWindowExW of a desktop window");
    return window;
}

HIMAGELIST CreateIconImages() {
    const int size = GetSystemMetrics(SM_CXICON);
    HIMAGELIST images = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 3, 0);
    if (images != nullptr) {
        ImageList_AddIcon(images, LoadIcon(nullptr, IDI_APPLICATION));
        ImageList_AddIcon(images, LoadIcon(nullptr, IDI_INFORMATION));
        ImageList_AddIcon(images, LoadIcon(nullptr, IDI_WARNING));
    }
    return images;
}

// Wine's list view computes its item metrics on the first paint that finds items and arranges
// all icons then. Painting once into a memory DC right after insertion gets that over with, so
// that the positions set afterwards survive the window being shown.
void PaintOnce(HWND listView) {
    HDC screen = GetDC(listView);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 1, 1);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    SendMessageW(listView, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(listView, screen);
}

bool FillListView(HWND listView, const Fixture& fixture, std::string& error) {
    SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
    const int imageCount = 3;
    const int count = static_cast<int>(fixture.items.size());
    for (int index = 0; index < count; ++index) {
        LVITEMW lvItem = {};
        lvItem.mask = LVIF_TEXT | LVIF_IMAGE;
        lvItem.iItem = index;
        lvItem.iImage = index % imageCount;
        lvItem.pszText =
            const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(fixture.items[index].caption.c_str()));
        if (SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&lvItem)) != index) {
            error = "inserting item " + std::to_string(index) + " failed";
            return false;
        }
    }
    if (count > 0)
        PaintOnce(listView);
    // Positions are set after insertion, with auto-arrange and snap-to-grid still off, so that
    // the list view keeps them exactly.
    for (int index = 0; index < count; ++index) {
        POINT position = {fixture.items[index].x, fixture.items[index].y};
        if (!SendMessageW(listView, LVM_SETITEMPOSITION32, index, reinterpret_cast<LPARAM>(&position))) {
            error = "positioning item " + std::to_string(index) + " failed";
            return false;
        }
    }
    if (fixture.snapToGrid)
        ApplyViewCommand(0x7052);
    if (fixture.autoArrange)
        ApplyViewCommand(0x7051);
    SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, nullptr, TRUE);
    return true;
}

} // namespace

DesktopState& Desktop() {
    static DesktopState state;
    return state;
}

bool RegisterDesktopClasses(HINSTANCE instance, const Fixture* fixture, std::string& error) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    HBRUSH background = GetSysColorBrush(COLOR_BACKGROUND);
    if (!RegisterWindowClass(instance, kProgmanClass, DesktopFrameProc, background, error))
        return false;
    if (fixture == nullptr) // the shell registers its own view class
        return true;
    return (!fixture->worker || RegisterWindowClass(instance, Wide(fixture->workerClass).c_str(),
                                                    DesktopFrameProc, background, error)) &&
           RegisterWindowClass(instance, kDefViewClass, DefViewProc, nullptr, error);
}

bool CreateProgman(HINSTANCE instance, std::string& error) {
    Desktop().progman = CreateDesktopFrame(instance, kProgmanClass, kProgmanTitle, error);
    return Desktop().progman != nullptr;
}

bool BuildFixtureDesktop(HINSTANCE instance, const Fixture& fixture, std::string& error) {
    DesktopState& desktop = Desktop();
    if (fixture.noView)
        return true;

    HWND parent = desktop.progman;
    if (fixture.worker) {
        const std::wstring workerClass = Wide(fixture.workerClass);
        desktop.worker = CreateDesktopFrame(instance, workerClass.c_str(), L"", error);
        if (desktop.worker == nullptr)
            return false;
        parent = desktop.worker;
    }

    RECT client;
    GetClientRect(parent, &client);
    RECT view = client;
    if (fixture.viewRect) {
        g_viewFollowsParent = false;
        view = RECT{fixture.viewRect->x, fixture.viewRect->y, fixture.viewRect->x + fixture.viewRect->width,
                    fixture.viewRect->y + fixture.viewRect->height};
    }
    desktop.defView =
        CreateWindowExW(0, kDefViewClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, view.left, view.top,
                        view.right - view.left, view.bottom - view.top, parent, nullptr, instance, nullptr);
    if (desktop.defView == nullptr) {
        error = LastErrorText("CreateWindowExW of the view window");
        return false;
    }
    if (fixture.noListView)
        return true;

    GetClientRect(desktop.defView, &client);
    desktop.listView =
        CreateWindowExW(0, WC_LISTVIEWW, L"FolderView",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | LVS_ICON | LVS_SHOWSELALWAYS, 0, 0,
                        client.right, client.bottom, desktop.defView, nullptr, instance, nullptr);
    if (desktop.listView == nullptr) {
        error = LastErrorText("CreateWindowExW of the list view");
        return false;
    }
    SendMessageW(desktop.listView, LVM_SETIMAGELIST, LVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(CreateIconImages()));
    const COLORREF background = GetSysColor(COLOR_BACKGROUND);
    SendMessageW(desktop.listView, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(background));
    SendMessageW(desktop.listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(background));
    SendMessageW(desktop.listView, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(RGB(255, 255, 255)));
    return FillListView(desktop.listView, fixture, error);
}

void ShowDesktopWindows() {
    DesktopState& desktop = Desktop();
    ShowWindow(desktop.progman, SW_SHOWNOACTIVATE);
    UpdateWindow(desktop.progman);
    if (desktop.worker != nullptr) {
        ShowWindow(desktop.worker, SW_SHOWNOACTIVATE);
        // The worker window lies directly in front of Progman, as the shell arranges them when it
        // has moved the view out of Progman.
        SetWindowPos(desktop.worker, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetWindowPos(desktop.progman, desktop.worker, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        UpdateWindow(desktop.worker);
    }
}

void ApplyViewCommand(WORD id) {
    HWND listView = Desktop().listView;
    if (listView == nullptr)
        return;
    switch (id) {
    case 0x7041: // auto arrange (Windows NT 4 / 9x ids, then 2000/XP, then Vista)
    case 0x7051:
    case 0x7071: {
        const LONG_PTR style = GetWindowLongPtrW(listView, GWL_STYLE) ^ LVS_AUTOARRANGE;
        SetWindowLongPtrW(listView, GWL_STYLE, style);
        if (style & LVS_AUTOARRANGE)
            SendMessageW(listView, LVM_ARRANGE, LVA_DEFAULT, 0);
        break;
    }
    case 0x7042: // align to grid
    case 0x7052:
    case 0x7054:
    case 0x7074: {
        const LRESULT exStyle = SendMessageW(listView, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
        SendMessageW(listView, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_SNAPTOGRID, exStyle ^ LVS_EX_SNAPTOGRID);
        break;
    }
    default: // icon sizes (0x7050, 0x704E, 0x704F) and anything else: only logged
        break;
    }
}

} // namespace kvhost
