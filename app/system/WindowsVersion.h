#pragma once
// Detection of the Windows version and of the system functions that only some versions have.

#include <windows.h>
#include <objidl.h>

#include <cstdint>

#include "VersionRules.h"

// Sets the Windows-version flags and the view command ids from GetVersionExA.
void DetectWindowsVersion();

// Takes SHCreateItemFromParsingName (Vista family only) and SetLayeredWindowAttributes, and asks
// IsWow64Process whether the shell is 64-bit.
void ResolveLateBoundFunctions();

// What the running Windows version means for the program, set once by DetectWindowsVersion.
extern TVersionFlags RunningWindows;

// This 32-bit program runs under WOW64, so the shell's process is 64-bit.
extern bool ShellIs64Bit;

// System functions that not every Windows version has; empty when missing.
using TSHCreateItemFromParsingName = HRESULT(WINAPI*)(PCWSTR path, IBindCtx* context, REFIID riid,
                                                      void** item);
using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND window, COLORREF key, BYTE alpha, DWORD flags);
extern TSHCreateItemFromParsingName SHCreateItemFromParsingNamePtr;
extern TSetLayeredWindowAttributes SetLayeredWindowAttributesPtr;
