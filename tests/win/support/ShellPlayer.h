#pragma once
// Runs the shell player (tools/shell-player), which plays the shell towards the shell extension,
// and reads what it printed.

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ProcessRunner.h"

// The 32-bit player always; in a 64-bit prefix also the 64-bit one, which loads the 64-bit
// extension through the 64-bit registry view.
struct TPlayer {
    bool Is64Bit;
    const char* FileName;       // kv-shell-player-x86.exe or kv-shell-player-x64.exe
    const char* ExtensionName;  // the extension that the player's registry view names
    unsigned long RegistryView; // KEY_WOW64_32KEY or KEY_WOW64_64KEY
};
std::vector<TPlayer> PlayersOfThisPrefix();
// The player that a real shell of this prefix would be: 64-bit under WOW64.
TPlayer ShellBitnessPlayer();

struct TPlayerResult {
    TRunResult Run;
    std::map<std::string, std::string> Values;
    // The value printed under `name`, "<none>" when the player printed none.
    std::string operator[](const std::string& name) const;
};
TPlayerResult RunShellPlayer(const TPlayer& player, const std::vector<std::string>& arguments,
                             DWORD timeoutMs = 30000);

// Sets ExeLocation in both registry views (an empty path removes the value).
void SetExeLocation(const std::string& path);

// The command line and show state recorded by the stand-in for Kavrilon.exe (probes/CommandRecorder)
// in `folder`; waits up to `timeoutMs` for the record. Empty when nothing was recorded.
std::string WaitForRecordedCommand(const std::string& folder, DWORD timeoutMs);

// For the guard's life, the user's local application-data folder cannot be found by any of the
// three lookups, in this process and in every program it starts: the shell's "User Shell Folders"
// value holds a relative path (which the shell cannot create, so it fails, and which it copies into
// "Shell Folders"), and no "Shell Folders" value of the user or the machine names a full path. The
// values it replaces come back at the end.
class TUnfindableLocalAppData {
public:
    TUnfindableLocalAppData();
    ~TUnfindableLocalAppData();
    TUnfindableLocalAppData(const TUnfindableLocalAppData&) = delete;
    TUnfindableLocalAppData& operator=(const TUnfindableLocalAppData&) = delete;

private:
    struct TSavedValue {
        HKEY Root;
        const char* Key;
        REGSAM View;
        bool Existed;
        DWORD Type;
        std::string Bytes;
    };
    std::vector<TSavedValue> saved_;
};
