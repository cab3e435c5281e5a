#pragma once
// Text rules for paths. Includes no Windows header.

#include <string>
#include <string_view>

// The path up to and including its last "\" or ":"; empty when it holds neither.
std::string FolderOfPath(std::string_view path);

// The folder part of a file path for the files the program writes: up to and including the last
// "\", "/" or ":"; empty when it holds none. Paths typed on a command line may use either
// separator.
std::string FolderOfFilePath(std::string_view path);

// Whether two names are equal when ASCII letters are compared without their case, as Windows
// compares file names in the program's paths (other characters must match exactly).
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
