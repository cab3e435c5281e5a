#pragma once
// The start-up sequence of the main program.

#include <string>
#include <vector>

// Runs the whole program for the given raw arguments (after the program name) and returns the
// exit code.
int RunKavrilon(const std::vector<std::string>& arguments);
