#pragma once
// What the program derives from the Windows version numbers. Includes no Windows header.

#include <cstdint>

struct TVersionFlags {
    bool IsNTPlatform = false;
    bool IsWindowsMe = false;
    bool IsWindows2000OrLater = false;
    bool IsXPOrLater = false;
    bool IsVistaFamily = false;
    // Structure size that the classic file dialogs are given.
    uint32_t OpenFileNameSize = 76;
    // Shell view commands that toggle align-to-grid and auto-arrange on the desktop.
    uint16_t AlignToGridCommand = 0x7052;
    uint16_t AutoArrangeCommand = 0x7051;
};

inline constexpr uint32_t PlatformWin32Windows = 1; // Windows 95, 98, Me
inline constexpr uint32_t PlatformWin32NT = 2;

TVersionFlags DeriveVersionFlags(uint32_t major, uint32_t minor, uint32_t platformId);
