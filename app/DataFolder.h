#pragma once
// The folder that holds the options file, the primary layouts and the backups.

#include <string>

// Always ends with "\".
extern std::string DataFolder;

// The per-user folder (local application data on Windows 2000 and later or Me, application data
// before) followed by "\Quellwyn\Kavrilon\".
void ChooseDataFolder();

// The PORT switch: the folder of the program file itself.
void ChoosePortableDataFolder();

std::string OptionsFilePath();
