#pragma once
// Text rules for paths. Includes no Windows header.

#include <string>
#include <string_view>

// The path up to and including its last "\" or ":"; empty when it holds neither.
std::string FolderOfPath(std::string_view path);
