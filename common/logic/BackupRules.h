#pragma once
// Names and rules of the layout storage: the resolution key, the time stamp, backup ids, their
// order and labels, and the paths of primary layouts and backups under a data folder. Shared by
// the main program and the shell extension. Includes no Windows header.
//
// Storage under a data folder (which ends with "\"):
//   Layouts\Layout_<key>.kvl     the primary layout of the resolution <key>, e.g. 1280x1024
//   Backups\<key>\<id>.kvl       one backup; <id> is a 14-digit time stamp and the letter "S"
//                                (a replaced primary layout) or "R" (the desktop before a restore)

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr size_t TimeStampLength = 14;
inline constexpr size_t BackupIdLength = 15;

// The newest backups of a resolution that survive pruning.
inline constexpr size_t BackupsKept = 10;
// At most this many ids are listed when the listing does not prune.
inline constexpr size_t BackupListLimit = 100;

// Backup letters by letter index: 0 "S" (replaced primary layout), 1 "R" (undo backup of a restore).
// Any other index has no letter (0).
char BackupLetter(int letterIndex);

// Width "x" height of the virtual screen; when either of them is 0, both come from the primary
// screen instead. Decimal without leading zeros, for example 1280x1024.
std::string ResolutionKeyOf(int virtualWidth, int virtualHeight, int screenWidth, int screenHeight);

// Year, month, day, hour, minute and second concatenated; every part but the year has two digits,
// for example 20081124093015.
std::string FormatTimeStamp(int year, int month, int day, int hour, int minute, int second);

// The time stamp one second after `stamp`, with the carries into minutes, hours, days (leap years
// included), months and years. False when `stamp` is not a valid 14-digit time stamp of a year up
// to 9999 or has no successor of 14 digits.
bool NextSecondTimeStamp(std::string_view stamp, std::string& next);

// The backup id of a file name found in an archive folder: its first 15 characters, when the 15th
// is "R" or "S" (upper case only) and characters 1 to 7 and 8 to 14 each convert with the program's
// number conversion. A longer tail (" copy.kvl") does not matter.
bool BackupIdOfFileName(std::string_view fileName, std::string& id);

// A backup id that may name a file of the archive: exactly fourteen digits and "R" or "S". Anything
// else (a path, "..", blanks, signs) is refused, so that an id can never reach outside the archive.
bool IsValidBackupId(std::string_view id);

// Sorts newest first: for every position i and every later position j in increasing order, the
// ids at i and j are exchanged when the time stamp (first 14 characters) at i compares lower byte
// by byte than the one at j. Ids with equal time stamps are never exchanged with each other
// directly.
void SortBackupIdsNewestFirst(std::vector<std::string>& ids);

// The text shown for a backup: "24.11.2008 09:30:15 (S)" in German (language index 0),
// "11/24/2008 09:30:15 (S)" in English (any other index).
std::string FormatBackupLabel(std::string_view id, uint8_t languageIndex);

std::string PrimaryLayoutPath(std::string_view dataFolder, std::string_view resolutionKey);
// The archive folder of a resolution, ending with "\".
std::string BackupFolderPath(std::string_view dataFolder, std::string_view resolutionKey);
std::string BackupFilePath(std::string_view dataFolder, std::string_view resolutionKey, std::string_view id);
