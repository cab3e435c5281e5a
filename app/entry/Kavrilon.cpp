// Kavrilon: saves and restores the positions of the icons on the Windows desktop.
// Program entry: the tray application and command-line tool.

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ExitCodes.h"
#include "ProcessState.h"
#include "Startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The arguments as the C runtime splits the command line (blanks separate, quotes group).
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i) {
        arguments.emplace_back(__argv[i]);
    }
    try {
        return RunKavrilon(arguments);
    } catch (...) {
        // Nothing may escape into the system's start-up code. What was cut short (in practice an
        // allocation that failed) never counts as a success.
        return ExitCode == ExitSuccess ? ExitLayoutFileError : ExitCode;
    }
}
