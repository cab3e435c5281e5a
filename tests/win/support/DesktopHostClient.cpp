#include "DesktopHostClient.h"

#include <exdisp.h>

#include <cstdlib>
#include <sstream>

namespace kvtest {
namespace {

// Must match the host's control window (tools/desktop-host/src/Control.h).
const wchar_t kControlClass[] = L"KavrilonDesktopHostControl";
constexpr ULONG_PTR kControlMagic = 0x4B564853;
// Exit code given to a host that had to be terminated.
constexpr UINT kTerminatedExitCode = 0xDEAD;

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool WriteUtf8File(const std::wstring& path, const std::string& content) {
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == content.size();
}

bool ReadUtf8File(const std::wstring& path, std::string& content) {
    content.clear();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
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

bool ParseWindow(std::istringstream& line, HostWindow& window) {
    std::string handle;
    line >> handle >> window.rect.left >> window.rect.top >> window.rect.right >> window.rect.bottom;
    window.handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(handle.c_str(), nullptr, 0)));
    return !line.fail();
}

bool HexToWide(const std::string& hex, std::wstring& text) {
    text.clear();
    if (hex == "-")
        return true;
    if (hex.size() % 4 != 0)
        return false;
    for (size_t i = 0; i < hex.size(); i += 4) {
        char* end = nullptr;
        const std::string unit = hex.substr(i, 4);
        const unsigned long value = std::strtoul(unit.c_str(), &end, 16);
        if (*end != '\0')
            return false;
        text.push_back(static_cast<wchar_t>(value));
    }
    return true;
}

bool ParseState(const std::string& dump, DesktopHostState& state, std::string& error) {
    state = DesktopHostState();
    std::istringstream lines(dump);
    std::string text;
    bool ended = false;
    size_t expectedItems = 0;
    while (std::getline(lines, text)) {
        std::istringstream line(text);
        std::string key;
        line >> key;
        bool ok = true;
        if (key == "kvhost-state") {
            int version = 0;
            line >> version;
            ok = version == 1;
        } else if (key == "mode") {
            line >> state.mode;
        } else if (key == "pid") {
            line >> state.processId;
        } else if (key == "progman") {
            ok = ParseWindow(line, state.progman);
        } else if (key == "defview-parent") {
            ok = ParseWindow(line, state.defViewParent);
            line >> state.defViewParentClass;
        } else if (key == "defview") {
            ok = ParseWindow(line, state.defView);
        } else if (key == "listview") {
            ok = ParseWindow(line, state.listView);
        } else if (key == "listview-style" || key == "listview-exstyle") {
            std::string value;
            line >> value;
            (key == "listview-style" ? state.listViewStyle : state.listViewExStyle) =
                static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 0));
        } else if (key == "items") {
            line >> expectedItems;
        } else if (key == "item") {
            HostItem item;
            std::string caption;
            line >> item.index >> item.x >> item.y >> caption;
            ok = !line.fail() && HexToWide(caption, item.caption);
            state.items.push_back(item);
        } else if (key == "moves") {
            line >> state.movesByMessages >> state.movesByFolderView;
            ok = !line.fail();
        } else if (key == "stray-writes") {
            line >> state.strayWrites;
            ok = !line.fail();
        } else if (key == "command") {
            std::string wParam, lParam;
            line >> wParam >> lParam;
            state.commands.push_back(
                HostCommand{static_cast<uint32_t>(std::strtoul(wParam.c_str(), nullptr, 0)),
                            std::strtoull(lParam.c_str(), nullptr, 0)});
        } else if (key == "end") {
            ended = true;
        } else if (!key.empty()) {
            ok = false;
        }
        if (!ok || line.bad()) {
            error = "unreadable state line: " + text;
            return false;
        }
    }
    if (!ended || expectedItems != state.items.size()) {
        error = "incomplete state dump";
        return false;
    }
    return true;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

} // namespace

std::vector<uint32_t> DesktopHostState::CommandIds() const {
    std::vector<uint32_t> ids;
    for (const HostCommand& command : commands)
        ids.push_back(command.wParam & 0xFFFF);
    return ids;
}

DesktopHost::DesktopHost() : hostPath_(DefaultHostPath()) {}

DesktopHost::~DesktopHost() {
    Stop();
    RemoveTempFiles();
}

bool DesktopHost::HostIs64Bit() {
    if (sizeof(void*) == 8)
        return true;
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::wstring DesktopHost::DefaultHostPath() {
    std::wstring folder;
    wchar_t buffer[MAX_PATH * 2];
    const DWORD length = GetEnvironmentVariableW(L"KV_DESKTOP_HOST_DIR", buffer, MAX_PATH * 2);
    if (length > 0 && length < MAX_PATH * 2) {
        folder = buffer;
        if (folder.back() != L'\\' && folder.back() != L'/')
            folder += L'\\';
    } else {
        const DWORD moduleLength = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 2);
        folder = FolderOf(std::wstring(buffer, moduleLength));
    }
    return folder + (HostIs64Bit() ? L"desktop-host-x64.exe" : L"desktop-host-x86.exe");
}

