#pragma once
// Detection of the Windows version and of the system functions that only some versions have; the
// results are RunningWindows, ShellIs64Bit and the function pointers of ProcessState.h.

// Sets the Windows-version flags and the view command ids from GetVersionExA.
void DetectWindowsVersion();

// Takes SHCreateItemFromParsingName (Vista family only) and SetLayeredWindowAttributes, and asks
// IsWow64Process whether the shell is 64-bit.
void ResolveLateBoundFunctions();
