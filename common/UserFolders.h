#pragma once
// Locating the per-user folder in which the program keeps its files. Shared by the main program
// and the shell extension.

#include <windows.h>

#include <string>

// The path of a special folder without trailing "\": asks the shell first, then the "Shell Folders"
// value `valueName` under HKEY_CURRENT_USER, then under HKEY_LOCAL_MACHINE. Empty when all fail.
std::string SpecialFolderLookup(HWND owner, int csidl, const char* valueName);

// Reads a value of "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" under `root`;
// empty when the key or value is missing or empty.
std::string ShellFoldersValue(HKEY root, const char* valueName);

// The per-user data folder: local application data (Windows 2000 and later, Me) or application data
// (older systems), followed by "\Quellwyn\Kavrilon\". Always ends with "\".
std::string PerUserDataFolder(HWND owner, bool useLocalAppData);

// The vendor folder that holds the data folder, without trailing "\".
std::string VendorFolder(HWND owner, bool useLocalAppData);