std::wstring DesktopHost::Widen(const std::string& utf8) {
    if (utf8.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                           static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                        length);
    return text;
}

std::string DesktopHost::Narrow(const std::wstring& utf16) {
    if (utf16.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), &text[0], length, nullptr,
                        nullptr);
    return text;
}

std::string DesktopHost::FixtureText(const std::vector<DesktopIcon>& icons,
                                     const DesktopHostOptions& options) {
    std::string text = "# desktop host fixture\n";
    if (options.autoArrange)
        text += "auto-arrange\n";
    if (options.snapToGrid)
        text += "snap-to-grid\n";
    if (!options.workerClass.empty())
        text += "worker-class " + options.workerClass + "\n";
    else if (options.worker)
        text += "worker\n";
    if (options.noView)
        text += "noview\n";
    if (options.noListView)
        text += "nolistview\n";
    if (options.folderView)
        text += "folder-view\n";
    if (options.hasViewRect) {
        const RECT& r = options.viewRect;
        text += "view-rect " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top) + "\n";
    }
    for (const DesktopIcon& icon : icons)
        text += "item " + std::to_string(icon.x) + " " + std::to_string(icon.y) + " " + icon.caption + "\n";
    if (options.generatedCount > 0)
        text += "count " + std::to_string(options.generatedCount) + "\n";
    return text;
}

bool DesktopHost::Fail(const std::string& message) {
    lastError_ = message;
    return false;
}

std::wstring DesktopHost::TempFile(const wchar_t* suffix) {
    static LONG counter = 0;
    wchar_t folder[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    std::wstring path = std::wstring(folder, length) + L"kvhost-" + std::to_wstring(GetCurrentProcessId()) +
                        L"-" + std::to_wstring(InterlockedIncrement(&counter)) + suffix;
    tempFiles_.push_back(path);
    return path;
}

void DesktopHost::RemoveTempFiles() {
    for (const std::wstring& path : tempFiles_)
        DeleteFileW(path.c_str());
    tempFiles_.clear();
}

bool DesktopHost::Start(const std::vector<DesktopIcon>& icons, const DesktopHostOptions& options) {
    Stop();
    RemoveTempFiles();
    if (options.shellMode) {
        if (!icons.empty())
            return Fail("shell mode takes no icons: the shell lists the Desktop folder");
        return Launch(L"--shell");
    }
    const std::wstring fixture = TempFile(L"-fixture.txt");
    if (!WriteUtf8File(fixture, FixtureText(icons, options)))
        return Fail("cannot write the fixture file");
    if (!options.folderView)
        return Launch(L"--fixture " + Quoted(fixture));
    // The host is only of use when other processes reach it through COM (see OthersReachTheShellWindows).
    if (!Launch(L"--fixture " + Quoted(fixture)))
        return false;
    if (OthersReachTheShellWindows())
        return true;
    return Fail("the host's shell windows are not reachable through COM (is the prefix's RPC service "
                "confused? scripts/wine-env.sh boots a prefix to its end before it keeps a server)");
}

namespace {

DWORD WINAPI CreateShellWindowsThread(void*) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
        return 0;
    IUnknown* windows = nullptr;
    const bool created = SUCCEEDED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IUnknown,
                                                    reinterpret_cast<void**>(&windows)));
    if (windows != nullptr)
        windows->Release();
    CoUninitialize();
    return created ? 1 : 0;
}

} // namespace

bool DesktopHost::OthersReachTheShellWindows() {
    // The host points CLSID_ShellWindows at its own class: creating it succeeds only through the host.
    HANDLE thread = CreateThread(nullptr, 0, CreateShellWindowsThread, nullptr, 0, nullptr);
    if (thread == nullptr)
        return false;
    DWORD created = 0;
    if (WaitForSingleObject(thread, timeoutMs_) == WAIT_OBJECT_0)
        GetExitCodeThread(thread, &created);
    CloseHandle(thread);
    return created == 1;
}

bool DesktopHost::StartShell() {
    DesktopHostOptions options;
    options.shellMode = true;
    return Start({}, options);
}

