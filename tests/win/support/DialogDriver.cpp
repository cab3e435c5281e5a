#include "DialogDriver.h"

#include "ProcessRunner.h"

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(child);
    return TRUE;
}

} // namespace

std::string TextOf(HWND window) {
    char text[4096] = {};
    // WM_GETTEXT works across processes (the system marshals the buffer).
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::vector<HWND> ChildWindows(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND WaitForDialog(DWORD pid, DWORD timeoutMs) {
    const double deadline = NowSeconds() + timeoutMs / 1000.0;
    do {
        for (const TSeenWindow& window : TopLevelWindowsOf(pid)) {
            if (window.ClassName == "#32770" && IsWindowVisible(window.Window)) {
                return window.Window;
            }
        }
        Sleep(25);
    } while (NowSeconds() < deadline);
    return nullptr;
}

TDialogContent ReadDialog(HWND dialog) {
    TDialogContent content;
    content.Window = dialog;
    content.Caption = TextOf(dialog);
    content.Style = GetWindowLongA(dialog, GWL_STYLE);
    content.ExStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    const std::vector<HWND> children = ChildWindows(dialog);
    std::string staticTexts;
    for (HWND child : children) {
        const std::string className = ClassOf(child);
        const int id = GetDlgCtrlID(child);
        if (className == "Button") {
            content.Buttons.push_back({id, TextOf(child)});
        } else if (className == "Static") {
            const std::string text = TextOf(child);
            // The message text of a message box has the control id 0xFFFF.
            if (id == 0xFFFF) {
                content.Text = text;
            } else if (!text.empty()) {
                staticTexts += text;
            }
        }
    }
    if (content.Text.empty()) {
        content.Text = staticTexts;
    }
    return content;
}

bool PressDialogButton(HWND dialog, int buttonId, DWORD timeoutMs) {
    HWND button = GetDlgItem(dialog, buttonId);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    const double deadline = NowSeconds() + timeoutMs / 1000.0;
    while (NowSeconds() < deadline) {
        if (!IsWindow(dialog)) {
            return true;
        }
        Sleep(20);
    }
    return !IsWindow(dialog);
}

int LayeredAlpha(HWND window) {
    if ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0) {
        return -1;
    }
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(window, &key, &alpha, &flags) || (flags & LWA_ALPHA) == 0) {
        return -1;
    }
    return alpha;
}

std::string ControlText(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}

bool ControlEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool ControlChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    return state == BST_CHECKED;
}

void SetControlChecked(HWND dialog, int id, bool checked) {
    if (ControlChecked(dialog, id) != checked) {
        SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
    }
}

std::vector<std::string> ComboItems(HWND dialog, int id) {
    HWND combo = GetDlgItem(dialog, id);
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // The system copies the item text across processes reliably only in its wide form.
        wchar_t wide[512] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(wide));
        char text[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        items.push_back(text);
    }
    return items;
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendMessageA(GetDlgItem(dialog, id), CB_GETCURSEL, 0, 0));
}

void SelectComboItem(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

RECT ControlClientRect(HWND dialog, int id) {
    RECT rect = {};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT DialogUnitsToPixels(const std::string& face, int points, const RECT& dialogUnits) {
    HDC dc = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                             face.c_str());
    HGDIOBJ old = SelectObject(dc, font);
    // The dialog manager's base units: the average width of the letters and the text height.
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SIZE size = {};
    const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32A(dc, letters, 52, &size);
    const int baseX = (size.cx / 26 + 1) / 2;
    const int baseY = metrics.tmHeight;
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    // Position and size are converted apart, as the dialog manager places the controls.
    RECT rect = {MulDiv(dialogUnits.left, baseX, 4), MulDiv(dialogUnits.top, baseY, 8), 0, 0};
    rect.right = rect.left + MulDiv(dialogUnits.right - dialogUnits.left, baseX, 4);
    rect.bottom = rect.top + MulDiv(dialogUnits.bottom - dialogUnits.top, baseY, 8);
    return rect;
}

HWND WaitForOtherDialog(DWORD pid, HWND except, DWORD timeoutMs) {
    const double deadline = NowSeconds() + timeoutMs / 1000.0;
    do {
        for (const TSeenWindow& window : TopLevelWindowsOf(pid)) {
            if (window.Window != except && window.ClassName == "#32770" && IsWindowVisible(window.Window)) {
                return window.Window;
            }
        }
        Sleep(25);
    } while (NowSeconds() < deadline);
    return nullptr;
}

std::string DescribeChildren(HWND dialog) {
    const std::vector<HWND> children = ChildWindows(dialog);
    std::string text;
    for (HWND child : children) {
        text += std::to_string(GetDlgCtrlID(child)) + " " + ClassOf(child) + " \"" + TextOf(child) + "\"" +
                (IsWindowVisible(child) ? "" : " (hidden)") + "\n";
    }
    return text;
}

HWND FindChild(HWND dialog, int id, const std::string& className) {
    const std::vector<HWND> children = ChildWindows(dialog);
    for (HWND child : children) {
        if (GetDlgCtrlID(child) == id && (className.empty() || ClassOf(child) == className)) {
            return child;
        }
    }
    return nullptr;
}
