#include "LayoutPreviewWindow.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "CallbackBarrier.h"
#include "Language.h"
#include "DesktopSession.h"
#include "DisplaySnapshot.h"
#include "LayoutFile.h"
#include "LayoutMessages.h"
#include "LayoutPreview.h"
#include "TextRules.h"
#include "WinHandles.h"
#include "ProcessState.h"
#include "WindowsVersion.h"

namespace {

// The state of one window, owned through GWLP_USERDATA and deleted with the window.
struct TPreviewState {
    TPreviewMode Mode = TPreviewMode::Popup;
    bool Readable = true;
    std::string Message;
    TLayoutPreview Picture;
    int Margin = 0;
    TUniqueGdiObject CaptionFont;
    TUniqueGdiObject FooterFont;
    RECT TextRect = {}; // the footer, or the message of an unreadable file, in client coordinates
    SIZE Client = {};
};

constexpr UINT TextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_CENTER;

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : StandardDpi;
}

HFONT MakeFont(int points, int dpi) {
    return CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       "MS Shell Dlg");
}

std::wstring Utf8ToWide(const std::string& text) {
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    }
    return wide;
}

// Draws a caption in the one line of `rect`, clipped to it. Captions are UTF-8 on the NT family and
// in the ANSI code page on Windows 9x.
void DrawCaption(HDC dc, const std::string& text, RECT rect) {
    constexpr UINT format = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP;
    if (RunningWindows.IsNTPlatform) {
        const std::wstring wide = Utf8ToWide(text);
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format);
    } else {
        DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
    }
}

void PaintShape(HDC dc, const TPreviewShape& shape) {
    RECT rect = {shape.Left, shape.Top, shape.Right, shape.Bottom};
    const COLORREF colour = static_cast<COLORREF>(shape.Colour);
    switch (shape.Kind) {
    case TShapeKind::FilledRect:
    case TShapeKind::HollowRect: {
        TUniqueGdiObject brush(CreateSolidBrush(colour));
        if (!brush) {
            return;
        }
        if (shape.Kind == TShapeKind::FilledRect) {
            FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
        } else {
            FrameRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
        }
        return;
    }
    case TShapeKind::Line: {
        TUniqueGdiObject pen(CreatePen(PS_SOLID, 1, colour));
        if (!pen) {
            return;
        }
        const HGDIOBJ oldPen = SelectObject(dc, pen.get());
        // Deselects before the guard above deletes: declared last, so it runs first.
        TScopeExit deselect([&] { SelectObject(dc, oldPen); });
        MoveToEx(dc, shape.Left, shape.Top, nullptr);
        LineTo(dc, shape.Right, shape.Bottom);
        // LineTo leaves out the last point.
        SetPixel(dc, shape.Right, shape.Bottom, colour);
        return;
    }
    case TShapeKind::Text:
        SetTextColor(dc, colour);
        DrawCaption(dc, shape.Text, rect);
        return;
    }
}

// The height of `text` broken into lines `width` pixels wide in `font`.
int TextHeight(HFONT font, const std::string& text, int width) {
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) {
        return 0;
    }
    const HGDIOBJ oldFont = SelectObject(screen, font);
    RECT rect = {0, 0, width, 0};
    DrawTextA(screen, text.c_str(), static_cast<int>(text.size()), &rect, TextFormat | DT_CALCRECT);
    SelectObject(screen, oldFont);
    ReleaseDC(nullptr, screen);
    return rect.bottom;
}

TEXTMETRICA MetricsOf(HFONT font) {
    TEXTMETRICA metrics = {};
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
        const HGDIOBJ oldFont = SelectObject(screen, font);
        GetTextMetricsA(screen, &metrics);
        SelectObject(screen, oldFont);
        ReleaseDC(nullptr, screen);
    }
    return metrics;
}

// Fills the state from the content: the picture, the fonts and the client area's layout.
void Prepare(TPreviewState& state, const TPreviewContent& content) {
    const int dpi = SystemDpi();
    const int longSide = MulDiv(PreviewLongSide, dpi, StandardDpi);
    state.Margin = MulDiv(6, dpi, StandardDpi);
    state.CaptionFont.reset(MakeFont(7, dpi));
    state.FooterFont.reset(MakeFont(8, dpi));
    state.Readable = content.Readable;
    state.Message = content.Message;

    int pictureWidth = longSide;
    int pictureHeight = 0;
    std::string text = content.Message;
    if (content.Readable) {
        const TEXTMETRICA metrics = MetricsOf(static_cast<HFONT>(state.CaptionFont.get()));
        TPreviewInput input;
        input.Entries = content.Entries;
        input.Display = content.Display;
        input.HasDesktop = content.HasDesktop;
        input.Desktop = content.Desktop;
        input.CurrentDisplay = content.CurrentDisplay;
        input.LongSide = longSide;
        input.LetterWidth = metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : MulDiv(5, dpi, StandardDpi);
        input.LetterHeight = metrics.tmHeight > 0 ? metrics.tmHeight : MulDiv(12, dpi, StandardDpi);
        input.Language = ProgramOptions.Language;
        state.Picture = BuildLayoutPreview(input);
        pictureWidth = state.Picture.Width;
        pictureHeight = state.Picture.Height + state.Margin;
        text = state.Picture.Footer;
    } else {
        state.Picture = {};
    }
    const int textHeight = TextHeight(static_cast<HFONT>(state.FooterFont.get()), text, pictureWidth);
    state.TextRect = {state.Margin, state.Margin + pictureHeight, state.Margin + pictureWidth,
                      state.Margin + pictureHeight + textHeight};
    state.Client = {pictureWidth + 2 * state.Margin, state.TextRect.bottom + state.Margin};
}

