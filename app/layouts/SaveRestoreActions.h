#pragma once
// The save and restore actions (and the options dialog) that the command line and the tray menu
// start with their arguments.

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

// Captures the desktop into the target of the kind; SaveKindFile writes to `file`, or to the file
// the save dialog asks for when it is empty. False only when writing the file failed; true also
// when nothing was written (no file chosen, desktop not found, no shared buffer). When a file was
// written and `writtenPath` is given, it receives the file's path; otherwise it is emptied.
bool SaveLayout(int kind, const std::string& file = {}, std::string* writtenPath = nullptr);

// Asks, keeps the replaced primary layout as a backup, and saves the primary layout.
void SavePrimaryAction();

// True unless the desktop matches the primary layout of the current resolution exactly (also true
// when there is no primary layout or the desktop cannot be read).
bool PrimaryDiffers();

// True unless every desktop icon that the layout lists already stands at its stored position. The
// layout is the backup `backupId` of the current resolution, or the primary layout when it is empty.
bool RestoreWouldMove(const std::string& backupId);

// The same for any layout file.
bool RestoreWouldMoveFile(const std::string& path);

// Restores the layout of the kind. `name` is the backup's id for RestoreKindBackup, and for
// RestoreKindFile the file (empty: the open dialog asks for one); the other kinds ignore it. The
// primary layout is the one PrimaryLayoutToRestore names for the current configuration. Icons
// whose stored position lies on no monitor of the current configuration stay where they are (a
// restore the user started says how many, where messages are shown). With the option PlaceNewIcons,
// icons the layout does not list that a restored icon now covers move to the nearest free grid cell.
void RestoreAction(int kind, const std::string& name);

// Asks, then deletes all backups of the current resolution.
void DeleteAllBackupsAction();

// The options dialog.
void ShowOptionsDialog();
