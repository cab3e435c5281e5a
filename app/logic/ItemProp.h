#pragma once
// One desktop icon, or one entry of a layout file. Includes no Windows header.

#include <cstdint>
#include <string>

struct TItemProp {
    // UTF-8 on the NT family, the ANSI code page on Windows 9x.
    std::string Caption;
    // Position: list-view client coordinates for an icon, virtual-screen coordinates for an entry.
    int32_t X = 0;
    int32_t Y = 0;
    // Layout entries only: already given to an icon by the caption lookup.
    bool Matched = false;
};
