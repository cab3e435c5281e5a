#pragma once
// Starting programs from tests: every process started here has a timeout and is ended after it, so
// that a message box nobody answers fails the test instead of hanging the run.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// A top-level window that a child process showed, as seen while it ran.
struct TSeenWindow {
    HWND Window = nullptr;
    std::string ClassName;
    std::string Caption;
    bool Visible = false;
};

// Quotes one argument for a Windows command line when it needs quotes.
std::string QuoteArgument(const std::string& argument);

class TChildProcess {
public:
    TChildProcess() = default;
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    // Ends a process that still runs when the test is over.
    ~TChildProcess();

    // Starts `exe` with the arguments. `captureOutput` collects its standard output.
    bool Start(const std::string& exe, const std::vector<std::string>& arguments, bool captureOutput = false);

    // Waits up to `timeoutMs` for the end, watching the process's top-level windows meanwhile.
    // Returns false on timeout (the process still runs).
    bool Wait(DWORD timeoutMs);

    // Ends the process if it still runs.
    void Terminate();

    bool Running() const;
    DWORD Pid() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    DWORD ExitCode() const;
    const std::vector<TSeenWindow>& WindowsSeen() const { return windowsSeen_; }
    // Visible windows seen while waiting, described for a failure message.
    std::string DescribeWindowsSeen() const;
    // Standard output collected so far (with captureOutput).
    const std::string& Output() const { return output_; }

    // Records the process's current top-level windows.
    void ObserveWindows();

private:
    void DrainOutput();

    PROCESS_INFORMATION info_ = {};
    HANDLE outputRead_ = nullptr;
    std::string output_;
    std::vector<TSeenWindow> windowsSeen_;
};

struct TRunResult {
    bool Started = false;
    bool TimedOut = false;
    DWORD ExitCode = 0;
    double Seconds = 0;
    std::string Output;
    std::vector<TSeenWindow> WindowsSeen;
    std::string WindowsDescription;
};

// Runs a program to its end, or ends it after `timeoutMs`.
TRunResult RunProcess(const std::string& exe, const std::vector<std::string>& arguments, DWORD timeoutMs,
                      bool captureOutput = false);

// Runs Kavrilon.exe from the build's bin folder.
TRunResult RunKavrilon(const std::vector<std::string>& arguments, DWORD timeoutMs = 20000);

// The top-level windows that belong to a process right now.
std::vector<TSeenWindow> TopLevelWindowsOf(DWORD pid);

// The "name=value" lines of a probe's output (CR LF or LF ends).
std::map<std::string, std::string> ProbeValues(const std::string& output);

// Seconds from a fixed point, for timing.
double NowSeconds();
