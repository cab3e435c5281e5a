#pragma once
// Writing and removing the shell extension's registry layout.
//
// The layout, in each registry view that is written:
//   1  HKLM  ...\Shell Extensions\Approved      value "{class id}" = "Kavrilon"
//   2  HKCR  CLSID\{class id}                    default value = "Kavrilon"
//   3  HKCR  CLSID\{class id}\InProcServer32     default value = <folder>KavrilonShellEx.dll
//   4        as 3                                 "ThreadingModel" = "Apartment"
//   5        as 3                                 "ExeLocation" = <folder>Kavrilon.exe
//   6  HKCR  Directory\Background\shellex\ContextMenuHandlers\Kavrilon   default value = "{class id}"
// <folder> is the utility's own folder: the three programs lie side by side.

#include <windows.h>

#include <string>

// One registry view and the extension that serves it. The 32-bit view is where a 32-bit process's
// writes go without a view flag; the 64-bit view is the one a 64-bit shell reads.
struct TRegistryView {
    REGSAM ViewFlag;               // 0 or KEY_WOW64_64KEY
    const char* ExtensionFileName; // KavrilonShellEx.dll or KavrilonShellEx64.dll
};

// The folder of the running program, ending with "\".
std::string ProgramFolder();

// Writes entries 1 to 6 into a view, in their order; stops at the first refused step, and when the
// extension file is missing from `folder` before entry 3. True when all six were written. Removes
// nothing itself.
bool WriteShellExtEntries(const TRegistryView& view, const std::string& folder);

// Removes entry 1 and the keys of entries 2 to 6 from a view; every removal is attempted. True when
// each is gone or was never there and the "Approved" key opened. The "Approved" key and the parent
// keys stay.
bool RemoveShellExtEntries(const TRegistryView& view);

// The system runs 32-bit programs under WOW64: it is a 64-bit Windows with a 64-bit shell.
bool RunsUnderWow64();

// "r": writes the layout into the 32-bit view and, on a 64-bit Windows where the 64-bit extension is
// present, into the 64-bit view too. Any failure removes everything from both views.
bool RegisterShellExtension();

// "u": removes the layout from the 32-bit view and, on a 64-bit Windows, from the 64-bit view.
bool UnregisterShellExtension();
