#pragma once
// Moving the desktop icons to the positions of a layout file.

#include <string>

// Reads the layout file and moves every icon whose caption it lists to its stored position, after
// switching off align-to-grid and auto-arrange (align-to-grid comes on again when the layout was
// captured with it, from Windows XP on). True when the icons were moved; false when the desktop
// was not found (exit code 2, message), no shared buffer was obtained or the file could not be read
// (message unless silent; exit code 3 for an I/O error). Icons whose stored position lies on no
// monitor stay where they are; with `placeNewIcons`, icons the layout does not list that a restored
// icon now covers move to the nearest free cell of the desktop's grid on their monitor.
bool RestoreLayout(const std::string& path, bool placeNewIcons = true);
