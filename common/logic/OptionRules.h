#pragma once
// How option values read from a hand-editable options file become option bytes. Shared by the
// main program and the shell extension. Includes no Windows header.

#include <cstdint>
#include <string_view>

// The text a profile read returns for a key that is not in the file.
inline constexpr std::string_view MissingOptionText = "*";

// Stores the low 8 bits of the converted text in `value` and returns true; a text that does not
// convert (a missing key reads as "*") leaves `value` unchanged and returns false.
bool ApplyOptionText(std::string_view text, uint8_t& value);

// The language index is 0 (German) or 1 (English); every other stored value means English.
inline uint8_t NormalizeLanguage(uint8_t language) {
    return language == 0 || language == 1 ? language : 1;
}
