// Test probe: shows one message box through the program's own AppMessageBox and prints the answer.
//
// Usage: kv_message_box_probe <silent|dlg|tray> <style> <transparent 0|1> <Transparency option>
//                             <language 0|1> <caption> <text> [second]
// Prints "result=<button id> depthDuring=<ModalDepth while the box was open> depthAfter=<...>".
// With "second", a second box follows the first, with the transparent flag off.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Language.h"
#include "MessageBox.h"
#include "ProcessState.h"
#include "WindowsVersion.h"

namespace {

int DepthDuring = -1;

void CALLBACK RecordDepth(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    DepthDuring = ModalDepth;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 8) {
        return 2;
    }
    DetectWindowsVersion();
    ResolveLateBoundFunctions();
    const std::string mode = argv[1];
    CommandLineMode = mode != "tray";
    MessagesAllowed = mode != "silent";
    ProgramOptions.Transparency = static_cast<uint8_t>(std::atoi(argv[4]));
    ProgramOptions.Language = static_cast<uint8_t>(std::atoi(argv[5]));

    // Runs inside the message box's own message loop.
    SetTimer(nullptr, 0, 50, RecordDepth);
    const int result = AppMessageBox(nullptr, argv[7], argv[6], static_cast<UINT>(std::atoi(argv[2])),
                                     std::atoi(argv[3]) != 0);
    std::printf("result=%d depthDuring=%d depthAfter=%d\n", result, DepthDuring,
                static_cast<int>(ModalDepth));
    if (argc > 8 && std::string(argv[8]) == "second") {
        const int second = AppMessageBox(nullptr, "second", argv[6], MB_OK, false);
        std::printf("second=%d depthAfter=%d\n", second, static_cast<int>(ModalDepth));
    }
    std::fflush(stdout);
    return 0;
}
