// Shell mode: the platform's own shell builds the desktop view inside Progman.
#pragma once

#include <windows.h>

#include <string>

namespace kvhost {

// Asks the shell's desktop folder for its view and lets it create its window ("SHELLDLL_DefView"
// holding a "SysListView32") inside Desktop().progman, filling it. COM must be initialised.
bool CreateShellView(std::string& error);

// Destroys the view window and releases the shell objects.
void ReleaseShellView();

} // namespace kvhost
