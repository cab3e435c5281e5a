// The desktop host: plays the shell's desktop ("Progman" with its icon list view) for the tests
// of Kavrilon, either from a fixture file or with the platform's own shell view.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Control.h"
#include "Desktop.h"
#include "Fixture.h"
#include "FolderViewServer.h"
#include "Hang.h"
#include "HostArgs.h"
#include "ShellView.h"
#include "Text.h"

using namespace kvhost;

namespace {

// Exit codes besides 0 (clean end).
constexpr int kExitBadArguments = 2;
constexpr int kExitStartFailed = 3;

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = Utf8ToUtf16(utf8).value_or(u"");
    return std::wstring(text.begin(), text.end());
}

std::vector<std::string> ArgumentsUtf8() {
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr)
        return args;
    for (int i = 1; i < count; ++i) {
        const std::wstring arg = argv[i];
        args.push_back(Utf16ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(argv);
    return args;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[65536];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &read, nullptr) != FALSE) && read > 0)
        content.append(buffer, read);
    CloseHandle(file);
    return ok;
}

int Fail(const HostArgs& args, int exitCode, const std::string& message) {
    if (!args.errorFile.empty()) {
        HANDLE file = CreateFileW(Wide(args.errorFile).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    return exitCode;
}

bool SignalReady(const std::string& name) {
    if (name.empty())
        return true;
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, Wide(name).c_str());
    if (event == nullptr)
        return false;
    const BOOL ok = SetEvent(event);
    CloseHandle(event);
    return ok != FALSE;
}

int RunHost(HINSTANCE instance, const HostArgs& args) {
    std::string error;
    Fixture fixture;
    if (!args.fixturePath.empty()) {
        std::string text;
        if (!ReadWholeFile(args.fixturePath, text))
            return Fail(args, kExitBadArguments, "cannot read fixture " + args.fixturePath);
        FixtureResult parsed = ParseFixture(text);
        if (!parsed.fixture)
            return Fail(args, kExitBadArguments, "fixture " + args.fixturePath + ": " + parsed.error);
        fixture = std::move(*parsed.fixture);
    }

    Desktop().shellMode = args.shellMode;
    if (!RegisterDesktopClasses(instance, args.shellMode ? nullptr : &fixture, error) ||
        !CreateProgman(instance, error))
        return Fail(args, kExitStartFailed, error);
    const bool built =
        args.shellMode ? CreateShellView(error) : BuildFixtureDesktop(instance, fixture, error);
    if (built && !args.shellMode)
        WatchListViewMoves(Desktop().listView);
    if (!built || !CreateControlWindow(instance, Wide(args.controlTitle), error) ||
        (fixture.folderView && !StartFolderViewServer(error))) {
        StopFolderViewServer();
        DestroyControlWindow();
        ReleaseShellView();
        return Fail(args, kExitStartFailed, error);
    }
    ShowDesktopWindows();
    if (!args.controlTitle.empty())
        CreateWakeEvent(Wide(args.controlTitle) + L"-wake");
    if (!SignalReady(args.readyEvent)) {
        error =
            "cannot signal the ready event " + args.readyEvent + ", error " + std::to_string(GetLastError());
        StopFolderViewServer();
        DestroyControlWindow();
        ReleaseShellView();
        return Fail(args, kExitStartFailed, error);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    // The top-level windows are left to the end of the process. Hiding or destroying a visible
    // full-screen window makes Wine's X11 driver wait up to two seconds for a window manager to
    // confirm; on the virtual displays of the tests there is none, and every test would pay it.
    StopFolderViewServer();
    DestroyControlWindow();
    ReleaseShellView();
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const HostArgsResult parsed = ParseHostArgs(ArgumentsUtf8());
    if (!parsed.ok)
        return Fail(parsed.args, kExitBadArguments, parsed.error);
    // The shell's view needs an OLE apartment (drag and drop registration); fixture mode does not
    // mind having one.
    if (FAILED(OleInitialize(nullptr)))
        return Fail(parsed.args, kExitStartFailed, "OleInitialize failed");
    const int exitCode = RunHost(instance, parsed.args);
    OleUninitialize();
    return exitCode;
}
