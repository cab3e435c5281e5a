#pragma once
// The actions that the command-line verbs and the tray menu start by the same name, as procedures
// for RunAction.

// The primary layout of the current resolution; nothing in portable mode.
void RestorePrimaryUnlessPortable();
// Saves to the file the save dialog asks for.
void SaveToFileAction();
// Restores from the file the open dialog asks for.
void RestoreFromFileAction();
