#include "Language.h"

#include <windows.h>

#include <vector>

#include "AppGlobals.h"

uint8_t LanguageIndex = LanguageEnglish;

std::string LangText(int32_t id) {
    return LangTextFor(id, LanguageIndex);
}

std::string LangPick(std::string_view german, std::string_view english) {
    return PickLanguage(german, english, LanguageIndex);
}

std::string ApplyCaseMarks(std::string_view text, TCaseMode mode) {
    return ApplyCaseMarksFor(text, mode, IsVistaFamily);
}

std::string TitleCaption(int32_t textId) {
    return "Kavrilon - " + StripAccelerators(ApplyCaseMarks(LangText(textId), CaseUpper));
}

std::string ErrorCaption() {
    return "Kavrilon - " + LangPick("Fehler", "Error");
}

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
