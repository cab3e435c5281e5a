#pragma once
// The display configuration of the running system (the rules over it are in DisplayConfig.h).
//
// Rectangles, work areas and the primary flag come from EnumDisplayMonitors and GetMonitorInfo,
// which a running process sees fresh after every change; the DPI from GetDpiForMonitor (effective
// DPI, Windows 8.1 and later) or else the system DPI. Identities come from the display
// configuration (Windows 7 and later: the monitor's device path, and through it the EDID's
// manufacturer, product code and serial where the registry holds the EDID). A monitor that the
// configuration does not list (Windows Vista; a configuration that fails or is stale while it
// changes, as in a running process under Wine) gets its identity from EnumDisplayDevices, which
// gives the same device path from Vista on (the device id before), so that the key does not depend
// on which source answered. Device paths are kept in upper case. The "\\.\DISPLAYn" names only join
// monitors to those records; they are never an identity. Every function that not every Windows has
// is looked up at run time. Without EnumDisplayMonitors (Windows 95, NT 4) the snapshot is one
// monitor: the primary screen with its work area.
//
// A process that is not DPI-aware gets scaled rectangles and 96 DPI from these functions on a
// scaled display; the main program and Explorer (where the shell extension runs) are aware.

#include <string>

#include "DisplayConfig.h"

// The current configuration; never without a monitor.
TDisplayConfig TakeDisplaySnapshot();

// DisplayConfigKey of the current configuration.
std::string CurrentDisplayKey();
