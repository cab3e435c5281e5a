#pragma once
// The actions that the command-line verbs and the tray menu start by the same name, as procedures
// without arguments for RunAction.

// The primary layout of the current resolution; nothing in portable mode.
void RestorePrimaryUnlessPortable();
// Saves to CommandLineFile, or to the file the save dialog asks for when it is empty.
void SaveToFileAction();
// Restores from CommandLineFile, or from the file the open dialog asks for when it is empty.
void RestoreFromFileAction();
// Restores the backup SelectedBackupId of the current resolution.
void RestoreSelectedBackupAction();
