#pragma once
// The values of the main program's exit code (ProcessState.h holds the code itself). Includes no
// Windows header, so that the Windows-independent units and their tests can name the values.

#include <cstdint>

inline constexpr int32_t ExitSuccess = 0;
inline constexpr int32_t ExitTrayAlreadyRunning = 1;
inline constexpr int32_t ExitDesktopNotFound = 2;
inline constexpr int32_t ExitLayoutFileError = 3;
// The user's application-data folder, which holds the options, layouts and backups, cannot be found.
inline constexpr int32_t ExitDataFolderMissing = 4;
