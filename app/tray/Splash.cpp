#include "Splash.h"

#include <shellapi.h>

#include <cmath>

#include "BackupArchive.h"
#include "CallbackBarrier.h"
#include "KavrilonNames.h"
#include "KavrilonVersion.h"
#include "ProcessState.h"
#include "WinHandles.h"

HWND SplashWindow = nullptr;
HWND AboutOwner = nullptr;

namespace {

// The areas of the two link texts, computed by every paint and hit-tested by the mouse messages.
TSplashLinks LinkAreas = {};

// Set while the window is being destroyed: the loss of activation that the destruction itself
// causes must not destroy it a second time.
bool SplashClosing = false;

constexpr COLORREF TitleColour = RGB(255, 255, 255);
constexpr COLORREF ShadowColour = RGB(100, 100, 100);
constexpr COLORREF NoticeColour = RGB(50, 50, 50);
constexpr COLORREF LinkColour = RGB(51, 102, 255);
constexpr COLORREF FrameColour = RGB(150, 150, 150);
constexpr int ShadowOffset = 3;

// One line of the window, top to bottom.
struct TSplashLine {
    const char* Text;
    const char* Face;
    int Height;
    int Weight;
    COLORREF Colour;
    int Gap; // pixels above the line: from the top edge for the first, else from the line before
};

HFONT MakeFont(const TSplashLine& line) {
    return CreateFontA(line.Height, 0, 0, 0, line.Weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, line.Face);
}

bool Inside(const RECT& rect, int x, int y) {
    const POINT point = {x, y};
    return PtInRect(&rect, point) != FALSE;
}

void OpenLink(const std::string& target) {
    // A missing browser or mail program is not reported; the window stays until clicked.
    ShellExecuteA(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOW);
}

void CentreOnScreen(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, TRUE);
}

void CloseSplash(HWND window) {
    if (!SplashClosing) {
        SplashClosing = true;
        DestroyWindow(window);
    }
}

void SplashDestroyed(HWND window) {
    const HWND owner = GetParent(window);
    EnableWindow(owner, TRUE);
    SetFocus(owner);
    // Closing the splash or about screen of the tray window asks for a first primary layout.
    if (!PortableMode && owner == OwnerWindow && !PrimaryExists(ResolutionKey())) {
        PostMessageA(OwnerWindow, TrayFirstRunMessage, 0, 0);
    }
    SplashWindow = nullptr;
}

} // namespace

TSplashLinks SplashLinkAreas() {
    return LinkAreas;
}

int SplashWidth() {
    if (!RunningWindows.IsNTPlatform) {
        return 290;
    }
    return RunningWindows.IsWindows2000OrLater ? 260 : 270;
}

HWND ShowSplash(HWND owner) {
    SplashWindow =
        CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TrayWindowClassName, "", WS_POPUP, 0, 0,
                        SplashWidth(), SplashHeight, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    return SplashWindow;
}

void ShowAbout() {
    if (SplashWindow != nullptr) {
        SetForegroundWindow(SplashWindow);
        BringWindowToTop(SplashWindow);
        return;
    }
    const HWND window = ShowSplash(AboutOwner);
    if (window != nullptr) {
        ShowWindow(window, SW_SHOWNORMAL);
    }
}

void CALLBACK SplashTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
    CallbackBarrier([timer] {
        KillTimer(nullptr, timer);
        if (SplashWindow != nullptr) {
            SendMessageA(SplashWindow, WM_CLOSE, 0, 0);
        }
    });
}

COLORREF SplashGradientColour(int y, int height) {
    // Rounded to the nearest integer, halves to even (the default floating-point rounding).
    const auto component = [y, height](int top, int span) {
        return static_cast<BYTE>(std::nearbyint(top + static_cast<double>(y) * span / height));
    };
    return RGB(component(51, 204), component(102, 153), 255);
}

