#pragma once
// Detection of the Windows version and of the system functions that only some versions have.

#include <windows.h>
#include <objidl.h>

#include <cstdint>

// Sets the Windows-version flags and the view command ids from GetVersionExA.
void DetectWindowsVersion();

// Takes SHCreateItemFromParsingName (Vista family only) and SetLayeredWindowAttributes, and asks
// IsWow64Process whether the shell is 64-bit.
void ResolveLateBoundFunctions();

// Windows-version flags, set once by DetectWindowsVersion.
extern bool IsNTPlatform;
extern bool IsWindowsMe;
extern bool IsWindows2000OrLater;
extern bool IsXPOrLater;
extern bool IsVistaFamily;
extern uint32_t OpenFileNameSize;
extern uint16_t AlignToGridCommand;
extern uint16_t AutoArrangeCommand;

// This 32-bit program runs under WOW64, so the shell's process is 64-bit.
extern bool ShellIs64Bit;

// System functions that not every Windows version has; empty when missing.
using TSHCreateItemFromParsingName = HRESULT(WINAPI*)(PCWSTR path, IBindCtx* context, REFIID riid,
                                                      void** item);
using TSetLayeredWindowAttributes = BOOL(WINAPI*)(HWND window, COLORREF key, BYTE alpha, DWORD flags);
extern TSHCreateItemFromParsingName SHCreateItemFromParsingNamePtr;
extern TSetLayeredWindowAttributes SetLayeredWindowAttributesPtr;
