#include "LayoutScenario.h"

#include <sstream>

#include "DialogDriver.h"
#include "TestEnvironment.h"

std::string DisplayResolutionKey() {
    int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (width == 0 || height == 0) {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    return std::to_string(width) + "x" + std::to_string(height);
}

std::string ProbedDisplayKey() {
    const TRunResult run = RunProcess(TestToolPath("kv_display_probe.exe"), {}, 30000, true);
    return run.Started && !run.TimedOut ? ProbeValues(run.Output)["key"] : std::string();
}

std::string PrimaryLayoutFile() {
    return KavrilonDataFolder() + "Layouts\\Layout_" + DisplayResolutionKey() + ".kvl";
}

std::string BackupFolder() {
    return KavrilonDataFolder() + "Backups\\" + DisplayResolutionKey() + "\\";
}

std::vector<std::string> BackupFiles() {
    return FolderEntries(BackupFolder());
}

void MakeDataFolders() {
    const std::string data = KavrilonDataFolder();
    CreateDirectoryA(data.substr(0, data.size() - 10).c_str(), nullptr); // ...\Quellwyn
    for (const std::string& folder : {data, data + "Layouts", data + "Backups", BackupFolder()}) {
        CreateDirectoryA(folder.c_str(), nullptr);
    }
}

bool WriteLayoutFile(const std::string& path, const std::vector<TLayoutLine>& lines, bool grid) {
    std::string text = "\xEF\xBB\xBFKavrilon 8.2\r\n# " + DisplayResolutionKey() + "\r\n# 20260101120000\r\n";
    if (grid) {
        text += "# Grid\r\n";
    }
    for (const TLayoutLine& line : lines) {
        text += std::to_string(line.X) + " " + std::to_string(line.Y) + " " + line.Caption + "\r\n";
    }
    return WriteFileBytes(path, text);
}

bool WriteOptionsFile(const std::vector<std::string>& lines) {
    MakeDataFolders();
    std::string text = "[Opt]\r\n";
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return WriteFileBytes(KavrilonDataFolder() + "Options.ini", text);
}

std::vector<TPlace> Places(const kvtest::DesktopHostState& state) {
    std::vector<TPlace> places;
    for (const kvtest::HostItem& item : state.items) {
        places.push_back({item.x, item.y});
    }
    return places;
}

std::vector<TPlace> CurrentPlaces(kvtest::DesktopHost& host) {
    kvtest::DesktopHostState state;
    host.QueryState(state);
    return Places(state);
}

std::string Describe(const std::vector<TPlace>& places) {
    std::ostringstream text;
    for (const TPlace& place : places) {
        text << "(" << place.X << "," << place.Y << ") ";
    }
    return text.str();
}

TKavrilonRun::TKavrilonRun(const std::vector<std::string>& arguments, const std::string& exePath) {
    process_.Start(exePath.empty() ? KavrilonExePath() : exePath, arguments);
}

HWND TKavrilonRun::NextBox(DWORD timeoutMs) {
    HWND box = WaitForDialog(process_.Pid(), timeoutMs);
    if (box != nullptr) {
        // The box finishes its set-up before a user could read it.
        Sleep(200);
    }
    return box;
}

bool TKavrilonRun::Finish(DWORD timeoutMs) {
    if (process_.Wait(timeoutMs)) {
        return true;
    }
    process_.Terminate();
    return false;
}
