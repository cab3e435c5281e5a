#include "LangTable.h"

#include "TextRules.h"

std::string LangTextFor(int32_t id, uint8_t language) {
    for (const TLangItem& item : LangTable) {
        if (item.Id == id) {
            return PickLanguage(item.Texts[0], item.Texts[1], language);
        }
    }
    return {};
}

std::string LangCountTextFor(int32_t singularId, uint64_t count, uint8_t language) {
    return FormatFirst(LangTextFor(count == 1 ? singularId : singularId + 1, language),
                       std::to_string(count));
}
