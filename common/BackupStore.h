#pragma once
// The layout storage on the file system: the current configuration's key and time stamp, the
// primary layout a restore takes, the listing
// of a resolution's backup archive, and new backup names that never replace an existing backup.
// Every procedure takes the data folder (ending with "\") as an argument, so that the main program
// and the shell extension share them.

#include <string>
#include <vector>

#include "BackupRules.h"

// The storage key of the current display configuration (DisplayConfigKey of TakeDisplaySnapshot):
// with one monitor at 96 DPI the plain resolution key, for example 1280x1024; with any other
// configuration that key, "_" and the configuration's digest, for example 2304x1024_0c5e19a7. The
// main program, its tray menu and the shell extension name primary layouts and archives by it.
std::string ResolutionKey();

// The plain resolution key: the virtual screen size (the primary screen size when the system
// reports a virtual width or height of 0), for example 1280x1024, whatever the monitors.
std::string ScreenResolutionKey();

// The primary layout that a restore for the current configuration's key `key` takes: the key's own
// when it exists; otherwise, for the key of a configuration of its own, the primary layout of its
// plain resolution key when that one was saved with the same arrangement (PlainLayoutServes, on a
// fresh snapshot that still has the key `key`); otherwise the key's own path all the same (a file
// that does not exist).
std::string PrimaryLayoutToRestore(const std::string& dataFolder, const std::string& key);

// The local time as a 14-digit time stamp, for example 20081124093015.
std::string TimeStamp();

// The backup ids of a resolution's archive, newest first. Every file name of the archive folder
// that follows the id rules is collected before sorting, however many there are, so that no newer
// backup is missed. With `prune`, the files of all ids after the BackupsKept newest are deleted and
// the list holds these newest only; without, the list holds at most the BackupListLimit newest and
// nothing is deleted. A missing folder gives an empty list.
std::vector<std::string> ListBackupIds(const std::string& dataFolder, const std::string& resolutionKey,
                                       bool prune);

// The path for a new backup of the kind `letter` ("S" or "R") in a resolution's archive, named by
// `stamp`, that names no existing file: every backup must get a file of its own. When the name is
// taken (two backups of one kind within a second), the next second's stamp is tried, and so on;
// when that second has not come yet, this waits for the clock (at most about a second per step),
// so that no backup is named with a time still to come. A stamp that is no valid time stamp is
// replaced by the current one before stepping on. The archive folder is not created here. Empty
// only when no further stamp exists (past the end of year 9999).
//
// Every writer of a backup file uses this name: the copy of the primary layout ("S") and the undo
// backup written before a restore ("R"). The check and the write are not one atomic step; layout
// actions of all Kavrilon processes are serialised by the action mutex.
std::string NewBackupPath(const std::string& dataFolder, const std::string& resolutionKey, char letter,
                          const std::string& stamp);
