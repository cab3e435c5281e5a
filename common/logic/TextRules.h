#pragma once
// Rules for the program's user-visible texts: the "#" capitalisation marks of the English texts, the
// "&" accelerators and the "%s" substitution. Shared by the main program and the shell extension.
// Includes no Windows header.

#include <string>
#include <string_view>

enum TCaseMode {
    CaseKeep = 0,  // a marked letter stays as written
    CaseUpper = 1, // a marked letter is capitalised
    CaseAuto = 2,  // Keep on the Vista family, Upper before it
};

// Removes every "#" mark that has a character after it; in Upper mode that character is capitalised
// (ASCII letters only). A "#" at the very end stays.
std::string ApplyCaseMarksFor(std::string_view text, TCaseMode mode, bool isVistaFamily);

// The text with every "&" removed ("&&" loses both characters).
std::string StripAccelerators(std::string_view text);

// Replaces the first "%s" with the argument; later ones stay.
std::string FormatFirst(std::string_view text, std::string_view argument);
