#pragma once
// What the tray watches between its actions: the display configuration and the shell's desktop.
// Windows tells most changes by a message (WM_DISPLAYCHANGE, "TaskbarCreated"), but not every one
// reaches the tray (a monitor switched from outside under Wine, a broadcast dropped while the tray
// was busy, a shell that restarted before the tray ran). So the tray notes the configuration's key
// and the desktop's list view at every message and action, and a difference at the next action
// counts as the change that brought no message. The last noted values are listed in
// ProcessState.h.

#include <windows.h>

// Takes the display snapshot and notes its key; true when it differs from the key noted before
// (never at the first call).
bool NoteDisplayConfig();

// Looks for the desktop's list view and notes it; true when a list view is found that is not the one
// noted before, while one was noted before: the shell has built its desktop anew. No desktop right
// now changes nothing.
bool NoteDesktopListView();

// Whether the monitors' rectangles or the primary monitor differ from those of the last call (never
// at the first call): a cheap look, made every DisplayPollMs, for changes that bring no message at
// all (under Wine every change made by the X server alone), so that a monitor unplugged and plugged
// back in between two actions is seen as two changes.
inline constexpr UINT DisplayPollMs = 1000;
bool MonitorsMoved();

// The wait for a restarted shell's desktop to fill its icons: StartShellFillWait begins it, and
// ShellFillWaitOver, called every ShellFillPollMs, tells when the icon count has stood still for
// ShellFillSteadyMs (with at least one icon), or ShellFillLimitMs have passed.
inline constexpr UINT ShellFillPollMs = 100;
inline constexpr DWORD ShellFillSteadyMs = 500;
inline constexpr DWORD ShellFillLimitMs = 5000;
void StartShellFillWait();
bool ShellFillWaitOver();