TPreviewState* StateOf(HWND window) {
    return reinterpret_cast<TPreviewState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

DWORD StyleOf(TPreviewMode) {
    return WS_POPUP | WS_BORDER;
}

DWORD ExStyleOf(TPreviewMode mode) {
    return mode == TPreviewMode::Popup ? WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE : 0;
}

// Sizes the window to its state and puts its top-left corner at `anchor`, on the virtual screen.
void Place(HWND window, const TPreviewState& state, POINT anchor) {
    RECT frame = {0, 0, state.Client.cx, state.Client.cy};
    AdjustWindowRectEx(&frame, StyleOf(state.Mode), FALSE, ExStyleOf(state.Mode));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const TScreenRect screen =
        VirtualScreenFromMetrics(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                                 GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN),
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const int x = std::max<int>(screen.Left, std::min<int>(anchor.x, screen.Right - width));
    const int y = std::max<int>(screen.Top, std::min<int>(anchor.y, screen.Bottom - height));
    const UINT flags = SWP_NOACTIVATE | (state.Mode == TPreviewMode::Popup ? 0 : SWP_NOZORDER);
    SetWindowPos(window, state.Mode == TPreviewMode::Popup ? HWND_TOPMOST : nullptr, x, y, width, height,
                 flags);
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK PreviewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallbackBarrier(LRESULT{0}, [&]() -> LRESULT {
        TPreviewState* state = StateOf(window);
        switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(window, &paint);
            if (dc != nullptr) {
                PaintLayoutPreview(window, dc);
            }
            EndPaint(window, &paint);
            return 0;
        }
        case WM_PRINTCLIENT:
            PaintLayoutPreview(window, reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEACTIVATE:
            if (state != nullptr && state->Mode == TPreviewMode::Popup) {
                return MA_NOACTIVATE;
            }
            break;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE && state != nullptr && state->Mode == TPreviewMode::Standalone) {
                DestroyWindow(window);
                return 0;
            }
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (state != nullptr && state->Mode == TPreviewMode::Standalone) {
                DestroyWindow(window);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            delete state;
            break;
        default:
            break;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    });
}

} // namespace

