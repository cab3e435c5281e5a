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

// The pause before an automatic restore once the workstation is unlocked (DelayAutoRest, 200 ms
// when missing): a hand-edited value is kept between 0 and 10 seconds. `stored` is the value as a
// profile read returns it (a negative number arrives as its unsigned pattern).
inline constexpr uint32_t DefaultAutoRestoreDelayMs = 200;
inline constexpr uint32_t MaxAutoRestoreDelayMs = 10000;
inline uint32_t ClampAutoRestoreDelay(uint32_t stored) {
    const auto value = static_cast<int32_t>(stored);
    return value < 0                                             ? 0
           : value > static_cast<int32_t>(MaxAutoRestoreDelayMs) ? MaxAutoRestoreDelayMs
                                                                 : static_cast<uint32_t>(value);
}
