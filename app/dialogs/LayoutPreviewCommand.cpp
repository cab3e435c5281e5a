#include "LayoutPreviewCommand.h"

#include "BackupRules.h"
#include "BackupStore.h"
#include "CommandLineRules.h"
#include "DesktopSession.h"
#include "DisplaySnapshot.h"
#include "ExitCodes.h"
#include "LayoutPreviewWindow.h"
#include "ProcessState.h"
#include "RunAction.h"

namespace {

// The file the argument names: a backup of the current configuration for a backup id, the primary
// layout for nothing, else the argument itself.
std::string PreviewedFile(const std::string& argument) {
    const std::string key = ResolutionKey();
    if (argument.empty()) {
        return PrimaryLayoutPath(DataFolder, key);
    }
    const std::string id = NormalizeArgument(argument);
    return IsValidBackupId(id) ? BackupFilePath(DataFolder, key, id) : argument;
}

} // namespace

void ShowLayoutPreviewCommand(const std::string& argument) {
    TPreviewContent content = PreviewContentOfFile(PreviewedFile(argument), TakeDisplaySnapshot());
    if (!content.Readable) {
        ExitCode = ExitLayoutFileError;
    } else {
        // What would move is read from the desktop as a restore would read it; the window itself is
        // shown without the action mutex, so that the tray's actions are not held while it is open.
        RunAction([&content] {
            content.HasDesktop = CaptureDesktop(content.Desktop, false).Status == TDesktopStatus::Ready;
        });
    }
    RunLayoutPreview(content);
}
