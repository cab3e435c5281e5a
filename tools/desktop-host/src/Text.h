// Text conversions of the desktop host that need no Windows header, so that they can be
// unit-tested with a native compiler.
#pragma once

#include <optional>
#include <string>

namespace kvhost {

// Strict UTF-8 to UTF-16: characters above U+FFFF become surrogate pairs. Returns nothing for
// malformed input (bad lead or continuation bytes, overlong forms, encoded surrogates, values
// above U+10FFFF, truncated sequences).
std::optional<std::u16string> Utf8ToUtf16(const std::string& utf8);

// UTF-16 to UTF-8: surrogate pairs become one four-byte sequence; an unpaired surrogate is
// encoded by itself as a three-byte sequence so that no unit is lost.
std::string Utf16ToUtf8(const std::u16string& utf16);

// Lower-case hex of each UTF-16 unit, four digits per unit ("" for an empty string).
std::string Utf16ToHex(const std::u16string& utf16);

// Inverse of Utf16ToHex; nothing when the length is not a multiple of four or a digit is bad.
std::optional<std::u16string> HexToUtf16(const std::string& hex);

} // namespace kvhost
