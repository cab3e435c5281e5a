#pragma once
// The language of every user-visible text.

#include <cstdint>

inline constexpr uint8_t LanguageGerman = 0;
inline constexpr uint8_t LanguageEnglish = 1;

// 0 German, 1 English; persisted as the option "Language".
extern uint8_t LanguageIndex;