TPreviewContent PreviewContentOfFile(const std::string& path, const TDisplayConfig& current) {
    TPreviewContent content;
    TLayoutContent layout;
    layout.Code = LayoutReadError;
    std::string bytes;
    {
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
        if (file) {
            char buffer[65536];
            size_t read = 0;
            while ((read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0 &&
                   bytes.size() <= MaxLayoutFileBytes) {
                bytes.append(buffer, read);
            }
            if (!std::ferror(file.get()) && bytes.size() <= MaxLayoutFileBytes) {
                layout = ReadLayoutBytes(bytes);
            }
        }
    }
    if (layout.Code != LayoutReadComplete) {
        content.Readable = false;
        content.Message = LayoutReadErrorText(layout.Code, path);
        return content;
    }
    content.Entries = std::move(layout.Entries);
    content.CurrentDisplay = current;
    if (!DisplayConfigOfLayout(bytes, content.Display)) {
        content.Display = current;
    }
    return content;
}

bool RegisterLayoutPreviewClass() {
    WNDCLASSA windowClass = {};
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (GetClassInfoA(instance, LayoutPreviewClassName, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = PreviewWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = LayoutPreviewClassName;
    return RegisterClassA(&windowClass) != 0;
}

HWND OpenLayoutPreview(const TPreviewContent& content, POINT anchor, TPreviewMode mode, HWND owner) {
    if (!RegisterLayoutPreviewClass()) {
        return nullptr;
    }
    auto state = std::make_unique<TPreviewState>();
    state->Mode = mode;
    Prepare(*state, content);
    const HWND window = CreateWindowExA(ExStyleOf(mode), LayoutPreviewClassName, "Kavrilon", StyleOf(mode), 0,
                                        0, state->Client.cx, state->Client.cy, owner, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state.get()));
    const TPreviewState& placed = *state.release();
    Place(window, placed, anchor);
    if (mode == TPreviewMode::Popup) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
    } else {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(window);
    }
    UpdateWindow(window);
    return window;
}

void UpdateLayoutPreview(HWND window, const TPreviewContent& content, POINT anchor) {
    TPreviewState* state = IsWindow(window) ? StateOf(window) : nullptr;
    if (state == nullptr) {
        return;
    }
    Prepare(*state, content);
    Place(window, *state, anchor);
    UpdateWindow(window);
}

void CloseLayoutPreview(HWND window) {
    if (window != nullptr && IsWindow(window)) {
        DestroyWindow(window);
    }
}

bool RunLayoutPreview(const TPreviewContent& content) {
    // Centred once its size is known.
    const HWND window = OpenLayoutPreview(content, {0, 0}, TPreviewMode::Standalone);
    if (window == nullptr) {
        return false;
    }
    RECT frame = {};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    MSG message;
    while (IsWindow(window) && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

void PaintLayoutPreview(HWND window, HDC dc) {
    const TPreviewState* state = StateOf(window);
    if (state == nullptr) {
        return;
    }
    const int width = state->Client.cx;
    const int height = state->Client.cy;
    TUniqueMemoryDC memory(CreateCompatibleDC(dc));
    TUniqueGdiObject bitmap(CreateCompatibleBitmap(dc, width, height));
    if (!memory || !bitmap) {
        return;
    }
    const HDC canvas = memory.get();
    const HGDIOBJ oldBitmap = SelectObject(canvas, bitmap.get());
    const HGDIOBJ oldFont = GetCurrentObject(canvas, OBJ_FONT);
    // Deselects before the guards above delete: declared last, so it runs first.
    TScopeExit deselect([&] {
        SelectObject(canvas, oldFont);
        SelectObject(canvas, oldBitmap);
        SetViewportOrgEx(canvas, 0, 0, nullptr);
    });

    const TPreviewShape background = {TShapeKind::FilledRect,  0, 0, width, height,
                                      PreviewBackgroundColour, {}};
    PaintShape(canvas, background);
    SetBkMode(canvas, TRANSPARENT);
    if (state->Readable) {
        SetViewportOrgEx(canvas, state->Margin, state->Margin, nullptr);
        SelectObject(canvas, state->CaptionFont.get());
        for (const TPreviewShape& shape : state->Picture.Shapes) {
            PaintShape(canvas, shape);
        }
        SetViewportOrgEx(canvas, 0, 0, nullptr);
    }
    const std::string& text = state->Readable ? state->Picture.Footer : state->Message;
    SelectObject(canvas, state->FooterFont.get());
    SetTextColor(canvas, static_cast<COLORREF>(PreviewIconColour));
    RECT textRect = state->TextRect;
    DrawTextA(canvas, text.c_str(), static_cast<int>(text.size()), &textRect, TextFormat);
    BitBlt(dc, 0, 0, width, height, canvas, 0, 0, SRCCOPY);
}

void FollowSelection(TPreviewFollower& follower, const std::string& file, const RECT& beside, HWND owner) {
    if (file.empty()) {
        CloseLayoutPreview(follower.Window);
        follower.Window = nullptr;
        follower.File.clear();
        return;
    }
    if (file == follower.File && follower.Window != nullptr && IsWindow(follower.Window)) {
        return;
    }
    if (!follower.DesktopRead) {
        follower.DesktopRead = true;
        follower.DesktopValid = CaptureDesktop(follower.Desktop, false).Status == TDesktopStatus::Ready;
    }
    TPreviewContent content = PreviewContentOfFile(file, TakeDisplaySnapshot());
    content.HasDesktop = follower.DesktopValid;
    if (follower.DesktopValid) {
        content.Desktop = follower.Desktop;
    }
    const POINT anchor = {beside.left, beside.top};
    if (follower.Window == nullptr || !IsWindow(follower.Window)) {
        follower.Window = OpenLayoutPreview(content, anchor, TPreviewMode::Popup, owner);
    } else {
        UpdateLayoutPreview(follower.Window, content, anchor);
    }
    follower.File = file;
    if (follower.Window == nullptr) {
        return;
    }
    // Named for its file, for screen readers and for whoever looks at the window list.
    SetWindowTextA(follower.Window, file.c_str());
    RECT own = {};
    GetWindowRect(follower.Window, &own);
    int x = beside.left - (own.right - own.left);
    if (x < GetSystemMetrics(SM_XVIRTUALSCREEN)) {
        x = beside.right;
    }
    SetWindowPos(follower.Window, nullptr, x, beside.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void StopFollowing(TPreviewFollower& follower) {
    CloseLayoutPreview(follower.Window);
    follower = TPreviewFollower();
}
