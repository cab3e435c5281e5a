#pragma once
// Locating the per-user folder in which the program keeps its files. Shared by the main program
// and the shell extension.

#include <windows.h>

#include <string>

// The path of a special folder without trailing "\": asks the shell first, then the "Shell Folders"
// value `valueName` under HKEY_CURRENT_USER, then under HKEY_LOCAL_MACHINE. Only a full path counts
// (a drive with its root or a share): a relative or rooted answer is passed over. Empty when all fail.
std::string SpecialFolderLookup(HWND owner, int csidl, const char* valueName);

// Reads a value of "Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" under `root`;
// empty when the key or value is missing or empty.
std::string ShellFoldersValue(HKEY root, const char* valueName);

// The per-user data folder: local application data (Windows 2000 and later, Me) or application data
// (older systems), followed by "\Quellwyn\Kavrilon\"; it ends with "\". Empty when the application
// data folder cannot be found: never a path relative to the current folder or drive.
std::string PerUserDataFolder(HWND owner, bool useLocalAppData);

// The vendor folder that holds the data folder, without trailing "\". Empty when the application
// data folder cannot be found.
std::string VendorFolder(HWND owner, bool useLocalAppData);
