#include "OptionRules.h"

#include "NumberConversion.h"

bool ApplyOptionText(std::string_view text, uint8_t& value) {
    int64_t converted = 0;
    if (!TryParseInt64(text, converted)) {
        return false;
    }
    value = LowByte(converted);
    return true;
}
