#pragma once
// The rules by which the desktop's windows are recognised, the diagnostic of a failed search and
// the virtual-screen rectangle. Includes no Windows header.

#include <cstdint>
#include <string>
#include <string_view>

// A top-level window may hold the desktop view when its class is exactly "Progman" or begins with
// "Worker" (case-sensitive, only six characters compared).
bool MayHoldDesktopView(std::string_view className);
bool IsWorkerClass(std::string_view className);

// "<stage> <error code>", the code as an unsigned decimal number, e.g. "3 5".
std::string FormatLocateError(int stage, uint32_t errorCode);

struct TScreenRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
};

// The virtual screen from the system metrics: origin (left, top) and size; a size of which either
// part is 0 is replaced whole by the primary screen's size.
TScreenRect VirtualScreenFromMetrics(int32_t left, int32_t top, int32_t width, int32_t height,
                                     int32_t screenWidth, int32_t screenHeight);

// A layout file holds virtual-screen coordinates, the view item positions relative to the virtual
// screen's origin (left, top), which is negative when a monitor lies left of or above the primary
// one. Both conversions are computed in 64 bits and clamped to the signed 32-bit range, so that
// values near the limits never wrap around to the other end of the screen.
int32_t ViewToLayoutCoordinate(int32_t viewPosition, int32_t origin);
int32_t LayoutToViewCoordinate(int32_t stored, int32_t origin);
