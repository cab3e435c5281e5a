#pragma once
// Path routines used throughout the main program.

#include <string>

#include "FileSystem.h"
#include "PathText.h"

// Creates a folder with all missing parents. True when the folder exists afterwards or the path is
// a drive (shorter than 3 characters, or its own parent).
bool CreateFolderChain(const std::string& path);
