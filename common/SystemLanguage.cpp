#include "SystemLanguage.h"

#include <windows.h>

#include <vector>

#include "LanguageRules.h"
#include "OptionRules.h"

uint8_t LanguageFromLocale() {
    constexpr LCID systemDefault = 0x0800;             // LOCALE_SYSTEM_DEFAULT
    constexpr LCTYPE abbreviatedLanguage = 0x80000003; // LOCALE_SABBREVLANGNAME, no user override
    const int length = GetLocaleInfoA(systemDefault, abbreviatedLanguage, nullptr, 0);
    std::string name;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
        if (GetLocaleInfoA(systemDefault, abbreviatedLanguage, buffer.data(), length) > 0) {
            name = buffer.data();
        }
    }
    return LanguageFromLocaleName(name);
}

uint8_t LanguageFromLocaleAndOptions(const std::string& optionsFilePath) {
    uint8_t language = LanguageFromLocale();
    std::vector<char> buffer(2048, '\0');
    GetPrivateProfileStringA("Opt", "Language", std::string(MissingOptionText).c_str(), buffer.data(),
                             static_cast<DWORD>(buffer.size()), optionsFilePath.c_str());
    ApplyOptionText(buffer.data(), language);
    return NormalizeLanguage(language);
}
