#pragma once
// The command-line phase: switches, options, then the verbs one after the other.

#include <string>
#include <vector>

// `arguments` are the raw command-line arguments after the program name (at least one).
void RunCommandLinePhase(const std::vector<std::string>& arguments);
