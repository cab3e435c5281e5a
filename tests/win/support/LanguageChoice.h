#pragma once
// Runs Kavrilon.exe with a given Language value in Options.ini and reports the value it wrote back.

#include <string>

// The abbreviated language name of the system default locale as this test process sees it.
std::string SystemLocaleLanguageName();

// Starts Kavrilon.exe once (a command line without verbs) after writing Options.ini with the given
// Language value (no Language key when null) and returns the Language value of the rewritten file.
std::string LanguageWrittenAfterStart(const char* storedValue);
