#include "TrayMenuPreview.h"

#include "BackupRules.h"
#include "BackupStore.h"
#include "CommandTable.h"
#include "DesktopSession.h"
#include "DisplaySnapshot.h"
#include "KavrilonNames.h"
#include "LayoutPreviewWindow.h"
#include "ProcessState.h"

namespace {

// The preview of the open menu, the file it shows, and the desktop read once per menu for it.
HWND PreviewWindow = nullptr;
std::string PreviewedFile;
bool DesktopRead = false;
TDesktopCapture MenuDesktop;
bool MenuDesktopValid = false;

// The file of the highlighted item, or empty when it has no picture.
std::string FileOfItem(UINT id, UINT flags, const std::vector<std::string>& backupIds) {
    if ((flags & (MF_POPUP | MF_SEPARATOR | MF_GRAYED | MF_DISABLED)) != 0) {
        return {};
    }
    if (id == CommandRestorePrimary) {
        return PrimaryLayoutPath(DataFolder, ResolutionKey());
    }
    const TCommandRecord* record = CommandOfTrayId(id);
    if (record != nullptr && record->Command == TCommand::RestoreBackup) {
        const size_t index = id - record->TrayId;
        if (index < backupIds.size()) {
            return BackupFilePath(DataFolder, ResolutionKey(), backupIds[index]);
        }
    }
    return {};
}

// The screen rectangle of the item `id` of `menu`, found by its position.
bool ItemRect(HMENU menu, UINT id, RECT& rect) {
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (GetMenuItemID(menu, position) == id) {
            return GetMenuItemRect(TrayWindow, menu, static_cast<UINT>(position), &rect) != FALSE;
        }
    }
    return false;
}

// Puts the preview to the left of the item (the tray lies at the right of the screen), or to its
// right where the left has no room, level with the item.
void PlaceBeside(const RECT& item) {
    RECT own = {};
    GetWindowRect(PreviewWindow, &own);
    const int width = own.right - own.left;
    int x = item.left - width;
    if (x < GetSystemMetrics(SM_XVIRTUALSCREEN)) {
        x = item.right;
    }
    SetWindowPos(PreviewWindow, nullptr, x, item.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

void ShowTrayMenuPreview(WPARAM wParam, LPARAM lParam, const std::vector<std::string>& backupIds) {
    const UINT id = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    const HMENU menu = reinterpret_cast<HMENU>(lParam);
    if (flags == 0xFFFF && menu == nullptr) {
        CloseTrayMenuPreview();
        return;
    }
    const std::string file = FileOfItem(id, flags, backupIds);
    RECT item = {};
    if (file.empty() || !ItemRect(menu, id, item)) {
        CloseLayoutPreview(PreviewWindow);
        PreviewWindow = nullptr;
        PreviewedFile.clear();
        return;
    }
    if (file == PreviewedFile && PreviewWindow != nullptr) {
        return;
    }
    if (!DesktopRead) {
        // One reading per menu: each icon costs a message round trip to the shell.
        DesktopRead = true;
        MenuDesktopValid = CaptureDesktop(MenuDesktop, false).Status == TDesktopStatus::Ready;
    }
    TPreviewContent content = PreviewContentOfFile(file, TakeDisplaySnapshot());
    content.HasDesktop = MenuDesktopValid;
    if (MenuDesktopValid) {
        content.Desktop = MenuDesktop;
    }
    const POINT anchor = {item.left, item.top};
    if (PreviewWindow == nullptr || !IsWindow(PreviewWindow)) {
        PreviewWindow = OpenLayoutPreview(content, anchor, TPreviewMode::Popup, TrayWindow);
    } else {
        UpdateLayoutPreview(PreviewWindow, content, anchor);
    }
    PreviewedFile = file;
    if (PreviewWindow != nullptr) {
        // Named for its file, for screen readers and for whoever looks at the window list.
        SetWindowTextA(PreviewWindow, file.c_str());
        PlaceBeside(item);
    }
}

void CloseTrayMenuPreview() {
    CloseLayoutPreview(PreviewWindow);
    PreviewWindow = nullptr;
    PreviewedFile.clear();
    DesktopRead = false;
    MenuDesktopValid = false;
    MenuDesktop = TDesktopCapture();
}
