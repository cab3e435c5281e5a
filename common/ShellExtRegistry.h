#pragma once
// Writing, removing and checking the shell extension's registry layout. Shared by the registration
// utility (machine-wide, elevated) and the main program (for the current user only), so it keeps
// the utility's floor: kernel32 and advapi32 functions that every 32-bit Windows has, anything
// newer looked up at run time.
//
// The layout, below a root (HKEY_LOCAL_MACHINE for every user, HKEY_CURRENT_USER for one user), in
// each registry view that is written:
//   1  <root>\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved
//                                                  value "{class id}" = "Kavrilon"
//   2  <root>\Software\Classes\CLSID\{class id}   default value = "Kavrilon"
//   3  ...\CLSID\{class id}\InProcServer32         default value = <folder>KavrilonShellEx.dll
//   4        as 3                                   "ThreadingModel" = "Apartment"
//   5        as 3                                   "ExeLocation" = <folder>Kavrilon.exe
//   6  <root>\Software\Classes\Directory\Background\shellex\ContextMenuHandlers\Kavrilon
//                                                  default value = "{class id}"
// <folder> is the folder of the registering program: the three programs lie side by side.
// HKEY_CLASSES_ROOT shows the classes of both roots (the user's first, from Windows 2000 on); the
// machine-wide entries are written below HKEY_LOCAL_MACHINE itself, so that a registration of the
// current user is never overwritten or removed by a machine-wide one, nor the other way round.

#include <windows.h>

#include <string>

// One registry view and the extension that serves it. The 32-bit view is where a 32-bit process's
// writes go without a view flag; the 64-bit view is the one a 64-bit shell reads.
struct TRegistryView {
    REGSAM ViewFlag;               // 0 or KEY_WOW64_64KEY
    const char* ExtensionFileName; // KavrilonShellEx.dll or KavrilonShellEx64.dll
};

// Writes entries 1 to 6 below `root` into a view, in their order; stops at the first refused step,
// and when the extension file is missing from `folder` before entry 3. True when all six were
// written. Removes nothing itself.
bool WriteShellExtEntries(HKEY root, const TRegistryView& view, const std::string& folder);

// Removes entry 1 and the keys of entries 2 to 6 below `root` from a view; every removal is
// attempted. True when each is gone or was never there and the "Approved" key opened. The
// "Approved" key and the parent keys stay.
bool RemoveShellExtEntries(HKEY root, const TRegistryView& view);

// The system runs 32-bit programs under WOW64: it is a 64-bit Windows with a 64-bit shell.
bool IsWow64System();

// Writes the layout below `root` naming `folder` into the 32-bit view and, on a 64-bit Windows
// where the 64-bit extension lies in `folder`, into the 64-bit view too. Any failure removes
// everything below `root` from both views.
bool RegisterShellExtension(HKEY root, const std::string& folder);

// Removes the layout below `root` from the 32-bit view and, on a 64-bit Windows, from the 64-bit
// view.
bool UnregisterShellExtension(HKEY root);

// The layout below `root` is complete in a view (`viewFlag` 0 or KEY_WOW64_64KEY): the class key
// opens, the server key names an existing file and the threading model "Apartment" (exactly), the
// "Approved" value exists and the handler key names the class id (exactly, with case).
bool ShellExtRegistrationComplete(HKEY root, REGSAM viewFlag);
