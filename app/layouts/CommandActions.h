#pragma once
// Ready-made actions without arguments that a command-line verb and a tray menu item start alike,
// as procedures for RunAction.

// The primary layout of the current resolution; nothing in portable mode.
void RestorePrimaryUnlessPortable();
// Saves to the file the save dialog asks for.
void SaveToFileAction();
// Restores from the file the open dialog asks for.
void RestoreFromFileAction();
