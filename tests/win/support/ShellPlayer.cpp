#include "ShellPlayer.h"

#include "KavrilonNames.h"
#include "RegistryReadback.h"
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

namespace {

constexpr const char* LocalAppDataValue = "Local AppData";
constexpr const char* UserShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr const char* ShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

void SetOrDeleteValue(HKEY root, const char* keyPath, REGSAM view, bool set, DWORD type,
                      const std::string& bytes) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    if (set) {
        RegSetValueExA(key, LocalAppDataValue, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    } else {
        RegDeleteValueA(key, LocalAppDataValue);
    }
    RegCloseKey(key);
}

} // namespace

TUnfindableLocalAppData::TUnfindableLocalAppData() {
    const struct {
        HKEY Root;
        const char* Key;
        REGSAM View;
    } places[] = {
        {HKEY_CURRENT_USER, UserShellFoldersKey, 0},
        {HKEY_CURRENT_USER, ShellFoldersKey, 0},
        {HKEY_LOCAL_MACHINE, ShellFoldersKey, KEY_WOW64_32KEY},
        {HKEY_LOCAL_MACHINE, ShellFoldersKey, KEY_WOW64_64KEY},
    };
    for (const auto& place : places) {
        const TRegValue value = ReadRegValue(place.Root, place.Key, LocalAppDataValue, place.View);
        saved_.push_back({place.Root, place.Key, place.View, value.Exists, value.Type, value.Bytes});
        SetOrDeleteValue(place.Root, place.Key, place.View, false, 0, {});
    }
    const std::string relative("KvNoAppDataFolder", sizeof("KvNoAppDataFolder"));
    SetOrDeleteValue(HKEY_CURRENT_USER, UserShellFoldersKey, 0, true, REG_SZ, relative);
}

TUnfindableLocalAppData::~TUnfindableLocalAppData() {
    for (const TSavedValue& value : saved_) {
        SetOrDeleteValue(value.Root, value.Key, value.View, value.Existed, value.Type, value.Bytes);
    }
}
