#include "OptionsFile.h"

#include <windows.h>

namespace {

constexpr DWORD ProfileBufferSize = 2048;

std::string ReadProfileText(const char* key, const std::string& file) {
    char buffer[ProfileBufferSize] = {};
    const DWORD length = GetPrivateProfileStringA(OptionsSection, key, MissingOptionText.data(), buffer,
                                                  ProfileBufferSize, file.c_str());
    return std::string(buffer, length);
}

} // namespace

void LoadOptions(const std::string& file, TOptions& options) {
    ReadOptionTexts([&file](const char* key) { return ReadProfileText(key, file); }, options);
}

void LoadOption(const std::string& file, const TOptionRow& row, TOptions& options) {
    ApplyOptionRow(row, ReadProfileText(row.Key, file), options);
}

void StoreOptions(const std::string& file, const TOptions& options) {
    WriteOptionTexts(
        [&file](const char* key, const std::string& text) {
            WritePrivateProfileStringA(OptionsSection, key, text.c_str(), file.c_str());
        },
        options);
}

uint32_t LoadAutoRestoreDelay(const std::string& file) {
    return ClampAutoRestoreDelay(
        GetPrivateProfileIntA(OptionsSection, AutoRestoreDelayKey, DefaultAutoRestoreDelayMs, file.c_str()));
}

bool LoadMenuIconHidden(const std::string& file) {
    return ReadProfileText(MenuIconHiddenKey, file) == "1";
}
