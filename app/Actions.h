#pragma once
// The layout and settings actions that the command line and the tray menu start.

#include <string>

// Kinds of SaveLayout.
inline constexpr int SaveKindPrimary = 0;
inline constexpr int SaveKindFile = 1;
inline constexpr int SaveKindUndoBackup = 2;

// Kinds of RestoreAction.
inline constexpr int RestoreKindPrimary = 0;
inline constexpr int RestoreKindFile = 1;
inline constexpr int RestoreKindBackup = 2;
inline constexpr int RestoreKindAutomatic = 3;

// Captures the desktop into the target of the kind. False only when writing the file failed.
bool SaveLayout(int kind);

// Asks, keeps the replaced primary layout as a backup, and saves the primary layout.
void SavePrimaryAction();

// Restores the layout of the kind (backupId names the backup for RestoreKindBackup).
void RestoreAction(int kind, const std::string& backupId);

// Asks, then deletes all backups of the current resolution.
void DeleteAllBackupsAction();

// The options dialog.
void ShowOptionsDialog();
