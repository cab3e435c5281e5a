#pragma once
// The language of every user-visible text, and the text helpers of the main program.

#include <cstdint>
#include <string>
#include <string_view>

#include "LangTable.h"
#include "OptionTable.h"
#include "SystemLanguage.h"
#include "TextRules.h"

// The current language is ProgramOptions.Language (ProcessState.h): 0 German, 1 English.

// The current language's text of a numbered text; empty for an unknown id.
std::string LangText(int32_t id);

// The current language's element of a German/English pair.
std::string LangPick(std::string_view german, std::string_view english);

// Applies the "#" marks; Auto keeps marked letters on the Vista family and capitalises them before.
std::string ApplyCaseMarks(std::string_view text, TCaseMode mode);

// "Kavrilon - " followed by a numbered text in title case without accelerators.
std::string TitleCaption(int32_t textId);

// "Kavrilon - " followed by "Fehler" or "Error".
std::string ErrorCaption();
