// Starts and drives the desktop host (tools/desktop-host) from a Windows test: the stand-in
// for the shell's desktop that Kavrilon finds, reads and rearranges.
//
// The host is chosen by the bitness of the shell Kavrilon will assume: a 32-bit test process
// under WOW64 (64-bit prefix) gets desktop-host-x64.exe, otherwise desktop-host-x86.exe. It is
// taken from the folder named by the environment variable KV_DESKTOP_HOST_DIR, else from the
// folder of the running test executable.
//
// Every wait is bounded by Timeout(); a host that is still running when its DesktopHost object
// is destroyed is asked to quit and, failing that, terminated.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kvtest {

// One icon of a fixture; the caption is UTF-8.
struct DesktopIcon {
    std::string caption;
    int32_t x = 0;
    int32_t y = 0;
};

struct DesktopHostOptions {
    bool shellMode = false;      // the platform's shell builds the view; no icons or options below
    bool autoArrange = false;    // list view starts with LVS_AUTOARRANGE
    bool snapToGrid = false;     // list view starts with LVS_EX_SNAPTOGRID
    bool worker = false;         // view inside a top-level "WorkerW" window in front of Progman
    std::string workerClass;     // another class name for that window (implies worker)
    bool noView = false;         // Progman without view window
    bool noListView = false;     // view window without list view
    bool folderView = false;     // also serves the positioning interface as the shell's desktop
    unsigned generatedCount = 0; // adds icons "Icon 0" .. "Icon n-1" after the given ones
    bool hasViewRect = false;    // view window at viewRect (parent client coordinates) instead of filling
    RECT viewRect = {};          // left, top, right, bottom
};

struct HostWindow {
    HWND handle = nullptr;
    RECT rect = {}; // screen coordinates
};

struct HostItem {
    int index = 0;
    int32_t x = 0;
    int32_t y = 0;
    std::wstring caption; // exactly the UTF-16 units the list view holds
};

struct HostCommand {
    uint32_t wParam = 0;
    uint64_t lParam = 0;
};

// The host's own view of its desktop, read inside the host process.
struct DesktopHostState {
    std::string mode; // "fixture" or "shell"
    DWORD processId = 0;
    HostWindow progman;
    HostWindow defViewParent;
    std::string defViewParentClass; // "-" without view
    HostWindow defView;
    HostWindow listView;
    uint32_t listViewStyle = 0;
    uint32_t listViewExStyle = 0;
    std::vector<HostItem> items;
    long movesByMessages = 0;          // icons moved by position messages of other processes
    long movesByFolderView = 0;        // icons placed through the served positioning interface
    long strayWrites = -1;             // list-view requests whose buffer was not committed memory
    std::vector<HostCommand> commands; // WM_COMMANDs received by Progman, oldest first

    std::vector<uint32_t> CommandIds() const; // LOWORD of each logged wParam
};

class DesktopHost {
public:
    DesktopHost();
    ~DesktopHost();
    DesktopHost(const DesktopHost&) = delete;
    DesktopHost& operator=(const DesktopHost&) = delete;

    // Starts a host (stopping a running one first) and waits until its windows and items exist.
    bool Start(const std::vector<DesktopIcon>& icons, const DesktopHostOptions& options = {});
    bool StartShell();

    bool QueryState(DesktopHostState& state);
    bool Move(int index, int32_t x, int32_t y); // LVM_SETITEMPOSITION32 inside the host
    bool ClearLog();
    // Number of committed private allocations in the host's process, counted by the host itself:
    // memory another process allocated there and did not free shows up as more.
    bool PrivateAllocations(long long& count);
    bool Ping();
    // Makes the host's window thread stop answering for `milliseconds` (a hung shell).
    bool Hang(unsigned milliseconds);
    // The same once its list view has handled the next WM_SETREDRAW FALSE (a shell hanging mid-way).
    bool HangOnRedrawOff(unsigned milliseconds);
    // Its next list-view `message` (LVM_GETITEMTEXTW, LVM_GETITEMPOSITION, ...) waits `milliseconds`
    // before it is carried out: the sender gives up meanwhile and the write comes later.
    bool HangBefore(UINT message, unsigned milliseconds);
    // The same in its next SelectAndPositionItems (a folder-view host, see folderView).
    bool HangOnPositioning(unsigned milliseconds);
    // Ends a hang of the host early (once the test has seen the shell hung).
    bool Wake();

    // Asks the host to quit, waits, terminates it as a last resort. True when it ended by itself
    // with exit code 0. Safe to call when no host runs.
    bool Stop();

    bool IsRunning() const;
    DWORD ProcessId() const { return processId_; }
    HANDLE Process() const { return process_; }
    HWND ControlWindow() const { return control_; }
    DWORD ExitCode() const { return exitCode_; } // of the last stopped host
    const std::string& LastError() const { return lastError_; }

    DWORD Timeout() const { return timeoutMs_; }
    void SetTimeout(DWORD milliseconds) { timeoutMs_ = milliseconds; }
    void SetHostPath(const std::wstring& path) { hostPath_ = path; }
    const std::wstring& HostPath() const { return hostPath_; }

    // Whether the host (and so the shell Kavrilon assumes) is 64-bit.
    static bool HostIs64Bit();
    static std::wstring DefaultHostPath();
    // The fixture file text for icons and options.
    static std::string FixtureText(const std::vector<DesktopIcon>& icons, const DesktopHostOptions& options);

    // Strict UTF-8 -> UTF-16 and back, as the host converts captions.
    static std::wstring Widen(const std::string& utf8);
    static std::string Narrow(const std::wstring& utf16);

private:
    bool Launch(const std::wstring& arguments);
    std::wstring token_; // names the running host's control window and its events
    // Whether another apartment reaches the host's shell windows through COM (folder-view hosts).
    bool OthersReachTheShellWindows();
    bool Request(const std::string& request);
    bool Fail(const std::string& message);
    std::wstring TempFile(const wchar_t* suffix);
    void RemoveTempFiles();

    std::wstring hostPath_;
    DWORD timeoutMs_ = 20000;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND control_ = nullptr;
    DWORD exitCode_ = 0;
    std::string lastError_;
    std::vector<std::wstring> tempFiles_;
};

} // namespace kvtest
