#include "DialogDriver.h"

#include "ProcessRunner.h"

namespace {

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

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(child);
    return TRUE;
}

} // namespace

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
    std::vector<HWND> children;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
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