void PaintSplash(HDC dc, HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;

    TUniqueMemoryDC memory(CreateCompatibleDC(dc));
    TUniqueGdiObject bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !bitmap) {
        return;
    }
    const HGDIOBJ oldBitmap = SelectObject(memory.get(), bitmap.get());
    const HGDIOBJ oldPen = GetCurrentObject(memory.get(), OBJ_PEN);
    const HGDIOBJ oldFont = GetCurrentObject(memory.get(), OBJ_FONT);
    // Deselects before the guards above delete: this runs first because it is declared last.
    TScopeExit deselect([&] {
        SelectObject(memory.get(), oldPen);
        SelectObject(memory.get(), oldFont);
        SelectObject(memory.get(), oldBitmap);
    });

    for (int y = 0; y <= height; ++y) {
        TUniqueGdiObject pen(CreatePen(PS_SOLID, 1, SplashGradientColour(y, height)));
        SelectObject(memory.get(), pen.get());
        MoveToEx(memory.get(), 0, y, nullptr);
        LineTo(memory.get(), width, y);
        SelectObject(memory.get(), oldPen);
    }
    SetBkMode(memory.get(), TRANSPARENT);

    const std::string version = "Version " KV_VERSION_TEXT;
    const TSplashLine lines[] = {
        {"Kavrilon", "Trebuchet MS", 40, 900, TitleColour, 10},
        {version.c_str(), "Trebuchet MS", 24, 500, ShadowColour, 5},
        {SplashNoticeText, "Arial", 16, 400, NoticeColour, 15},
        {SplashWebAddress, "Arial", 16, 400, LinkColour, 15},
        {SplashMailAddress, "Arial", 16, 400, LinkColour, 5},
    };
    int previousBottom = 0;
    for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        const TSplashLine& line = lines[i];
        TUniqueGdiObject font(MakeFont(line));
        SelectObject(memory.get(), font.get());
        RECT rect = {0, 0, 0, 0};
        DrawTextA(memory.get(), line.Text, -1, &rect, DT_CALCRECT);
        OffsetRect(&rect, 0, previousBottom + line.Gap);
        rect.left = (width - rect.right) / 2;
        rect.right += rect.left;
        previousBottom = rect.bottom;
        if (i == 0) {
            RECT shadow = rect;
            OffsetRect(&shadow, ShadowOffset, ShadowOffset);
            SetTextColor(memory.get(), ShadowColour);
            DrawTextA(memory.get(), line.Text, -1, &shadow, 0);
        }
        SetTextColor(memory.get(), line.Colour);
        DrawTextA(memory.get(), line.Text, -1, &rect, 0);
        if (i == 3) {
            LinkAreas.Web = rect;
        } else if (i == 4) {
            LinkAreas.Mail = rect;
        }
        SelectObject(memory.get(), oldFont);
    }

    TUniqueGdiObject frameBrush(CreateSolidBrush(FrameColour));
    FrameRect(memory.get(), &client, static_cast<HBRUSH>(frameBrush.get()));
    BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

LRESULT SplashWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != FALSE) {
            CentreOnScreen(window);
            // The owner stays disabled while the window exists.
            EnableWindow(GetParent(window), FALSE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint = {};
        const HDC dc = BeginPaint(window, &paint);
        PaintSplash(dc, window);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_SETCURSOR: {
        POINT cursor = {};
        GetCursorPos(&cursor);
        ScreenToClient(window, &cursor);
        HCURSOR shape = nullptr;
        if (Inside(LinkAreas.Web, cursor.x, cursor.y) || Inside(LinkAreas.Mail, cursor.x, cursor.y)) {
            shape = LoadCursorA(nullptr, IDC_HAND);
            if (shape == nullptr) {
                shape = LoadCursorA(nullptr, IDC_UPARROW);
            }
        } else {
            shape = LoadCursorA(nullptr, IDC_ARROW);
        }
        SetCursor(shape);
        return 0;
    }
    case WM_LBUTTONUP: {
        const int x = static_cast<short>(LOWORD(lParam));
        const int y = static_cast<short>(HIWORD(lParam));
        if (Inside(LinkAreas.Web, x, y)) {
            OpenLink(SplashWebAddress);
        } else if (Inside(LinkAreas.Mail, x, y)) {
            OpenLink(std::string("mailto:") + SplashMailAddress + "?subject=Kavrilon " KV_VERSION_TEXT);
        } else {
            SendMessageA(window, WM_CLOSE, 0, 0);
        }
        return 0;
    }
    case WM_RBUTTONUP:
        SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_ACTIVATE:
        // Closes as soon as another window becomes active, also the browser a link opened.
        if (LOWORD(wParam) == WA_INACTIVE) {
            CloseSplash(window);
        }
        return 0;
    case WM_CLOSE:
        CloseSplash(window);
        return 0;
    case WM_DESTROY:
        SplashDestroyed(window);
        SplashClosing = false;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
