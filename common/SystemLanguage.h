#pragma once
// The language of the user-visible texts as the system and the options file choose it. Shared by the
// main program and the shell extension.

#include <cstdint>
#include <string>

// The language of the system default locale: German (0) when its abbreviated language name starts
// with "DE", English (1) otherwise (also when the locale cannot be read).
uint8_t LanguageFromLocale();

// The locale's language, replaced by the "Language" key of section "Opt" of the options file when
// that converts (its low 8 bits; any value but 0 and 1 means English). No other option is read.
uint8_t LanguageFromLocaleAndOptions(const std::string& optionsFilePath);
