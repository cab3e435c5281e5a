#pragma once
// The integer conversion shared by the options file, the layout files, the backup ids and the
// window handle of the command line. Includes no Windows header.

#include <cstdint>
#include <string_view>

// Converts text to a signed 64-bit integer. Accepted: leading blanks, an optional "+" or "-", then
// either decimal digits or hexadecimal digits after a "$" or "0x" prefix. The whole text must be
// consumed: an empty text, a missing digit, any other character or a value beyond the signed 64-bit
// range fails. On failure `value` is left unchanged.
bool TryParseInt64(std::string_view text, int64_t& value);

// The low 32 bits of a converted value, as a signed number (coordinates in layout files).
inline int32_t LowInt32(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// The low 8 bits of a converted value (byte options).
inline uint8_t LowByte(int64_t value) {
    return static_cast<uint8_t>(static_cast<uint64_t>(value));
}
