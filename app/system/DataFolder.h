#pragma once
// The folder that holds the options file, the primary layouts and the backups.

#include <string>

// The folder itself is DataFolder (ProcessState.h).

// The per-user folder (local application data on Windows 2000 and later or Me, application data
// before) followed by "\Quellwyn\Kavrilon\"; empty when the system cannot name that folder.
void ChooseDataFolder();

// True when a data folder was found. Otherwise says so (where messages may be shown), sets the
// exit code ExitDataFolderMissing and returns false: nothing may be read or written then, least of
// all relative to whatever folder is current.
bool DataFolderAvailable();

// The PORT switch: the folder of the program file itself.
void ChoosePortableDataFolder();

std::string OptionsFilePath();
