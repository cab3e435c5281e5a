#include "LangTable.h"

std::string LangTextFor(int32_t id, uint8_t language) {
    for (const TLangItem& item : LangTable) {
        if (item.Id == id) {
            return PickLanguage(item.Texts[0], item.Texts[1], language);
        }
    }
    return {};
}
