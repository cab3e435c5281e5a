#pragma once
// The preview command of the command line: the picture of a layout file, of a backup of the current
// display configuration, or of its primary layout, in an ordinary window until the user closes it.

#include <string>

// `argument` is a backup id (as typed, in any case), a file name, or empty for the primary layout.
// Reads the desktop once (holding the action mutex for that moment only) and shows the window; a
// file that cannot be read shows the reader's message in the window and leaves the exit code of a
// layout file error.
void ShowLayoutPreviewCommand(const std::string& argument);
