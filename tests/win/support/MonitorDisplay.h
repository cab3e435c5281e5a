#pragma once
// The X display with several monitors (kv_start_monitor_display in scripts/wine-env.sh) as the tests
// under Wine see it: its name, and its dummy outputs switched on, moved and off through the
// script's xrandr helpers, which run as Unix commands (Wine starts a Unix program that
// CreateProcess is given).

#include <windows.h>

#include <string>

#include "DisplayConfig.h"

// KV_MONITOR_DISPLAY (for example ":1"), empty when the tests run without that display.
std::string MonitorDisplay();

// Runs one helper of scripts/wine-env.sh with its arguments, for example
// "kv_monitor_attach DUMMY1 1024x768 right-of", on the monitor display, and waits for its end.
// True when it succeeded; `log` gets what it printed.
bool RunMonitorHelper(const std::string& helperCall, std::string& log, DWORD timeoutMs = 20000);

// Waits (at most 10 s) until this process sees the virtual screen `bounds` made of `count`
// monitors, and returns the snapshot it saw last. Wine tells a running program of an outside change
// by no message; its monitor functions answer anew within about a quarter of a second.
TDisplayConfig WaitForMonitors(size_t count, const TDisplayRect& bounds);

// Detaches the display adapter that is attached and not the primary one through
// ChangeDisplaySettingsEx, as a program would; false when there is none or Windows refuses.
bool DetachSecondMonitorByDisplaySettings();
