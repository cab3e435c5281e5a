#pragma once
// The language choice and the pick of a text by language, shared by the main program and the shell
// extension. Includes no Windows header.

#include <cstdint>
#include <string>
#include <string_view>

// The element of a German/English pair at `language` (0 German, 1 English); empty when there is no
// such element.
std::string PickLanguage(std::string_view german, std::string_view english, uint8_t language);

// German when the abbreviated language name of the locale starts with "DE" (in any case), else
// English.
uint8_t LanguageFromLocaleName(std::string_view abbreviatedName);
