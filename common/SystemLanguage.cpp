#include "SystemLanguage.h"

#include <windows.h>

#include <string>
#include <vector>

#include "LanguageRules.h"

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
