#include "MonitorDisplay.h"

#include <atomic>

#include "ProcessRunner.h"
#include "TestEnvironment.h"
#include "WinHandles.h"

std::string MonitorDisplay() {
    char value[64] = {};
    const DWORD length = GetEnvironmentVariableA("KV_MONITOR_DISPLAY", value, sizeof value);
    return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

bool RunMonitorHelper(const std::string& helperCall, std::string& log, DWORD timeoutMs) {
    static std::atomic<unsigned> counter{0};
    // Wine shows the Unix root as drive Z:. A Unix program started from Wine has no process handle
    // to wait on, so it reports its end by a file that appears whole (renamed into place).
    const std::string name =
        "/tmp/kv-monitor-helper-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    const std::string script = ". '" KV_SOURCE_DIR "/scripts/wine-env.sh' && export KV_MONITOR_DISPLAY='" +
                               MonitorDisplay() + "' && " + helperCall + " >'" + name +
                               ".log' 2>&1; echo $? >'" + name + ".tmp' && mv '" + name + ".tmp' '" + name +
                               ".rc'";
    const std::string windowsName = "Z:" + name;
    std::string commandLine = "/bin/bash -c " + QuoteArgument(script);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        log = "the Unix shell did not start, error " + std::to_string(GetLastError());
        return false;
    }
    TUniqueHandle thread(process.hThread), handle(process.hProcess);
    const double deadline = NowSeconds() + timeoutMs / 1000.0;
    while (!IsFile(windowsName + ".rc") && NowSeconds() < deadline) {
        Sleep(20);
    }
    const std::string code = ReadFileBytes(windowsName + ".rc");
    log = helperCall + ": " + ReadFileBytes(windowsName + ".log");
    DeleteFileA((windowsName + ".rc").c_str());
    DeleteFileA((windowsName + ".log").c_str());
    if (code.empty()) {
        log += "(no end within the timeout)";
        return false;
    }
    return code == "0\n";
}
