#include "MonitorDisplay.h"

#include <atomic>

#include "DisplaySnapshot.h"
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

TDisplayConfig WaitForMonitors(size_t count, const TDisplayRect& bounds) {
    const double deadline = NowSeconds() + 10;
    TDisplayConfig config = TakeDisplaySnapshot();
    while ((config.Monitors.size() != count || !(VirtualScreenOf(config) == bounds)) &&
           NowSeconds() < deadline) {
        Sleep(50);
        config = TakeDisplaySnapshot();
    }
    return config;
}

bool DetachSecondMonitorByDisplaySettings() {
    DISPLAY_DEVICEA device = {};
    device.cb = sizeof device;
    for (DWORD i = 0; EnumDisplayDevicesA(nullptr, i, &device, 0); ++i, device.cb = sizeof device) {
        const DWORD state = device.StateFlags;
        if ((state & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) == 0 ||
            (state & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0) {
            continue;
        }
        // A size of 0 x 0 detaches the adapter; the change is applied by the call without a device.
        DEVMODEA mode = {};
        mode.dmSize = sizeof mode;
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_POSITION;
        return ChangeDisplaySettingsExA(device.DeviceName, &mode, nullptr, CDS_UPDATEREGISTRY | CDS_NORESET,
                                        nullptr) == DISP_CHANGE_SUCCESSFUL &&
               ChangeDisplaySettingsExA(nullptr, nullptr, nullptr, 0, nullptr) == DISP_CHANGE_SUCCESSFUL;
    }
    return false;
}
