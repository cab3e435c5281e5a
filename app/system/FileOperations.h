#pragma once
// Copies and deletions through the shell's file operation, without any user interface.

#include <string>

// SHFileOperationA with `function` (FO_COPY, FO_DELETE, ...) on one source and, for copies, one
// target. No progress, no confirmation, no error box: a failure is reported by the result only
// (0 on success) and the caller shows its own message if any. Deletions bypass the recycle bin.
int SilentFileOperation(unsigned function, const std::string& from, const std::string& to);
