#pragma once
// Text rules of the layout file dialogs and of the removal of the program's files. Includes no
// Windows header.

#include <string>
#include <string_view>

// The proposed file name's stem: resolution key, "_" and the date part (YYYYMMDD) of a 14-digit
// time stamp, for example 1920x1080_20240115.
std::string LayoutFileBase(std::string_view resolutionKey, std::string_view timeStamp);

// The name tried at step `counter`: base.kvl at 0, then base[1].kvl, base[2].kvl, ...
std::string LayoutFileCandidate(std::string_view base, int counter);

// How many numbered names are tried after the plain one; the last is proposed even if it exists.
inline constexpr int LayoutFileMaxCounter = 50;

// The folder with a trailing "\" (added unless it ends with one already; an empty folder stays).
std::string WithTrailingBackslash(std::string_view folder);

// Whether the folder may be deleted as the program's data folder: it must end in
// "\Quellwyn\Kavrilon\" (letters in any case) and must be neither the program's own folder nor a
// folder that holds it. An empty path, a drive root or any other folder never qualifies.
bool IsRemovableDataFolder(std::string_view dataFolder, std::string_view programFolder);

// The folder path in a buffer of `bufferSize` bytes that the classic dialog filled in answer to
// CDM_GETFOLDERPATH, given the dialog's reply: the length it copied including the terminating zero,
// or, for a path longer than the buffer, the size it would need (and the buffer holds nothing
// usable). Never reads beyond the buffer; empty for a failed or too long path.
std::string FolderPathFromReply(const char* buffer, size_t bufferSize, long reply);
