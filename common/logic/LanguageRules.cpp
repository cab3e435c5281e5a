#include "LanguageRules.h"

std::string PickLanguage(std::string_view german, std::string_view english, uint8_t language) {
    switch (language) {
    case 0:
        return std::string(german);
    case 1:
        return std::string(english);
    default:
        return {};
    }
}

uint8_t LanguageFromLocaleName(std::string_view abbreviatedName) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (abbreviatedName.size() > 1 && upper(abbreviatedName[0]) == 'D' && upper(abbreviatedName[1]) == 'E') {
        return 0;
    }
    return 1;
}
