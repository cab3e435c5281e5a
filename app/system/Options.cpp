#include "Options.h"

#include <windows.h>

#include "Autostart.h"
#include "DataFolder.h"
#include "Language.h"
#include "OptionRules.h"
#include "Paths.h"
#include "RunMode.h"
#include "WindowsVersion.h"

uint8_t RestoreAtStart = 1;
uint8_t RestoreAtChange = 1;
uint8_t RestoreAtResume = 1;
uint8_t QueryRestore = 1;
uint8_t QueryRestoreFile = 1;
uint8_t QuerySave = 1;
uint8_t Transparency = 0;
uint8_t SaveNotification = 1;
uint8_t DirectUndo = 1;
uint8_t IconSize = 0;
uint8_t AutoSave = 0;
uint8_t NoSplash = 0;

std::string SavePath;
std::string RestorePath;
bool AutostartState = false;

const TKVOption OptionTable[OptionCount] = {
    {"RestoreAtStart", &RestoreAtStart, 1},
    {"RestoreAtChange", &RestoreAtChange, 1},
    {"RestoreAtResume", &RestoreAtResume, 1},
    {"QueryRestore", &QueryRestore, 1},
    {"QueryRestoreFile", &QueryRestoreFile, 1},
    {"QuerySave", &QuerySave, 1},
    {"Transparency", &Transparency, 0},
    {"SaveNotification", &SaveNotification, 1},
    {"DirectUndo", &DirectUndo, 1},
    // The default of the language is chosen from the locale by InitDefaults.
    {"Language", &LanguageIndex, LanguageEnglish},
    {"IconSize", &IconSize, 0},
    {"AutoSave", &AutoSave, 0},
    {"NoSplash", &NoSplash, 0},
};

namespace {

constexpr DWORD ProfileBufferSize = 2048;

std::string ReadProfileText(const char* key, const std::string& file) {
    char buffer[ProfileBufferSize] = {};
    const DWORD length = GetPrivateProfileStringA(OptionsSection, key, MissingOptionText.data(), buffer,
                                                  ProfileBufferSize, file.c_str());
    return std::string(buffer, length);
}

std::string ReadPathOption(const char* key, const std::string& file) {
    std::string text = ReadProfileText(key, file);
    return text == MissingOptionText ? std::string() : text;
}

} // namespace

void SetOptionDefaults() {
    for (const TKVOption& option : OptionTable) {
        if (option.Value != &LanguageIndex) {
            *option.Value = option.Default;
        }
    }
    SavePath.clear();
    RestorePath.clear();
}

void ReadOptions() {
    const std::string file = OptionsFilePath();
    for (const TKVOption& option : OptionTable) {
        ApplyOptionText(ReadProfileText(option.Key, file), *option.Value);
    }
    SavePath = ReadPathOption("SavePath", file);
    RestorePath = ReadPathOption("RestorePath", file);
    LanguageIndex = NormalizeLanguage(LanguageIndex);
    AutostartState = IsAutostartSet() && !PortableMode;
    if (SetLayeredWindowAttributesPtr == nullptr) {
        Transparency = 0;
    }
}

void WriteOptions() {
    if (!PortableMode && !CreateFolderChain(DataFolder)) {
        return;
    }
    const std::string file = OptionsFilePath();
    for (const TKVOption& option : OptionTable) {
        const std::string text = std::to_string(static_cast<unsigned>(*option.Value));
        WritePrivateProfileStringA(OptionsSection, option.Key, text.c_str(), file.c_str());
    }
    WritePrivateProfileStringA(OptionsSection, "SavePath", SavePath.c_str(), file.c_str());
    WritePrivateProfileStringA(OptionsSection, "RestorePath", RestorePath.c_str(), file.c_str());
}

void InitDefaults() {
    SetOptionDefaults();
    // A Language key that converts overrides the locale's choice; without one the locale decides.
    LanguageIndex = LanguageFromLocale();
    ReadOptions();
}
