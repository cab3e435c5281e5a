#pragma once
// Helpers for the save and restore tests: a desktop played by the desktop host, Kavrilon.exe runs
// against it, and the files of the data folder.

#include <windows.h>

#include <string>
#include <vector>

#include "DesktopHostClient.h"
#include "ProcessRunner.h"

// The resolution key of this display, computed by the test itself.
std::string DisplayResolutionKey();
// The key of the display configuration as a fresh DPI-aware process (Kavrilon.exe) sees it, from
// kv_display_probe; with one monitor at 96 DPI the same as DisplayResolutionKey().
std::string ProbedDisplayKey();
std::string PrimaryLayoutFile();
std::string BackupFolder();
// The file names in the backup folder of the current resolution, sorted.
std::vector<std::string> BackupFiles();

// Creates the data folder with its layout folder and the backup folder of this resolution.
void MakeDataFolders();

// One line of a layout file, as a test writes it by hand.
struct TLayoutLine {
    int X;
    int Y;
    std::string Caption;
};
// Writes a layout file with the header lines (and "# Grid" when asked) and the given entries.
bool WriteLayoutFile(const std::string& path, const std::vector<TLayoutLine>& lines, bool grid = false);
// Writes Options.ini in the data folder with the given lines after "[Opt]".
bool WriteOptionsFile(const std::vector<std::string>& lines);

// Position of every host item, by item order.
struct TPlace {
    int X;
    int Y;
    bool operator==(const TPlace& other) const { return X == other.X && Y == other.Y; }
};
std::vector<TPlace> Places(const kvtest::DesktopHostState& state);
std::vector<TPlace> CurrentPlaces(kvtest::DesktopHost& host);
std::string Describe(const std::vector<TPlace>& places);

// Kavrilon.exe started in the background, for tests that answer its questions.
class TKavrilonRun {
public:
    // Runs the build's Kavrilon.exe, or the copy at `exePath`.
    explicit TKavrilonRun(const std::vector<std::string>& arguments, const std::string& exePath = {});
    // Waits for the next message box, checks nothing, returns its window (null on timeout).
    HWND NextBox(DWORD timeoutMs = 15000);
    // Waits for the end; false on timeout (the process is then ended).
    bool Finish(DWORD timeoutMs = 20000);
    DWORD ExitCode() const { return process_.ExitCode(); }
    std::string WindowsSeen() const { return process_.DescribeWindowsSeen(); }

private:
    TChildProcess process_;
};
