#pragma once
// The X display with several monitors (kv_start_monitor_display in scripts/wine-env.sh) as the tests
// under Wine see it: its name, and its dummy outputs switched on, moved and off through the
// script's xrandr helpers, which run as Unix commands (Wine starts a Unix program that
// CreateProcess is given).

#include <windows.h>

#include <string>

// KV_MONITOR_DISPLAY (for example ":1"), empty when the tests run without that display.
std::string MonitorDisplay();

// Runs one helper of scripts/wine-env.sh with its arguments, for example
// "kv_monitor_attach DUMMY1 1024x768 right-of", on the monitor display, and waits for its end.
// True when it succeeded; `log` gets what it printed.
bool RunMonitorHelper(const std::string& helperCall, std::string& log, DWORD timeoutMs = 20000);
