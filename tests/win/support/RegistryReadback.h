#pragma once
// Reading, writing and clearing the shell extension's registry layout from tests, with the test's
// own registry calls (independent of the code under test), in either registry view.

#include <windows.h>

#include <string>

// One registry value as stored: its type, its bytes (the terminating zero included) and their count.
struct TRegValue {
    bool Exists = false;
    DWORD Type = 0;
    std::string Bytes;
    // The data up to its first zero byte.
    std::string Text() const;
};

// `view` is 0 (the view of this 32-bit process), KEY_WOW64_32KEY or KEY_WOW64_64KEY.
TRegValue ReadRegValue(HKEY root, const std::string& key, const char* name, REGSAM view = 0);
bool RegKeyExists(HKEY root, const std::string& key, REGSAM view = 0);

// The six entries of the layout in one view.
struct TShellExtEntries {
    TRegValue Approved, ClassName, Server, ThreadingModel, ExeLocation, Handler;
    bool ServerKeyExists = false;
    bool ClassKeyExists = false;
    bool HandlerKeyExists = false;
    bool operator==(const TShellExtEntries& other) const;
    // A line per entry, for failure messages.
    std::string Describe() const;
};
// As the shell sees them (HKEY_CLASSES_ROOT and the "Approved" value for every user), or
// `perUser` the current user's registration only (below HKEY_CURRENT_USER).
TShellExtEntries ReadShellExtEntries(REGSAM view = 0, bool perUser = false);
// None of the six entries and none of the three keys of the layout is there.
bool NoShellExtEntries(REGSAM view = 0, bool perUser = false);

// Removes the layout, for every user and for the current user, from both views (a test's clean
// start and end).
void ClearShellExtEntries();

// Writes entries 3 and 5 only (in the view of this process): the server key as the shell and the
// extension read it, naming `extensionPath` and, unless empty, `exeLocation`.
bool WriteServerEntries(const std::string& extensionPath, const std::string& exeLocation);

// Writes the six entries of the current user's registration (below HKEY_CURRENT_USER) naming the
// extensions and Kavrilon.exe in `folder`: the 32-bit view and, on 64-bit Windows, the 64-bit one.
bool WritePerUserEntries(const std::string& folder);
