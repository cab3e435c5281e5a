#pragma once
// The language of the user-visible texts as the system chooses it. Shared by the main program and
// the shell extension.

#include <cstdint>

// The language of the system default locale: German (0) when its abbreviated language name starts
// with "DE", English (1) otherwise (also when the locale cannot be read).
uint8_t LanguageFromLocale();
