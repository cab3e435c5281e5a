#include "TrayMenuPreview.h"

#include "BackupRules.h"
#include "BackupStore.h"
#include "CommandTable.h"
#include "KavrilonNames.h"
#include "LayoutPreviewWindow.h"
#include "ProcessState.h"

namespace {

// The picture beside the open tray menu (WM_MENUSELECT carries no context).
TPreviewFollower MenuPreview;

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

} // namespace

void ShowTrayMenuPreview(WPARAM wParam, LPARAM lParam, const std::vector<std::string>& backupIds) {
    const UINT id = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    const HMENU menu = reinterpret_cast<HMENU>(lParam);
    if (flags == 0xFFFF && menu == nullptr) {
        CloseTrayMenuPreview();
        return;
    }
    RECT item = {};
    const std::string file = FileOfItem(id, flags, backupIds);
    FollowSelection(MenuPreview, ItemRect(menu, id, item) ? file : std::string(), item, TrayWindow);
}

void CloseTrayMenuPreview() {
    StopFollowing(MenuPreview);
}
