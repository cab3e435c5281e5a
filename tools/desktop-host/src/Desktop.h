// The windows that play the shell's desktop: "Progman" ("Program Manager"), the view window
// "SHELLDLL_DefView" and its "SysListView32", optionally inside a "WorkerW" window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Fixture.h"

namespace kvhost {

struct CommandRecord {
    WPARAM wParam;
    LPARAM lParam;
};

// Everything the host knows about its desktop; one per process.
struct DesktopState {
    HWND progman = nullptr;
    HWND worker = nullptr;   // top-level window in front of Progman that holds the view, if any
    HWND defView = nullptr;  // the view window, ours or the shell's
    HWND listView = nullptr; // the icon list inside defView, if any
    bool shellMode = false;
    std::vector<CommandRecord> commandLog; // every WM_COMMAND that reached Progman, in order
};

DesktopState& Desktop();

// Registers the window classes: Progman's always, the view and worker classes only for a
// fixture (`fixture` is null in shell mode, where the shell brings its own view class).
bool RegisterDesktopClasses(HINSTANCE instance, const Fixture* fixture, std::string& error);

// Creates Progman covering the virtual screen (not yet shown).
bool CreateProgman(HINSTANCE instance, std::string& error);

// Fixture mode: builds the view windows and the items the fixture describes, then shows them.
bool BuildFixtureDesktop(HINSTANCE instance, const Fixture& fixture, std::string& error);

// Shows Progman (and the worker window) without activating them.
void ShowDesktopWindows();

// What Progman does with a shell view command (WM_COMMAND id), after logging it.
void ApplyViewCommand(WORD id);

} // namespace kvhost
