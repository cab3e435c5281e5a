#include "ShellPlayer.h"

#include "KavrilonNames.h"
#include "TestEnvironment.h"

std::vector<TPlayer> PlayersOfThisPrefix() {
    std::vector<TPlayer> players = {{false, "kv-shell-player-x86.exe", ShellExtFileName, KEY_WOW64_32KEY}};
    if (RunsUnderWow64()) {
        players.push_back({true, "kv-shell-player-x64.exe", ShellExt64FileName, KEY_WOW64_64KEY});
    }
    return players;
}

TPlayer ShellBitnessPlayer() {
    return PlayersOfThisPrefix().back();
}

std::string TPlayerResult::operator[](const std::string& name) const {
    const auto found = Values.find(name);
    return found == Values.end() ? "<none>" : found->second;
}

TPlayerResult RunShellPlayer(const TPlayer& player, const std::vector<std::string>& arguments,
                             DWORD timeoutMs) {
    TPlayerResult result;
    result.Run = RunProcess(TestToolPath(player.FileName), arguments, timeoutMs, true);
    result.Values = ProbeValues(result.Run.Output);
    return result;
}

void SetExeLocation(const std::string& path) {
    for (REGSAM view : {REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ShellExtServerKeyPath, 0, KEY_SET_VALUE | view, &key) !=
            ERROR_SUCCESS) {
            continue;
        }
        if (path.empty()) {
            RegDeleteValueA(key, ExeLocationValueName);
        } else {
            RegSetValueExA(key, ExeLocationValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                           static_cast<DWORD>(path.size() + 1));
        }
        RegCloseKey(key);
    }
}

std::string WaitForRecordedCommand(const std::string& folder, DWORD timeoutMs) {
    const std::string record = folder + "recorded-command.txt";
    const double end = NowSeconds() + timeoutMs / 1000.0;
    do {
        const std::string text = ReadFileBytes(record);
        // The recorder ends its record with a line "end".
        if (text.size() >= 4 && text.compare(text.size() - 4, 4, "end\n") == 0) {
            return text.substr(0, text.size() - 4);
        }
        Sleep(50);
    } while (NowSeconds() < end);
    return {};
}
