#include "ProcessRunner.h"

#include <sstream>

#include "TestEnvironment.h"

namespace {

std::string WindowText(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

struct TEnumContext {
    DWORD Pid;
    std::vector<TSeenWindow>* Windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* context = reinterpret_cast<TEnumContext*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == context->Pid) {
        context->Windows->push_back(
            {window, ClassOf(window), WindowText(window), IsWindowVisible(window) != FALSE});
    }
    return TRUE;
}

} // namespace

std::map<std::string, std::string> ProbeValues(const std::string& output) {
    std::map<std::string, std::string> values;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            values[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return values;
}

double NowSeconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::vector<TSeenWindow> TopLevelWindowsOf(DWORD pid) {
    std::vector<TSeenWindow> windows;
    TEnumContext context{pid, &windows};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&context));
    return windows;
}

std::string QuoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(backslashes * 2 + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

TChildProcess::~TChildProcess() {
    Terminate();
    if (info_.hProcess != nullptr) {
        CloseHandle(info_.hProcess);
    }
    if (info_.hThread != nullptr) {
        CloseHandle(info_.hThread);
    }
    if (outputRead_ != nullptr) {
        CloseHandle(outputRead_);
    }
}

bool TChildProcess::Start(const std::string& exe, const std::vector<std::string>& arguments,
                          bool captureOutput) {
    std::string commandLine = QuoteArgument(exe);
    for (const std::string& argument : arguments) {
        commandLine += ' ';
        commandLine += QuoteArgument(argument);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    HANDLE outputWrite = nullptr;
    if (captureOutput) {
        SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
        if (!CreatePipe(&outputRead_, &outputWrite, &inheritable, 1 << 16)) {
            return false;
        }
        SetHandleInformation(outputRead_, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = outputWrite;
        startup.hStdError = outputWrite;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    const BOOL started = CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, captureOutput, 0,
                                        nullptr, nullptr, &startup, &info_);
    if (outputWrite != nullptr) {
        CloseHandle(outputWrite);
    }
    return started != FALSE;
}

void TChildProcess::ObserveWindows() {
    if (info_.hProcess == nullptr) {
        return;
    }
    for (const TSeenWindow& window : TopLevelWindowsOf(info_.dwProcessId)) {
        bool known = false;
        for (TSeenWindow& seen : windowsSeen_) {
            if (seen.Window == window.Window) {
                seen.Visible = seen.Visible || window.Visible;
                if (!window.Caption.empty()) {
                    seen.Caption = window.Caption;
                }
                known = true;
            }
        }
        if (!known) {
            windowsSeen_.push_back(window);
        }
    }
}

void TChildProcess::DrainOutput() {
    if (outputRead_ == nullptr) {
        return;
    }
    DWORD available = 0;
    while (PeekNamedPipe(outputRead_, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        char chunk[4096];
        DWORD read = 0;
        if (!ReadFile(outputRead_, chunk, sizeof(chunk), &read, nullptr) || read == 0) {
            break;
        }
        output_.append(chunk, read);
    }
}

bool TChildProcess::Wait(DWORD timeoutMs) {
    if (info_.hProcess == nullptr) {
        return true;
    }
    const double deadline = NowSeconds() + timeoutMs / 1000.0;
    while (true) {
        ObserveWindows();
        DrainOutput();
        if (WaitForSingleObject(info_.hProcess, 25) == WAIT_OBJECT_0) {
            DrainOutput();
            return true;
        }
        if (NowSeconds() >= deadline) {
            return false;
        }
    }
}

void TChildProcess::Terminate() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

bool TChildProcess::Running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD TChildProcess::ExitCode() const {
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

std::string TChildProcess::DescribeWindowsSeen() const {
    std::ostringstream text;
    for (const TSeenWindow& window : windowsSeen_) {
        if (window.Visible) {
            text << "[" << window.ClassName << " \"" << window.Caption << "\"] ";
        }
    }
    return text.str();
}

TRunResult RunProcess(const std::string& exe, const std::vector<std::string>& arguments, DWORD timeoutMs,
                      bool captureOutput) {
    TRunResult result;
    TChildProcess process;
    const double start = NowSeconds();
    result.Started = process.Start(exe, arguments, captureOutput);
    if (!result.Started) {
        return result;
    }
    result.TimedOut = !process.Wait(timeoutMs);
    result.Seconds = NowSeconds() - start;
    if (result.TimedOut) {
        process.Terminate();
    }
    result.ExitCode = process.ExitCode();
    result.Output = process.Output();
    result.WindowsSeen = process.WindowsSeen();
    result.WindowsDescription = process.DescribeWindowsSeen();
    return result;
}

TRunResult RunKavrilon(const std::vector<std::string>& arguments, DWORD timeoutMs) {
    return RunProcess(KavrilonExePath(), arguments, timeoutMs);
}
