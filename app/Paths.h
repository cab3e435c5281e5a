#pragma once
// Path routines used throughout the main program.

#include <string>

#include "PathText.h"

// GetFileAttributesA succeeds (files and folders alike).
bool PathExists(const std::string& path);

// GetFileAttributesA succeeds and the path is a directory.
bool FolderExists(const std::string& path);

// Creates a folder with all missing parents. True when the folder exists afterwards or the path is
// a drive (shorter than 3 characters, or its own parent).
bool CreateFolderChain(const std::string& path);

// The full path of the running program file.
std::string ProgramFilePath();
