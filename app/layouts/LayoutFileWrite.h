#pragma once
// Crash-safe writing of a layout file: the new content goes to a temporary file in the target's
// folder first, which then takes the target's place, so that a full disk, a read-only target or a
// crash never leaves a damaged file behind.

#include <string>

// Replaces `target` with `content` only once the whole content is on disk. The target path may be
// relative and use "\" or "/"; it is made a full path first. On failure the target is as it was
// and no temporary file is left.
bool ReplaceFileContent(const std::string& target, const std::string& content);

// How the finished temporary file takes the target's place: MoveFileExA where the system has it
// (looked up at run time: Windows 95, 98 and Me lack it), otherwise a fallback that moves the old
// file aside, moves the new one in and puts the old one back on failure. `useMoveFileEx` false
// forces the fallback (tests).
bool MoveIntoPlace(const std::string& temporary, const std::string& target, bool useMoveFileEx = true);