bool DesktopHost::Launch(const std::wstring& arguments) {
    static LONG counter = 0;
    const std::wstring token = L"KavrilonDesktopHost-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(InterlockedIncrement(&counter)) + L"-" +
                               std::to_wstring(GetTickCount());
    token_ = token;
    const std::wstring errorFile = TempFile(L"-error.txt");
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, token.c_str());
    if (ready == nullptr)
        return Fail("cannot create the ready event");

    std::wstring commandLine = Quoted(hostPath_) + L" " + arguments + L" --ready-event " + token +
                               L" --control-title " + token + L" --error-file " + Quoted(errorFile);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Wine on a busy machine now and then fails a process start with ERROR_INTERNAL_ERROR when a
    // 32-bit program starts a 64-bit one; a second start then succeeds.
    bool started = false;
    DWORD code = 0;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started = CreateProcessW(hostPath_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info) != FALSE;
        code = started ? 0 : GetLastError();
        if (!started && code != ERROR_INTERNAL_ERROR)
            break;
        if (!started)
            Sleep(200);
    }
    if (!started) {
        CloseHandle(ready);
        return Fail("cannot start " + Narrow(hostPath_) + ", error " + std::to_string(code));
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;

    HANDLE waits[2] = {ready, process_};
    const DWORD waited = WaitForMultipleObjects(2, waits, FALSE, timeoutMs_);
    CloseHandle(ready);
    if (waited != WAIT_OBJECT_0) {
        std::string reason;
        if (waited == WAIT_OBJECT_0 + 1) {
            GetExitCodeProcess(process_, &exitCode_);
            std::string message;
            ReadUtf8File(errorFile, message);
            reason = "the desktop host ended during start-up with exit code " + std::to_string(exitCode_) +
                     (message.empty() ? std::string() : ": " + message);
        } else {
            reason = "the desktop host was not ready within " + std::to_string(timeoutMs_) + " ms";
        }
        Stop();
        return Fail(reason);
    }
    control_ = FindWindowExW(HWND_MESSAGE, nullptr, kControlClass, token.c_str());
    if (control_ == nullptr) {
        Stop();
        return Fail("the desktop host is ready but its control window cannot be found");
    }
    return true;
}

bool DesktopHost::Request(const std::string& request) {
    if (control_ == nullptr || !IsRunning())
        return Fail("no desktop host runs");
    COPYDATASTRUCT data = {};
    data.dwData = kControlMagic;
    data.cbData = static_cast<DWORD>(request.size());
    data.lpData = const_cast<char*>(request.data());
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(control_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                             timeoutMs_, &result))
        return Fail("the desktop host did not answer '" + request + "'");
    if (result != 1)
        return Fail("the desktop host refused '" + request + "'");
    return true;
}

bool DesktopHost::QueryState(DesktopHostState& state) {
    const std::wstring path = TempFile(L"-state.txt");
    if (!Request("state " + Narrow(path)))
        return false;
    std::string dump;
    std::string error;
    const bool read = ReadUtf8File(path, dump);
    DeleteFileW(path.c_str());
    if (!read)
        return Fail("cannot read the state dump");
    if (!ParseState(dump, state, error))
        return Fail(error);
    return true;
}

bool DesktopHost::PrivateAllocations(long long& count) {
    const std::wstring path = TempFile(L"-memory.txt");
    if (!Request("memory " + Narrow(path)))
        return false;
    std::string dump;
    const bool read = ReadUtf8File(path, dump);
    DeleteFileW(path.c_str());
    const std::string key = "private-allocations ";
    if (!read || dump.compare(0, key.size(), key) != 0)
        return Fail("cannot read the memory dump");
    count = std::atoll(dump.c_str() + key.size());
    return true;
}

bool DesktopHost::Move(int index, int32_t x, int32_t y) {
    return Request("move " + std::to_string(index) + " " + std::to_string(x) + " " + std::to_string(y));
}

bool DesktopHost::ClearLog() {
    return Request("clear-log");
}

bool DesktopHost::Hang(unsigned milliseconds) {
    return Request("hang " + std::to_string(milliseconds));
}

bool DesktopHost::HangOnRedrawOff(unsigned milliseconds) {
    return Request("hang-on-redraw-off " + std::to_string(milliseconds));
}

bool DesktopHost::HangBefore(UINT message, unsigned milliseconds) {
    return Request("hang-before " + std::to_string(message) + " " + std::to_string(milliseconds));
}

bool DesktopHost::HangOnPositioning(unsigned milliseconds) {
    return Request("hang-on-positioning " + std::to_string(milliseconds));
}

bool DesktopHost::Wake() {
    HANDLE wake = OpenEventW(EVENT_MODIFY_STATE, FALSE, (token_ + L"-wake").c_str());
    if (wake == nullptr)
        return Fail("the desktop host has no wake event");
    const bool woken = SetEvent(wake) != FALSE;
    CloseHandle(wake);
    return woken;
}

bool DesktopHost::Ping() {
    return Request("ping");
}

bool DesktopHost::IsRunning() const {
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool DesktopHost::Stop() {
    if (process_ == nullptr)
        return true;
    bool clean = true;
    if (IsRunning()) {
        // A host that never became ready has no control window to ask: end it at once.
        const bool asked = control_ != nullptr && Request("quit");
        if (!asked || WaitForSingleObject(process_, timeoutMs_) != WAIT_OBJECT_0) {
            clean = false;
            TerminateProcess(process_, kTerminatedExitCode);
            WaitForSingleObject(process_, timeoutMs_);
        }
    }
    GetExitCodeProcess(process_, &exitCode_);
    CloseHandle(process_);
    process_ = nullptr;
    processId_ = 0;
    control_ = nullptr;
    return clean && exitCode_ == 0;
}

} // namespace kvtest
