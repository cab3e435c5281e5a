#pragma once
// Files and the program's own path. Only kernel32 functions that every 32-bit Windows has.

#include <windows.h>

#include <string>

// GetFileAttributesA succeeds (files and folders alike).
bool PathExists(const std::string& path);

// GetFileAttributesA succeeds and the path is a directory.
bool FolderExists(const std::string& path);

// The full path of a loaded module (null: the program file of this process). Empty when the system
// cannot say it or it does not fit the ANSI functions' length.
std::string ModuleFilePath(HMODULE module);

// The full path of the running program file.
std::string ProgramFilePath();

// The folder of the running program file, ending with "\". Empty when its path cannot be read.
std::string ProgramFolder();
