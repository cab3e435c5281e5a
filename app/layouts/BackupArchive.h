#pragma once
// Primary layouts and the backup archive of the current data folder: existence of a primary
// layout, the "S" copy of a primary layout before it is replaced, the listing of an archive, the
// labels of backups and the deletion of the current resolution's archive. The resolution key,
// the time stamp and the naming of new backups (NewBackupPath) come from BackupStore.h.

#include <string>
#include <vector>

#include "BackupStore.h"

// A restore of the primary layout for the current configuration's key has a file to restore: the
// key's own primary layout, or the plain resolution key's that serves it (PrimaryLayoutToRestore).
bool PrimaryExists(const std::string& resolutionKey);

// Copies the primary layout of the key into its archive, named by `stamp` and the letter of
// `letterIndex` (0 "S"), creating the archive folder when needed. The copy never replaces an
// existing backup (see NewBackupPath). True when there is no primary layout to keep or the copy
// succeeded.
bool CreateBackup(const std::string& resolutionKey, int letterIndex, const std::string& stamp);

// The ids of the archive of the key, newest first (see ListBackupIds); `prune` deletes all but the
// newest backups.
std::vector<std::string> EnumerateBackups(const std::string& resolutionKey, bool prune);

// The label of a backup in the current language, for example "24.11.2008 09:30:15 (S)".
std::string BackupLabel(const std::string& id);

// Removes the archive folder of the current resolution with everything in it, for good.
void DeleteAllBackups();
