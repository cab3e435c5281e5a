#include "Language.h"

uint8_t LanguageIndex = LanguageEnglish;
