#pragma once
// The Windows version as the system reports it (GetVersionExA, which every 32-bit Windows has).

#include <windows.h>

#include "VersionRules.h"

struct TSystemVersion {
    bool Known = false; // false when the system did not answer; the numbers are then 0
    DWORD Major = 0;
    DWORD Minor = 0;
    DWORD PlatformId = 0;
};

TSystemVersion ReadSystemVersion();

// The flags of the reported version; the flags of version 0.0 when the system did not answer.
TVersionFlags SystemVersionFlags();
