#pragma once
// The program's numbered bilingual texts and the language choice. Includes no Windows header.
//
// Texts are 8-bit strings in the Windows-1252 code page (the program uses the ANSI functions), so
// the German letters beyond ASCII are written as octal escapes in the source.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "LanguageRules.h"

// Element 0 is the German text, element 1 the English text.
using TLangArray = std::array<const char*, 2>;

struct TLangItem {
    int32_t Id;
    TLangArray Texts;
};

inline constexpr int LangTableSize = 43;
// Searched from the first row; ids are unique.
extern const TLangItem LangTable[LangTableSize];

// Language identifiers for message boxes, indexed by the language: German (Germany), English (US).
inline constexpr uint16_t MessageLangIds[2] = {0x0407, 0x0409};

// The text of the row with `id` in `language` (0 German, 1 English), marks and accelerators still
// in it; empty for an unknown id or language.
std::string LangTextFor(int32_t id, uint8_t language);

// A count in words: the text of `singularId` when `count` is 1, else of the row after it (the
// plural), with its "%s" replaced by the count in decimal.
std::string LangCountTextFor(int32_t singularId, uint64_t count, uint8_t language);
